#include "engine/horizontal.h"

#include "engine/block_io_clock.h"
#include "engine/computed_timing.h"
#include "engine/engine_port.h"
#include "engine/engine_state.h"
#include "engine/horz_clock.h"
#include "engine/register_access.h"
#include "engine/vga_regs.h"

namespace zanvo::engine {

namespace {

// 96 columns are 768-pixel modes at 8 dots or 864 at 9: at up to 768 lines they are shown
// with the 100-column row, only taller modes get the 96-column row's long line.
inline constexpr uint8_t kColumns96 = 96;
inline constexpr uint8_t kColumns100 = 100;
inline constexpr uint16_t kMaxLinesFor100Columns = 768;
// 132-column text: 9-dot characters on clock 0 with line graphics on.
inline constexpr uint8_t kColumns132 = 132;

inline constexpr uint8_t kFlagHalfDotClock = 0x08;
inline constexpr uint8_t kFlagVariantRow = 0x10;
inline constexpr uint8_t kVariantRowClockFlags = 0x39;
inline constexpr uint8_t kFlagClockSelect = 0x60;
inline constexpr uint8_t kFlagSeqBits = 0x0F;
inline constexpr uint8_t kSR01KeepMask = 0xF6;  // bits 0 and 3 come from the flags

inline constexpr uint8_t kSeqHeldInReset = 0x00;
inline constexpr uint8_t kSeqRunning = 0x03;

uint8_t ReadDisplayedColumns() {
  if (Eng.ChipFamily == cfATI) {
    const uint16_t disp = Port().InWord(BlockIoPort(kBlkHDispWord));
    return static_cast<uint8_t>((disp & 0xFF) + 1);
  }
  return static_cast<uint8_t>(ReadCrtcReg(CR01) + 1);
}

// First row at or after `start` whose key is `columns`; kHorzRows when the terminator or the
// end of the table comes first.
uint8_t FindHorzRow(uint8_t columns, uint8_t start) {
  for (uint8_t row = start; row < kHorzRows; ++row) {
    const uint8_t key = Eng.HorzTimingTable[row][kRowColumns];
    if (key == kHorzTableEnd) break;
    if (key == columns) return row;
  }
  return kHorzRows;
}

// AR10 bit 2: the ninth dot of line-drawing characters repeats the eighth. Reading Input
// Status 1 puts the attribute flip-flop at index; index bit 5 keeps the palette on screen.
void SetLineGraphics() {
  PortIo& io = Port();
  static_cast<void>(io.InByte(static_cast<uint16_t>(Eng.CrtcPort + kInputStatus1Offset)));
  io.OutByte(kAttrIndexWrite, kAttrPaletteOn | AR10);
  const uint8_t mode = io.InByte(kAttrDataRead);
  io.OutByte(kAttrIndexWrite,
             static_cast<uint8_t>((mode & ~kAR10LineGraphics) | kAR10LineGraphics));
}

// Both sync polarity bits forced to the option's choice, clock select from the flags.
void WriteMiscOutput(uint8_t flags) {
  PortIo& io = Port();
  uint8_t misc = io.InByte(kMiscOutputRead);
  misc = static_cast<uint8_t>(((misc | kMiscSyncPolarityBits) & Eng.SyncPolarityMask) |
                              ((flags & kFlagClockSelect) >> 3));
  io.OutByte(kMiscOutputWrite, misc);
  Eng.MiscOutImage = misc;
}

}  // namespace

void ProgramHorizontal() {
  Eng.HorzRowFound = 1;
  Eng.VertRowComputed = 0;

  uint8_t columns = ReadDisplayedColumns();
  uint8_t row = FindHorzRow(columns, 0);
  if (row < kHorzRows && columns == kColumns96 && ReadDisplayedLines() <= kMaxLinesFor100Columns) {
    columns = kColumns100;
    row = FindHorzRow(columns, static_cast<uint8_t>(row + 1));
  }
  Eng.FitColumns = columns;
  if (row >= kHorzRows) {
    ComputeHorzRow(columns);
    if (Eng.HorzRowComputed == 0) {
      Eng.HorzRowFound = 0;
      return;
    }
    row = kComputedHorzRow;
  } else {
    Eng.HorzRowComputed = 0;
  }

  uint8_t flags = 0;
  if (columns == kColumns132 && row != kComputedHorzRow) {
    BuildHorzImage(row);
    SetLineGraphics();
  } else {
    flags = ActiveHorzRow(row)[kRowFlags];
    BuildHorzImage(row);
    if (Eng.OwnRowClock != 0) {
      flags = OwnClockFlags(flags);
    } else if ((flags & kFlagVariantRow) != 0) {
      flags = kVariantRowClockFlags;
    } else if ((flags & kFlagHalfDotClock) != 0) {
      flags = HalfClockCode(flags);
    }
  }

  WriteIndexedPair(kSeqIndex, SR00, kSeqHeldInReset);
  if (Eng.ChipFamily == cfATI) {
    SynthesizeRowClock(row);
    ProgramBlockIoClock(flags);
    return;
  }
  // The row's own clock keeps the preparation's return to the first clocks, not its flags.
  const uint8_t prepared = PrepareFamilyClock(flags);
  if (Eng.OwnRowClock == 0) {
    flags = prepared;
  } else {
    SelectFirstClocks();
  }
  WriteMiscOutput(flags);
  UpdateIndexedReg(kSeqIndex, SR01, kSR01KeepMask, flags & kFlagSeqBits);
  WriteIndexedPair(kSeqIndex, SR00, kSeqRunning);
  if ((flags >> 4) != 0 && Eng.OwnRowClock == 0) RunExtraClockStep();
}

}  // namespace zanvo::engine
