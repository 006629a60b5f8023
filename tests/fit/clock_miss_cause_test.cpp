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
#include "platform/virtual/miss_causes/clock_miss_cause.h"
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
  uint8_t bits = 8;
};

// clang-format off
const CauseCase kCases[] = {
    // Off the line rate.
    {"tseng-et4000", 640, 480, vsPAL, true, "SR07 bit 0 alone: clock not divided"},
    {"tseng-et4000", 640, 480, vs24kHz, true, "SR07 bit 6: clock halved"},
    {"tseng-et3000", 800, 600, vsPAL, true,
     "CR24 bit 1: clock select 5 (44.700 MHz) instead of 1"},
    {"s3-trio64", 1024, 768, vsPAL, true,
     "SR15 bit 4 with clock select 1: 28.322 MHz halved as DCLK/2"},
    {"cirrus-gd5434", 1024, 768, vsPAL, true, "SR0E/SR1E: VCLK3 14.007 MHz, half of VCLK1"},
    {"cirrus-gd5434", 640, 480, vsPAL, true, "SR0E/SR1E: VCLK3 14.007 MHz, 1.1% below half of VCLK1"},
    {"trident-blade3d", 1280, 1024, vsNTSC, true, "SR0D bits 1-2 = 1: clock halved"},
    // The engine's clock words per depth against a chip that takes a pixel a dot.
    {"trident-blade3d", 640, 480, vsPAL, true,
     "0xF3 chip CR38 = 0x05: a pixel a dot, VCLK 56.650 MHz for 28.322 MHz rows", 16},
    {"trident-blade3d", 640, 480, vsPAL, true,
     "0xF3 chip CR38 = 0x29: clock select 0 (25.175 MHz), not the VCLK", 24},
    {"trident-blade3d", 800, 600, vsPAL, true,
     "SR0D bits 1-2 = 1: clock halved; 0xF3 chip CR38 = 0x09: clock select 0 (25.175 MHz), not "
     "the VCLK", 32},
    {"trident-8800br", 640, 480, vsPAL, true,
     "8800BR: no SR0D divider (old SR0D bits 0-2 are the emulation mode): clock not divided"},
    {"sis-6326", 640, 480, vsPAL, true,
     "SR2A bit 7 with clock select 1: the VCO divider acts on clock 3 only, clock not divided"},
    {"realtek-rtg3103", 1024, 768, vsPAL, true,
     "GR0C bit 5: clock select 5 (64.000 MHz) instead of 1; GR0B bits 0-1 = 1: clock divided "
     "by 1.5"},
    {"umc-85c408", 1024, 768, vsPAL, true, "SR09 bit 7: clock halved"},
    // Fitted, or off for reasons outside the chip's clock bits. The i740's CR30-CR33 and the
    // SiS 300's SR0A bit 5 are written with the vertical values.
    {"intel-i740", 640, 480, vsPAL, false, ""},
    {"sis-300", 640, 480, vsNTSC, true, ""},
    {"tseng-et3000", 640, 480, vsPAL, true, ""},
    {"tseng-et4000", 1024, 768, vsPAL, true, ""},
    {"s3-trio64", 640, 480, vsPAL, true, ""},
    {"oak-oti077", 640, 480, vsNTSC, true, ""},
    {"wd-90c30", 800, 600, vsPAL, true, ""},
};
// clang-format on

TEST(ClockMissCause, NamesTheRegisterBitsBehindEachMiss) {
  for (const CauseCase& c : kCases) {
    SCOPED_TRACE(std::string(c.card) + " " + std::to_string(c.width) + "x" +
                 std::to_string(c.height) + "x" + std::to_string(c.bits) + " standard " +
                 std::to_string(c.standard) +
                 (c.interlace_allowed ? "" : " no interlace"));
    virt::VirtualPc pc(virt::MakeCard(c.card));
    ASSERT_TRUE(virt::SetDesktopMode(pc.card(), virt::DesktopMode{c.width, c.height, c.bits}));
    ApplyStandardAs(pc, pc.card().family(), pc.card().model(), c.standard, c.interlace_allowed);
    const virt::Signal& s = pc.card().signal();
    EXPECT_EQ(virt::ClockMissCause(pc.card(), s, TargetOf(c.standard).line_hz), c.cause)
        << s.line_rate_hz << " Hz lines, " << s.field_rate_hz << " Hz fields";
  }
}

// The vertical bits a writer could leave out, put back by hand after the engine's switch (a
// register tool can leave a card so): the field misses with the line right, and the cause names
// the bits.
TEST(ClockMissCause, NamesVerticalBitsLeftOut) {
  struct Case {
    const char* card;
    uint16_t width, height;
    uint8_t standard;
    bool interlace_allowed;
    uint16_t index_port;
    uint8_t index, mask, stale;  // the register's masked bits are set to `stale`
    const char* cause;
  };
  const Case cases[] = {
      // The driver's 640x480 high bits: total 523 (2), display end 479 (1).
      {"intel-i740", 640, 480, vsPAL, false, 0x3D4, 0x30, 0x0F, 0x02,
       "CR30-CR33 not written: vertical bits 8-11 stale (CR30 disagree with CR07)"},
      {"intel-i740", 640, 480, vsPAL, false, 0x3D4, 0x31, 0x0F, 0x01,
       "CR30-CR33 not written: vertical bits 8-11 stale (CR31 disagree with CR07)"},
      // The sync end's bit 4 in SR0A bit 6 instead of bit 5.
      {"sis-300", 640, 480, vsNTSC, true, 0x3C4, 0x0A, 0x60, 0x40,
       "SR0A bit 6 set, bit 5 clear: vertical sync end bit 4 missing"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.card) + " " + c.cause);
    virt::VirtualPc pc(virt::MakeCard(c.card));
    ASSERT_TRUE(virt::SetDesktopMode(pc.card(), c.width, c.height));
    ApplyStandardAs(pc, pc.card().family(), pc.card().model(), c.standard, c.interlace_allowed);
    const auto data_port = static_cast<uint16_t>(c.index_port + 1);
    pc.OutByte(c.index_port, c.index);
    const uint8_t value = pc.InByte(data_port);
    ASSERT_NE(value & c.mask, c.stale) << "the engine wrote other bits";
    pc.OutByte(data_port, static_cast<uint8_t>((value & ~c.mask) | c.stale));
    const virt::Signal& s = pc.card().signal();
    EXPECT_EQ(virt::ClockMissCause(pc.card(), s, TargetOf(c.standard).line_hz), c.cause);
    EXPECT_LT(Deviation(s.line_rate_hz, TargetOf(c.standard).line_hz), 0.01);
    EXPECT_TRUE(Deviation(s.field_rate_hz, TargetOf(c.standard).field_hz) > 0.01 ||
                !s.contradictions.empty())
        << s.field_rate_hz << " Hz fields";
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
