// The vertical register image and how it reaches the CRTC or the family-8 block registers.

#include "engine/engine_port.h"
#include "engine/engine_state.h"
#include "engine/register_access.h"
#include "engine/vertical.h"
#include "engine/vga_regs.h"

namespace zanvo::engine {

namespace {

// Block register 0x0C: sync width in bits 16-20, bit 21 negative polarity.
inline constexpr uint32_t kBlkVSyncNegative = 0x20;
// Block register 0x08 holds the total plus one; VTotalReg is the CRTC's total minus 2.
inline constexpr uint16_t kBlkVTotalBias = 3;

uint8_t Bit(uint16_t value, unsigned from, unsigned to) {
  return static_cast<uint8_t>(((value >> from) & 1u) << to);
}

void WriteBlockVertImage() {
  PortIo& io = Port();
  const auto total = static_cast<uint16_t>(Eng.VTotalReg + kBlkVTotalBias);
  io.OutDword(BlockIoPort(kBlkVTotalDisp), (uint32_t{Eng.VDispEndReg} << 16) | total);
  const auto width = static_cast<uint16_t>(Eng.VSyncEndReg - Eng.VSyncStartReg);
  io.OutDword(BlockIoPort(kBlkVSyncStrtWid),
              ((uint32_t{width} | kBlkVSyncNegative) << 16) | Eng.VSyncStartReg);
}

// The i740's extended CRTC: while XR09 bit 0 is set the chip takes the vertical bits 8-11 from
// CR30-CR33 (total, display end, sync start, blank start) and ignores the CR07 and CR09 overflow
// bits, so they are written from the same values. Without the extended CRTC they do nothing and
// are left alone.
void WriteIntelVertHighBits() {
  if ((ReadIndexedReg(kIntelXrIndex, XR09) & kXR09ExtendedCrtc) == 0) return;
  const auto high = [](uint16_t value) { return static_cast<uint8_t>((value >> 8) & 0x0F); };
  UpdateCrtcReg(CR30, 0xF0, high(Eng.VTotalReg));
  UpdateCrtcReg(CR31, 0xF0, high(Eng.VDispEndReg));
  UpdateCrtcReg(CR32, 0xF0, high(Eng.VSyncStartReg));
  UpdateCrtcReg(CR33, 0xF0, high(Eng.VBlankStartReg));
}

}  // namespace

void WriteVertImage() {
  if (Eng.ChipFamily == cfATI) {
    WriteBlockVertImage();
    return;
  }
  const uint16_t data_port = static_cast<uint16_t>(Eng.CrtcPort + kCrtcDataOffset);

  WriteCrtcReg(CR12, static_cast<uint8_t>(Eng.VDispEndReg));
  WriteCrtcReg(CR15, static_cast<uint8_t>(Eng.VBlankStartReg));
  // CR09 bit 5 is only ever set here; ProgramVertical clears it beforehand.
  UpdateCrtcReg(CR09, 0xFF, Bit(Eng.VBlankStartReg, 9, 5));
  WriteCrtcReg(CR10, static_cast<uint8_t>(Eng.VSyncStartReg));
  // CR11: 7 protect  6 bandwidth  5 vint disable  4 vint clear  3-0 sync end. Bit 6 of the sync
  // end goes in with the low nibble, and stays only on S3.
  const uint8_t cr11 = UpdateCrtcReg(CR11, 0xF0, static_cast<uint8_t>(Eng.VSyncEndReg & 0x4F));
  if (Eng.ChipFamily == cfS3) {
    UpdateCrtcReg(CR3A, 0xFB, 0x00);
  } else {
    WriteSelectedReg(data_port, static_cast<uint8_t>(cr11 & 0xBF));
  }
  WriteCrtcReg(CR16, static_cast<uint8_t>(Eng.VBlankEndReg));
  WriteCrtcReg(CR06, static_cast<uint8_t>(Eng.VTotalReg));

  // CR07:  7 VRS9  6 VDE9  5 VT9  4 LC8  3 VBS8  2 VRS8  1 VDE8  0 VT8
  const auto overflow = static_cast<uint8_t>(
      Bit(Eng.VTotalReg, 8, 0) | Bit(Eng.VDispEndReg, 8, 1) | Bit(Eng.VSyncStartReg, 8, 2) |
      Bit(Eng.VBlankStartReg, 8, 3) | 0x10 | Bit(Eng.VTotalReg, 9, 5) | Bit(Eng.VDispEndReg, 9, 6) |
      Bit(Eng.VSyncStartReg, 9, 7));
  WriteCrtcReg(CR07, overflow);

  // SiS 300 SR0A: 4 vertical blank end bit 8, 5 vertical sync end bit 4 (the chip compares five
  // bits of the sync end; without the fifth, an end with bit 4 set comes 16 lines late).
  if (Eng.ChipFamily == cfSiS && Eng.ChipModel == kModelSiS300) {
    WriteIndexedPair(
        kSeqIndex, SR0A,
        static_cast<uint8_t>(Bit(Eng.VBlankEndReg, 8, 4) | Bit(Eng.VSyncEndReg, 4, 5)));
  }

  if (Eng.ChipFamily == cfIntel) WriteIntelVertHighBits();
}

void ClearTsengInterlace() {
  if (Eng.ChipFamily != cfTseng) return;
  UpdateCrtcReg(Eng.ChipModel == kModelTseng4000 ? CR35 : CR25, 0x7F, 0x00);
}

}  // namespace zanvo::engine
