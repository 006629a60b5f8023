#include "winio_scenarios.h"

#include <windows.h>

#include <cstdlib>
#include <utility>

#include "app/texts.h"
#include "check.h"
#include "engine/chip_codes.h"
#include "main_window.h"
#include "platform/win32/resource.h"
#include "program.h"
#include "settings_store.h"
#include "windows_ui.h"
#include "winio_report.h"

namespace e2e {
namespace texts = zanvo::app::texts;
namespace engine = zanvo::engine;

namespace {

constexpr DWORD kDetectTimeoutMs = 10000;
// A script's call whose resident copies cannot open port access: three starts that end at once.
constexpr DWORD kScriptCallTimeoutMs = 10000;
// The PCI device ID of the virtual Mach64 GT, which detection keeps as the ATI model.
constexpr uint32_t kMach64GtDevice = 0x4754;

std::string EnvironmentValue(const char* name) {
  char value[1024] = {};
  const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
  return length > 0 && length < sizeof value ? std::string(value, length) : std::string();
}

std::string FolderOf(const std::string& path) {
  return path.substr(0, path.find_last_of('\\'));
}

// Wine's per-program setting of the Windows version it reports, in the prefix's registry.
struct WindowsVersion {
  std::string wine_name;       // empty: Wine's default
  const char* told = nullptr;  // what GetVersionEx then says, as the double reports it
};

WindowsVersion ChosenWindows() {
  const std::string name = EnvironmentValue("ZANVO_E2E_WINDOWS");
  if (name.empty()) return {};
  if (name == "win98") return {name, "4.10 9x"};
  if (name == "winxp") return {name, "5.1 nt"};
  Fail(Format("ZANVO_E2E_WINDOWS=%s: only win98 and winxp are known", name.c_str()));
}

void ReportWindowsAs(const WindowsVersion& version) {
  if (version.wine_name.empty()) return;
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\zanvo.exe", 0, nullptr, 0,
                      KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
    Fail("could not create Wine's settings key for zanvo.exe");
  const std::string& value = version.wine_name;
  const LONG result =
      RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>(value.size() + 1));
  RegCloseKey(key);
  if (result != ERROR_SUCCESS) Fail("could not set the Windows version Wine reports");
  Note(Format("Wine reports %s to zanvo.exe", value.c_str()));
}

// A first run of zanvo.exe under the chosen Windows version, its report in the output folder.
struct WinIoRun {
  WinIoRun(const ScenarioContext& context, const char* name)
      : windows(ChosenWindows()), report(context.output_dir + "\\winio-" + name + ".txt") {
    ForgetSettings();
    LetWineDrawFrames();
    ReportWindowsAs(windows);
    SetCursorPos(0, GetSystemMetrics(SM_CYSCREEN) - 1);
  }
  void ExpectWindows() const {
    if (windows.told) report.ExpectWindows(windows.told);
  }

  WindowsVersion windows;
  WinIoReport report;
};

// First run on the default card: the readout, PAL kept, NTSC refused (back to monitor timings
// through the system's mode re-set, which only the double's window sees), PAL kept again, and
// Unload with "Exit to VGA mode" storing the settings and leaving the card on monitor timings.
void WinIoSwitching(const ScenarioContext& context) {
  WinIoRun run(context, "switching");
  SetEnvironmentVariableA("ZANVO_VIRTUAL_CARD", nullptr);
  Program program(context.program);
  HWND main = WaitForMainWindow(program);
  WaitFor("the main window to be shown on a first run", 10000,
          [&] { return IsWindowVisible(main); });
  ExpectStandardButton(main, IDC_MODE_VGA, "VGA");
  ExpectRates(main, kVgaRates);

  ChooseTvStandard(program, main, IDC_MODE_PAL, KeepAnswer::kYes);
  ExpectStandardButton(main, IDC_MODE_PAL, "PAL");
  ExpectRates(main, kPalRates);

  ChooseTvStandard(program, main, IDC_MODE_NTSC, KeepAnswer::kNo);
  ExpectStandardButton(main, IDC_MODE_VGA, "VGA after No");
  ExpectRates(main, kVgaRates);

  ChooseTvStandard(program, main, IDC_MODE_PAL, KeepAnswer::kYes);
  ExpectRates(main, kPalRates);

  Unload(program, main);
  ExpectStoredText(texts::kValueVideoStandard, texts::kStandardPal);
  ExpectStoredDword(texts::kValueExitToVga, 1);
  ExpectStoredDword(texts::kValueSaveChanges, 1);

  run.report.ExpectLoadedFrom(FolderOf(context.program));
  run.ExpectWindows();
  run.report.ExpectModeReloaded();
  run.report.ExpectClosedWith(kVgaRates.khz_low, kVgaRates.khz_high, kVgaRates.hz_low,
                              kVgaRates.hz_high);
}

// Detect on three cards through the double's ports; the ATI card's clock comes from its video
// ROM (GetPhysLong), so PAL on it lands on 15.6 kHz only when the ROM was read. Unload stores
// the detected chipset.
void WinIoDetect(const ScenarioContext& context) {
  struct Case {
    const char* card;
    const char* brand;
    const char* model;
    uint32_t family_code;
    uint32_t model_code;
    bool try_pal;
  };
  static const Case kCases[] = {
      {"s3-trio64", "S3", "Trio32/64", engine::cfS3, engine::kModelS3Trio64, false},
      {"ati-mach64", "ATI Technology", "Generic (I/O: E800h)", engine::cfATI, kMach64GtDevice,
       true},
      {"tseng-et4000", "Tseng Labs", "ET4000", engine::cfTseng, engine::kModelTseng4000, false},
  };
  for (const Case& c : kCases) {
    Note(Format("card %s", c.card));
    WinIoRun run(context, c.card);
    SetEnvironmentVariableA("ZANVO_VIRTUAL_CARD", c.card);
    Program program(context.program);
    HWND main = WaitForMainWindow(program);
    // Found while its controls are still being made; shown once start-up is over.
    WaitFor("the main window to be shown on a first run", 10000,
            [&] { return IsWindowVisible(main); });
    DetectChipset(main, c.brand, c.model);
    if (c.try_pal) {
      // Unload then leaves PAL in force, so the card's signal at the close shows the clock.
      HWND exit_vga = Control(main, IDC_EXIT_VGA, "chkExitVGA");
      Click(exit_vga);
      WaitFor("\"Exit to VGA mode\" to be unchecked", kDetectTimeoutMs,
              [&] { return !IsChecked(exit_vga); });
      ChooseTvStandard(program, main, IDC_MODE_PAL, KeepAnswer::kYes);
      // The line rate is the one counted on the status register: the VGA total does not
      // describe this family's block-I/O timing.
      ExpectRates(main, kPalRates);
    }
    Unload(program, main);
    ExpectStoredDword(texts::kValueChipset, c.family_code);
    ExpectStoredDword(texts::kValueModel, c.model_code);
    run.report.ExpectLoadedFrom(FolderOf(context.program));
    if (c.try_pal)
      run.report.ExpectClosedWith(kPalRates.khz_low, kPalRates.khz_high, kPalRates.hz_low,
                                  kPalRates.hz_high);
  }
  SetEnvironmentVariableA("ZANVO_VIRTUAL_CARD", nullptr);
}

// Moves a file aside for the life of the object.
class FileAside {
 public:
  explicit FileAside(std::string path) : path_(std::move(path)), aside_(path_ + ".aside") {
    if (!MoveFileA(path_.c_str(), aside_.c_str()))
      Fail(Format("could not move %s aside (error %lu)", path_.c_str(), GetLastError()));
  }
  ~FileAside() { MoveFileA(aside_.c_str(), path_.c_str()); }
  FileAside(const FileAside&) = delete;
  FileAside& operator=(const FileAside&) = delete;

