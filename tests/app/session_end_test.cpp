// The user's session ends while the program runs: the settings are stored as a close command
// stores them, the adapter keeps the timings it has, and nothing else happens.

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "app/texts.h"
#include "engine/chip_codes.h"
#include "shell_checks.h"

namespace zanvo::testing::shell {
namespace {

using engine::Eng;

struct SessionEndCase {
  const char* name;
  bool pal_in_force;
  bool save_changes;
  bool exit_to_vga;
  // What the key holds afterwards; nullopt: the value is not written.
  std::optional<std::string> standard;
  std::optional<uint32_t> save_changes_stored;
};

TEST(SessionEnd, StoresTheSettingsAndLeavesTheDisplayAlone) {
  const SessionEndCase cases[] = {
      {"VGA, save changes", false, true, true, "VGA", 1},
      {"PAL, save changes, exit to VGA", true, true, true, "PAL", 1},
      {"PAL, save changes, stay on TV", true, true, false, "PAL", 1},
      {"PAL, changes not saved", true, false, true, std::nullopt, 0},
  };
  for (const SessionEndCase& c : cases) {
    SCOPED_TRACE(c.name);
    Machine machine;
    machine.registry.SetDword(kKey, app::texts::kValueChipset, engine::cfS3);
    machine.registry.SetDword(kKey, app::texts::kValueModel, engine::kModelS3Trio64);
    ShellHarness h(machine);
    h.Start();
    auto& w = *h.main;
    if (c.pal_in_force) ChooseAndKeep(h, w.chkModePAL);
    w.chkSaveExit.SetChecked(c.save_changes);
    w.chkExitVGA.SetChecked(c.exit_to_vga);
    // Start-up stored nothing; what is in the key now comes from the session's end.
    machine.registry.keys[kKey].erase(app::texts::kValueVideoStandard);
    const double line_khz = LineKhz(h);
    const int resets = h.display.resets;
    const size_t boxes = h.boxes.shown.size();

    w.StoreSettingsAtSessionEnd();

    EXPECT_EQ(StoredText(machine, app::texts::kValueVideoStandard), c.standard);
    EXPECT_EQ(StoredDword(machine, app::texts::kValueSaveChanges), c.save_changes_stored);
    if (c.save_changes) {
      EXPECT_EQ(StoredDword(machine, app::texts::kValueExitToVga), c.exit_to_vga ? 1u : 0u);
      EXPECT_EQ(StoredDword(machine, app::texts::kValueVisible), w.visible ? 1u : 0u);
    }
    EXPECT_EQ(h.display.resets, resets) << "the display was re-set";
    EXPECT_DOUBLE_EQ(LineKhz(h), line_khz) << "the adapter's timings changed";
    EXPECT_EQ(Eng.CurrentStandard, c.pal_in_force ? engine::vsPAL : engine::vsVGA);
    EXPECT_EQ(h.boxes.shown.size(), boxes) << "a message box appeared";
    EXPECT_FALSE(h.application.terminate_requested());
    h.Stop();
  }
}

TEST(SessionEnd, AFailedWriteShowsNothing) {
  Machine machine;
  ShellHarness h(machine);
  h.Start();
  machine.registry.fail_writes = true;
  const size_t boxes = h.boxes.shown.size();
  h.main->StoreSettingsAtSessionEnd();
  EXPECT_EQ(h.boxes.shown.size(), boxes);
  h.Stop();
}

}  // namespace
}  // namespace zanvo::testing::shell
