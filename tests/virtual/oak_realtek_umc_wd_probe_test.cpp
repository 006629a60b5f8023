// The register bits the detection probes test, on the Oak, Realtek, UMC and Western Digital
// cards: each card answers its own family's probe and none of the probes that run before it.

#include <gtest/gtest.h>

#include <string>

#include "virtual_test_util.h"

namespace zanvo::virt {
namespace {

using testing::Hex;
using testing::ReadReg;
using testing::WriteReg;

// Are the masked bits of an indexed register read/write? Clears them, sets them, puts the
// register back as it was.
bool IndexedBitsWork(PortIo& io, uint16_t index_port, uint8_t index, uint8_t mask) {
  const uint16_t data = static_cast<uint16_t>(index_port + 1);
  io.OutByte(index_port, index);
  const uint8_t old = io.InByte(data);
  io.OutByte(data, static_cast<uint8_t>(old & ~mask));
  const uint8_t r0 = io.InByte(data);
  io.OutByte(data, static_cast<uint8_t>(old | mask));
  const uint8_t r1 = io.InByte(data);
  io.OutByte(data, old);
  return (r0 & mask) == 0 && (r1 & mask) == mask;
}

bool PortBitsWork(PortIo& io, uint16_t port, uint8_t mask) {
  const uint8_t old = io.InByte(port);
  io.OutByte(port, static_cast<uint8_t>(old & ~mask));
  const uint8_t r0 = io.InByte(port);
  io.OutByte(port, static_cast<uint8_t>(old | mask));
  const uint8_t r1 = io.InByte(port);
  io.OutByte(port, old);
  return (r0 & mask) == 0 && (r1 & mask) == mask;
}

enum class Probe {
  kOak,           // 0x3DE index 0x0D bits 3-5
  kOak087,        // 0x3DE index 0x23 bits 0-4
  kTridentNew,    // SR0E low nibble reads 2 after writing 0
  kCirrus,        // SR06 := 0 reads 0x0F
  kS3,            // CR35 low nibble writable after CR38 := 0x48
  kUmc,           // SR06 fully writable after 0xAC to 0x3BF, but not after 0x03
  kWd,            // GR09 bits 0-6 writable after GR0F bits 0x17 := 0x05, not after |= 0x17
  kTseng,         // 0x3CD bits 0-5 writable
  kRealtekCr1F,   // CR1F bits 0-5
  kRealtekBanks,  // 0x3D6 and 0x3D7 bits 0-3
};

bool RunProbe(PortIo& io, Probe probe) {
  switch (probe) {
    case Probe::kOak:
      return IndexedBitsWork(io, 0x3DE, 0x0D, 0x38);
    case Probe::kOak087:
      return IndexedBitsWork(io, 0x3DE, 0x23, 0x1F);
    case Probe::kTridentNew:
      WriteReg(io, 0x3C4, 0x0B, 0x00);
      static_cast<void>(ReadReg(io, 0x3C4, 0x0B));
      WriteReg(io, 0x3C4, 0x0E, 0x00);
      return (ReadReg(io, 0x3C4, 0x0E) & 0x0F) == 0x02;
    case Probe::kCirrus:
      WriteReg(io, 0x3C4, 0x06, 0x00);
      return ReadReg(io, 0x3C4, 0x06) == 0x0F;
    case Probe::kS3:
      WriteReg(io, 0x3D4, 0x38, 0x48);
      return IndexedBitsWork(io, 0x3D4, 0x35, 0x0F);
    case Probe::kUmc: {
      io.OutByte(0x3BF, 0x03);
      if (IndexedBitsWork(io, 0x3C4, 0x06, 0xFF)) return false;
      io.OutByte(0x3BF, 0xAC);
      return IndexedBitsWork(io, 0x3C4, 0x06, 0xFF);
    }
    case Probe::kWd: {
      WriteReg(io, 0x3CE, 0x0F, static_cast<uint8_t>(ReadReg(io, 0x3CE, 0x0F) | 0x17));
      if (IndexedBitsWork(io, 0x3CE, 0x09, 0x7F)) return false;
      WriteReg(io, 0x3CE, 0x0F, static_cast<uint8_t>((ReadReg(io, 0x3CE, 0x0F) & ~0x17) | 0x05));
      return IndexedBitsWork(io, 0x3CE, 0x09, 0x7F);
    }
    case Probe::kTseng:
      return PortBitsWork(io, 0x3CD, 0x3F);
    case Probe::kRealtekCr1F:
      return IndexedBitsWork(io, 0x3D4, 0x1F, 0x3F);
    case Probe::kRealtekBanks:
      return PortBitsWork(io, 0x3D6, 0x0F) && PortBitsWork(io, 0x3D7, 0x0F);
  }
  return false;
}

struct ProbeCase {
  const char* card;
  Probe probe;
  bool answers;
};

TEST(FamilyProbes, EachCardAnswersItsOwnProbesAndNoEarlierOne) {
  const char* const cards[] = {"oak-oti077", "oak-oti087", "realtek-rtg3103",
                               "umc-85c408", "wd-90c00",   "wd-90c30"};
  const Probe probes[] = {
      Probe::kOak, Probe::kOak087, Probe::kTridentNew, Probe::kCirrus,      Probe::kS3,
      Probe::kUmc, Probe::kWd,     Probe::kTseng,      Probe::kRealtekCr1F, Probe::kRealtekBanks};
  // The probes each card answers; every other probe must fail on it.
  const ProbeCase answers[] = {
      {"oak-oti077", Probe::kOak, true},
      {"oak-oti087", Probe::kOak, true},
      {"oak-oti087", Probe::kOak087, true},
      {"umc-85c408", Probe::kUmc, true},
      {"wd-90c00", Probe::kWd, true},
      {"wd-90c30", Probe::kWd, true},
      {"realtek-rtg3103", Probe::kRealtekCr1F, true},
      {"realtek-rtg3103", Probe::kRealtekBanks, true},
  };
  for (const char* card : cards) {
    for (Probe probe : probes) {
      bool expected = false;
      for (const ProbeCase& a : answers)
        expected |= std::string(a.card) == card && a.probe == probe;
      VirtualPc pc(MakeCard(card));
      ASSERT_TRUE(SetDesktopMode(pc.card(), 640, 480));
      EXPECT_EQ(RunProbe(pc, probe), expected) << card << " probe " << static_cast<int>(probe);
    }
  }
}

struct IdCase {
  const char* card;
  uint16_t index_port;
  uint8_t index;
  uint8_t expected;
};

TEST(FamilyProbes, IdentificationReadsGiveTheModel) {
  const IdCase cases[] = {
      // 0x3DE reads the index with the chip ID in bits 7-5 (5: OTI-077); the 087 has none.
      {"oak-oti077", 0x3DE, 0x0D, 0xAD},
      {"oak-oti087", 0x3DE, 0x0D, 0x0D},
      // CR1A bits 7-6 = 0: RTG3103.
      {"realtek-rtg3103", 0x3D4, 0x1A, 0x00},
      // CR36/CR37: "30" on the 90C30, 0 on the 90C00; readable with both keys closed.
      {"wd-90c30", 0x3D4, 0x36, 0x33},
      {"wd-90c30", 0x3D4, 0x37, 0x30},
      {"wd-90c00", 0x3D4, 0x36, 0x00},
      {"wd-90c00", 0x3D4, 0x37, 0x00},
  };
  for (const IdCase& c : cases) {
    VirtualPc pc(MakeCard(c.card));
    ASSERT_TRUE(SetDesktopMode(pc.card(), 640, 480));
    uint8_t got = 0;
    if (c.index_port == 0x3DE) {
      pc.OutByte(0x3DE, c.index);
      got = pc.InByte(0x3DE);
    } else {
      got = ReadReg(pc, c.index_port, c.index);
    }
    EXPECT_EQ(got, c.expected) << c.card << " index " << Hex(c.index) << " read " << Hex(got);
  }
}

}  // namespace
}  // namespace zanvo::virt