 private:
  std::string path_, aside_;
};

// A different winio.dll in the current folder and another on PATH: never loaded, whether the
// program folder has none (the program says it cannot load the driver, ends, stores nothing)
// or has the double (which is the one loaded).
void WinIoLoader(const ScenarioContext& context) {
  const std::string planted = EnvironmentValue("ZANVO_E2E_PLANTED_DIR");
  if (planted.empty()) Fail("ZANVO_E2E_PLANTED_DIR does not name the planted copies' folder");
  const std::string current_folder = planted + "\\current";
  const std::string path = planted + "\\path;" + EnvironmentValue("PATH");
  SetEnvironmentVariableA("PATH", path.c_str());
  SetEnvironmentVariableA("ZANVO_VIRTUAL_CARD", nullptr);
  {
    WinIoRun run(context, "loader-missing");
    FileAside aside(FolderOf(context.program) + "\\winio.dll");
    Program program(context.program, current_folder.c_str());
    HWND box = WaitFor("the box \"Error loading service driver. Exiting...\"", 30000, [&] {
      return FindTopLevelShowing(program.pid(), texts::kDriverLoadFailed);
    });
    if (HWND main = FindTopLevel(program.pid(), texts::kAppTitle, true);
        main && FindControl(main, IDC_HFREQ))
      Fail("the main window is shown although port access could not be opened");
    PressDialogButton(box, IDABORT);
    program.WaitForExit(kExitTimeoutMs, "Abort on \"Error loading service driver\"");
    Pass("without winio.dll the program said \"Error loading service driver. Exiting...\"");
    if (StoredText(texts::kValueVideoStandard) || StoredDword(texts::kValueChipset))
      Fail("settings were stored although port access could not be opened");
    Pass("nothing was stored");
    // A script's call: the resident copies it starts end without the box, so the call tries
    // three times and ends with 1 at once, leaving no box behind to hold anything.
    const DWORD start = GetTickCount();
    Program call(context.program, current_folder.c_str(), "/pal");
    const DWORD exit_code = call.WaitForExit(kScriptCallTimeoutMs, "/pal without winio.dll");
    const DWORD call_ms = GetTickCount() - start;
    if (exit_code != 1) Fail(Format("/pal without winio.dll ended with %lu", exit_code));
    if (FindTopLevelShowing(0, texts::kDriverLoadFailed) != nullptr)
      Fail("a copy the script's call started holds on \"Error loading service driver\"");
    Pass(Format("/pal without winio.dll ended with 1 in %lu ms, no box left",
                static_cast<unsigned long>(call_ms)));
    run.report.ExpectNothingLoaded();
  }
  {
    WinIoRun run(context, "loader-present");
    Program program(context.program, current_folder.c_str());
    HWND main = WaitForMainWindow(program);
    ExpectRates(main, kVgaRates);
    PickTrayMenuItem(program, main, 'c', texts::kMenuClose);
    program.WaitForExit(kExitTimeoutMs, "Close");
    run.report.ExpectLoadedFrom(FolderOf(context.program));
  }
}

}  // namespace

std::span<const NamedScenario> WinIoScenarios() {
  static constexpr NamedScenario kScenarios[] = {
      {"winio-switching", WinIoSwitching},
      {"winio-detect", WinIoDetect},
      {"winio-loader", WinIoLoader},
  };
  return kScenarios;
}

}  // namespace e2e
