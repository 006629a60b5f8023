// The ATI clock table read from the video ROM and the 28.322 MHz dividers computed from it.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "chipset/ati_rom_clock.h"
#include "engine/engine_state.h"
#include "platform/physical_memory.h"
#include "platform/virtual/card_catalog.h"
#include "platform/virtual/virtual_pc.h"

namespace zanvo::test {
namespace {

using engine::Eng;

// 128 KiB of ROM at 0xC0000 (erased to 0xFF unless told otherwise); everything else floats.
class RomImage final : public PhysicalMemory {
 public:
  explicit RomImage(uint8_t fill = 0xFF) : bytes_(0x20000, fill) {}
  void Word(uint32_t offset, uint16_t value) {
    bytes_.at(offset) = static_cast<uint8_t>(value);
    bytes_.at(offset + 1) = static_cast<uint8_t>(value >> 8);
  }
  uint32_t ReadPhysDword(uint32_t address) override {
    uint32_t value = 0;
    for (uint32_t i = 0; i < 4; ++i) {
      const uint64_t at = uint64_t{address} + i;
      const uint8_t byte =
          at >= 0xC0000 && at < 0xC0000 + bytes_.size() ? bytes_[at - 0xC0000] : 0xFF;
      value |= uint32_t{byte} << (8 * i);
    }
    return value;
  }

 private:
  std::vector<uint8_t> bytes_;
};

struct ClockCase {
  const char* name;
  uint16_t table;   // word at ROM 0x48
  uint16_t clocks;  // word at table + 0x10
  uint16_t ref_freq;
  uint16_t ref_div;
  uint16_t mem_clock;
  bool accepted;
  uint8_t post;
  uint8_t feedback;
  uint8_t fill = 0xFF;  // every other ROM byte
};

// What the engine holds before the read: none of it may change when the ROM is rejected.
constexpr uint16_t kOldRefFreq = 1500;
constexpr uint16_t kOldRefDiv = 33;
constexpr uint16_t kOldMemClock = 5000;
constexpr uint8_t kOldPost = 2;
constexpr uint8_t kOldFeedback = 99;

TEST(AtiRomClock, ReadsTheClockTableAndComputesTheDividers) {
  const ClockCase cases[] = {
      {"load values", 0x0200, 0x0300, 1432, 31, 6300, true, 4, 123},
      {"post divider 2", 0x0200, 0x0300, 1432, 80, 7500, true, 2, 158},
      {"post divider 1", 0x0200, 0x0300, 1432, 200, 7500, true, 1, 198},
      {"post divider 4 at the edge", 0x0200, 0x0300, 1432, 64, 6000, true, 4, 253},
      {"reference divider 0 is rejected", 0x0200, 0x0300, 1432, 0, 6300, false, 0, 0},
      {"feedback rounding to 0 is rejected", 0x0200, 0x0300, 0xFFFF, 1, 6300, false, 0, 0},
      {"tables past the first 64 KiB", 0xFFF8, 0xFFF0, 2950, 33, 8300, true, 4, 63},
      {"reference frequency 0 is rejected", 0x0200, 0x0300, 0, 31, 6300, false, 0, 0},
      {"too large a ratio is rejected", 0x0200, 0x0300, 1432, 400, 6300, false, 0, 0},
      {"largest ratio is rejected", 0x0200, 0x0300, 1, 0xFFFF, 6300, false, 0, 0},
      // A ROM of zeros (a shadow copy never filled): every pointer and value is 0, and the
      // reference frequency over the divider is 0/0.
      {"a ROM of zeros is rejected", 0, 0, 0, 0, 0, false, 0, 0, 0x00},
  };
  for (const ClockCase& c : cases) {
    RomImage rom(c.fill);
    rom.Word(0x48, c.table);
    rom.Word(uint32_t{c.table} + 0x10, c.clocks);
    rom.Word(uint32_t{c.clocks} + 0x08, c.ref_freq);
    rom.Word(uint32_t{c.clocks} + 0x0A, c.ref_div);
    rom.Word(uint32_t{c.clocks} + 0x12, c.mem_clock);
    Eng = engine::EngineState{};
    Eng.PllRefFreq = kOldRefFreq;
    Eng.PllRefDiv = kOldRefDiv;
    Eng.MemClock = kOldMemClock;
    Eng.VclkPostDiv = kOldPost;
    Eng.VclkFbDiv = kOldFeedback;

    EXPECT_EQ(chipset::ReadAtiRomClock(rom), c.accepted) << c.name;
    if (c.accepted) {
      EXPECT_EQ(Eng.PllRefFreq, c.ref_freq) << c.name;
      EXPECT_EQ(Eng.PllRefDiv, c.ref_div) << c.name;
      EXPECT_EQ(Eng.MemClock, c.mem_clock) << c.name;
      EXPECT_EQ(Eng.VclkPostDiv, c.post) << c.name;
      EXPECT_EQ(Eng.VclkFbDiv, c.feedback) << c.name;
    } else {
      EXPECT_EQ(Eng.PllRefFreq, kOldRefFreq) << c.name;
      EXPECT_EQ(Eng.PllRefDiv, kOldRefDiv) << c.name;
      EXPECT_EQ(Eng.MemClock, kOldMemClock) << c.name;
      EXPECT_EQ(Eng.VclkPostDiv, kOldPost) << c.name;
      EXPECT_EQ(Eng.VclkFbDiv, kOldFeedback) << c.name;
    }
  }
}

// The virtual ATI card's ROM, read through the virtual PC's physical memory: the dividers must
// give the 28.322 MHz pixel clock from the card's own reference.
TEST(AtiRomClock, VirtualCardRomGivesThePixelClock) {
  std::unique_ptr<virt::VgaCard> card = virt::MakeCard("ati-mach64");
  if (!card) {
    ADD_FAILURE() << "ati-mach64: card not built yet";
    return;
  }
  virt::VirtualPc pc(std::move(card));
  Eng = engine::EngineState{};
  ASSERT_TRUE(chipset::ReadAtiRomClock(pc));
  EXPECT_EQ(Eng.PllRefFreq, 1432);
  EXPECT_EQ(Eng.MemClock, 6300);
  ASSERT_NE(Eng.PllRefDiv, 0);
  ASSERT_NE(Eng.VclkPostDiv, 0);
  // VCLK = 2 * Fref * N / (R * P), in MHz.
  const double vclk_mhz =
      2.0 * Eng.PllRefFreq / 100.0 * Eng.VclkFbDiv / (Eng.PllRefDiv * Eng.VclkPostDiv);
  EXPECT_NEAR(vclk_mhz, 28.322, 28.322 * 0.01);
}

}  // namespace
}  // namespace zanvo::test
