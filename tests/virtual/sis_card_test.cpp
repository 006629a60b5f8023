// SiS 6326 and SiS 300: the SR05 key, what the detection probes see, the programmable clock,
// interlace and the SiS 300 overflow bits.

#include <gtest/gtest.h>

#include "platform/virtual/cards/sis_card.h"
#include "virtual_test_util.h"

namespace zanvo::virt::testing {
namespace {

constexpr uint16_t kSeq = 0x3C4;

std::unique_ptr<VirtualPc> SisWithMode(const char* name, uint16_t width, uint16_t height) {
  auto pc = std::make_unique<VirtualPc>(MakeCard(name));
  EXPECT_TRUE(SetDesktopMode(pc->card(), width, height)) << name;
  return pc;
}

struct KeyCase {
  const char* name;
  uint8_t key;   // written to SR05
  uint8_t sr05;  // SR05 read back
  uint8_t sr06;  // SR06 after writing 0x25 to it
};

// 0x86 opens SR06 and up; any other value closes them, and a closed register floats.
TEST(SisCard, Sr05KeyGatesTheExtendedRegisters) {
  const KeyCase kCases[] = {
      {"unlock", 0x86, 0xA1, 0x25},
      {"other_value_locks", 0x87, 0x21, 0xFF},
      {"zero_locks", 0x00, 0x21, 0xFF},
      {"key_with_high_bit_off", 0x06, 0x21, 0xFF},
  };
  for (const char* card : {"sis-6326", "sis-300"}) {
    for (const KeyCase& c : kCases) {
      SCOPED_TRACE(std::string(card) + " " + c.name);
      VirtualPc pc(MakeCard(card));
      WriteReg(pc, kSeq, 0x05, 0x86);
      WriteReg(pc, kSeq, 0x06, 0x00);
      WriteReg(pc, kSeq, 0x05, c.key);
      EXPECT_EQ(Hex(ReadReg(pc, kSeq, 0x05)), Hex(c.sr05));
      WriteReg(pc, kSeq, 0x06, 0x25);
      EXPECT_EQ(Hex(ReadReg(pc, kSeq, 0x06)), Hex(c.sr06));
    }
  }
}

// What the register probes of other chips find: no Oak index port, a Trident SR0E that does
// not invert bit 1, and an SR06 that does not answer like a Cirrus (0x0F after writing 0).
TEST(SisCard, OtherChipsProbesFindNothing) {
  for (const char* card : {"sis-6326", "sis-300"}) {
    for (const bool unlocked : {false, true}) {
      SCOPED_TRACE(std::string(card) + (unlocked ? " unlocked" : " locked"));
      VirtualPc pc(MakeCard(card));
      WriteReg(pc, kSeq, 0x05, unlocked ? 0x86 : 0x00);
      pc.OutByte(0x3DE, 0x0D);
      EXPECT_EQ(Hex(pc.InByte(0x3DF)), Hex(0xFF));
      WriteReg(pc, kSeq, 0x0E, 0x00);
      EXPECT_NE(Hex(ReadReg(pc, kSeq, 0x0E) & 0x0F), Hex(0x02));
      WriteReg(pc, kSeq, 0x06, 0x00);
      EXPECT_NE(Hex(ReadReg(pc, kSeq, 0x06)), Hex(0x0F));
      WriteReg(pc, 0x3D4, 0x38, 0x48);
      EXPECT_EQ(Hex(ReadReg(pc, 0x3D4, 0x35)), Hex(0xFF)) << "no S3 CR35";
    }
  }
}

TEST(SisCard, ShowsItselfOnPci) {
  struct Row {
    const char* card;
    uint16_t device, model;
  };
  for (const Row& r : {Row{"sis-6326", 0x6326, 0x6326}, Row{"sis-300", 0x6300, 0x0300}}) {
    SCOPED_TRACE(r.card);
    auto card = MakeCard(r.card);
    EXPECT_TRUE(card->pci_identity().present);
    EXPECT_EQ(Hex(card->pci_identity().vendor), Hex(0x1039));
    EXPECT_EQ(Hex(card->pci_identity().device), Hex(r.device));
    EXPECT_EQ(Hex(card->pci_identity().class_code), Hex(0x0300));
    EXPECT_EQ(Hex(card->model()), Hex(r.model));
    EXPECT_EQ(card->family(), 14);
  }
}

struct ClockCase {
  const char* card;
  uint8_t regs[4];  // SR2A..SR2D, written in order
  double mhz;
};

// f = 14.318 MHz x num x (bit 7 of the numerator: x2) / (den x post x (bit 7: x2)).
TEST(SisCard, ProgrammableClock) {
  const ClockCase kCases[] = {
      // SR2B 0xA6: numerator 39, doubled; SR2C 0x3A: denominator 27, post 2. Loaded by SR2D.
      {"sis-300", {0x00, 0xA6, 0x3A, 0x80}, 20.681},
      {"sis-300", {0x00, 0x26, 0x3A, 0x80}, 10.340},
      {"sis-300", {0x00, 0x26, 0xBA, 0x80}, 5.170},
      // 6326: SR2A numerator 39 doubled, SR2B denominator 7, post 2: at once.
      {"sis-6326", {0xA6, 0x26, 0x00, 0x00}, 79.773},
      {"sis-6326", {0x26, 0x26, 0x00, 0x00}, 39.886},
  };
  for (const ClockCase& c : kCases) {
    SCOPED_TRACE(std::string(c.card) + " " + Hex(c.regs[0]) + " " + Hex(c.regs[1]) + " " +
                 Hex(c.regs[2]));
    VirtualPc pc(MakeCard(c.card));
    WriteReg(pc, kSeq, 0x05, 0x86);
    for (int i = 0; i < 4; ++i)
      WriteReg(pc, kSeq, static_cast<uint8_t>(0x2A + i), c.regs[i]);
    const auto& sis = static_cast<const SisCard&>(pc.card());
    EXPECT_NEAR(sis.ProgrammableClockHz() / 1e6, c.mhz, 0.001);
  }
}

// On the SiS 300 new dividers wait for the SR2D load.
TEST(SisCard, Sis300DividersWaitForTheLoad) {
  VirtualPc pc(MakeCard("sis-300"));
  WriteReg(pc, kSeq, 0x05, 0x86);
  const auto& sis = static_cast<const SisCard&>(pc.card());
  const double before = sis.ProgrammableClockHz();
  WriteReg(pc, kSeq, 0x2B, 0xA6);
  WriteReg(pc, kSeq, 0x2C, 0x3A);
  EXPECT_DOUBLE_EQ(sis.ProgrammableClockHz(), before);
  WriteReg(pc, kSeq, 0x2D, 0x80);
  EXPECT_NEAR(sis.ProgrammableClockHz() / 1e6, 20.681, 0.001);
}

// The driver's 800x600 runs on clock 3 near 40 MHz and leaves the registers locked.
TEST(SisCard, DriverModesUseClock3AndRelock) {
  for (const char* card : {"sis-6326", "sis-300"}) {
    SCOPED_TRACE(card);
    auto pc = SisWithMode(card, 800, 600);
    const Signal& s = pc->card().signal();
    EXPECT_EQ(s.crtc.clock_select, 3);
    EXPECT_NEAR(s.field_rate_hz, 60.0, 0.3);
    EXPECT_TRUE(s.contradictions.empty()) << s.contradictions.front();
    EXPECT_EQ(Hex(ReadReg(*pc, kSeq, 0x05)), Hex(0x21));
  }
}

// SR06 bit 5: interlace with field-counted vertical values, half a line added per field.
TEST(SisCard, InterlaceBit) {
  auto pc = SisWithMode("sis-6326", 640, 480);
  const double lines = pc->card().signal().lines_per_field;
  WriteReg(*pc, kSeq, 0x05, 0x86);
  WriteReg(*pc, kSeq, 0x06, 0x20);
  EXPECT_TRUE(pc->card().signal().interlaced);
  EXPECT_DOUBLE_EQ(pc->card().signal().lines_per_field, lines + 0.5);
}

struct OverflowCase {
  const char* card;
  uint8_t sr0a, sr0c;
  int h_blank_end, h_sync_end, v_blank_end, v_sync_end;  // added to the standard values
};

// SiS 300: SR0C bits 0-1 blank end bits 6-7, bit 2 sync end bit 5; SR0A bit 4 vertical blank
// end bit 8, bit 5 vertical sync end bit 4. The 6326 has none of them.
TEST(SisCard, Sis300OverflowBits) {
  const OverflowCase kCases[] = {
      {"sis-300", 0x10, 0x00, 0, 0, 0x100, 0}, {"sis-300", 0x20, 0x00, 0, 0, 0, 0x10},
      {"sis-300", 0x40, 0x00, 0, 0, 0, 0},  // bit 6 carries nothing
      {"sis-300", 0x00, 0x03, 0xC0, 0, 0, 0},  {"sis-300", 0x00, 0x04, 0, 0x20, 0, 0},
      {"sis-6326", 0x30, 0x07, 0, 0, 0, 0},
  };
  for (const OverflowCase& c : kCases) {
    SCOPED_TRACE(std::string(c.card) + " SR0A " + Hex(c.sr0a) + " SR0C " + Hex(c.sr0c));
    VirtualPc pc(MakeCard(c.card));
    WriteReg(pc, kSeq, 0x05, 0x86);
    WriteReg(pc, kSeq, 0x0A, 0x00);
    WriteReg(pc, kSeq, 0x0C, 0x00);
    const CrtcTiming base = pc.card().ExtractTiming();
    WriteReg(pc, kSeq, 0x0A, c.sr0a);
    WriteReg(pc, kSeq, 0x0C, c.sr0c);
    const CrtcTiming t = pc.card().ExtractTiming();
    EXPECT_EQ(Hex(t.h_blank_end - base.h_blank_end), Hex(c.h_blank_end));
    EXPECT_EQ(Hex(t.h_sync_end - base.h_sync_end), Hex(c.h_sync_end));
    EXPECT_EQ(Hex(t.v_blank_end - base.v_blank_end), Hex(c.v_blank_end));
    EXPECT_EQ(Hex(t.v_sync_end - base.v_sync_end), Hex(c.v_sync_end));
  }
}

}  // namespace
}  // namespace zanvo::virt::testing
