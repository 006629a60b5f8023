// The VGA register file as the CPU sees it through the ports.

#include <gtest/gtest.h>

#include <vector>

#include "virtual_test_util.h"

namespace zanvo::virt {
namespace {

using testing::Hex;
using testing::PcWithMode;
using testing::ReadReg;
using testing::WriteReg;

struct ProtectionCase {
  const char* name;
  bool protect;
  uint8_t index;
  uint8_t written;
  uint8_t expected;  // starting from the 640x480 register values
};

TEST(VgaPorts, Cr11Bit7ProtectsCr00ToCr07ExceptLineCompareBit) {
  // 640x480: CR00 0x5F, CR04 0x54, CR07 0x3E, CR08 0x00, CR11 0x8C, CR12 0xDF.
  const ProtectionCase cases[] = {
      {"CR00 protected", true, 0x00, 0x12, 0x5F},
      {"CR04 protected", true, 0x04, 0x77, 0x54},
      {"CR07 protected: only bit 4 clears", true, 0x07, 0x00, 0x2E},
      {"CR07 protected: only bit 4 sets", true, 0x07, 0xFF, 0x3E},
      {"CR07 protected: bit 4 follows", true, 0x07, 0xC1, 0x2E},
      {"CR08 beyond the protected range", true, 0x08, 0x1F, 0x1F},
      {"CR12 beyond the protected range", true, 0x12, 0x55, 0x55},
      {"CR11 itself stays writable", true, 0x11, 0x83, 0x83},
      {"CR00 unprotected", false, 0x00, 0x12, 0x12},
      {"CR07 unprotected", false, 0x07, 0x00, 0x00},
  };
  for (const auto& c : cases) {
    auto pc = PcWithMode(640, 480);
    if (!c.protect) testing::Unprotect(*pc);
    WriteReg(*pc, 0x3D4, c.index, c.written);
    EXPECT_EQ(ReadReg(*pc, 0x3D4, c.index), c.expected)
        << c.name << ": CR" << Hex(c.index) << " after writing " << Hex(c.written);
  }
}

struct AddressingCase {
  uint8_t misc;
  uint16_t index_port;
  bool decoded;
};

TEST(VgaPorts, MiscBit0MovesCrtcAndInputStatus1) {
  const AddressingCase cases[] = {
      {0xE3, 0x3D4, true},
      {0xE3, 0x3B4, false},
      {0xE2, 0x3B4, true},
      {0xE2, 0x3D4, false},
  };
  for (const auto& c : cases) {
    auto pc = PcWithMode(640, 480);
    pc->OutByte(0x3C2, c.misc);
    const uint8_t cr13 = pc->card().Peek(RegFile::kCrtc, 0x13);
    const std::string label = "misc " + Hex(c.misc) + " ports " + Hex(c.index_port);

    pc->OutByte(c.index_port, 0x13);
    EXPECT_EQ(pc->InByte(c.index_port), c.decoded ? 0x13 : 0xFF) << label << " index";
    EXPECT_EQ(pc->InByte(c.index_port + 1), c.decoded ? cr13 : 0xFF) << label << " data";
    pc->OutByte(c.index_port + 1, 0x3C);
    EXPECT_EQ(pc->card().Peek(RegFile::kCrtc, 0x13), c.decoded ? 0x3C : cr13) << label;

    // Input Status 1 answers only at the selected address; its unused bits read 0.
    const uint8_t status = pc->InByte(c.index_port + 6);
    if (c.decoded) {
      EXPECT_EQ(status & 0xF6, 0) << label << " status " << Hex(status);
    } else {
      EXPECT_EQ(status, 0xFF) << label;
    }
    // Misc reads back whole at 0x3CC.
    EXPECT_EQ(pc->InByte(0x3CC), c.misc) << label;
  }
}

enum class Op { kReadStatus, kWriteAttr, kReadAttrData, kReadAttrIndex };

struct AttrStep {
  Op op;
  uint8_t value;   // written, or expected from a read
  bool data_next;  // flip-flop state after the step
};

TEST(VgaPorts, AttributeFlipFlopAndInputStatusReset) {
  // 640x480 leaves AR10 = 0x41, AR11 = 0x00, AR05 = 0x05 and, after its final write of the
  // index 0x20, the flip-flop at data.
  const std::vector<AttrStep> steps = {
      {Op::kReadStatus, 0x00, false},
      {Op::kWriteAttr, 0x30, true},      // index AR10, palette source bit set
      {Op::kReadAttrIndex, 0x30, true},  // the index, bit 5 included, reads back
      {Op::kReadAttrData, 0x41, true},   // reading 0x3C1 does not toggle
      {Op::kWriteAttr, 0x45, false},     // AR10 := 0x45
      {Op::kReadAttrData, 0x45, false},
      {Op::kWriteAttr, 0x31, true},    // index AR11
      {Op::kReadStatus, 0x00, false},  // Input Status 1 resets the flip-flop
      {Op::kWriteAttr, 0x25, true},    // so this is an index: AR05, palette source set
      {Op::kWriteAttr, 0x3F, false},   // palette locked while the screen uses it
      {Op::kReadAttrData, 0x05, false},
      {Op::kWriteAttr, 0x05, true},  // AR05 again, palette source clear
      {Op::kWriteAttr, 0x3F, false},
      {Op::kReadAttrData, 0x3F, false},
      {Op::kWriteAttr, 0x11, true},  // AR11 was never written
      {Op::kReadAttrData, 0x00, true},
  };
  auto pc = PcWithMode(640, 480);
  for (size_t i = 0; i < steps.size(); ++i) {
    const AttrStep& s = steps[i];
    switch (s.op) {
      case Op::kReadStatus:
        pc->InByte(0x3DA);
        break;
      case Op::kWriteAttr:
        pc->OutByte(0x3C0, s.value);
        break;
      case Op::kReadAttrData:
        EXPECT_EQ(pc->InByte(0x3C1), s.value) << "step " << i;
        break;
      case Op::kReadAttrIndex:
        EXPECT_EQ(pc->InByte(0x3C0), s.value) << "step " << i;
        break;
    }
    EXPECT_EQ(pc->card().attribute_flip_flop_is_data(), s.data_next) << "step " << i;
  }
}

struct WordWriteCase {
  uint16_t port;
  uint16_t word;
  RegFile file;
  uint8_t index;
  uint8_t expected;
};

TEST(VgaPorts, WordWriteSetsIndexThenData) {
  const WordWriteCase cases[] = {
      {0x3C4, 0x0302, RegFile::kSequencer, 0x02, 0x03},
      {0x3C4, 0x0001, RegFile::kSequencer, 0x01, 0x00},
      {0x3CE, 0x0F05, RegFile::kGraphics, 0x05, 0x0F},
      {0x3D4, 0xA013, RegFile::kCrtc, 0x13, 0xA0},
      {0x3D4, 0x2711, RegFile::kCrtc, 0x11, 0x27},
      {0x3D4, 0x0001, RegFile::kCrtc, 0x01, 0x4F},       // CR01 protected: the data is dropped
      {0x3C4, 0x1206, RegFile::kSequencer, 0x06, 0xFF},  // no SR06 on a plain VGA
  };
  for (const auto& c : cases) {
    auto pc = PcWithMode(640, 480);
    pc->OutWord(c.port, c.word);
    const std::string label = "word " + Hex(c.word) + " to " + Hex(c.port);
    EXPECT_EQ(pc->card().PeekIndex(c.file), c.index) << label;
    EXPECT_EQ(pc->card().Peek(c.file, c.index), c.expected) << label;
    // A word read gives the index in the low byte and the register in the high byte.
    EXPECT_EQ(pc->InWord(c.port), c.index | (c.expected << 8)) << label;
  }
}

struct PresenceCase {
  RegFile file;
  uint8_t index;
  bool present;
  uint8_t kept_bits;  // bits that exist in a present register
};

TEST(VgaPorts, RegistersBeyondTheStandardSetFloat) {
  const PresenceCase cases[] = {
      {RegFile::kSequencer, 0x04, true, 0xFF}, {RegFile::kSequencer, 0x05, false, 0},
      {RegFile::kSequencer, 0x08, false, 0},   {RegFile::kSequencer, 0xFF, false, 0},
      {RegFile::kGraphics, 0x08, true, 0xFF},  {RegFile::kGraphics, 0x09, false, 0},
      {RegFile::kGraphics, 0x0F, false, 0},    {RegFile::kCrtc, 0x18, true, 0xFF},
      {RegFile::kCrtc, 0x19, false, 0},        {RegFile::kCrtc, 0x38, false, 0},
      {RegFile::kCrtc, 0x80, false, 0},        {RegFile::kAttribute, 0x14, true, 0x0F},
      {RegFile::kAttribute, 0x15, false, 0},   {RegFile::kAttribute, 0x1F, false, 0},
  };
  for (const auto& c : cases) {
    auto pc = PcWithMode(640, 480);
    const std::string label =
        "file " + std::to_string(static_cast<int>(c.file)) + " index " + Hex(c.index);
    if (c.file == RegFile::kAttribute) {
      pc->InByte(0x3DA);
      pc->OutByte(0x3C0, c.index);
      pc->OutByte(0x3C0, 0x5A);
      EXPECT_EQ(pc->InByte(0x3C1), c.present ? (0x5A & c.kept_bits) : 0xFF) << label;
    } else {
      const uint16_t port = c.file == RegFile::kSequencer  ? 0x3C4
                            : c.file == RegFile::kGraphics ? 0x3CE
                                                           : 0x3D4;
      WriteReg(*pc, port, c.index, 0x5A);
      EXPECT_EQ(pc->InByte(port), c.index) << label << ": the whole index latches";
      EXPECT_EQ(pc->InByte(port + 1), c.present ? (0x5A & c.kept_bits) : 0xFF) << label;
    }
    if (!c.present) {
      EXPECT_EQ(pc->card().Stored(c.file, c.index), 0) << label << " stored";
    }
  }
}

struct UnmappedCase {
  uint16_t port;
  int width;  // 1, 2 or 4 bytes
};

TEST(VgaPorts, UnmappedPortsReadAllOnesAndIgnoreWrites) {
  const UnmappedCase cases[] = {
      {0x0080, 1}, {0x0040, 1}, {0x0043, 1}, {0x03B0, 1}, {0x03BF, 1}, {0x03CD, 1}, {0x03D6, 1},
      {0x03DE, 2}, {0x03D8, 1}, {0x43C8, 2}, {0x0CF9, 1}, {0x0CFC, 4}, {0xC000, 4}, {0xFFFF, 1},
  };
  for (const auto& c : cases) {
    auto pc = PcWithMode(640, 480);
    const std::string label = Hex(c.port) + " width " + std::to_string(c.width);
    const uint64_t before = pc->now_ps();
    uint32_t read = 0;
    uint32_t ones = 0;
    switch (c.width) {
      case 1:
        pc->OutByte(c.port, 0x00);
        read = pc->InByte(c.port);
        ones = 0xFF;
        break;
      case 2:
        pc->OutWord(c.port, 0x0000);
        read = pc->InWord(c.port);
        ones = 0xFFFF;
        break;
      default:
        pc->OutDword(c.port, 0);
        read = pc->InDword(c.port);
        ones = 0xFFFFFFFF;
        break;
    }
    EXPECT_EQ(read, ones) << label;
    // Each access is one bus cycle whatever its width.
    EXPECT_EQ(pc->now_ps() - before, 2 * kBusCyclePs) << label;
  }
}

TEST(VgaPorts, AttributeDataReadPortTakesNoWrites) {
  auto pc = PcWithMode(640, 480);
  pc->InByte(0x3DA);
  pc->OutByte(0x3C0, 0x30);  // AR10, flip-flop now at data
  pc->OutByte(0x3C1, 0x00);  // 0x3C1 takes no writes
  EXPECT_EQ(pc->card().Peek(RegFile::kAttribute, 0x10), 0x41);
  EXPECT_TRUE(pc->card().attribute_flip_flop_is_data());
}

TEST(VgaPorts, PeeksHaveNoSideEffects) {
  auto pc = PcWithMode(640, 480);
  VgaCard& card = pc->card();
  pc->OutByte(0x3C8, 0x01);  // DAC entry 1 := (1, 2, 3)
  for (uint8_t component : {1, 2, 3})
    pc->OutByte(0x3C9, component);
  pc->OutByte(0x3C7, 0x01);  // read entry 1 from its first component
  pc->InByte(0x3DA);
  pc->OutByte(0x3C0, 0x30);  // flip-flop at data
  const uint64_t now = pc->now_ps();

  for (int i = 0; i < 256; ++i) {
    for (RegFile f :
         {RegFile::kSequencer, RegFile::kGraphics, RegFile::kCrtc, RegFile::kAttribute}) {
      card.Peek(f, static_cast<uint8_t>(i));
    }
  }
  EXPECT_EQ(card.PeekPort(0x3C9, now), 1);
  EXPECT_EQ(card.PeekPort(0x3C9, now), 1);
  card.PeekPort(0x3DA, now);
  card.PeekInputStatus1(now);
  EXPECT_TRUE(card.attribute_flip_flop_is_data());

  // The port reads do step and reset.
  EXPECT_EQ(pc->InByte(0x3C9), 1);
  EXPECT_EQ(pc->InByte(0x3C9), 2);
  pc->InByte(0x3DA);
  EXPECT_FALSE(card.attribute_flip_flop_is_data());
}

}  // namespace
}  // namespace zanvo::virt
