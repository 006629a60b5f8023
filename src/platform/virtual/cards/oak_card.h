#pragma once
// Oak Technology OTI-077 and OTI-087 (family 20).
//
// Extended registers sit behind index port 0x3DE and data port 0x3DF; no key guards them.
//   OTI-077: 5-bit index; a read of 0x3DE returns the index with the chip ID in bits 7-5
//            (5 on the 077). Index 0x23 therefore lands on register 0x03.
//   OTI-087: 8-bit index, 0x3DE reads back the index alone; register 0x23 is read/write, which
//            is how detection tells the 083/087 from the older chips.
// Registers the card acts on:
//   0x0D  7 6 5 4 3 2 1 0      0x14  7 6 5 4 3 2 1 0
//         | | |  `-+-'              |       | | | `- vertical total bit 10
//         | | |    `- bus/config    |       | | `--- vertical display end bit 10
//         | | `------ clock select  |       | `----- vertical retrace start bit 10
//         | |         bit 2         |       `------- start address bit 16
//         `-+-------- memory size   `--------------- interlace
//   0x15  horizontal position of the second field's vertical sync (half line)
// Clock = Miscellaneous Output bits 3-2 with 0x0D bit 5 as bit 2, from the board's eight clocks.
// Readings and sources: docs/chips.md (Oak).

#include "platform/virtual/cards/vga_card.h"

namespace zanvo::virt {

inline constexpr uint8_t kFamilyOak = 20;
inline constexpr uint16_t kPortOakIndex = 0x3DE;
inline constexpr uint16_t kPortOakData = 0x3DF;

enum class OakChip : uint8_t { kOti077, kOti087 };

class OakCard : public VgaCard {
 public:
  explicit OakCard(OakChip chip);

  std::string_view name() const override;
  uint8_t family() const override { return kFamilyOak; }
  uint16_t model() const override;

  double DriverClockHz(double wanted_hz) const override;

  // The extended register as stored (test and report access).
  uint8_t ExtStored(uint8_t index) const { return ext_[index]; }
  // The clock the registers select, 0-7, and its frequency.
  int SelectedClock() const;
  static double OakClockHz(int index);

 protected:
  double ClockHz(int select) const override;
  void ApplyExtensions(CrtcTiming& timing) const override;
  void ProgramMode(const ModeTiming& mode) override;

  uint8_t PeekExtraPort(uint16_t port) const override;
  void WriteExtraPort(uint16_t port, uint8_t value) override;

 private:
  RegisterAccess ExtAccess(uint8_t index) const;
  uint8_t ExtIndexMask() const { return chip_ == OakChip::kOti077 ? 0x1F : 0xFF; }

  OakChip chip_;
  uint8_t ext_index_ = 0;
  std::array<uint8_t, 256> ext_{};
};

class Oti077Card final : public OakCard {
 public:
  Oti077Card() : OakCard(OakChip::kOti077) {}
};

class Oti087Card final : public OakCard {
 public:
  Oti087Card() : OakCard(OakChip::kOti087) {}
};

}  // namespace zanvo::virt
