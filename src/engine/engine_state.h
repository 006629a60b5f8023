#pragma once
// The engine's whole state: one struct of plain fields with their load values, and the one
// instance the routines work on. Tests start afresh with `Eng = EngineState{};`.

#include <array>
#include <cstdint>

#include "engine/chip_codes.h"

namespace zanvo::engine {

inline constexpr int kHorzRows = 17;
inline constexpr int kHorzRowBytes = 7;
inline constexpr int kVertRows = 10;
inline constexpr uint8_t kHorzTableEnd = 0xFF;

// One horizontal row: columns (key), blank start, sync start, sync width, blank width, total,
// RowFlags. Counts are character clocks.
using HorzRow = std::array<uint8_t, kHorzRowBytes>;
enum HorzRowField : uint8_t {
  kRowColumns = 0,
  kRowBlankStart = 1,
  kRowSyncStart = 2,
  kRowSyncWidth = 3,
  kRowBlankWidth = 4,
  kRowTotal = 5,
  kRowFlags = 6,
};
using HorzTable = std::array<HorzRow, kHorzRows>;
// One vertical row: displayed lines (key), reference line.
using VertRow = std::array<uint16_t, 2>;
enum VertRowField : uint8_t { kRowLines = 0, kRowReferenceLine = 1 };
using VertTable = std::array<VertRow, kVertRows>;

struct EngineState {
  // Chipset identity.
  uint8_t ChipFamily = 0;
  uint16_t ChipModel = 0;
  uint16_t ExtIoBase = 0;

  // Standard in force and the one before it.
  uint8_t CurrentStandard = vsVGA;
  uint8_t PreviousStandard = vsVGA;
  uint16_t LinesPerField = 313;

  // Signal options.
  uint8_t SyncPolarityMask = 0x33;
  uint8_t InterlaceEnabled = 1;
  uint16_t OddEvenVSyncSize = 0;

  // Block-I/O family clock parameters (units of 10 kHz where a frequency).
  uint16_t PllRefFreq = 1432;
  uint16_t PllRefDiv = 31;
  uint16_t MemClock = 6300;
  uint8_t VclkPostDiv = 0;
  uint8_t VclkFbDiv = 0;
  uint8_t VclkPostDivEff = 0;
  uint8_t PllFactor = 0;

  uint16_t CrtcPort = 0;
  uint8_t HorzRowFound = 0;
  // The vertical counterpart: the displayed line count found its row and the vertical image
  // was written. Clear whenever the horizontal step found no row (the vertical one never ran).
  uint8_t VertRowFound = 0;
  // The line offset the vertical step refused because the chip's offset bits cannot hold it
  // (the row was found but the standard stays unfitted); 0 when none was refused.
  uint16_t CutLineOffset = 0;

  // Active timing tables. Until a standard's tables are loaded the horizontal table holds only
  // its terminator, so no column count can match a row.
  HorzTable HorzTimingTable{{{kHorzTableEnd}}};
  VertTable VertTimingTable{};

  // Horizontal register image.
  uint8_t HTotalReg = 0;
  uint8_t HDispEndReg = 0;
  uint8_t HBlankStartReg = 0;
  uint8_t HSyncStartReg = 0;
  uint8_t HSyncEndReg = 0;
  uint8_t HBlankEndReg = 0;
  uint8_t HSyncWidth = 0;
  uint8_t HBlankWidth = 0;
  uint8_t MiscOutImage = 0;

  // Vertical register image.
  uint16_t VDispEndReg = 0;
  uint16_t VBlankStartReg = 0;
  uint16_t VSyncStartReg = 0;
  uint16_t VSyncEndReg = 0;
  uint16_t VBlankEndReg = 0;
  uint16_t VTotalReg = 0;

  uint8_t CountFrameLines = 0;

  // The field-rate check after a fitted standard: whether two agreeing timed fields were inside
  // the guard band and the line rate inside its own (or the check could not measure), whether
  // a refusal rests on a clean measurement, why it could not measure (0 when it did), the field
  // rate timed (thousandths of a hertz), how many periods were timed, the line rate measured
  // (whole hertz, 0 when none) and whether it was inside its band.
  uint8_t FieldRateInBand = 0;
  uint8_t MissMeasuredClean = 0;
  uint8_t FieldCheckUnmeasurable = 0;
  int32_t MeasuredFieldRate = 0;
  uint8_t FieldMeasurements = 0;
  int32_t MeasuredLineRate = 0;
  uint8_t LineRateInBand = 0;
  // Two agreeing fields inside the band were timed, whatever the line count then gave: a refusal
  // with this set and no line rate was disturbed in the line stretch, not in the fields.
  uint8_t FieldAgreedInBand = 0;

  // The row's own clock (a retry after a measured miss): the row's crystal and the standard VGA
  // halving, no family clock step; on the block-I/O family a synthesizer value for the row.
  uint8_t OwnRowClock = 0;
  // The user's choice: where the tables have no row for the width or the line count, compute
  // one from the standard's rates. Off by default.
  uint8_t ComputedTimings = 0;
  // Whether the row in use was computed, and the computed rows themselves.
  uint8_t HorzRowComputed = 0;
  uint8_t VertRowComputed = 0;
  HorzRow ComputedHorzRow{};
  VertRow ComputedVertRow{};
  // What the last fit worked on: the mode's columns, and its lines per field after removing
  // line doubling, interlacing and line skipping.
  uint8_t FitColumns = 0;
  uint16_t FitLines = 0;
  // Synthesizer dividers for the row on the block-I/O family (0: the ROM's 28.322 MHz ones).
  uint8_t RowFbDiv = 0;
  uint8_t RowPostDiv = 0;

  // PCI scan: the configuration mechanism found (0 none yet, 1 or 2) and the slot the
  // resumable scan stands at; it examines the slots below it.
  uint8_t PciMechanism = 0;
  uint32_t PciCursor = 512;
};

extern EngineState Eng;

}  // namespace zanvo::engine
