// Clock programming of the horizontal step by chip family: the preparation made while the
// sequencer is held in reset, the extra clock step after it runs again, and which chips make the
// halved dot clock themselves.

#include "engine/horz_clock.h"
#include "engine/engine_port.h"
#include "engine/engine_state.h"
#include "engine/horizontal.h"
#include "engine/register_access.h"
#include "engine/vga_regs.h"

namespace zanvo::engine {

namespace {

// Clock 1, 8-dot characters, no SR01 halving, extra clock step.
inline constexpr uint8_t kHalfClockFlags = 0x31;

bool IsS3Vision(uint16_t model) {
  return model >= kModelS3VisionFirst && model <= kModelS3VisionLast;
}

// ---- Preparation, sequencer in reset ---------------------------------------------------------

// Oak 0x0D bit 5 is clock select bit 2: back to the first four clocks.
void PrepareOak() {
  UpdateIndexedReg(kOakExtIndex, OAK0D, 0xDF, 0x00);
}

// CR38 bits 2-3 give the pixel depth. Above 8 bits per pixel the programmable VCLK (clock 2) is
// loaded with a word per depth:  12 K (post divide)  11-7 M  6-0 N.
uint8_t PrepareTrident(uint8_t flags) {
  const uint8_t depth = ReadCrtcReg(CR38) & 0x0C;
  if (depth != 0) {
    flags = static_cast<uint8_t>((flags & 0x9F) | 0x40);
    UpdateIndexedReg(kSeqIndex, SR0E, 0xFF, 0x80);  // unprotect the clock ports
    uint16_t word = 0;
    if (depth == 0x04) {
      word = 0x0AD3;
    } else if (depth == 0x08) {
      word = 0x0757;
      flags &= 0x9F;
    } else {
      word = 0x04CF;
    }
    if ((flags & 0x08) != 0) {
      word |= 0x1000;
      flags &= 0xF7;
    }
    Port().OutByte(kTridentVclkLow, static_cast<uint8_t>(word & 0xFF));
    Port().OutByte(kTridentVclkHigh, static_cast<uint8_t>(word >> 8));
  }

  const uint8_t mode2 = ReadIndexedReg(kSeqIndex, SR0D);
  if (Eng.ChipModel == kModelTridentOld) {
    WriteSelectedReg(kSeqData, mode2 & 0xF8);
    return flags;
  }
  WriteSelectedReg(kSeqData, mode2 & 0xB8);
  WriteIndexedBytes(kSeqIndex, SR0B, 0x00);  // old-mode SR0E
  UpdateIndexedReg(kSeqIndex, SR0E, 0xEF, 0x00);
  Port().OutByte(kSeqIndex, SR0B);  // reading SR0B switches back to new mode
  static_cast<void>(Port().InByte(kSeqData));
  return flags;
}

// CR67 bits 4-7 = 3 or 5 (15/16-bit pixels): Trio and ViRGE count the CRTC in doubled units.
uint8_t PrepareS3(uint8_t flags) {
  const uint8_t format = ReadCrtcReg(CR67) & 0xF0;
  const uint16_t model = Eng.ChipModel;
  if (model == kModelS3Trio32 || model == kModelS3Trio64 || model == kModelS3Virge) {
    if (format == 0x30 || format == 0x50) {
      if (flags == 0x21) {
        flags = 0x31;
      } else if (flags == 0x00) {
        flags = 0x11;
      } else if (flags == 0x09) {
        flags = 0x19;
      } else {
        flags = 0x39;
      }
    }
  } else if (model == kModelS3Trio3D) {
    // Keeps the flags.
  } else if (IsS3Vision(model) && format >= 0x30 && format <= 0x50) {
    flags = 0x29;
  }
  return flags;
}

void PrepareUMC() {
  UpdateIndexedReg(kSeqIndex, SR07, 0xFE, 0x00);
  UpdateIndexedReg(kSeqIndex, SR09, 0x7F, 0x00);
}

// GR0C bit 1 is clock select bit 2 (its sense is inverted from the 90C30 on).
void PrepareWD() {
  const uint8_t cs2 = Eng.ChipModel >= kModelWD90C30 ? 0x02 : 0x00;
  UpdateIndexedReg(kGcIndex, GR0C, 0xFD, cs2);
  UpdateCrtcReg(CR2E, 0xEF, 0x01);
}

// ET4000: SR07 bit 6 (clock divide) on and bit 0 off; the clock select extensions in CR31 and
// CR34 back to the first clocks.
void PrepareTseng() {
  if (Eng.ChipModel != kModelTseng4000) return;
  UpdateIndexedReg(kSeqIndex, SR07, 0xFE, 0x40);
  UpdateCrtcReg(CR31, 0x9F, 0x00);
  UpdateCrtcReg(CR34, 0x7C, 0x00);
}

// SiS 300 clock generator for the alternative 24 kHz row (flags 0x61, clock 3).
void PrepareSiS(uint8_t flags) {
  if (flags != 0x61) return;
  WriteIndexedBytes(kSeqIndex, SR2B, 0xA6);
  WriteIndexedBytes(kSeqIndex, SR2C, 0x3A);
  WriteIndexedBytes(kSeqIndex, SR2D, 0x80);
}

// ---- Extra clock step, sequencer running ------------------------------------------------------

// Clock select bit 2 on, Misc Output clock 0: clock 4 of the Oak's set.
void ExtraClockOak() {
  Eng.MiscOutImage &= 0xF3;
  Port().OutByte(kMiscOutputWrite, Eng.MiscOutImage);
  UpdateIndexedReg(kOakExtIndex, OAK0D, 0xFF, 0x20);
}

// New SR0D bit 1: divide the clock by two. Old chips with GR0F bit 3 already halve.
void ExtraClockTrident() {
  if (Eng.ChipModel < kModelTrident9000i && (ReadIndexedReg(kGcIndex, GR0F) & 0x08) != 0) return;
  UpdateIndexedReg(kSeqIndex, SR0D, 0xFF, 0x02);
}

void ExtraClockRealtek() {
  UpdateCrtcReg(CR1A, 0xFF, 0x10);
  UpdateIndexedReg(kGcIndex, GR0B, 0xFF, 0x01);
}

// SR15 bit 4 halves the DCLK.
void ExtraClockS3() {
  if (IsS3Vision(Eng.ChipModel)) return;
  UpdateIndexedReg(kSeqIndex, SR15, 0xCC, 0x10);
}

// Loads VCLK3 (SR0E numerator, SR1E denominator) and selects clock 3. SR07 bits 1-2 give the
// CRTC character clock divider of the pixel mode.
void ExtraClockCirrus() {
  const uint8_t divider = ReadIndexedReg(kSeqIndex, SR07) & 0x06;
  if (divider == 0x02) return;
  if (divider == 0x04) {
    WriteIndexedPair(kSeqIndex, SR0E, 0x71);
    WriteIndexedPair(kSeqIndex, SR1E, 0x27);
  } else {
    const auto clock = static_cast<uint8_t>((Eng.MiscOutImage >> 2) & 3);
    const uint8_t numerator = ReadIndexedReg(kSeqIndex, kCirrusVclkNumBase + clock);
    const uint8_t denominator = ReadIndexedReg(kSeqIndex, kCirrusVclkDenBase + clock);
    WriteIndexedPair(kSeqIndex, SR0E, static_cast<uint8_t>(numerator >> 1));
    WriteIndexedPair(kSeqIndex, SR1E, denominator);
  }
  Eng.MiscOutImage |= kMiscClockSelect;
  Port().OutByte(kMiscOutputWrite, Eng.MiscOutImage);
}

void ExtraClockUMC() {
  UpdateIndexedReg(kSeqIndex, SR09, 0xFF, 0x80);
}

// SR07 bit 6 divides the clock by two; on the ET4000 bit 0 is set with bit 6 cleared.
void ExtraClockTseng() {
  const uint8_t r = ReadIndexedReg(kSeqIndex, SR07);
  if (Eng.ChipModel == kModelTseng4000) {
    WriteSelectedReg(kSeqData, static_cast<uint8_t>((r & 0xBF) | 0x01));
  } else {
    WriteSelectedReg(kSeqData, static_cast<uint8_t>(r | 0x40));
  }
}

// SR2A bit 7: VCLK loop divide by two.
void ExtraClockSiS() {
  UpdateIndexedReg(kSeqIndex, SR2A, 0xFF, 0x80);
}

}  // namespace

uint8_t HalfClockCode(uint8_t flags) {
  const uint8_t family = Eng.ChipFamily;
  const uint16_t model = Eng.ChipModel;
  bool makes_half_clock = false;
  if (family == cfOak) {
    makes_half_clock = model == kModelOakGeneric;
  } else if (family == cfTrident) {
    makes_half_clock = true;
  } else if (family == cfRealtek) {
    makes_half_clock = model != kModelRealtekRtg3103;
  } else if (family == cfS3) {
    makes_half_clock = model == kModelS3Trio32 || model == kModelS3Trio64 ||
                       model == kModelS3Trio3D || model == kModelS3Virge;
  } else if (family == cfCirrus || family == cfUMC || family == cfTseng) {
    makes_half_clock = true;
  } else if (family == cfSiS) {
    makes_half_clock = model != kModelSiS300;
  }
  return makes_half_clock ? kHalfClockFlags : flags;
}

uint8_t PrepareFamilyClock(uint8_t flags) {
  const uint8_t family = Eng.ChipFamily;
  if (family == cfOak) {
    PrepareOak();
  } else if (family == cfTrident) {
    flags = PrepareTrident(flags);
  } else if (family == cfS3) {
    flags = PrepareS3(flags);
  } else if (family == cfUMC) {
    PrepareUMC();
  } else if (family == cfWD) {
    PrepareWD();
  } else if (family == cfTseng) {
    PrepareTseng();
  } else if (family == cfSiS) {
    PrepareSiS(flags);
  }
  return flags;
}

void RunExtraClockStep() {
  const uint8_t family = Eng.ChipFamily;
  if (family == cfOak) {
    ExtraClockOak();
  } else if (family == cfTrident) {
    ExtraClockTrident();
  } else if (family == cfRealtek) {
    ExtraClockRealtek();
  } else if (family == cfS3) {
    ExtraClockS3();
  } else if (family == cfCirrus) {
    ExtraClockCirrus();
  } else if (family == cfUMC) {
    ExtraClockUMC();
  } else if (family == cfTseng) {
    ExtraClockTseng();
  } else if (family == cfSiS) {
    ExtraClockSiS();
  }
}

}  // namespace zanvo::engine
