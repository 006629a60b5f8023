// Detection on every virtual card: each is identified as its own family and model, and the
// sequencer index is left as it was found.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "chipset/detection.h"
#include "engine/engine_state.h"
#include "pci_test_util.h"
#include "platform/virtual/card_catalog.h"
#include "platform/virtual/cards/vga_registers.h"

namespace zanvo::test {
namespace {

using engine::Eng;

// The model is the card's PCI device ID.
constexpr uint32_t kPciDeviceId = 0x10000;

struct CardCase {
  const char* card;
  uint8_t family;
  uint32_t model;
};

using Detection = EngineOnPc;

TEST_F(Detection, IdentifiesEveryCardAsItsFamilyAndModel) {
  const CardCase cases[] = {
      {"vga", 1, 0},
      {"ati-mach64", 8, kPciDeviceId},
      {"cirrus-gd5434", 4, 0},
      {"intel-i740", 9, 0x7800},
      {"oak-oti077", 20, 5},
      {"oak-oti087", 20, 83},
      {"realtek-rtg3103", 2, 6},
      {"s3-trio64", 3, 0x11},
      {"s3-vision864", 3, 0xC0},
      {"sis-6326", 14, 0x6326},
      {"sis-300", 14, 0x0300},
      {"trident-9000i", 60, 0x43},
      {"trident-8800br", 60, 1},
      {"trident-blade3d", 60, 0xF3},
      {"tseng-et3000", 5, 3000},
      {"tseng-et4000", 5, 4000},
      {"umc-85c408", 12, 0},
      {"wd-90c00", 13, 0},
      {"wd-90c30", 13, 0x3330},
  };
  for (const CardCase& c : cases) {
    SCOPED_TRACE(c.card);
    std::unique_ptr<virt::VgaCard> card = virt::MakeCard(c.card);
    if (!card) {
      ADD_FAILURE() << c.card << ": card not built yet";
      continue;
    }
    const virt::PciIdentity id = card->pci_identity();
    Eng = engine::EngineState{};
    Eng.ChipFamily = 0x33;  // detection replaces whatever was there
    Eng.ChipModel = 0x3333;
    Bind(std::make_unique<virt::VirtualPc>(std::move(card)));
    pc().OutByte(0x3C4, 0x02);

    chipset::DetectChipset();

    const uint16_t model = c.model == kPciDeviceId ? id.device : static_cast<uint16_t>(c.model);
    EXPECT_EQ(int(Eng.ChipFamily), int(c.family));
    EXPECT_EQ(Hex(Eng.ChipModel), Hex(model));
    EXPECT_EQ(Hex(pc().card().PeekIndex(virt::RegFile::kSequencer)), Hex(0x02))
        << "sequencer index not restored";
    if (c.family == 8) {
      EXPECT_EQ(Hex(Eng.ExtIoBase), Hex(id.bar_0x14 & 0xFF00)) << "ExtIoBase";
      EXPECT_NE(Eng.ExtIoBase, 0) << "the adapter has no block I/O base";
    }
  }
}

}  // namespace
}  // namespace zanvo::test
