#pragma once
// UMC 85C408 (family 12).
//
// Port 0x3BF is the extension key: 0xAC opens the extended registers, 0x03 closes them (any
// other value leaves the state as it was). While closed, SR06-SR09 and CR2F read back but
// ignore writes; detection relies on SR06 being fully writable only while open.
//   SR07  bit 0: stored only
//   SR09  bit 7: divides the dot clock by two (the chip's own half-clock mode)
//   CR2F  bit 0: interlace, field-sized vertical values
// Clock = Miscellaneous Output bits 3-2 from the board's four clocks. No source documents SR07
// bit 0, SR09 bit 7 or CR2F bit 0: docs/chips.md (UMC) says what the model takes them for.

#include "platform/virtual/cards/vga_card.h"

namespace zanvo::virt {

inline constexpr uint8_t kFamilyUmc = 12;
inline constexpr uint16_t kPortUmcKey = 0x3BF;
inline constexpr uint8_t kUmcUnlockKey = 0xAC;
inline constexpr uint8_t kUmcLockKey = 0x03;

class UmcCard final : public VgaCard {
 public:
  UmcCard() = default;

  std::string_view name() const override { return "umc-85c408"; }
  uint8_t family() const override { return kFamilyUmc; }
  uint16_t model() const override { return 0; }

  bool unlocked() const { return unlocked_; }

 protected:
  RegisterAccess Access(RegFile file, uint8_t index) const override;
  double ClockHz(int select) const override;
  void ApplyExtensions(CrtcTiming& timing) const override;
  void ProgramMode(const ModeTiming& mode) override;

  uint8_t PeekExtraPort(uint16_t port) const override;
  void WriteExtraPort(uint16_t port, uint8_t value) override;

 private:
  bool unlocked_ = false;
  uint8_t key_ = kUmcLockKey;  // the last byte written to 0x3BF
};

}  // namespace zanvo::virt
