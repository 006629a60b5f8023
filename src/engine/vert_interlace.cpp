// The chip's own interlace mode, by family. Each family's register and bit, its companion
// writes (the half-line position of the odd field's sync), whether the chip fetches both fields
// from one frame (the offset doubles) and whether it counts vertical values in frame lines.

#include "engine/engine_port.h"
#include "engine/engine_state.h"
#include "engine/register_access.h"
#include "engine/vert_fit.h"
#include "engine/vga_regs.h"

namespace zanvo::engine {

namespace {

enum class Offset { kKeep, kDouble };

// Sets `bit` in a CRTC register (with extra bits ORed in) unless it is already set; true when
// the write happened.
bool SetCrtcBit(uint8_t index, uint8_t bit, uint8_t also = 0) {
  const uint8_t value = ReadCrtcReg(index);
  if ((value & bit) != 0) return false;
  WriteSelectedReg(static_cast<uint16_t>(Eng.CrtcPort + kCrtcDataOffset),
                   static_cast<uint8_t>(value | bit | also));
  return true;
}

bool SetIndexedBit(uint16_t index_port, uint8_t index, uint8_t bit) {
  const uint8_t value = ReadIndexedReg(index_port, index);
  if ((value & bit) != 0) return false;
  WriteSelectedReg(static_cast<uint16_t>(index_port + 1), static_cast<uint8_t>(value | bit));
  return true;
}

bool SetBlockInterlace() {
  PortIo& io = Port();
  const uint16_t port = BlockIoPort(kBlkGenCntl);
  const uint8_t value = io.InByte(port);
  if ((value & 0x02) != 0) return false;
  io.OutByte(port, static_cast<uint8_t>(value | 0x02));
  return true;
}

// Interlace now on: each field shows half the lines.
void Interlaced(VertFit& fit, Offset offset) {
  fit.lines >>= 1;
  if (offset == Offset::kDouble) fit.line_offset = static_cast<uint16_t>(fit.line_offset << 1);
}

void InterlaceOak(VertFit& fit, uint8_t half_line) {
  if (Eng.ChipModel == kModelOakGeneric) return;
  if (!SetIndexedBit(kOakExtIndex, OAK14, 0x80)) return;
  WriteIndexedBytes(kOakExtIndex, OAK15, half_line);
  Interlaced(fit, Offset::kKeep);
}

void InterlaceS3(VertFit& fit, uint8_t half_line) {
  if (!SetCrtcBit(CR42, 0x20)) return;
  WriteCrtcReg(CR3C, half_line);
  WriteCrtcReg(CR5E, 0x00);
  UpdateCrtcReg(CR67, 0xF3, 0x00);  // streams processor off
  Interlaced(fit, Offset::kKeep);
}

void InterlaceCirrus(VertFit& fit, uint8_t half_line) {
  if (!SetCrtcBit(CR1A, 0x01)) return;
  WriteCrtcReg(CR19, half_line);
  Interlaced(fit, Offset::kKeep);
}

// Tseng: no test, the bit is always written. The ET4000 counts vertical values per frame.
void InterlaceTseng(VertFit& fit) {
  const bool et3000 = Eng.ChipModel == kModelTseng3000;
  if (!et3000) Eng.CountFrameLines = 1;
  UpdateCrtcReg(et3000 ? CR25 : CR35, 0xF0, 0x80);
  Interlaced(fit, Offset::kKeep);
}

void InterlaceWD(VertFit& fit, uint8_t half_line) {
  if (!SetCrtcBit(CR2D, 0x20, static_cast<uint8_t>(half_line - 1))) return;
  WriteCrtcReg(CR2C, half_line);
  Interlaced(fit, Offset::kKeep);
}

}  // namespace

void SetUpInterlace(VertFit& fit, bool wanted) {
  const uint8_t family = Eng.ChipFamily;
  if (family == cfStandardVGA) return;
  const auto half_line = static_cast<uint8_t>(Eng.HTotalReg >> 1);
  if (Eng.InterlaceEnabled != 1 || !wanted) return;

  if (family == cfOak) {
    InterlaceOak(fit, half_line);
  } else if (family == cfS3) {
    InterlaceS3(fit, half_line);
  } else if (family == cfCirrus) {
    InterlaceCirrus(fit, half_line);
  } else if (family == cfTseng) {
    InterlaceTseng(fit);
  } else if (family == cfTrident) {
    if (SetCrtcBit(CR1E, 0x04)) Interlaced(fit, Offset::kDouble);
  } else if (family == cfCode7) {
    Eng.CountFrameLines = 1;
    if (SetCrtcBit(CR33, 0x80)) Interlaced(fit, Offset::kDouble);
  } else if (family == cfRealtek) {
    if (SetCrtcBit(CR19, 0x01)) Interlaced(fit, Offset::kDouble);
  } else if (family == cfATI) {
    Eng.CountFrameLines = 1;
    // The chip's interlace steps two pitches a field line by itself.
    if (SetBlockInterlace()) Interlaced(fit, Offset::kKeep);
  } else if (family == cfIntel) {
    Eng.CountFrameLines = 1;
    if (SetCrtcBit(CR70, 0x80, half_line)) Interlaced(fit, Offset::kDouble);
  } else if (family == cfUMC) {
    if (SetCrtcBit(CR2F, 0x01)) Interlaced(fit, Offset::kDouble);
  } else if (family == cfWD) {
    InterlaceWD(fit, half_line);
  } else if (family == cfSiS) {
    if (SetIndexedBit(kSeqIndex, SR06, 0x20)) Interlaced(fit, Offset::kDouble);
  }
}

}  // namespace zanvo::engine
