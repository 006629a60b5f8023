#pragma once
// What the start-up, settings, shutdown and tray scenarios look at: the rates the card sends and
// the values the machine stores.

#include <optional>
#include <string>

#include "platform/virtual/signal/signal.h"
#include "shell_harness.h"

namespace zanvo::testing::shell {

inline constexpr const char* kKey = "Software\\Brindlex\\ZANVOWin";

// Line rate the card sends, in kHz, and its field rate (0 without a signal).
inline double LineKhz(ShellHarness& h) {
  return virt::AnalyzeSignal(h.pc.card()).line_rate_hz / 1000.0;
}
inline double FieldHz(ShellHarness& h) {
  return virt::AnalyzeSignal(h.pc.card()).field_rate_hz;
}

// A stored value; nothing when it is missing or of another type.
inline std::optional<uint32_t> StoredDword(const Machine& m, const std::string& name) {
  const RegValue* v = m.registry.Find(kKey, name);
  if (!v || v->type != RegValue::Type::kDword) return std::nullopt;
  return v->dword;
}
inline std::optional<std::string> StoredText(const Machine& m, const std::string& name) {
  const RegValue* v = m.registry.Find(kKey, name);
  if (!v || v->type != RegValue::Type::kText) return std::nullopt;
  return v->text;
}

// The user picks a TV standard in the running program: OK to the confirmation, Yes to the
// keep-settings dialog.
inline void ChooseAndKeep(ShellHarness& h, toolkit::RadioButton& button) {
  h.modal.scripts.push_back(AnswerYes);
  button.UserClick();
}

// Line rates of 640x480 at 60 Hz, PAL, NTSC and the 24 kHz monitor; the timing tables meet them
// within a few tenths of a kHz.
inline constexpr double kVgaKhz = 31.47;
inline constexpr double kPalKhz = 15.625;
inline constexpr double kNtscKhz = 15.734;
inline constexpr double kSegaKhz = 24.39;
inline constexpr double kKhzTolerance = 0.3;

}  // namespace zanvo::testing::shell
