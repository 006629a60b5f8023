// Which standard registers exist and which of their bits a write may change.

#include "platform/virtual/cards/vga_card.h"

namespace zanvo::virt {

namespace {

constexpr RegisterAccess kAbsent{false, 0x00};
constexpr RegisterAccess Full() {
  return {true, 0xFF};
}

// Attribute registers: AR00-AR0F palette (six bits), AR10 mode control, AR11 overscan,
// AR12 colour plane enable (bits 4-5 select the diagnostic mux), AR13 horizontal pel panning,
// AR14 colour select.
RegisterAccess AttributeAccess(uint8_t index, bool palette_locked) {
  if (index < 0x10) return {true, static_cast<uint8_t>(palette_locked ? 0x00 : 0x3F)};
  switch (index) {
    case 0x10:
    case 0x11:
      return Full();
    case 0x12:
      return {true, 0x3F};
    case 0x13:
    case AR14:
      return {true, 0x0F};
    default:
      return kAbsent;
  }
}

}  // namespace

RegisterAccess VgaCard::Access(RegFile file, uint8_t index) const {
  switch (file) {
    case RegFile::kSequencer:
      return index < kStandardSeqCount ? Full() : kAbsent;
    case RegFile::kGraphics:
      return index < kStandardGcCount ? Full() : kAbsent;
    case RegFile::kCrtc:
      if (index >= kStandardCrtcCount) return kAbsent;
      // CR11 bit 7 protects the horizontal timing and the overflow register, except the line
      // compare bit 8 in CR07, which split-screen code must still reach.
      if (index <= CR07 && (Stored(RegFile::kCrtc, CR11) & kCR11Protect) != 0 &&
          !locks_held_open()) {
        return {true, static_cast<uint8_t>(index == CR07 ? kCR07LineCompare8 : 0x00)};
      }
      return Full();
    case RegFile::kAttribute: {
      // While the palette feeds the screen (index bit 5 set) the CPU cannot change it.
      const bool palette_locked =
          (PeekIndex(RegFile::kAttribute) & kAttrPaletteSource) != 0 && !locks_held_open();
      return AttributeAccess(index, palette_locked);
    }
  }
  return kAbsent;
}

uint8_t VgaCard::ReadRegister(RegFile file, uint8_t index) const {
  return Access(file, index).readable ? Stored(file, index) : kFloatingBus;
}

void VgaCard::WriteRegister(RegFile file, uint8_t index, uint8_t value) {
  const uint8_t mask = Access(file, index).write_mask;
  uint8_t& stored = StoredRef(file, index);
  stored = static_cast<uint8_t>((stored & ~mask) | (value & mask));
}

}  // namespace zanvo::virt
