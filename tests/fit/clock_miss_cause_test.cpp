// The cause the compatibility matrix shows for a cell whose signal misses the standard, worked
// out from the card's registers after the engine ran: one row per kind of miss in the fit tables,
// and rows that fit, whose registers must explain nothing.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include <string>

#include "engine/chip_codes.h"
#include "fit_check.h"
#include "platform/virtual/card_catalog.h"
#include "platform/virtual/signal/clock_miss_cause.h"
#include "platform/virtual/display_driver.h"
#include "platform/virtual/virtual_pc.h"

namespace zanvo::fit {
namespace {

using engine::vs24kHz;
using engine::vsNTSC;
using engine::vsPAL;

struct CauseCase {
  const char* card;
  uint16_t width, height;
  uint8_t standard;
  bool interlace_allowed;
  const char* cause;  // "" where the registers explain nothing
};

// clang-format off
const CauseCase kCases[] = {
    // Off the line rate.
    {"tseng-et4000", 640, 480, vsPAL, true, "SR07 bit 0 alone: clock not divided"},
    {"tseng-et4000", 640, 480, vs24kHz, true, "SR07 bit 6: clock halved"},
    {"tseng-et3000", 800, 600, vsPAL, true,
     "CR24 bit 1: clock select 5 (44.700 MHz) instead of 1"},
    {"tseng-et3000", 1024, 768, vsPAL, true,
     "CR24 bit 1: clock select 5 (44.700 MHz) instead of 1; SR07 bit 6: clock halved"},
    {"s3-trio64", 1024, 768, vsPAL, true,
     "SR15 bit 4 with clock select 1: 28.322 MHz halved as DCLK/2"},
    {"cirrus-gd5434", 1024, 768, vsPAL, true, "SR0E/SR1E: VCLK3 14.007 MHz, half of VCLK1"},
    {"cirrus-gd5434", 640, 480, vsPAL, true, "SR0E/SR1E: VCLK3 14.007 MHz, 1.1% below half of VCLK1"},
    {"trident-9000i", 1024, 768, vsPAL, true, "SR0D bits 1-2 = 1: clock halved"},
    {"trident-blade3d", 1280, 1024, vsNTSC, true, "SR0D bits 1-2 = 1: clock halved"},
    {"trident-8800br", 640, 480, vsPAL, true,
     "8800BR: no SR0D divider (old SR0D bits 0-2 are the emulation mode): clock not divided"},
    {"sis-6326", 640, 480, vsPAL, true,
     "SR2A bit 7 with clock select 1: the VCO divider acts on clock 3 only, clock not divided"},
    {"realtek-rtg3103", 1024, 768, vsPAL, true,
     "GR0C bit 5: clock select 5 (64.000 MHz) instead of 1; GR0B bits 0-1 = 1: clock divided "
     "by 1.5"},
    {"umc-85c408", 1024, 768, vsPAL, true, "SR09 bit 7: clock halved"},
    // Off the field rate, the line right.
    {"intel-i740", 640, 480, vsPAL, false,
     "CR30-CR33 not written: vertical bits 8-11 stale (CR30, CR31 disagree with CR07)"},
    {"sis-300", 640, 480, vsNTSC, true, "SR0A bit 6 set, bit 5 clear: vertical sync end bit 4 missing"},
    // Fitted, or off for reasons outside the chip's clock bits.
    {"tseng-et3000", 640, 480, vsPAL, true, ""},
    {"tseng-et4000", 1024, 768, vsPAL, true, ""},
    {"trident-8800br", 1024, 768, vsPAL, true, ""},
    {"s3-trio64", 640, 480, vsPAL, true, ""},
    {"oak-oti077", 640, 480, vsNTSC, true, ""},
    {"wd-90c30", 800, 600, vsPAL, true, ""},
};
// clang-format on

TEST(ClockMissCause, NamesTheRegisterBitsBehindEachMiss) {
  for (const CauseCase& c : kCases) {
    SCOPED_TRACE(std::string(c.card) + " " + std::to_string(c.width) + "x" +
                 std::to_string(c.height) + " standard " + std::to_string(c.standard) +
                 (c.interlace_allowed ? "" : " no interlace"));
    virt::VirtualPc pc(virt::MakeCard(c.card));
    ASSERT_TRUE(virt::SetDesktopMode(pc.card(), c.width, c.height));
    ApplyStandardAs(pc, pc.card().family(), pc.card().model(), c.standard, c.interlace_allowed);
    const virt::Signal& s = pc.card().signal();
    EXPECT_EQ(virt::ClockMissCause(pc.card(), s, TargetOf(c.standard).line_hz), c.cause)
        << s.line_rate_hz << " Hz lines, " << s.field_rate_hz << " Hz fields";
  }
}

// The block-I/O card runs every row on the one clock its clock step programs: the cause names
// that clock and the one the row's line length needs.
TEST(ClockMissCause, BlockIoPllNamesTheClockTheRowNeeds) {
  scope::ScopeReport report;
  ASSERT_TRUE(RunFitCase("ati-mach64", 640, 480, vs24kHz, true, report));
  ASSERT_TRUE(report.fitted);
  const virt::Signal& s = report.applied;
  const double needed_mhz = s.pixel_clock_hz * TargetOf(vs24kHz).line_hz / s.line_rate_hz / 1e6;
  char expected[128];
  std::snprintf(expected, sizeof expected,
                "PLL VCLK at %.3f MHz (one clock for every row): this line length needs %.3f MHz",
                s.pixel_clock_hz / 1e6, needed_mhz);
  EXPECT_EQ(report.clock_miss_cause, expected);
  EXPECT_GT(std::fabs(needed_mhz * 1e6 / s.pixel_clock_hz - 1), 0.02) << "not off at all";
}

}  // namespace
}  // namespace zanvo::fit
