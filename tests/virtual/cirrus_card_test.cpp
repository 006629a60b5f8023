// The Cirrus GD5434 card: the SR06 key and what it gates, the identification the register
// probes read, VCLK0-3 and the pixel-mode divider, interlace and offset bits, the driver's
// clocks, the engine's VCLK3 step, and the engine applied with the wrong family.

#include <gtest/gtest.h>

#include <string>

#include "engine/chip_codes.h"
#include "engine/engine_port.h"
#include "engine/engine_state.h"
#include "engine/readout.h"
#include "engine/register_access.h"
#include "engine/standards.h"
#include "engine/unlock.h"
#include "platform/virtual/cards/cirrus_card.h"
#include "virtual_test_util.h"

namespace zanvo::virt::testing {
namespace {

constexpr uint16_t kSeq = 0x3C4;
constexpr uint16_t kCrtc = 0x3D4;
constexpr double kRef = 14'318'180.0;

std::unique_ptr<VirtualPc> CirrusWithMode(uint16_t width = 640, uint16_t height = 480) {
  auto pc = std::make_unique<VirtualPc>(MakeCard("cirrus-gd5434"));
  EXPECT_TRUE(SetDesktopMode(pc->card(), width, height));
  return pc;
}

struct KeyCase {
  uint8_t written;
  uint8_t reads;
  bool open;
};

TEST(CirrusCard, Sr06KeyReadsBackAndGatesTheExtensions) {
  const KeyCase cases[] = {
      {0x12, 0x12, true}, {0x00, 0x0F, false}, {0x32, 0x12, true},  {0x1A, 0x12, true},
      {0x92, 0x12, true}, {0x16, 0x0F, false}, {0x13, 0x0F, false}, {0x02, 0x0F, false},
  };
  for (const KeyCase& c : cases) {
    SCOPED_TRACE("SR06 := " + Hex(c.written));
    auto pc = CirrusWithMode();
    engine::BindPort(*pc);
    WriteReg(*pc, kSeq, 0x06, c.written);
    EXPECT_EQ(Hex(ReadReg(*pc, kSeq, 0x06)), Hex(c.reads));
    EXPECT_EQ(engine::TestIndexedBits(kSeq, 0x1E, 0x3F), c.open);
    EXPECT_EQ(engine::TestIndexedBits(kCrtc, 0x1A, 0x01), c.open);
    EXPECT_EQ(engine::TestIndexedBits(kCrtc, 0x19, 0xFF), c.open);
    EXPECT_EQ(Hex(ReadReg(*pc, kSeq, 0x0B)), Hex(c.open ? 0x4A : 0xFF));  // VCLK0 numerator
    EXPECT_EQ(Hex(ReadReg(*pc, kCrtc, 0x27)), Hex(c.open ? kGD5434ChipId : 0xFF));
    // The chip id stays whatever is written.
    WriteReg(*pc, kCrtc, 0x27, 0x00);
    EXPECT_EQ(Hex(pc->card().Stored(RegFile::kCrtc, 0x27)), Hex(kGD5434ChipId));
    engine::UnbindPort();
  }
}

TEST(CirrusCard, ProbesBeforeCirrusPassItOnAndTheCirrusProbeClaimsIt) {
  auto pc = CirrusWithMode();
  engine::Eng = engine::EngineState{};
  engine::BindPort(*pc);
  engine::SelectCrtcPort();
  EXPECT_FALSE(engine::TestIndexedBits(0x3DE, 0x0D, 0x38));  // no Oak index port
  WriteReg(*pc, kSeq, 0x0B, 0x00);
  const uint8_t version = ReadReg(*pc, kSeq, 0x0B);
  WriteReg(*pc, kSeq, 0x0E, 0x00);
  EXPECT_NE(ReadReg(*pc, kSeq, 0x0E) & 0x0F, 2);  // not a new-mode Trident
  EXPECT_NE(version, 1);                          // not an old-mode Trident
  WriteReg(*pc, kSeq, 0x06, 0x00);
  EXPECT_EQ(Hex(ReadReg(*pc, kSeq, 0x06)), Hex(0x0F));
  WriteReg(*pc, kSeq, 0x06, 0x12);
  EXPECT_EQ(ReadReg(*pc, kSeq, 0x06) & 0x07, 2);
  EXPECT_TRUE(engine::TestIndexedBits(kSeq, 0x1E, 0x3F));
  EXPECT_EQ(pc->card().family(), engine::cfCirrus);
  EXPECT_EQ(pc->card().model(), 0);
  engine::UnbindPort();
}

TEST(CirrusCard, EngineUnlockOpensTheExtensions) {
  struct Reg {
    uint16_t port;
    uint8_t index, mask;
  };
  const Reg regs[] = {{kSeq, 0x07, 0x0F},  {kSeq, 0x0E, 0x7F},  {kSeq, 0x1E, 0xFF},
                      {kCrtc, 0x19, 0xFF}, {kCrtc, 0x1A, 0x01}, {kCrtc, 0x1B, 0x10}};
  auto pc = CirrusWithMode();
  engine::Eng = engine::EngineState{};
  engine::BindPort(*pc);
  engine::SelectCrtcPort();
  for (const Reg& r : regs) {
    EXPECT_FALSE(engine::TestIndexedBits(r.port, r.index, r.mask))
        << "locked after the mode set: " << Hex(r.port) << " " << Hex(r.index);
  }
  engine::Eng.ChipFamily = engine::cfCirrus;
  engine::UnlockExtRegs();
  for (const Reg& r : regs) {
    EXPECT_TRUE(engine::TestIndexedBits(r.port, r.index, r.mask))
        << "after the unlock: " << Hex(r.port) << " " << Hex(r.index);
  }
  engine::UnbindPort();
}

struct VclkCase {
  uint8_t select;
  uint8_t numerator, denominator;  // 0, 0 = the reset values
  uint8_t sr07;
  double hz;  // 0 = no clock
};

TEST(CirrusCard, VclkRegistersAndPixelModeDivider) {
  const VclkCase cases[] = {
      {0, 0, 0, 0x01, kRef * 74 / 21 / 2},   // reset VCLK0 4A/2B
      {1, 0, 0, 0x01, kRef * 91 / 23 / 2},   // reset VCLK1 5B/2F
      {2, 0, 0, 0x01, kRef * 69 / 24},       // reset VCLK2 45/30, no post-divide
      {3, 0, 0, 0x01, kRef * 126 / 25 / 2},  // reset VCLK3 7E/33
      {3, 0x2D, 0x2F, 0x01, kRef * 45 / 23 / 2},
      {3, 0x71, 0x27, 0x01, kRef * 113 / 19 / 2},
      {3, 0x42, 0x00, 0x01, 0},
      {1, 0, 0, 0x03, kRef * 91 / 23 / 2 / 2},  // 16-bit, two clocks per pixel
      {1, 0, 0, 0x05, kRef * 91 / 23 / 2 / 3},  // 24-bit
      {1, 0, 0, 0x07, kRef * 91 / 23 / 2},      // 16-bit at the pixel clock
      {1, 0, 0, 0x09, kRef * 91 / 23 / 2 / 4},  // 32-bit
  };
  for (const VclkCase& c : cases) {
    SCOPED_TRACE("VCLK" + std::to_string(c.select) + " " + Hex(c.numerator) + "/" +
                 Hex(c.denominator) + " SR07 " + Hex(c.sr07));
    auto pc = CirrusWithMode();
    WriteReg(*pc, kSeq, 0x06, 0x12);
    if (c.numerator != 0 || c.denominator != 0) {
      WriteReg(*pc, kSeq, static_cast<uint8_t>(0x0B + c.select), c.numerator);
      WriteReg(*pc, kSeq, static_cast<uint8_t>(0x1B + c.select), c.denominator);
    }
    WriteReg(*pc, kSeq, 0x07, c.sr07);
    pc->OutByte(0x3C2, static_cast<uint8_t>((pc->card().PeekMisc() & 0xF3) | (c.select << 2)));
    const Signal& s = pc->card().signal();
    if (c.hz == 0) {
      EXPECT_FALSE(s.crtc.clock_defined);
    } else {
      EXPECT_NEAR(s.pixel_clock_hz, c.hz, 1.0);
    }
  }
}

TEST(CirrusCard, InterlaceAndOffsetBitsOnlyWhileOpen) {
  struct Case {
    uint8_t key, index, value;
    bool interlaced;
    int offset_delta;
  };
  const Case cases[] = {
      {0x12, 0x1A, 0x01, true, 0},
      {0x00, 0x1A, 0x01, false, 0},
      {0x12, 0x1B, 0x12, false, 256},
      {0x00, 0x1B, 0x12, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("SR06 " + Hex(c.key) + " CR" + Hex(c.index) + " := " + Hex(c.value));
    auto pc = CirrusWithMode();
    const int offset = pc->card().ExtractTiming().offset;
    WriteReg(*pc, kSeq, 0x06, c.key);
    WriteReg(*pc, kCrtc, c.index, c.value);
    EXPECT_EQ(pc->card().signal().interlaced, c.interlaced);
    EXPECT_EQ(pc->card().ExtractTiming().offset - offset, c.offset_delta);
  }
}

TEST(CirrusCard, DriverUsesVclk3WhereTheResetClocksDoNotFit) {
  struct Case {
    DesktopMode mode;
    int select;
  };
  const Case cases[] = {
      {{640, 480}, 0}, {{720, 400}, 1}, {{800, 600}, 3}, {{1024, 768}, 3}, {{1152, 864}, 3}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.mode.width) + "x" + std::to_string(c.mode.height));
    auto pc = CirrusWithMode(c.mode.width, c.mode.height);
    const Signal& s = pc->card().signal();
    EXPECT_EQ((pc->card().PeekMisc() >> 2) & 3, c.select);
    EXPECT_TRUE(s.contradictions.empty()) << s.contradictions.front();
    if (c.select == 3) {
      EXPECT_NEAR(s.field_rate_hz, 60.0, 0.3);
    }
    EXPECT_EQ(Hex(ReadReg(*pc, kSeq, 0x06)), Hex(0x0F));  // left locked
  }
}

// The extra clock step by SR07's divider field: 8-bit takes VCLK1's numerator halved, 24-bit
// a fixed 42.6 MHz pair (divided by three), 16-bit at twice the pixel clock keeps VCLK1 / 2.
TEST(CirrusCard, EngineClockStepFollowsThePixelMode) {
  struct Case {
    uint8_t sr07;
    uint8_t sr0e, sr1e;
    int select;
    double hz;
  };
  const Case cases[] = {
      {0x01, 0x2D, 0x2F, 3, kRef * 45 / 23 / 2},
      {0x05, 0x71, 0x27, 3, kRef * 113 / 19 / 2 / 3},
      {0x03, 0x7E, 0x33, 1, kRef * 91 / 23 / 2 / 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("SR07 " + Hex(c.sr07));
    auto pc = CirrusWithMode();
    WriteReg(*pc, kSeq, 0x06, 0x12);
    WriteReg(*pc, kSeq, 0x07, c.sr07);
    engine::Eng = engine::EngineState{};
    engine::BindPort(*pc);
    engine::Eng.ChipFamily = engine::cfCirrus;
    engine::SetStandard(engine::vsPAL);
    engine::LoadStandardTables(engine::vsPAL);
    engine::ApplyStandard();
    engine::UnbindPort();
    EXPECT_EQ(Hex(pc->card().Stored(RegFile::kSequencer, 0x0E)), Hex(c.sr0e));
    EXPECT_EQ(Hex(pc->card().Stored(RegFile::kSequencer, 0x1E)), Hex(c.sr1e));
    EXPECT_EQ((pc->card().PeekMisc() >> 2) & 3, c.select);
    EXPECT_NEAR(pc->card().signal().pixel_clock_hz, c.hz, 1.0);
  }
}

TEST(CirrusCard, WrongFamilyNeitherCrashesNorHangs) {
  const uint8_t families[] = {0, 1, 2, 3, 5, 7, 8, 9, 12, 13, 14, 20, 60};
  for (uint8_t family : families) {
    SCOPED_TRACE("as family " + std::to_string(family));
    auto pc = CirrusWithMode(800, 600);
    engine::Eng = engine::EngineState{};
    engine::BindPort(*pc);
    engine::Eng.ChipFamily = family;
    engine::SetStandard(engine::vsPAL);
    engine::LoadStandardTables(engine::vsPAL);
    engine::ApplyStandard();
    engine::ScanTexts texts{};
    engine::MeasureScanFrequencies(texts);
    engine::UnbindPort();
    EXPECT_EQ(Hex(pc->card().Stored(RegFile::kCrtc, 0x27)), Hex(kGD5434ChipId));
    WriteReg(*pc, kSeq, 0x06, 0x12);
    EXPECT_EQ(Hex(ReadReg(*pc, kSeq, 0x06)), Hex(0x12));
  }
}

}  // namespace
}  // namespace zanvo::virt::testing
