// The S3 cards: the three keys, the identification the register probes read, the DCLK PLL and
// SR15 halving, the interlace, overflow and offset extension bits, the driver's clocks, and
// the engine applied with the wrong family.

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "engine/chip_codes.h"
#include "engine/engine_port.h"
#include "engine/engine_state.h"
#include "engine/readout.h"
#include "engine/register_access.h"
#include "engine/standards.h"
#include "engine/unlock.h"
#include "platform/virtual/cards/s3_card.h"
#include "virtual_test_util.h"

namespace zanvo::virt::testing {
namespace {

constexpr uint16_t kSeq = 0x3C4;
constexpr uint16_t kCrtc = 0x3D4;

std::unique_ptr<VirtualPc> S3WithMode(const char* card, uint16_t width = 640,
                                      uint16_t height = 480) {
  auto pc = std::make_unique<VirtualPc>(MakeCard(card));
  EXPECT_TRUE(SetDesktopMode(pc->card(), width, height)) << card;
  return pc;
}

void SetKeys(PortIo& io, uint8_t sr08, uint8_t cr38, uint8_t cr39) {
  WriteReg(io, kSeq, 0x08, sr08);
  WriteReg(io, kCrtc, 0x38, cr38);
  WriteReg(io, kCrtc, 0x39, cr39);
}

struct LockCase {
  const char* what;
  uint8_t sr08, cr38, cr39;
  uint16_t index_port;
  uint8_t index, value;
  bool written;
};

TEST(S3Card, KeysGateTheExtendedRegisters) {
  const LockCase cases[] = {
      {"CR35 with CR38 closed", 0x00, 0x00, 0x00, kCrtc, 0x35, 0x0F, false},
      {"CR35 with CR38 = 0x48", 0x00, 0x48, 0x00, kCrtc, 0x35, 0x0F, true},
      {"CR35 with CR38 = 0x78 (bits 5-4 free)", 0x00, 0x78, 0x00, kCrtc, 0x35, 0x0F, true},
      {"CR35 with CR38 = 0x4C", 0x00, 0x4C, 0x00, kCrtc, 0x35, 0x0F, false},
      {"CR3C with CR38 closed", 0x00, 0x00, 0xA5, kCrtc, 0x3C, 0x33, false},
      {"CR42 with CR39 closed", 0x00, 0x48, 0x00, kCrtc, 0x42, 0x20, false},
      {"CR42 with CR39 = 0xA5", 0x00, 0x00, 0xA5, kCrtc, 0x42, 0x20, true},
      {"CR51 with CR39 = 0x5A", 0x00, 0x48, 0x5A, kCrtc, 0x51, 0x30, false},
      {"CR67 with CR39 = 0xA0", 0x00, 0x00, 0xA0, kCrtc, 0x67, 0x50, true},
      {"SR12 with SR08 closed", 0x00, 0x48, 0xA5, kSeq, 0x12, 0x55, false},
      {"SR12 with SR08 = 0x06", 0x06, 0x00, 0x00, kSeq, 0x12, 0x55, true},
      {"SR15 with SR08 = 0x07", 0x07, 0x48, 0xA5, kSeq, 0x15, 0x10, false},
      {"CR30 is read-only", 0x06, 0x48, 0xA5, kCrtc, 0x30, 0x00, false},
      {"CR2E is read-only", 0x06, 0x48, 0xA5, kCrtc, 0x2E, 0x00, false},
  };
  for (const LockCase& c : cases) {
    SCOPED_TRACE(c.what);
    auto pc = S3WithMode("s3-trio64");
    SetKeys(*pc, c.sr08, c.cr38, c.cr39);
    const uint8_t before = ReadReg(*pc, c.index_port, c.index);
    ASSERT_NE(before, c.value);
    WriteReg(*pc, c.index_port, c.index, c.value);
    EXPECT_EQ(Hex(ReadReg(*pc, c.index_port, c.index)), Hex(c.written ? c.value : before));
  }
}

struct ProbeCase {
  const char* what;
  std::unique_ptr<VgaCard> (*make)();
  uint8_t cr30;
  uint16_t model;
};

TEST(S3Card, ProbesSeeAnS3AndNothingElse) {
  const ProbeCase cases[] = {
      {"Trio64", [] { return MakeCard("s3-trio64"); }, 0xE1, 0x11},
      {"Vision864", [] { return MakeCard("s3-vision864"); }, 0xC0, 0xC0},
      {"Vision864P",
       []() -> std::unique_ptr<VgaCard> {
         return std::make_unique<S3Card>(S3Chip{"s3-vision864p", 0xC1, 0xC1, 0, 0, false});
       },
       0xC1, 0xC1},
  };
  for (const ProbeCase& c : cases) {
    SCOPED_TRACE(c.what);
    VirtualPc pc(c.make());
    ASSERT_TRUE(SetDesktopMode(pc.card(), 640, 480));
    engine::Eng = engine::EngineState{};
    engine::BindPort(pc);
    engine::SelectCrtcPort();
    // Oak: its extended index port does not answer.
    EXPECT_FALSE(engine::TestIndexedBits(0x3DE, 0x0D, 0x38));
    // Trident: SR0E does not read back 2 after writing 0.
    WriteReg(pc, kSeq, 0x0B, 0x00);
    WriteReg(pc, kSeq, 0x0E, 0x00);
    EXPECT_NE(ReadReg(pc, kSeq, 0x0E) & 0x0F, 2);
    // Cirrus: SR06 is no key.
    WriteReg(pc, kSeq, 0x06, 0x00);
    EXPECT_NE(Hex(ReadReg(pc, kSeq, 0x06)), Hex(0x0F));
    // S3: CR35's bank bits move only with CR38 open.
    WriteReg(pc, kCrtc, 0x38, 0x00);
    EXPECT_FALSE(engine::TestIndexedBits(kCrtc, 0x35, 0x0F));
    WriteReg(pc, kCrtc, 0x38, 0x48);
    EXPECT_TRUE(engine::TestIndexedBits(kCrtc, 0x35, 0x0F));
    const uint8_t id = ReadReg(pc, kCrtc, 0x30);
    EXPECT_EQ(Hex(id), Hex(c.cr30));
    const uint8_t model = id == 0xE0 || id == 0xE1 ? ReadReg(pc, kCrtc, 0x2E) : id;
    EXPECT_EQ(Hex(model), Hex(c.model));
    EXPECT_EQ(Hex(pc.card().model()), Hex(c.model));
    engine::UnbindPort();
  }
}

TEST(S3Card, EngineUnlockOpensEveryKey) {
  struct Reg {
    uint16_t port;
    uint8_t index, mask;
  };
  const Reg regs[] = {{kSeq, 0x12, 0x7F},  {kSeq, 0x15, 0x10},  {kCrtc, 0x35, 0x0F},
                      {kCrtc, 0x3C, 0xFF}, {kCrtc, 0x42, 0x20}, {kCrtc, 0x51, 0x30},
                      {kCrtc, 0x5D, 0x3F}, {kCrtc, 0x67, 0xF0}};
  for (const char* card : {"s3-trio64", "s3-vision864"}) {
    auto pc = S3WithMode(card);
    engine::Eng = engine::EngineState{};
    engine::BindPort(*pc);
    engine::SelectCrtcPort();
    for (const Reg& r : regs) {
      EXPECT_FALSE(engine::TestIndexedBits(r.port, r.index, r.mask))
          << card << " locked after the mode set: " << Hex(r.port) << " " << Hex(r.index);
    }
    engine::Eng.ChipFamily = engine::cfS3;
    engine::UnlockExtRegs();
    for (const Reg& r : regs) {
      EXPECT_TRUE(engine::TestIndexedBits(r.port, r.index, r.mask))
          << card << " after the unlock: " << Hex(r.port) << " " << Hex(r.index);
    }
    engine::UnbindPort();
  }
}

struct ClockCase {
  const char* card;
  uint8_t sr12, sr13, sr15, select;
  double hz;  // expected pixel clock; 0 = no clock
};

TEST(S3Card, ClockSelectPllAndHalving) {
  const ClockCase cases[] = {
      {"s3-trio64", 0x00, 0x00, 0x00, 3, 14'318'180.0 * 2 / 2},          // M+2 = 2, N+2 = 2
      {"s3-trio64", 0x2C, 0x2D, 0x00, 3, 14'318'180.0 * 47 / (14 * 2)},  // R = 1
      {"s3-trio64", 0x41, 0x7F, 0x00, 3, 14'318'180.0 * 129 / (3 * 4)},  // R = 2
      {"s3-trio64", 0x41, 0x7F, 0x10, 3, 14'318'180.0 * 129 / (3 * 4) / 2},
      {"s3-trio64", 0x00, 0x00, 0x10, 1, 28'322'000.0 / 2},
      {"s3-trio64", 0x00, 0x00, 0x00, 0, 25'175'000.0},
      {"s3-trio64", 0x00, 0x00, 0x00, 2, 0},
      {"s3-vision864", 0x00, 0x00, 0x10, 1, 28'322'000.0},  // no SR15 divider
      {"s3-vision864", 0x2C, 0x2D, 0x00, 3, 14'318'180.0 * 47 / (14 * 2)},
  };
  for (const ClockCase& c : cases) {
    SCOPED_TRACE(std::string(c.card) + " SR12 " + Hex(c.sr12) + " SR13 " + Hex(c.sr13) + " SR15 " +
                 Hex(c.sr15) + " select " + std::to_string(c.select));
    auto pc = S3WithMode(c.card);
    SetKeys(*pc, 0x06, 0x48, 0xA5);
    WriteReg(*pc, kSeq, 0x12, c.sr12);
    WriteReg(*pc, kSeq, 0x13, c.sr13);
    WriteReg(*pc, kSeq, 0x15, c.sr15);
    pc->OutByte(0x3C2, static_cast<uint8_t>((pc->card().PeekMisc() & 0xF3) | (c.select << 2)));
    const Signal& s = pc->card().signal();
    if (c.hz == 0) {
      EXPECT_FALSE(s.crtc.clock_defined);
    } else {
      EXPECT_NEAR(s.pixel_clock_hz, c.hz, 1.0);
    }
  }
}

struct ExtensionCase {
  const char* card;
  uint8_t index, value;
  uint8_t index2, value2;  // a second register, or index 0 for none
  int (*get)(const CrtcTiming&);
  int delta;  // change from the driver's mode
};

TEST(S3Card, ExtensionBitsReachTheTiming) {
  const auto h_total = [](const CrtcTiming& t) { return t.h_total; };
  const auto h_sync = [](const CrtcTiming& t) { return t.h_sync_start; };
  const auto v_total = [](const CrtcTiming& t) { return t.v_total; };
  const auto offset = [](const CrtcTiming& t) { return t.offset; };
  const auto interlaced = [](const CrtcTiming& t) { return int{t.interlaced}; };
  const auto units = [](const CrtcTiming& t) { return t.h_units_per_char; };
  const ExtensionCase cases[] = {
      {"s3-trio64", 0x42, 0x20, 0, 0, interlaced, 1},
      {"s3-vision864", 0x42, 0x20, 0, 0, interlaced, 1},
      {"s3-trio64", 0x5D, 0x01, 0, 0, h_total, 256},
      {"s3-trio64", 0x5D, 0x10, 0, 0, h_sync, 256},
      {"s3-trio64", 0x5E, 0x01, 0, 0, v_total, 1024},
      {"s3-trio64", 0x51, 0x10, 0, 0, offset, 256},
      {"s3-trio64", 0x51, 0x30, 0, 0, offset, 768},
      {"s3-trio64", 0x43, 0x04, 0, 0, offset, 256},
      {"s3-trio64", 0x51, 0x20, 0x43, 0x04, offset, 512},  // CR43 counts only when CR51 is 0
      {"s3-trio64", 0x67, 0x50, 0, 0, units, 1},
      {"s3-vision864", 0x67, 0x50, 0, 0, units, 0},
  };
  for (const ExtensionCase& c : cases) {
    SCOPED_TRACE(std::string(c.card) + " CR" + Hex(c.index) + " = " + Hex(c.value));
    auto pc = S3WithMode(c.card);
    const int before = c.get(pc->card().ExtractTiming());
    SetKeys(*pc, 0x06, 0x48, 0xA5);
    WriteReg(*pc, kCrtc, c.index, c.value);
    if (c.index2 != 0) WriteReg(*pc, kCrtc, c.index2, c.value2);
    EXPECT_EQ(c.get(pc->card().ExtractTiming()) - before, c.delta);
  }
}

TEST(S3Card, DriverUsesThePllForLargerModesAndRelocks) {
  const DesktopMode modes[] = {{800, 600}, {1024, 768}, {1280, 1024}};
  for (const char* card : {"s3-trio64", "s3-vision864"}) {
    for (const DesktopMode& mode : modes) {
      SCOPED_TRACE(std::string(card) + " " + std::to_string(mode.width));
      auto pc = S3WithMode(card, mode.width, mode.height);
      const Signal& s = pc->card().signal();
      EXPECT_EQ((pc->card().PeekMisc() >> 2) & 3, 3);
      EXPECT_NEAR(s.field_rate_hz, 60.0, 0.3);
      EXPECT_TRUE(s.contradictions.empty()) << s.contradictions.front();
      // The BIOS leaves the keys closed: SR12 and CR42 ignore writes.
      WriteReg(*pc, kSeq, 0x12, 0x00);
      WriteReg(*pc, kCrtc, 0x42, 0x20);
      EXPECT_FALSE(pc->card().signal().interlaced);
      EXPECT_NE(Hex(ReadReg(*pc, kSeq, 0x12)), Hex(0x00));
    }
  }
}

TEST(S3Card, WrongFamilyNeitherCrashesNorHangs) {
  const uint8_t families[] = {0, 1, 2, 4, 5, 7, 8, 9, 12, 13, 14, 20, 60};
  for (const char* card : {"s3-trio64", "s3-vision864"}) {
    for (uint8_t family : families) {
      SCOPED_TRACE(std::string(card) + " as family " + std::to_string(family));
      auto pc = S3WithMode(card, 800, 600);
      const uint8_t id = pc->card().Stored(RegFile::kCrtc, 0x30);
      engine::Eng = engine::EngineState{};
      engine::BindPort(*pc);
      engine::Eng.ChipFamily = family;
      engine::SetStandard(engine::vsPAL);
      engine::LoadStandardTables(engine::vsPAL);
      engine::ApplyStandard();
      engine::ScanTexts texts{};
      engine::MeasureScanFrequencies(texts);
      engine::UnbindPort();
      EXPECT_EQ(Hex(pc->card().Stored(RegFile::kCrtc, 0x30)), Hex(id));
      EXPECT_EQ(Hex(ReadReg(*pc, kCrtc, 0x30)), Hex(id));
    }
  }
}

}  // namespace
}  // namespace zanvo::virt::testing
