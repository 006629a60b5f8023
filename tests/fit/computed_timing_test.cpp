// Computed timings: where the tables have no row for the width or the line count, the engine
// computes one with the option on, and the switch reaches the standard with the whole desktop;
// where the rules leave no row, the cell says which. With the option off nothing changes.

#include <gtest/gtest.h>

#include <string>

#include "engine/chip_codes.h"
#include "fit_check.h"
#include "physical_reason.h"
#include "platform/virtual/card_catalog.h"
#include "scope_session.h"
#include "standard_targets.h"

namespace zanvo::fit {
namespace {

using engine::vs24kHz;
using engine::vsNTSC;
using engine::vsPAL;

scope::ScopeReport RunComputed(const char* card, uint16_t width, uint16_t height, uint8_t standard,
                               bool interlace_allowed, bool computed, uint8_t as_family = 0) {
  scope::ScopeOptions options = FitCaseOptions(card, width, height, standard, interlace_allowed);
  options.computed = computed;
  if (as_family != 0) options.as_family = as_family;
  options.dump_registers = false;
  scope::ScopeReport report;
  std::string error;
  EXPECT_TRUE(scope::RunScope(options, report, error)) << error;
  return report;
}

bool Usable(const scope::ScopeReport& r, uint8_t standard) {
  return scope::JudgeAgainstStandard(r.signal, standard) != virt::SignalVerdict::kOff &&
         r.signal.contradictions.empty();
}

TEST(ComputedTimings, RowsTheTablesLackFitOrNameTheRuleTheyBreak) {
  struct Case {
    const char* card;
    uint16_t width, height;
    uint8_t standard;
    bool interlace_allowed;
    const char* still_refused;  // the reason's start; nullptr when computed rows fit
  };
  const Case cases[] = {
      {"s3-trio64", 800, 600, vsNTSC, true, nullptr},       // 150 lines after interlace, skip
      {"oak-oti077", 320, 200, vs24kHz, true, nullptr},     // doubled, 400 lines under 424
      {"tseng-et4000", 640, 400, vs24kHz, false, nullptr},  // 400 lines under 424
      {"ati-mach64", 1600, 1200, vs24kHz, true, nullptr},   // the synthesizer's clock
      {"tseng-et4000", 1024, 768, vs24kHz, true, nullptr},  // 146 characters end at the total
      // The blank would pass character 128: 6 characters of border keep its 6-bit end true.
      {"oak-oti087", 960, 600, vs24kHz, true, nullptr},
      {"cirrus-gd5434", 1152, 864, vs24kHz, true, "no clock in reach"},
      {"oak-oti077", 1024, 768, vsPAL, true, "a stride the chip cannot address"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.card) + " " + std::to_string(c.width) + "x" +
                 std::to_string(c.height) + " " + std::to_string(c.standard));
    const scope::ScopeReport off =
        RunComputed(c.card, c.width, c.height, c.standard, c.interlace_allowed, false);
    EXPECT_FALSE(off.fitted) << "the tables alone refuse it";
    EXPECT_FALSE(off.horz_computed || off.vert_computed);
    EXPECT_TRUE(off.signal.crtc == off.monitor.crtc) << "the monitor timings are back";

    const scope::ScopeReport on =
        RunComputed(c.card, c.width, c.height, c.standard, c.interlace_allowed, true);
    if (c.still_refused != nullptr) {
      EXPECT_FALSE(on.fitted);
      EXPECT_EQ(scope::PhysicalReason(on, c.standard).rfind(c.still_refused, 0), 0u)
          << scope::PhysicalReason(on, c.standard);
      EXPECT_TRUE(on.signal.crtc == on.monitor.crtc);
      continue;
    }
    ASSERT_TRUE(on.fitted);
    EXPECT_TRUE(on.horz_computed || on.vert_computed);
    // What the program leaves (the ET4000's clock step misses and its Generic sibling holds).
    EXPECT_TRUE(on.messages.empty()) << on.messages.front();
    EXPECT_TRUE(Usable(on, c.standard))
        << on.signal.line_rate_hz << " Hz / " << on.signal.field_rate_hz << " Hz";
    // Every line the fit kept reaches the screen, each a desktop row of its own or, where a
    // progressive field holds a doubled desktop, each row twice; and a computed line shows every
    // character.
    EXPECT_EQ(on.signal.display_lines_per_field, on.fit_lines);
    EXPECT_EQ(on.signal.memory_rows_per_field * on.signal.scan_lines_per_row, on.fit_lines);
    if (on.horz_computed) {
      EXPECT_EQ(on.signal.display_chars * on.signal.dots_per_char, c.width);
    }
  }
}

// The Mach64 under the plain VGA's registers ignores the rows and keeps its own 512x384 at
// 25.2 kHz / 60 Hz, inside the field check's bands but not what the set holds: a computed row
// passes only with the set's rates, so this switch is refused.
TEST(ComputedTimings, ARowTheChipIgnoresIsRefused) {
  const scope::ScopeReport r =
      RunComputed("ati-mach64", 512, 384, vs24kHz, true, true, engine::cfStandardVGA);
  EXPECT_TRUE(r.horz_computed && r.vert_computed);
  ASSERT_TRUE(r.field_check.has_value());
  EXPECT_FALSE(r.field_check->in_band) << r.field_check->field_hz;
  EXPECT_EQ(r.messages.size(), 1u);
  EXPECT_TRUE(r.signal.crtc == r.monitor.crtc);
}

// The arcade monitor's own mode, refused by the tables on every card, is exact on each of them
// with computed timings, with and without interlace, on the line that fills the screen: the
// halved 28.322 MHz clock with 73 characters (74 on the block CRTC), 64 of them shown. The
// Cirrus makes that halved clock as VCLK3 at 14.007 MHz, 1.1% slow: it locks.
TEST(ComputedTimings, ArcadeModeIsExactOnEveryCard) {
  for (const auto& name : virt::CardNames()) {
    // The standard VGA's 256 KiB hold no 512x384 in 256 colours.
    if (name == "vga") continue;
    for (const bool interlace_allowed : {true, false}) {
      SCOPED_TRACE(std::string(name) + (interlace_allowed ? "" : " ni"));
      const scope::ScopeReport r =
          RunComputed(std::string(name).c_str(), 512, 384, vs24kHz, interlace_allowed, true);
      EXPECT_TRUE(r.fitted);
      EXPECT_EQ(scope::JudgeAgainstStandard(r.signal, vs24kHz),
                name == "cirrus-gd5434" ? virt::SignalVerdict::kLocks : virt::SignalVerdict::kExact)
          << r.signal.line_rate_hz << " Hz / " << r.signal.field_rate_hz << " Hz";
      EXPECT_TRUE(r.signal.contradictions.empty());
      EXPECT_EQ(r.signal.display_chars * r.signal.dots_per_char, 512);
      EXPECT_GE(r.signal.chars_per_line, 73);
      EXPECT_LE(r.signal.chars_per_line, 74);
    }
  }
}

}  // namespace
}  // namespace zanvo::fit
