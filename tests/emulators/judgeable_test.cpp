// Which cases an emulator can judge, and which disagreements are on record.

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "emulator_formula.h"
#include "emulator_target.h"
#include "judgeable.h"
#include "known_differences.h"

namespace zanvo::emu {
namespace {

// A progressive 640x480 at 25.175 MHz, 8-dot characters, running.
scope::ScopeReport Report() {
  scope::ScopeReport r;
  r.registers.misc = 0xE3;
  r.registers.seq[0x01] = 0x01;
  r.registers.crtc[0x00] = 95;
  r.registers.crtc[0x06] = 11;
  r.registers.crtc[0x07] = 0x3E;
  r.registers.seq[0x0B] = 0x4A;
  r.registers.seq[0x1B] = 0x2B;
  r.signal.crtc.clock_hz = 25175000;
  return r;
}

TEST(Judgeable, ReasonsByTarget) {
  struct Row {
    const char* target;
    void (*edit)(scope::ScopeReport&);
    std::optional<std::string> reason;
  } const rows[] = {
      {"dosbox-s3", [](scope::ScopeReport&) {}, std::nullopt},
      {"bochs-cirrus", [](scope::ScopeReport&) {}, std::nullopt},
      {"dosbox-s3", [](scope::ScopeReport& r) { r.signal.interlaced = true; },
       "interlace (not modelled)"},
      {"dosbox-vgaonly", [](scope::ScopeReport& r) { r.signal.crtc.count_by_two = true; },
       "CR17 bit 2 line count by two (not modelled)"},
      {"dosbox-vgaonly", [](scope::ScopeReport& r) { r.signal.crtc.sync_enabled = false; },
       "sequencer or CRTC held"},
      {"dosbox-s3", [](scope::ScopeReport& r) { r.signal.crtc.h_units_per_char = 2; },
       "horizontal values in half characters (not modelled)"},
      {"dosbox-et4000", [](scope::ScopeReport& r) { r.registers.seq[0x07] = 0x40; },
       "clock divider in SR07 (not modelled)"},
      {"dosbox-et3000", [](scope::ScopeReport& r) { r.registers.seq[0x07] = 0xE8; },
       "clock divider in SR07 (not modelled)"},
      // SR07 bit 0 is the Cirrus extended-mode bit, no divider; pixel mode 1 divides by two.
      {"bochs-cirrus", [](scope::ScopeReport& r) { r.registers.seq[0x07] = 0x01; }, std::nullopt},
      {"bochs-cirrus", [](scope::ScopeReport& r) { r.registers.seq[0x07] = 0x03; },
       "clock divider in SR07 (not modelled)"},
      {"dosbox-vgaonly", [](scope::ScopeReport& r) { r.registers.misc = 0xEB; },
       "clock select the emulator lacks"},
      {"dosbox-s3", [](scope::ScopeReport& r) { r.registers.misc = 0xEB; },
       "clock select the emulator lacks"},
      {"dosbox-paradise", [](scope::ScopeReport& r) { r.signal.crtc.clock_select = 5; },
       "clock select the emulator lacks"},
      {"bochs-cirrus", [](scope::ScopeReport& r) { r.registers.seq[0x1B] = 0x01; },
       "no field rate in the emulator"},
  };
  for (const Row& row : rows) {
    scope::ScopeReport r = Report();
    row.edit(r);
    EXPECT_EQ(WhyNotJudgeable(*FindTarget(row.target), r), row.reason) << row.target;
  }
}

TEST(KnownDifferences, OnlyTheRecordedClockExplainsADisagreement) {
  const EmulatorTarget& paradise = *FindTarget("dosbox-paradise");
  scope::ScopeReport r = Report();
  r.registers.misc = 0xEB;  // clock 2
  r.signal.crtc.clock_hz = 65000000;
  const auto timing = EmulatorFieldTiming(paradise, r.registers);
  ASSERT_TRUE(timing.has_value());
  EXPECT_NE(ExplainDisagreement(paradise, r, *timing), nullptr);
  // The same clocks on another target, or another card clock, are not on record.
  EXPECT_EQ(ExplainDisagreement(*FindTarget("dosbox-et3000"), r, *timing), nullptr);
  r.signal.crtc.clock_hz = 64000000;
  EXPECT_EQ(ExplainDisagreement(paradise, r, *timing), nullptr);
}

}  // namespace
}  // namespace zanvo::emu
