// The CRTC offset (memory line stride) with each family's extension bits above CR13.

#include "engine/engine_port.h"
#include "engine/engine_state.h"
#include "engine/register_access.h"
#include "engine/vert_fit.h"
#include "engine/vga_regs.h"

namespace zanvo::engine {

namespace {

// Family 8 keeps the pitch in bits 6-15 of the OFF_PITCH high word, in units of 8 pixels. The
// step works on the pitch itself: a unit any coarser would lose an odd pitch's last bit when a
// removed doubling halves it (a 400-pixel desktop's pitch is 50, and half of it 25).
inline constexpr unsigned kBlkPitchShift = 6;
inline constexpr uint16_t kBlkPitchKeep = 0x003F;

bool SiS6326Offset() {
  return Eng.ChipFamily == cfSiS && Eng.ChipModel == kModelSiS6326;
}

uint8_t ReadOffsetHigh() {
  const uint8_t family = Eng.ChipFamily;
  if (family == cfS3) {
    // CR51 bits 4-5 are offset bits 8-9; older chips only have CR43 bit 2 as bit 8.
    const auto high = static_cast<uint8_t>((ReadCrtcReg(CR51) & 0x30) >> 4);
    if (high != 0) return high;
    return static_cast<uint8_t>((ReadCrtcReg(CR43) & 0x04) >> 2);
  }
  if (family == cfTrident) return static_cast<uint8_t>((ReadCrtcReg(CR29) & 0x30) >> 4);
  // A deep desktop's stride passes 255 on Cirrus: without CR1B bit 4 the step would fit a stride
  // cut to its low byte and keep the old bit 8 under the new one.
  if (family == cfCirrus) return static_cast<uint8_t>((ReadCrtcReg(CR1B) & 0x10) >> 4);
  if (family == cfIntel) return ReadCrtcReg(CR41);
  if (SiS6326Offset()) return static_cast<uint8_t>(ReadIndexedReg(kSeqIndex, SR0A) >> 4);
  if (family == cfSiS) return ReadIndexedReg(kSeqIndex, SR0E) & 0x0F;
  return 0;  // Tseng is written but not read; the rest have no extension
}

void WriteOffsetHigh(uint8_t high) {
  const uint8_t family = Eng.ChipFamily;
  if (family == cfS3) {
    UpdateCrtcReg(CR51, 0xCF, static_cast<uint8_t>(high << 4));
    UpdateCrtcReg(CR43, 0xFB, static_cast<uint8_t>((high & 1) << 2));
  } else if (family == cfCirrus) {
    UpdateCrtcReg(CR1B, 0xEF, static_cast<uint8_t>((high & 1) << 4));
  } else if (family == cfTrident) {
    // CR29 is writable only while SR0E bit 7 (new mode) unprotects it.
    UpdateIndexedReg(kSeqIndex, SR0E, 0xFF, 0x80);
    UpdateCrtcReg(CR29, 0xCF, static_cast<uint8_t>((high & 3) << 4));
    UpdateIndexedReg(kSeqIndex, SR0E, 0x7F, 0x00);
  } else if (family == cfIntel) {
    WriteCrtcReg(CR41, high);
  } else if (family == cfTseng) {
    UpdateCrtcReg(CR3F, 0x7F, high != 0 ? 0x80 : 0x00);
  } else if (SiS6326Offset()) {
    // Bits 0-3 are the 6326's vertical overflow: they stay.
    UpdateIndexedReg(kSeqIndex, SR0A, 0x0F, static_cast<uint8_t>(high << 4));
  } else if (family == cfSiS) {
    UpdateIndexedReg(kSeqIndex, SR0E, 0xF0, high);
  }
}

}  // namespace

int LineOffsetBits() {
  const uint8_t family = Eng.ChipFamily;
  const uint16_t model = Eng.ChipModel;
  if (family == cfATI || family == cfS3) return 10;
  if (family == cfIntel || family == cfSiS) return 12;
  if (family == cfCirrus) return 9;
  if (family == cfTseng) return model == kModelTseng3000 ? 8 : 9;
  if (family == cfTrident) {
    // The 8800BR has no CR29 (docs/chips.md); the 0xF3 chip has bit 9 beside bit 8.
    if (model == kModelTridentOld) return 8;
    return model == kModelTridentBlade3D ? 10 : 9;
  }
  return 8;  // CR13 alone
}

uint16_t ReadLineOffset() {
  if (Eng.ChipFamily == cfATI) {
    const uint16_t word = Port().InWord(BlockIoPort(kBlkPitchWord));
    return static_cast<uint16_t>(word >> kBlkPitchShift);
  }
  const uint8_t low = ReadCrtcReg(CR13);
  const uint8_t high = ReadOffsetHigh();
  return static_cast<uint16_t>(low | (high << 8));
}

void WriteLineOffset(uint16_t line_offset) {
  if (Eng.ChipFamily == cfATI) {
    PortIo& io = Port();
    const uint16_t port = BlockIoPort(kBlkPitchWord);
    const uint16_t word = io.InWord(port);
    io.OutWord(port, static_cast<uint16_t>((word & kBlkPitchKeep) |
                                           static_cast<uint16_t>(line_offset << kBlkPitchShift)));
    return;
  }
  WriteOffsetHigh(static_cast<uint8_t>(line_offset >> 8));
  WriteCrtcReg(CR13, static_cast<uint8_t>(line_offset & 0xFF));
}

}  // namespace zanvo::engine
