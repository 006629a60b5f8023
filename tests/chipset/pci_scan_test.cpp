// The engine's PCI scan on the virtual PC: mechanism probe, detection's PCI stage, the walk on
// to the next adapter, and the I/O base search.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "chipset/detection.h"
#include "engine/engine_state.h"
#include "engine/pci_scan.h"
#include "pci_test_util.h"

namespace zanvo::test {
namespace {

using engine::Eng;
using virt::PciConfigMechanism;
constexpr auto kNone = PciConfigMechanism::kNone;
constexpr auto kMech1 = PciConfigMechanism::kMechanism1;
constexpr auto kMech2 = PciConfigMechanism::kMechanism2;

// Stands in ExtIoBase before a run, so that a run that must not touch it shows when it does.
constexpr uint16_t kUntouchedBase = 0x1200;

struct Identity {
  uint8_t family;
  uint16_t model;
  uint16_t ext_io_base;
  uint32_t cursor;
};

std::string Describe(const Identity& id) {
  return "family " + std::to_string(id.family) + " model " + Hex(id.model) + " ExtIoBase " +
         Hex(id.ext_io_base) + " PciCursor " + std::to_string(id.cursor);
}

Identity Current() {
  return {Eng.ChipFamily, Eng.ChipModel, Eng.ExtIoBase, Eng.PciCursor};
}

struct ScanCase {
  const char* name;
  PciConfigMechanism mechanism;
  std::vector<PlacedDevice> devices;
  uint8_t mechanism_found;
  Identity after_detect;
  Identity after_next;
};

using PciScan = EngineOnPc;

TEST_F(PciScan, DetectionReportsTheHighestAdapterAndNextWalksOn) {
  const ScanCase cases[] = {
      {"two adapters: highest slot first, Next continues with the other",
       kMech1,
       {{0, HostBridge()}, {9, Display(0x1039, 0x6326)}, {40, Display(0x1002, 0x4755, 0xD001)}},
       1,
       {8, 0x4755, 0xD000, 40},
       {14, 0x6326, 0xD000, 9}},
      {"another vendor, an unlisted Intel ID and a non-display device are passed over",
       kMech1,
       {{0, HostBridge()},
        {20, Display(0x8086, 0x7800)},
        {45, {true, 0x8086, 0x1132, 0x0380, 0}},
        {50, Display(0x8086, 0x1234)},
        {64, Display(0x5333, 0x8811)}},
       1,
       {9, 0x7800, kUntouchedBase, 20},
       {9, 0x7800, kUntouchedBase, 0}},
      {"no adapter: the cursor stops at the lowest slot that answered",
       kMech1,
       {{3, HostBridge()}, {64, Display(0x5333, 0x8811)}},
       1,
       {1, 0, kUntouchedBase, 3},
       {1, 0, kUntouchedBase, 3}},
      {"no configuration mechanism: nothing is scanned",
       kNone,
       {{0, HostBridge()}, {40, Display(0x1002, 0x4755, 0xD001)}},
       0,
       {1, 0, kUntouchedBase, 16},
       {1, 0, kUntouchedBase, 16}},
      {"mechanism #2 reaches devices 0-15 of bus 0 only",
       kMech2,
       {{0, HostBridge()},
        {3, Display(0x1039, 0x6300)},
        {5, Display(0x1002, 0x5654, 0xE801)},
        {40, Display(0x8086, 0x7800)}},
       2,
       {8, 0x5654, 0xE800, 5},
       {14, 0x0300, 0xE800, 3}},
      {"ATI base below 0x100 gives ExtIoBase 0",
       kMech1,
       {{40, Display(0x1002, 0x4354, 0x00E1)}},
       1,
       {8, 0x4354, 0x0000, 40},
       {8, 0x4354, 0x0000, 40}},
      {"ATI base with the I/O indicator bit set loses its whole low byte",
       kMech1,
       {{40, Display(0x1002, 0x4742, 0x0001C4A1)}},
       1,
       {8, 0x4742, 0xC400, 40},
       {8, 0x4742, 0xC400, 40}},
      {"SiS 0x6300 is reported as 0x0300",
       kMech1,
       {{0, HostBridge()}, {32, Display(0x1039, 0x6300)}},
       1,
       {14, 0x0300, kUntouchedBase, 32},
       {14, 0x0300, kUntouchedBase, 0}},
  };
  for (const ScanCase& c : cases) {
    SCOPED_TRACE(c.name);
    Eng = engine::EngineState{};
    Eng.ExtIoBase = kUntouchedBase;
    Bind(MakePc(c.mechanism, c.devices));
    chipset::DetectChipset();
    EXPECT_EQ(Eng.PciMechanism, c.mechanism_found);
    EXPECT_EQ(Describe(Current()), Describe(c.after_detect)) << "after detection";
    engine::PciScanNext();
    EXPECT_EQ(Describe(Current()), Describe(c.after_next)) << "after Next";
    // The mechanism #2 window is closed after every walk.
    if (c.mechanism == kMech2) {
      EXPECT_EQ(pc().InByte(0xCF8), 0x00);
      EXPECT_EQ(Hex(pc().InDword(0xC300)), Hex(0xFFFFFFFF));
    }
  }
}

TEST_F(PciScan, MechanismProbeFindsWhatTheMachineHas) {
  const struct {
    PciConfigMechanism mechanism;
    uint8_t found;
    uint32_t port_cf8_after;  // dword read of 0xCF8 after the probe
  } rows[] = {{kMech1, 1, 0x80000000}, {kMech2, 2, 0xFF00FF00}, {kNone, 0, 0xFFFFFFFF}};
  for (const auto& row : rows) {
    Eng = engine::EngineState{};
    Bind(MakePc(row.mechanism, {}));
    engine::PciProbeMechanism();
    EXPECT_EQ(Eng.PciMechanism, row.found) << "machine mechanism " << int(row.mechanism);
    EXPECT_EQ(Hex(pc().InDword(0xCF8)), Hex(row.port_cf8_after))
        << "machine mechanism " << int(row.mechanism);
  }
}

struct SearchCase {
  const char* name;
  PciConfigMechanism mechanism;
  std::vector<PlacedDevice> devices;
  uint8_t wanted_family;
  uint16_t wanted_model;
  Identity after;  // cursor: the value it had before the search
};

TEST_F(PciScan, FindAdapterSearchesFromTheTopAndLeavesTheCursor) {
  constexpr uint32_t kCursor = 77;
  const SearchCase cases[] = {
      {"passes over an Intel match above the ATI adapter",
       kMech1,
       {{60, Display(0x8086, 0x7800)}, {30, Display(0x1002, 0x4755, 0xD001)}},
       8,
       0,
       {8, 0x4755, 0xD000, kCursor}},
      {"model 0 takes the first ATI adapter from the top",
       kMech1,
       {{60, Display(0x1002, 0x4742, 0xC001)}, {30, Display(0x1002, 0x4755, 0xD001)}},
       8,
       0,
       {8, 0x4742, 0xC000, kCursor}},
      {"a wanted model passes over the other ATI adapter",
       kMech1,
       {{60, Display(0x1002, 0x4742, 0xC001)}, {30, Display(0x1002, 0x4755, 0xD001)}},
       8,
       0x4755,
       {8, 0x4755, 0xD000, kCursor}},
      {"no ATI adapter: ExtIoBase 0, identity of the last match",
       kMech1,
       {{60, Display(0x8086, 0x7800)}, {0, Display(0x1039, 0x6326)}},
       8,
       0,
       {14, 0x6326, 0x0000, kCursor}},
      {"nothing on the bus: identity unchanged",
       kMech1,
       {{0, HostBridge()}},
       8,
       0,
       {8, 0, 0x0000, kCursor}},
      {"no configuration mechanism",
       kNone,
       {{30, Display(0x1002, 0x4755, 0xD001)}},
       8,
       0,
       {8, 0, 0x0000, kCursor}},
      {"ATI base below 0x100 is found with ExtIoBase 0",
       kMech1,
       {{30, Display(0x1002, 0x4755, 0x0081)}},
       8,
       0,
       {8, 0x4755, 0x0000, kCursor}},
      {"mechanism #2",
       kMech2,
       {{12, Display(0x8086, 0x1132)}, {2, Display(0x1002, 0x4C42, 0xE401)}},
       8,
       0,
       {8, 0x4C42, 0xE400, kCursor}},
  };
  for (const SearchCase& c : cases) {
    SCOPED_TRACE(c.name);
    Eng = engine::EngineState{};
    Eng.ChipFamily = c.wanted_family;
    Eng.ChipModel = c.wanted_model;
    Eng.ExtIoBase = kUntouchedBase;
    Eng.PciCursor = kCursor;
    Bind(MakePc(c.mechanism, c.devices));
    engine::FindAdapter();
    EXPECT_EQ(Describe(Current()), Describe(c.after));
  }
}

TEST_F(PciScan, NextAfterASearchContinuesFromTheDetectedAdapter) {
  Bind(MakePc(kMech1, {{90, Display(0x1002, 0x4742, 0xC001)},
                       {60, Display(0x8086, 0x7800)},
                       {30, Display(0x1002, 0x4755, 0xD001)}}));
  chipset::DetectChipset();
  engine::PciScanNext();  // now at the Intel adapter
  ASSERT_EQ(Describe(Current()), Describe({9, 0x7800, 0xC000, 60}));
  Eng.ChipFamily = 8;
  Eng.ChipModel = 0;
  engine::FindAdapter();
  EXPECT_EQ(Describe(Current()), Describe({8, 0x4742, 0xC000, 60}));
  engine::PciScanNext();
  EXPECT_EQ(Describe(Current()), Describe({8, 0x4755, 0xD000, 30}));
}

// A search restores the load value 512 into the cursor; on a mechanism #2 machine the next walk
// must still start at device 15, not wrap the window port numbers.
TEST_F(PciScan, NextOnMechanism2StartsBelowSixteenWhateverTheCursor) {
  Bind(MakePc(kMech2, {{5, Display(0x1002, 0x4755, 0xD001)}}));
  Eng.ChipFamily = 8;
  engine::FindAdapter();
  ASSERT_EQ(Eng.PciMechanism, 2);
  ASSERT_EQ(Eng.PciCursor, 512u);
  Eng.ExtIoBase = kUntouchedBase;
  engine::PciScanNext();
  EXPECT_EQ(Describe(Current()), Describe({8, 0x4755, 0xD000, 5}));
}

}  // namespace
}  // namespace zanvo::test
