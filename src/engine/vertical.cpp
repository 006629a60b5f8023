#include "engine/vertical.h"

#include "engine/computed_timing.h"
#include "engine/engine_port.h"
#include "engine/engine_state.h"
#include "engine/horizontal.h"
#include "engine/register_access.h"
#include "engine/vert_fit.h"
#include "engine/vga_regs.h"

namespace zanvo::engine {

namespace {

// CR09:  7 double scan  6 line compare bit 9  5 vblank start bit 9  4-0 maximum scan line
inline constexpr uint8_t kCR09DoubleScan = 0x80;
inline constexpr uint8_t kCR09VBlankStart9 = 0x20;
inline constexpr uint8_t kCR09ScanLine0 = 0x01;

// Vertical sync is 4 lines long and blanking starts 3 lines before it. Blanking ends 18 lines
// after the sync (14 on the shorter NTSC field).
inline constexpr uint16_t kBlankLeadLines = 3;
inline constexpr uint16_t kSyncLines = 4;
inline constexpr uint16_t kBlankTailLines = 18;
inline constexpr uint16_t kBlankTailLinesNtsc = 14;

// With computed timings on, lines a progressive field holds go out progressive: interlaced,
// each field would show half of them, and the picture would fill half the set's height; a
// doubled picture that a progressive field holds keeps its doubling, for the same reason.
bool ProgressiveHolds(uint16_t lines) {
  return Eng.ComputedTimings != 0 && lines * 100u <= Eng.LinesPerField * kFieldSharePercent;
}

// A doubling bit was cleared: each memory row is one line now. Returns false when the undoubled
// picture fits a field: then interlace is skipped.
bool Undoubled(VertFit& fit) {
  fit.line_offset >>= 1;
  if ((fit.lines >> 1) <= Eng.LinesPerField) {
    ClearTsengInterlace();
    return false;
  }
  return true;
}

// The block-I/O family doubles lines with CRTC_GEN_CNTL bit 0, not CR09. Left on, a double-scanned
// desktop is shown with rows in swapped pairs under the chip's interlace (which steps two rows a
// field line) or every other row dropped by the line skip, though a field holds every row once.
bool RemoveBlockLineDoubling(VertFit& fit, bool& kept) {
  PortIo& io = Port();
  const uint16_t port = BlockIoPort(kBlkGenCntl);
  const uint8_t value = io.InByte(port);
  if ((value & kBlkGenDoubleScan) == 0) return true;
  kept = ProgressiveHolds(fit.lines);
  if (!kept) {
    io.OutByte(port, static_cast<uint8_t>(value & ~kBlkGenDoubleScan));
    if (Undoubled(fit)) return true;
  }
  return false;
}

// Clears the vertical blank start bit 9 and any line doubling (double scan or a maximum scan
// line of 1), unless it sets `kept` (which the caller starts false): a progressive field holds
// the doubled picture. Returns false when the picture fits a field: then interlace is skipped.
bool RemoveLineDoubling(VertFit& fit, bool& kept) {
  if (Eng.ChipFamily == cfATI) return RemoveBlockLineDoubling(fit, kept);
  const uint16_t data_port = static_cast<uint16_t>(Eng.CrtcPort + kCrtcDataOffset);
  const uint8_t cr09 = ReadCrtcReg(CR09);
  const auto without_bit9 = static_cast<uint8_t>(cr09 & ~kCR09VBlankStart9);
  WriteSelectedReg(data_port, without_bit9);
  if ((cr09 & (kCR09DoubleScan | kCR09ScanLine0)) != 0 && ProgressiveHolds(fit.lines)) {
    kept = true;
    return false;
  }
  if ((cr09 & kCR09DoubleScan) != 0) {
    WriteSelectedReg(data_port, static_cast<uint8_t>(without_bit9 & ~kCR09DoubleScan));
  } else if ((cr09 & kCR09ScanLine0) != 0) {
    WriteSelectedReg(data_port, static_cast<uint8_t>(without_bit9 & ~kCR09ScanLine0));
  } else {
    return true;
  }
  return Undoubled(fit);
}

const VertRow* FindVertRow(uint16_t lines) {
  for (const VertRow& row : Eng.VertTimingTable) {
    if (row[kRowLines] == lines) return &row;
  }
  return nullptr;
}

// k = 2 when the chip counts frame lines (both fields) in interlace.
void BuildVertImage(uint16_t lines, uint16_t reference_line) {
  const uint16_t k = Eng.CountFrameLines != 0 ? 2 : 1;
  const auto sync_start = static_cast<uint16_t>(reference_line * k);
  Eng.VDispEndReg = static_cast<uint16_t>(lines * k - 1);
  Eng.VSyncStartReg = sync_start;
  Eng.VBlankStartReg = static_cast<uint16_t>(sync_start - kBlankLeadLines * k);
  Eng.VSyncEndReg = static_cast<uint16_t>(sync_start + kSyncLines * k - Eng.OddEvenVSyncSize);
  Eng.VTotalReg = k == 1 ? static_cast<uint16_t>(Eng.LinesPerField - 2)
                         : static_cast<uint16_t>(2 * Eng.LinesPerField - 3);
  const uint16_t tail = Eng.CurrentStandard == vsNTSC ? kBlankTailLinesNtsc : kBlankTailLines;
  Eng.VBlankEndReg = static_cast<uint16_t>(Eng.VSyncEndReg + tail * k);
  if (Eng.VTotalReg <= Eng.VBlankEndReg) {
    Eng.VBlankEndReg = static_cast<uint16_t>(Eng.VBlankEndReg - Eng.VTotalReg);
  }
}

}  // namespace

void ProgramVertical() {
  Eng.CountFrameLines = 0;

  VertFit fit;
  fit.lines = ReadDisplayedLines();
  fit.line_offset = ReadLineOffset();

  bool doubling_kept = false;
  const bool try_interlace = RemoveLineDoubling(fit, doubling_kept);
  if (try_interlace) SetUpInterlace(fit, !ProgressiveHolds(fit.lines));

  // Line skipping, once: every other memory line is shown.
  const bool skip = fit.lines > Eng.LinesPerField;
  if (skip) {
    fit.lines >>= 1;
    fit.line_offset = static_cast<uint16_t>(fit.line_offset << 1);
  }

  Eng.FitLines = fit.lines;
  Eng.VertRowComputed = 0;
  const VertRow* row = FindVertRow(fit.lines);
  if (row == nullptr && Eng.ComputedTimings != 0) {
    // A doubled picture whose doubling was removed shows each memory row on two lines at half
    // the offset until the skip takes every other line; a field that holds it undoubled gets
    // that skip too, so each desktop row is shown once.
    if (!try_interlace && !skip && !doubling_kept) {
      fit.lines >>= 1;
      fit.line_offset = static_cast<uint16_t>(fit.line_offset << 1);
      Eng.FitLines = fit.lines;
    }
    ComputeVertRow(fit.lines);
    if (Eng.VertRowComputed != 0) row = &Eng.ComputedVertRow;
  }
  if (row == nullptr) {
    Eng.VertRowFound = 0;
    Eng.CountFrameLines = 0;
    return;
  }
  // A stride the chip's offset bits cannot hold would show every line from the wrong place in
  // memory: the standard is refused as an unfitted one, before the offset is written.
  if (fit.line_offset >= (1u << LineOffsetBits())) {
    Eng.CutLineOffset = fit.line_offset;
    Eng.CountFrameLines = 0;
    return;
  }
  Eng.VertRowFound = 1;
  const uint16_t reference_line = (*row)[kRowReferenceLine];
  if (fit.lines > reference_line) fit.lines = static_cast<uint16_t>(reference_line - 1);

  WriteLineOffset(fit.line_offset);
  BuildVertImage(fit.lines, reference_line);
  KeepComputedBlankInField();
  WriteVertImage();
  Eng.CountFrameLines = 0;
}

}  // namespace zanvo::engine
