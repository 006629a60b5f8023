#pragma once
// Tseng Labs ET3000 and ET4000 (family 5).
//
// The KEY: 0x03 to the Hercules compatibility port 0x3BF followed by 0xA0 to the mode control
// port (0x3D8 with colour addressing, 0x3B8 with mono) opens the extended registers; 0x29 to the
// mode control port followed by 0x01 to 0x3BF closes them again. While closed, SR06/SR07 and
// the extended CRTC registers below marked (K) read 0xFF and ignore writes.
//
// ET4000 extended CRTC:
//   CR31 (K) bits 7-6 clock select bits 3-4 (this board has 16 clocks: bit 6 only)
//   CR33     bits 3-0 start/cursor address bits 16-17; outside the KEY, upper nibble reads 0
//   CR34 (K) bit 1 clock select bit 2
//   CR35     bits 4-0 vertical bit 10s, bit 7 interlace (vertical values count frame lines);
//            under CR11 protection only bits 4 and 7 can change
//   CR3F (K) bit 0 horizontal total bit 8, bit 2 blank start bit 8, bit 4 sync start bit 8,
//            bit 7 offset bit 8
// ET3000 extended CRTC:
//   CR1B-CR21 (K) hardware zoom; CR23 start address bit 16; CR24 bit 1 clock select bit 2;
//   CR25 bits 4-0 vertical bit 10s, bit 7 interlace (vertical values count field lines)
// Segment select 0x3CD: all eight bits read back on both chips (ET4000: write bank 3-0, read
// bank 7-4; ET3000: banks in 5-0, segment configuration in 7-6).
// SR07: bit 6 halves the clock on both chips; on the ET4000 bits 6 and 0 together quarter it.
// Readings, sources and the undefined bit-0-alone state: docs/chips.md (Tseng).

#include <memory>

#include "platform/virtual/cards/vga_card.h"

namespace zanvo::virt {

inline constexpr uint8_t kFamilyTseng = 5;
inline constexpr uint16_t kPortTsengHercules = 0x3BF;
inline constexpr uint16_t kPortTsengSegment = 0x3CD;
inline constexpr uint16_t kPortModeControlColor = 0x3D8;
inline constexpr uint16_t kPortModeControlMono = 0x3B8;

enum class TsengChip : uint8_t { kEt3000, kEt4000 };

class TsengCard final : public VgaCard {
 public:
  explicit TsengCard(TsengChip chip);

  std::string_view name() const override;
  uint8_t family() const override { return kFamilyTseng; }
  uint16_t model() const override;

  double DriverClockHz(double wanted_hz) const override;

  bool key_open() const { return key_open_; }
  // The clock number the registers select (0-15 on the ET4000, 0-7 on the ET3000).
  int SelectedClock() const;
  // The pixel clock divider SR07 applies (1, 2 or 4).
  int Sr07Divisor() const;
  static double BoardClockHz(int index);

 protected:
  RegisterAccess Access(RegFile file, uint8_t index) const override;
  double ClockHz(int select) const override;
  void ApplyExtensions(CrtcTiming& timing) const override;
  void ProgramMode(const ModeTiming& mode) override;

  uint8_t PeekExtraPort(uint16_t port) const override;
  void WriteExtraPort(uint16_t port, uint8_t value) override;

 private:
  RegisterAccess CrtcAccess(uint8_t index) const;
  uint16_t ModeControlPort() const;
  int ClockCount() const { return chip_ == TsengChip::kEt4000 ? 16 : 8; }

  TsengChip chip_;
  bool key_open_ = false;
  uint8_t hercules_ = 0;
  uint8_t mode_control_ = 0;
  uint8_t segment_ = 0;
};

// A card of the given chip, for the catalogue.
template <TsengChip chip>
std::unique_ptr<VgaCard> MakeTseng() {
  return std::make_unique<TsengCard>(chip);
}

}  // namespace zanvo::virt
