#include <memory>
#include <optional>
#include <string>

#include "app/main_form.h"
#include "app/texts.h"
#include "chipset/catalogue.h"

// Start-up and the end of the main window: one copy only, port access, the tray icon, the
// stored settings (a stored TV standard goes onto the display here), the application's events.

namespace zanvo::app {

namespace {

// Stands in for the settings key when it cannot be opened: every value reads as missing, so
// every setting keeps its default.
class MissingKey final : public RegistryKey {
 public:
  std::optional<uint32_t> ReadDword(std::string_view) override { return std::nullopt; }
  std::optional<std::string> ReadText(std::string_view) override { return std::string{}; }
  bool WriteDword(std::string_view, uint32_t) override { return false; }
  bool WriteText(std::string_view, std::string_view) override { return false; }
};

// NOTIFYICONDATA flags.
constexpr uint32_t kNifMessage = 1;
constexpr uint32_t kNifIcon = 2;
constexpr uint32_t kNifTip = 4;

}  // namespace

void TMain::OnFormCreate() {
  if (EndsBeforeStartUp()) return;

  if (!services_.port_access.Initialize()) {
    // The resident copy a script's call started tells it by ending before it is ready: a box
    // would keep the marker taken and the call waiting for someone at the screen.
    if (!command_line_.resident) {
      services_.boxes.Show(MessageKind::kErrorAbort, texts::kDriverLoadFailed, texts::kAppTitle);
    }
    services_.application.Terminate(kExitNotSwitched);
    return;
  }

  TrayIconData_ = TrayIconData{};
  TrayIconData_.uFlags = kNifMessage | kNifIcon | kNifTip;
  TrayIconData_.uCallbackMessage = WM_TRAYICON;
  TrayIconData_.szTip = texts::kTrayTip;
  services_.tray.Add(TrayIconData_);

  std::unique_ptr<RegistryKey> opened = services_.registry.OpenOrCreate(texts::kRegistryKey);
  MissingKey missing;
  RegistryKey& key = opened ? *opened : missing;

  ReadOptionSettings(key);

  comboChipsets.Clear();
  for (const chipset::BrandEntry& brand : chipset::Brands()) {
    comboChipsets.Add(std::string(brand.caption), brand.family);
  }
  ReadChipsetSettings(key);
  SelectChipsetItems();

  // A stored TV standard is applied here, through its radio button's click.
  const char* skipped = ReadStandardSetting(key);
  // What was stored had been kept in an earlier run; what start-up put on screen is in force.
  NoteConfirmedStandard();
  // One skipped with Shift stays stored until the user keeps another.
  if (skipped != nullptr) confirmed_stored_name_ = skipped;
  // Both are the way back from a dark screen: whatever an earlier copy left on the card (a TV
  // standard it kept at its close, or 24 kHz, which is stored as VGA and so skipped by nothing),
  // the driver's monitor timings come back now. (A resident copy asked for a TV standard re-sets
  // the mode with the switch that follows.)
  const bool vga_asked = command_line_.kind == CommandLineRequest::Kind::kStandard &&
                         command_line_.standard == engine::vsVGA;
  const bool shift_start =
      command_line_.kind != CommandLineRequest::Kind::kStandard && services_.windows.ShiftKeyDown();
  if ((skipped != nullptr && !command_line_.resident) || vga_asked || shift_start) {
    ReconfigureDesktop();
  }
  ReadVisibleSetting(key);
  opened.reset();
  settings_read_ = true;

  services_.application.OnIdle = [this] {
    bool done = true;
    OnAppIdle(done);
  };
  services_.application.OnMinimize = [this] { AppMinimize(); };

  Initialising = false;
  // The script's call that started this copy hands it its standard now.
  if (command_line_.resident) services_.windows.AnnounceReady();
}

void TMain::OnDestroy() {
  // Also after a start-up that ended early: removing an icon never added is harmless, and port
  // access tolerates a shutdown without a successful start.
  TrayIconData_.uFlags = 0;
  services_.tray.Remove(TrayIconData_);
  services_.port_access.Shutdown();
}

}  // namespace zanvo::app
