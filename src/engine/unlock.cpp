#include "engine/unlock.h"

#include "engine/engine_port.h"
#include "engine/engine_state.h"
#include "engine/register_access.h"
#include "engine/vga_regs.h"

namespace zanvo::engine {

namespace {

// S3: SR08 = 0x06 opens SR09 and up, CR38 = 0x48 opens CR2D-CR3F, CR39 = 0xA5 opens CR40 and up.
void UnlockS3() {
  WriteIndexedPair(kSeqIndex, SR08, 0x06);
  WriteIndexedPair(Eng.CrtcPort, CR38, 0x48);
  WriteIndexedPair(Eng.CrtcPort, CR39, 0xA5);
}

// Trident: the 3D chips need SR11 = 0x92 first. Writing SR0B selects the old-mode SR0D/SR0E,
// reading it back switches to new mode; the read is part of the key.
void UnlockTrident() {
  if (Eng.ChipModel == kModelTridentBlade3D) WriteIndexedPair(kSeqIndex, SR11, 0x92);
  WriteIndexedBytes(kSeqIndex, SR0B, 0x00);
  static_cast<void>(Port().InByte(kSeqData));
}

// WD: PR5 (GR0F) bits 0-2 = 5 opens PR0-PR4; PR10 (CR29) = 0x85 opens PR11-PR17.
void UnlockWD() {
  ModifyIndexedReg(kGcIndex, GR0F, 0x17, 0x05);
  ModifyIndexedReg(Eng.CrtcPort, CR29, 0x8F, 0x85);
}

// Tseng KEY: 0x03 to the Hercules compatibility port, then 0xA0 to the mode control port of the
// addressing in use (0x3D8 colour, 0x3B8 mono).
void UnlockTseng() {
  Port().OutByte(kHerculesCompat, 0x03);
  Port().OutByte(static_cast<uint16_t>(Eng.CrtcPort + kModeControlOffset), 0xA0);
}

}  // namespace

void UnlockExtRegs() {
  UpdateCrtcReg(CR11, static_cast<uint8_t>(~kCR11Protect), 0x00);

  const uint8_t family = Eng.ChipFamily;
  if (family == cfS3) {
    UnlockS3();
  } else if (family == cfTrident) {
    UnlockTrident();
  } else if (family == cfCode7) {
    WriteIndexedPair(Eng.CrtcPort, CR1F, 0x57);
  } else if (family == cfIntel) {
    UpdateCrtcReg(CR80, 0xFF, 0x03);
  } else if (family == cfCirrus) {
    WriteIndexedPair(kSeqIndex, SR06, 0x12);
  } else if (family == cfUMC) {
    Port().OutByte(kHerculesCompat, 0xAC);
  } else if (family == cfWD) {
    UnlockWD();
  } else if (family == cfTseng) {
    UnlockTseng();
  } else if (family == cfSiS) {
    WriteIndexedPair(kSeqIndex, SR05, 0x86);
  }
}

}  // namespace zanvo::engine
