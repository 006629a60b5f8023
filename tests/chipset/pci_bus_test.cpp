// The virtual PC's PCI configuration ports and video ROM window, as software sees them.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "pci_test_util.h"
#include "platform/virtual/pci_bus.h"
#include "platform/virtual/cards/standard_vga.h"
#include "platform/virtual/virtual_pc.h"

namespace zanvo::test {
namespace {

using virt::PciConfigMechanism;
constexpr auto kNone = PciConfigMechanism::kNone;
constexpr auto kMech1 = PciConfigMechanism::kMechanism1;
constexpr auto kMech2 = PciConfigMechanism::kMechanism2;

struct PortWrite {
  uint16_t port;
  unsigned width;
  uint32_t value;
};

struct BusCase {
  const char* name;
  PciConfigMechanism mechanism;
  std::vector<PortWrite> writes;
  uint16_t read_port;
  unsigned read_width;
  uint32_t expected;
};

// Host bridge at bus 0 device 0, an ATI card at bus 0 device 5 and another at bus 1 device 3.
std::vector<PlacedDevice> Devices() {
  return {{0, HostBridge()},
          {5, Display(0x1002, 0x4755, 0xD001)},
          {35, Display(0x1002, 0x4742, 0x0000E801)}};
}

void Write(virt::VirtualPc& pc, const PortWrite& w) {
  if (w.width == 1) pc.OutByte(w.port, static_cast<uint8_t>(w.value));
  if (w.width == 2) pc.OutWord(w.port, static_cast<uint16_t>(w.value));
  if (w.width == 4) pc.OutDword(w.port, w.value);
}

uint32_t Read(virt::VirtualPc& pc, uint16_t port, unsigned width) {
  if (width == 1) return pc.InByte(port);
  if (width == 2) return pc.InWord(port);
  return pc.InDword(port);
}

TEST(PciBus, ConfigurationPortsAnswerAsTheMechanismDoes) {
  const BusCase cases[] = {
      // Mechanism #1: only a dword write latches; byte accesses to 0xCF8-0xCFB float.
      {"m1 byte 0 to 0xCF8 reads back floating",
       kMech1,
       {{0xCF8, 1, 0}, {0xCFA, 1, 0}},
       0xCF8,
       1,
       0xFF},
      {"m1 byte 0 to 0xCFA reads back floating",
       kMech1,
       {{0xCF8, 1, 0}, {0xCFA, 1, 0}},
       0xCFA,
       1,
       0xFF},
      {"m1 dword latch reads back", kMech1, {{0xCF8, 4, 0x80000000}}, 0xCF8, 4, 0x80000000},
      {"m1 latch drops reserved and type bits",
       kMech1,
       {{0xCF8, 4, 0xFF011803}},
       0xCF8,
       4,
       0x80011800},
      {"m1 host bridge ID", kMech1, {{0xCF8, 4, 0x80000000}}, 0xCFC, 4, 0x71908086},
      {"m1 host bridge class word at 0xCFE", kMech1, {{0xCF8, 4, 0x80000008}}, 0xCFE, 2, 0x0600},
      {"m1 bus 1 device 3 class word", kMech1, {{0xCF8, 4, 0x80011808}}, 0xCFE, 2, 0x0300},
      {"m1 bus 1 device 3 ID byte at 0xCFD", kMech1, {{0xCF8, 4, 0x80011800}}, 0xCFD, 1, 0x10},
      {"m1 bus 1 device 3 register 0x14", kMech1, {{0xCF8, 4, 0x80011814}}, 0xCFC, 4, 0xE801},
      {"m1 bus 1 device 3 register 0x14 word", kMech1, {{0xCF8, 4, 0x80011814}}, 0xCFC, 2, 0xE801},
      {"m1 absent slot", kMech1, {{0xCF8, 4, 0x80003800}}, 0xCFC, 4, 0xFFFFFFFF},
      {"m1 enable bit clear", kMech1, {{0xCF8, 4, 0x00011800}}, 0xCFC, 4, 0xFFFFFFFF},
      {"m1 function 1 absent", kMech1, {{0xCF8, 4, 0x80011900}}, 0xCFC, 4, 0xFFFFFFFF},
      {"m1 bus 16 absent", kMech1, {{0xCF8, 4, 0x80100000}}, 0xCFC, 4, 0xFFFFFFFF},
      {"m1 byte write to 0xCF8 keeps the latch",
       kMech1,
       {{0xCF8, 4, 0x80011800}, {0xCF8, 1, 0x00}},
       0xCFC,
       4,
       0x47421002},
      {"m1 no window at 0xC000", kMech1, {{0xCF8, 1, 0x80}}, 0xC500, 4, 0xFFFFFFFF},
      // Mechanism #2: two byte registers and a window while the key is set.
      {"m2 enable reads back 0", kMech2, {{0xCF8, 1, 0}, {0xCFA, 1, 0}}, 0xCF8, 1, 0x00},
      {"m2 forward reads back 0", kMech2, {{0xCF8, 1, 0}, {0xCFA, 1, 0}}, 0xCFA, 1, 0x00},
      {"m2 window closed", kMech2, {{0xCF8, 1, 0}}, 0xC500, 4, 0xFFFFFFFF},
      {"m2 device 5 ID", kMech2, {{0xCF8, 1, 0x80}, {0xCFA, 1, 0}}, 0xC500, 4, 0x47551002},
      {"m2 device 5 class word", kMech2, {{0xCF8, 1, 0x80}, {0xCFA, 1, 0}}, 0xC50A, 2, 0x0300},
      {"m2 host bridge class word", kMech2, {{0xCF8, 1, 0x80}, {0xCFA, 1, 0}}, 0xC00A, 2, 0x0600},
      {"m2 device 5 register 0x14", kMech2, {{0xCF8, 1, 0xF0}, {0xCFA, 1, 0}}, 0xC514, 4, 0xD001},
      {"m2 absent device", kMech2, {{0xCF8, 1, 0x80}, {0xCFA, 1, 0}}, 0xC700, 4, 0xFFFFFFFF},
      {"m2 function 1 absent", kMech2, {{0xCF8, 1, 0x82}, {0xCFA, 1, 0}}, 0xC500, 4, 0xFFFFFFFF},
      {"m2 forward to bus 1", kMech2, {{0xCF8, 1, 0x80}, {0xCFA, 1, 1}}, 0xC300, 4, 0x47421002},
      {"m2 has no dword latch", kMech2, {{0xCF8, 4, 0x80000000}}, 0xCF8, 4, 0xFF00FF00},
      // No mechanism: the ports are not decoded at all.
      {"none byte 0 to 0xCF8 floats", kNone, {{0xCF8, 1, 0}, {0xCFA, 1, 0}}, 0xCF8, 1, 0xFF},
      {"none dword latch floats", kNone, {{0xCF8, 4, 0x80000000}}, 0xCF8, 4, 0xFFFFFFFF},
      {"none data floats", kNone, {{0xCF8, 4, 0x80000000}}, 0xCFC, 4, 0xFFFFFFFF},
      {"none no window", kNone, {{0xCF8, 1, 0x80}, {0xCFA, 1, 0}}, 0xC500, 4, 0xFFFFFFFF},
  };
  for (const BusCase& c : cases) {
    auto pc = MakePc(c.mechanism, Devices());
    for (const PortWrite& w : c.writes)
      Write(*pc, w);
    EXPECT_EQ(Hex(Read(*pc, c.read_port, c.read_width)), Hex(c.expected))
        << c.name << ": port " << Hex(c.read_port) << " width " << c.read_width;
  }
}

TEST(PciBus, PrimaryCardAndExtraCardsShowTheirIdentityInTheirSlots) {
  class PciCard final : public virt::VgaCard {
   public:
    explicit PciCard(virt::PciIdentity id) : id_(id) {}
    std::string_view name() const override { return "pci-test"; }
    uint8_t family() const override { return 1; }
    uint16_t model() const override { return 0; }
    virt::PciIdentity pci_identity() const override { return id_; }

   protected:
    double ClockHz(int) const override { return virt::kClock25Hz; }

   private:
    virt::PciIdentity id_;
  };
  virt::VirtualPc pc(std::make_unique<PciCard>(Display(0x8086, 0x7800)));
  pc.AddExtraCard(70, std::make_unique<PciCard>(Display(0x1039, 0x6326)));
  pc.AddExtraCard(71, std::make_unique<PciCard>(virt::PciIdentity{}));  // an ISA card

  const struct {
    uint32_t slot;
    uint32_t id;
  } rows[] = {{virt::kDefaultCardSlot, 0x78008086}, {70, 0x63261039}, {71, 0xFFFFFFFF}};
  for (const auto& row : rows) {
    pc.OutDword(0xCF8, 0x80000000 + row.slot * 2048);
    EXPECT_EQ(Hex(pc.InDword(0xCFC)), Hex(row.id)) << "slot " << row.slot;
  }
}

TEST(VideoRom, PhysicalReadsReachTheCardRomOnlyInsideItsWindow) {
  class RomCard final : public virt::VgaCard {
   public:
    std::string_view name() const override { return "rom-test"; }
    uint8_t family() const override { return 1; }
    uint16_t model() const override { return 0; }
    uint8_t PeekRom(uint32_t offset) const override { return Byte(offset); }
    static uint8_t Byte(uint32_t offset) {
      return static_cast<uint8_t>(offset ^ (offset >> 8) ^ 0x5A);
    }

   protected:
    double ClockHz(int) const override { return virt::kClock25Hz; }
  };
  auto rom = [](uint32_t offset) { return uint32_t{RomCard::Byte(offset)}; };
  const struct {
    uint32_t address;
    uint32_t expected;
  } rows[] = {
      {0xC0000, rom(0) | rom(1) << 8 | rom(2) << 16 | rom(3) << 24},
      {0xC0048, rom(0x48) | rom(0x49) << 8 | rom(0x4A) << 16 | rom(0x4B) << 24},
      {0xD0003, rom(0x10003) | rom(0x10004) << 8 | rom(0x10005) << 16 | rom(0x10006) << 24},
      {0xDFFFE, rom(0x1FFFE) | rom(0x1FFFF) << 8 | 0xFFFF0000},
      {0xBFFFE, 0x0000FFFF | rom(0) << 16 | rom(1) << 24},
      {0xF0000, 0xFFFFFFFF},
      {0xFFFFFFFE, 0xFFFFFFFF},
  };
  virt::VirtualPc pc(std::make_unique<RomCard>());
  for (const auto& row : rows) {
    EXPECT_EQ(Hex(pc.ReadPhysDword(row.address)), Hex(row.expected))
        << "address " << Hex(row.address);
  }
  // A card without a ROM leaves the window floating.
  virt::VirtualPc plain(virt::MakeCard("vga"));
  EXPECT_EQ(Hex(plain.ReadPhysDword(0xC0000)), Hex(0xFFFFFFFF));
}

}  // namespace
}  // namespace zanvo::test
