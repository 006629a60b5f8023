#include "platform/virtual/cards/umc_card.h"

namespace zanvo::virt {

namespace {

constexpr uint8_t SR06 = 0x06;
constexpr uint8_t SR09 = 0x09;
constexpr uint8_t CR2F = 0x2F;

constexpr uint8_t kSR09HalfClock = 0x80;
constexpr uint8_t kCR2FInterlace = 0x01;

// A typical 85C408 board: the two VGA crystals and two SVGA clocks.
constexpr double kUmcClocks[4] = {25'175'000.0, 28'322'000.0, 65'000'000.0, 44'900'000.0};

}  // namespace

RegisterAccess UmcCard::Access(RegFile file, uint8_t index) const {
  const uint8_t open = unlocked_ || locks_held_open() ? 0xFF : 0x00;
  if (file == RegFile::kSequencer && index >= SR06 && index <= SR09) return {true, open};
  if (file == RegFile::kCrtc && index == CR2F) return {true, open};
  return VgaCard::Access(file, index);
}

double UmcCard::ClockHz(int select) const {
  return select >= 0 && select < 4 ? kUmcClocks[select] : 0;
}

uint8_t UmcCard::PeekExtraPort(uint16_t port) const {
  return port == kPortUmcKey ? key_ : kFloatingBus;
}

void UmcCard::WriteExtraPort(uint16_t port, uint8_t value) {
  if (port != kPortUmcKey) return;
  key_ = value;
  if (value == kUmcUnlockKey) unlocked_ = true;
  if (value == kUmcLockKey) unlocked_ = false;
}

void UmcCard::ApplyExtensions(CrtcTiming& t) const {
  if ((Stored(RegFile::kSequencer, SR09) & kSR09HalfClock) != 0) t.clock_divisor *= 2;
  t.interlaced = (Stored(RegFile::kCrtc, CR2F) & kCR2FInterlace) != 0;
  t.interlace_reads_frame = true;
  t.v_frame_lines = false;
}

// The BIOS opens the extensions, sets a progressive mode at the full dot clock and closes them
// again.
void UmcCard::ProgramMode(const ModeTiming& mode) {
  WriteExtraPort(kPortUmcKey, kUmcUnlockKey);
  WriteIndexed(RegFile::kSequencer, SR09,
               static_cast<uint8_t>(Stored(RegFile::kSequencer, SR09) & ~kSR09HalfClock));
  WriteIndexed(RegFile::kCrtc, CR2F,
               static_cast<uint8_t>(Stored(RegFile::kCrtc, CR2F) & ~kCR2FInterlace));
  VgaCard::ProgramMode(mode);
  WriteExtraPort(kPortUmcKey, kUmcLockKey);
}

}  // namespace zanvo::virt
