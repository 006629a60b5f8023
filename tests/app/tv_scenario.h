#pragma once
// Helpers for the switching, option, centering and chipset scenarios: a machine whose settings
// name the installed chipset, the user's part in the keep-settings dialog, the card's signal.

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>

#include "app/accept_dialog.h"
#include "app/texts.h"
#include "engine/chip_codes.h"
#include "platform/toolkit/form.h"
#include "platform/virtual/signal/signal.h"
#include "shell_harness.h"

namespace zanvo::testing::tv {

// The settings a user who picked the chipset by hand would have stored.
inline void StoreChipset(Machine& machine, uint8_t family, uint16_t model) {
  machine.registry.SetDword(app::texts::kRegistryKey, app::texts::kValueChipset, family);
  machine.registry.SetDword(app::texts::kRegistryKey, app::texts::kValueModel, model);
}

// A machine with one card in a desktop mode, whose settings name its chipset, and ZANVO started
// on it. `before_start` may add adapters or settings.
struct StartedShell {
  Machine machine;
  ShellHarness shell;
  explicit StartedShell(const std::string& card = "s3-trio64", uint16_t width = 640,
                        uint16_t height = 480, uint8_t family = engine::cfS3,
                        uint16_t model = engine::kModelS3Trio64,
                        const std::function<void(StartedShell&)>& before_start = {})
      : shell(machine, card, width, height) {
    StoreChipset(machine, family, model);
    if (before_start) before_start(*this);
    shell.Start();
  }
  app::TMain& w() { return *shell.main; }
};

// The user does nothing: the dialog's one-second timer ticks until the dialog closes itself.
// Records how many ticks it took (0 when it never closed within 20).
inline ScriptedModalRunner::Script LetCountdownRunOut(int& ticks_taken) {
  return [&ticks_taken](toolkit::Form& form) {
    auto& dialog = dynamic_cast<app::TAcceptDlg&>(form);
    ticks_taken = 0;
    for (int tick = 1; tick <= 20; ++tick) {
      dialog.timer.Tick();
      if (form.modal_result() != toolkit::mrNone) {
        ticks_taken = tick;
        return;
      }
    }
  };
}

inline virt::Signal SignalOf(ShellHarness& shell) {
  return virt::AnalyzeSignal(shell.pc.card());
}

// The user picks a standard with its radio button and keeps it.
inline void Keep(StartedShell& pc, toolkit::RadioButton app::TMain::*button) {
  pc.shell.modal.scripts.push_back(AnswerYes);
  (pc.w().*button).UserClick();
}

// The monitor timings the card's driver sets for the mode, on a machine of its own. (The engine
// state is reset on the way: take it before starting the program under test.)
inline virt::Signal MonitorSignal(const std::string& card, uint16_t width, uint16_t height) {
  Machine machine;
  ShellHarness fresh(machine, card, width, height);
  return SignalOf(fresh);
}

// Line rate in kHz and field rate in Hz, within the tolerance a monitor or TV accepts.
inline void ExpectRates(const virt::Signal& signal, double line_khz, double field_hz,
                        const std::string& context) {
  EXPECT_NEAR(signal.line_rate_hz / 1000.0, line_khz, 0.3) << context;
  EXPECT_NEAR(signal.field_rate_hz, field_hz, 1.0) << context;
}

// The monitor timings of the BIOS-compatible 640x480 mode and the two TV standards.
inline constexpr double kVgaLineKhz = 31.47;
inline constexpr double kVgaFieldHz = 59.94;
inline constexpr double kPalLineKhz = 15.625;
inline constexpr double kPalFieldHz = 50.0;
inline constexpr double kNtscLineKhz = 15.734;
inline constexpr double kNtscFieldHz = 59.94;

}  // namespace zanvo::testing::tv
