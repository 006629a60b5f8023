#include "chipset/register_probes.h"

#include "engine/engine_port.h"
#include "engine/engine_state.h"
#include "engine/register_access.h"
#include "engine/vga_regs.h"

namespace zanvo::chipset {

using namespace zanvo::engine;

namespace {

// Registers only the probes read.
inline constexpr uint8_t OAK23 = 0x23;    // exists on the OTI-083/087 only
inline constexpr uint8_t CR2E_S3 = 0x2E;  // S3 device ID low byte (Trio and later)
inline constexpr uint8_t CR30 = 0x30;     // S3 chip ID / revision
inline constexpr uint8_t CR36 = 0x36;     // WD chip name, two ASCII digits
inline constexpr uint8_t CR37 = 0x37;
inline constexpr uint8_t GR09 = 0x09;  // WD PR0A, address offset A; gated by the GR0F key
inline constexpr uint16_t kTsengSegment = 0x3CD;
inline constexpr uint16_t kRealtekBank0 = 0x3D6;
inline constexpr uint16_t kRealtekBank1 = 0x3D7;

// Oak 0x3DE: 7-5 chip ID on the OTI-037C..077, 4-0 the index.
inline constexpr uint8_t kOakIdShift = 5;
// Trident SR0E reads the written value with bit 1 inverted in the new register set.
inline constexpr uint8_t kTridentNewModeNibble = 0x02;
inline constexpr uint8_t kTridentSr0eInvert = 0x02;
// Cirrus SR06: writing 0x12 unlocks the extensions and reads back 0x12 (low bits 2); any other
// value locks them and reads back 0x0F.
inline constexpr uint8_t kCirrusLock = 0x00;
inline constexpr uint8_t kCirrusLockedReadback = 0x0F;
inline constexpr uint8_t kCirrusUnlock = 0x12;
inline constexpr uint8_t kCirrusUnlockedLowBits = 0x02;
// S3 CR38 = 0x48 unlocks CR2D-CR3F.
inline constexpr uint8_t kS3Lock = 0x00;
inline constexpr uint8_t kS3Unlock = 0x48;
// S3 CR30 values whose model is in CR2E instead (Trio32/64 and later).
inline constexpr uint8_t kS3IdNewFirst = 0xE0;
inline constexpr uint8_t kS3IdNewSecond = 0xE1;
// UMC: 0x3BF = 0x03 locks SR06, 0xAC opens it.
inline constexpr uint8_t kUmcLock = 0x03;
inline constexpr uint8_t kUmcUnlock = 0xAC;
// WD GR0F (PR5): bits 2-0 = 5 unlock GR09-GR0E.
inline constexpr uint8_t kWdLockBits = 0x17;
inline constexpr uint8_t kWdUnlock = 0x05;
// Tseng KEY: 0x03 to 0x3BF, then 0xA0 to the mode control port.
inline constexpr uint8_t kTsengKeyHercules = 0x03;
inline constexpr uint8_t kTsengKeyMode = 0xA0;

}  // namespace

bool ProbeOak() {
  if (!TestIndexedBits(kOakExtIndex, OAK0D, 0x38)) return false;
  Eng.ChipFamily = cfOak;
  if (TestIndexedBits(kOakExtIndex, OAK23, 0x1F)) {
    Eng.ChipModel = kModelOakOti083;
  } else {
    Eng.ChipModel = static_cast<uint8_t>(Port().InByte(kOakExtIndex) >> kOakIdShift);
  }
  return true;
}

bool ProbeTridentNew(uint8_t& version) {
  PortIo& io = Port();
  // On other chips SR0B is an ordinary register (a Cirrus keeps VCLK0's numerator there once
  // its extensions are open), so what the write below replaces is kept to be put back.
  const uint8_t old_sr0b = ReadIndexedReg(kSeqIndex, SR0B);
  // Writing SR0B selects the old register set; reading it back gives the chip version and
  // selects the new set.
  WriteIndexedPair(kSeqIndex, SR0B, 0x00);
  version = io.InByte(kSeqData);
  io.OutByte(kSeqIndex, SR0E);
  const uint8_t old_value = io.InByte(kSeqData);
  io.OutByte(kSeqData, 0x00);
  const uint8_t nibble = io.InByte(kSeqData) & 0x0F;
  io.OutByte(kSeqData, old_value);
  if (nibble != kTridentNewModeNibble) {
    // On a Trident with the old set only, the write selects that set, its only one.
    WriteIndexedPair(kSeqIndex, SR0B, old_sr0b);
    return false;
  }
  Eng.ChipFamily = cfTrident;
  Eng.ChipModel = version;
  WriteIndexedPair(kSeqIndex, SR0E, static_cast<uint8_t>(old_value ^ kTridentSr0eInvert));
  return true;
}

bool ProbeTridentOld(uint8_t version) {
  if (version != kModelTridentOld || !TestIndexedBits(kSeqIndex, SR0E, 0x06)) return false;
  Eng.ChipFamily = cfTrident;
  Eng.ChipModel = kModelTridentOld;
  return true;
}

bool ProbeCirrus() {
  PortIo& io = Port();
  const uint8_t old_value = ReadIndexedReg(kSeqIndex, SR06);
  WriteIndexedPair(kSeqIndex, SR06, kCirrusLock);
  bool cirrus = io.InByte(kSeqData) == kCirrusLockedReadback;
  if (cirrus) {
    WriteIndexedPair(kSeqIndex, SR06, kCirrusUnlock);
    cirrus = (io.InByte(kSeqData) & 0x07) == kCirrusUnlockedLowBits;
  }
  if (cirrus) cirrus = TestIndexedBits(kSeqIndex, SR1E, 0x3F);
  if (!cirrus) {
    WriteIndexedPair(kSeqIndex, SR06, old_value);
    return false;
  }
  Eng.ChipFamily = cfCirrus;  // SR06 stays unlocked
  return true;
}

bool ProbeS3() {
  // With CR38 locked, CR35 must not be writable; with it unlocked, it must.
  WriteIndexedPair(Eng.CrtcPort, CR38, kS3Lock);
  if (TestIndexedBits(Eng.CrtcPort, CR35, 0x0F)) return false;
  WriteIndexedPair(Eng.CrtcPort, CR38, kS3Unlock);
  if (!TestIndexedBits(Eng.CrtcPort, CR35, 0x0F)) return false;
  Eng.ChipFamily = cfS3;
  const uint8_t id = ReadCrtcReg(CR30);
  Eng.ChipModel = (id == kS3IdNewFirst || id == kS3IdNewSecond) ? ReadCrtcReg(CR2E_S3) : id;
  return true;
}

bool ProbeUMC() {
  PortIo& io = Port();
  const uint8_t old_key = io.InByte(kHerculesCompat);
  io.OutByte(kHerculesCompat, kUmcLock);
  if (!TestIndexedBits(kSeqIndex, SR06, 0xFF)) {
    io.OutByte(kHerculesCompat, kUmcUnlock);
    if (TestIndexedBits(kSeqIndex, SR06, 0xFF)) {
      Eng.ChipFamily = cfUMC;  // left unlocked
      return true;
    }
  }
  io.OutByte(kHerculesCompat, old_key);
  return false;
}

bool ProbeWD() {
  const uint8_t old_key = ReadIndexedReg(kGcIndex, GR0F);
  WriteIndexedPair(kGcIndex, GR0F, static_cast<uint8_t>(old_key | kWdLockBits));
  bool wd = false;
  if (!TestIndexedBits(kGcIndex, GR09, 0x7F)) {
    ModifyIndexedReg(kGcIndex, GR0F, kWdLockBits, kWdUnlock);
    if (TestIndexedBits(kGcIndex, GR09, 0x7F)) {
      wd = true;
      Eng.ChipFamily = cfWD;
      const uint8_t high = ReadCrtcReg(CR36);
      const uint8_t low = ReadCrtcReg(CR37);
      Eng.ChipModel = static_cast<uint16_t>(high << 8 | low);
    }
  }
  WriteIndexedPair(kGcIndex, GR0F, old_key);
  return wd;
}

bool ProbeTseng() {
  PortIo& io = Port();
  io.OutByte(kHerculesCompat, kTsengKeyHercules);
  io.OutByte(static_cast<uint16_t>(Eng.CrtcPort + kModeControlOffset), kTsengKeyMode);
  if (!TestPortBits(kTsengSegment, 0x3F)) return false;
  Eng.ChipFamily = cfTseng;
  Eng.ChipModel = kModelTseng3000;
  if (!TestIndexedBits(Eng.CrtcPort, CR33, 0x0F)) return false;  // ET3000: no CR33
  Eng.ChipModel = kModelTseng4000;
  return true;
}

// All three tests must pass: any one of them alone is a single writable register, which other
// chips (and an ET3000's leftovers) can have.
bool ProbeRealtek() {
  if (!TestIndexedBits(Eng.CrtcPort, CR1F, 0x3F)) return false;
  if (!TestPortBits(kRealtekBank0, 0x0F)) return false;
  if (!TestPortBits(kRealtekBank1, 0x0F)) return false;
  Eng.ChipFamily = cfRealtek;
  if (ReadCrtcReg(CR1A) == 0) Eng.ChipModel = kModelRealtekRtg3103;
  return true;
}

void RunRegisterProbes() {
  uint8_t trident_version = 0;
  if (ProbeOak()) return;
  if (ProbeTridentNew(trident_version)) return;
  if (ProbeTridentOld(trident_version)) return;
  if (ProbeCirrus()) return;
  if (ProbeS3()) return;
  if (ProbeUMC()) return;
  if (ProbeWD()) return;
  if (ProbeTseng()) return;
  ProbeRealtek();
}

}  // namespace zanvo::chipset
