// The horizontal register image: built from a table row, its wrapped end positions, and how it
// reaches the CRTC or the family-8 block registers.

#include "engine/computed_timing.h"
#include "engine/engine_port.h"
#include "engine/engine_state.h"
#include "engine/horizontal.h"
#include "engine/register_access.h"
#include "engine/vga_regs.h"

namespace zanvo::engine {

namespace {

// CR00 counts the total minus 5 (the VGA's fetch pipeline adds five characters).
inline constexpr uint8_t kTotalBias = 5;
// The display must end at least this many characters before the sync starts.
inline constexpr uint8_t kSyncGuard = 4;
// Above this total a blank end that passes the total is folded back from 193 (the highest
// built-in blank start) instead.
inline constexpr uint8_t kLongLineTotal = 200;
inline constexpr uint8_t kFoldBlankStart = 193;

// Block register 0x04: sync width in bits 16-20, bit 21 negative polarity.
inline constexpr uint32_t kBlkHSyncNegative = 0x20;

// CR03: 7 compatibility read  6-5 display skew  4-0 blank end bits 0-4
// CR05: 7 blank end bit 5  6-5 sync delay  4-0 sync end
inline constexpr uint8_t kCR03Keep = 0xE0;
inline constexpr uint8_t kCR05Keep = 0x60;
// SR0C on the SiS 300: 2 sync end bit 5, 1-0 blank end bits 6-7.
inline constexpr uint8_t kSR0CKeep = 0xF8;
// S3 CR5D bits 0-5: horizontal overflow bits, all cleared for the TV line.
inline constexpr uint8_t kCR5DKeep = 0xC0;

// CR07 bits 1 and 6: vertical display end bits 8 and 9. CR17 bit 2: count lines by two.
inline constexpr uint8_t kCR07DispEnd8 = 0x02;
inline constexpr uint8_t kCR07DispEnd9 = 0x40;
inline constexpr uint8_t kCR17CountByTwo = 0x04;

// The i740's extended CRTC compares the horizontal blank end with seven bits, the seventh in
// CR39 bit 0; a driver's mode may have left it set, which would blank 64 characters more.
inline constexpr uint8_t kIntelCR39BlankEnd6 = 0x01;

void WriteIntelBlankEndBit6() {
  if ((ReadIndexedReg(kIntelXrIndex, XR09) & kXR09ExtendedCrtc) == 0) return;
  UpdateCrtcReg(CR39, static_cast<uint8_t>(~kIntelCR39BlankEnd6),
                static_cast<uint8_t>((Eng.HBlankEndReg >> 6) & kIntelCR39BlankEnd6));
}

uint8_t ReadDisplayEnd() {
  if (Eng.ChipFamily == cfATI) {
    return static_cast<uint8_t>(Port().InDword(BlockIoPort(kBlkHTotalDisp)) >> 16);
  }
  return ReadCrtcReg(CR01);
}

}  // namespace

void BuildHorzImage(uint8_t row) {
  const HorzRow& r = ActiveHorzRow(row);

  Eng.HTotalReg = static_cast<uint8_t>(r[kRowTotal] - kTotalBias);
  if (Eng.ChipFamily == cfS3) WriteCrtcReg(CR3B, Eng.HTotalReg);
  Eng.HSyncStartReg = r[kRowSyncStart];

  uint8_t disp_end = ReadDisplayEnd();
  const uint8_t latest_end = static_cast<uint8_t>(Eng.HSyncStartReg - kSyncGuard);
  if (disp_end != 0 && latest_end <= disp_end) disp_end = latest_end;
  Eng.HDispEndReg = disp_end;

  Eng.HBlankStartReg = r[kRowBlankStart];
  Eng.HSyncWidth = r[kRowSyncWidth];
  Eng.HBlankWidth = r[kRowBlankWidth];
  ComputeBlankSyncEnd();
  WriteHorzImage();
}

void ComputeBlankSyncEnd() {
  const uint8_t total = Eng.HTotalReg;
  const uint8_t blank_start = Eng.HBlankStartReg;

  const unsigned blank_end = unsigned{blank_start} + Eng.HBlankWidth;  // up to 510, no wrap
  // The sync wraps at the line's end, which is CR00's value plus its bias. A computed row's
  // blank does too (it may end at the total, so the desktop's first column is not hidden); the
  // tables' rows keep their wrap at CR00's value, which their borders allow for.
  const unsigned line = unsigned{total} + kTotalBias;
  const unsigned blank_wrap = Eng.HorzRowComputed != 0 ? line : total;
  if (blank_end <= 0xFF && blank_end < blank_wrap) {
    Eng.HBlankEndReg = static_cast<uint8_t>(blank_end);
  } else {
    const auto wrapped = static_cast<uint8_t>(blank_end - blank_wrap);
    if (total < kLongLineTotal) {
      Eng.HBlankEndReg = wrapped;
    } else if (blank_start < static_cast<uint8_t>(total - Eng.HBlankWidth)) {
      Eng.HBlankEndReg = wrapped;
    } else if (blank_start < kFoldBlankStart) {
      Eng.HBlankEndReg = total;
    } else {
      Eng.HBlankEndReg = static_cast<uint8_t>(blank_start - kFoldBlankStart);
    }
  }

  // An end in the line's last characters, past CR00's value, is still on the line (the
  // 50-column rows' sync ends there).
  unsigned sync_end = unsigned{Eng.HSyncStartReg} + Eng.HSyncWidth;
  if (sync_end >= line) sync_end -= line;
  Eng.HSyncEndReg = static_cast<uint8_t>(sync_end);

  if (Eng.ChipFamily == cfS3) UpdateCrtcReg(CR5D, kCR5DKeep, 0x00);
}

void WriteHorzImage() {
  if (Eng.ChipFamily == cfATI) {
    PortIo& io = Port();
    const auto total = static_cast<uint8_t>(Eng.HTotalReg + kTotalBias);
    io.OutDword(BlockIoPort(kBlkHTotalDisp), (uint32_t{Eng.HDispEndReg} << 16) | total);
    // The block register takes the sync's width, not its end: an end wrapped at the line's
    // end is unwrapped first.
    auto width = static_cast<uint8_t>(Eng.HSyncEndReg - Eng.HSyncStartReg);
    if (Eng.HSyncEndReg < Eng.HSyncStartReg) width = static_cast<uint8_t>(width + total);
    io.OutDword(BlockIoPort(kBlkHSyncStrtWid),
                ((uint32_t{width} | kBlkHSyncNegative) << 16) | Eng.HSyncStartReg);
    return;
  }

  WriteCrtcReg(CR00, Eng.HTotalReg);
  WriteCrtcReg(CR01, Eng.HDispEndReg);
  WriteCrtcReg(CR02, Eng.HBlankStartReg);
  WriteCrtcReg(CR04, Eng.HSyncStartReg);
  UpdateCrtcReg(CR03, kCR03Keep, Eng.HBlankEndReg & 0x1F);
  UpdateCrtcReg(CR05, kCR05Keep,
                static_cast<uint8_t>(((Eng.HBlankEndReg & 0x20) << 2) | (Eng.HSyncEndReg & 0x1F)));

  if (Eng.ChipFamily == cfIntel) WriteIntelBlankEndBit6();
  if (Eng.ChipFamily == cfSiS && Eng.ChipModel == kModelSiS300) {
    WriteIndexedBytes(kSeqIndex, SR0B, 0x00);
    UpdateIndexedReg(
        kSeqIndex, SR0C, kSR0CKeep,
        static_cast<uint8_t>(((Eng.HBlankEndReg & 0xC0) >> 6) | ((Eng.HSyncEndReg & 0x20) >> 3)));
  }
}

uint16_t ReadDisplayedLines() {
  if (Eng.ChipFamily == cfATI) {
    return static_cast<uint16_t>(Port().InWord(BlockIoPort(kBlkVDispWord)) + 1);
  }
  const uint8_t disp_end_low = ReadCrtcReg(CR12);
  const uint8_t overflow = ReadCrtcReg(CR07);
  auto lines = static_cast<uint16_t>(disp_end_low + 1);
  if ((overflow & kCR07DispEnd8) != 0) lines = static_cast<uint16_t>(lines + 256);
  if ((overflow & kCR07DispEnd9) != 0) lines = static_cast<uint16_t>(lines + 512);

  const uint8_t mode_control = ReadCrtcReg(CR17);
  if ((mode_control & kCR17CountByTwo) != 0) {
    lines = static_cast<uint16_t>(lines * 2);
    WriteSelectedReg(static_cast<uint16_t>(Eng.CrtcPort + kCrtcDataOffset),
                     static_cast<uint8_t>(mode_control & ~kCR17CountByTwo));
  }
  return lines;
}

}  // namespace zanvo::engine
