#pragma once
// The compatibility matrix: every virtual card, every desktop mode its driver offers, each TV
// standard with interlace allowed and not, run as the window runs a switch, and the outcome the
// program leaves the user with.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/virtual/signal/desktop_mode.h"
#include "platform/virtual/tv/picture_fill.h"
#include "scope_session.h"

namespace zanvo::scope {

enum class MatrixOutcome {
  kExact,    // line and field within 1% of the standard
  kLocks,    // within what ordinary sets hold: line 2%, field 5%
  // The set locks and the desktop arrives whole, but the picture fills less than half the
  // screen's height or its shape is off the desktop's by more than a quarter.
  kSquashed,
  kOff,      // fitted by the engine, but the rates miss the standard
  kRefused,  // "Video mode unsupported!": no timing row, the monitor timings are back
  // Final outcome only: the engine fitted the mode, but the field rate the program measured was
  // outside the guard band; "Video mode unsupported!", the monitor timings are back.
  kRefusedMeasured,
  // Final outcome of a single run only: refused after a check that lost time and reached no
  // verdict, so nothing was measured (the matrix's PC loses none).
  kRefusedDisturbed,
};

// How much of the desktop the signal the user ends with shows: from the top down to the last
// desktop row the frame reaches, and the pixels across a line, each out of the desktop's. A field
// with fewer lines than the fit needs ends at its foot (the taskbar goes first), a line with
// fewer characters at its right edge. All zero where no picture of the standard reaches the set.
struct DesktopShown {
  int rows = 0, desktop_rows = 0;
  int pixels = 0, desktop_pixels = 0;
  bool operator==(const DesktopShown&) const = default;
};

struct MatrixCell {
  std::string card;
  uint16_t width = 0, height = 0;
  uint8_t bits_per_pixel = 8;
  uint8_t standard = 0;
  bool interlace_allowed = true;
  MatrixOutcome outcome = MatrixOutcome::kRefused;        // the engine's
  MatrixOutcome final_outcome = MatrixOutcome::kRefused;  // the program's, after its field check
  double measured_field_hz = 0;  // what the field check timed; 0 when it did not run or time
  // After a measured miss, the sibling model that passed the field check and stays in force
  // (the final outcome is then its signal's), and the field it measured.
  std::optional<uint16_t> sibling_model;
  std::string sibling_caption;  // as the window's model list shows it
  double sibling_field_hz = 0;
  // After a clean measured miss no sibling recovered: the row's own clock passed and stays.
  bool own_clock = false;
  double own_clock_field_hz = 0;
  // Refused: which step found no row. Off: the chip's clock bits behind the missed rate.
  std::string reason;
  // A cell the tables refuse or squash, run again with computed timings: its final outcome
  // then, how it got there (as MarkText gives it), the final signal's rates and the picture's
  // fill, and for a cell still refused the physical reason.
  std::optional<MatrixOutcome> computed_outcome;
  std::string computed_mark;
  std::string computed_reason;
  double computed_line_hz = 0, computed_field_hz = 0;
  bool computed_interlaced = false;
  int computed_lines = 0;
  virt::PictureFill computed_fill;
  // What the engine's switch sends: the standard's signal, or after a refusal for want of a row
  // the monitor timings.
  double line_hz = 0, field_hz = 0;
  bool interlaced = false;
  int lines = 0;  // picture lines per field
  // What the user ends with: after a recovery (a sibling model, the row's own clock) its
  // signal, after a refusal the monitor timings; and how much of the set the picture fills.
  double final_line_hz = 0, final_field_hz = 0;
  bool final_interlaced = false;
  int final_lines = 0;
  virt::PictureFill fill;
  DesktopShown shown;
  std::string path;  // how the final outcome came about, as MarkText gives it
};

// The matrix's judgement of one run of the scope session: a cell, or a single zanvo-scope run.
struct RunMark {
  MatrixOutcome outcome = MatrixOutcome::kRefused;        // the engine's
  MatrixOutcome final_outcome = MatrixOutcome::kRefused;  // the program's, after its field check
  double measured_field_hz = 0;  // what the field check timed; 0 when it did not run or time
  // Refused: which step found no row. Off: the chip's bits behind the missed rate and what the
  // analyzer found wrong in the registers.
  std::string reason;
  // The signal judged: the standard's as the engine left it (with any moves), or after a refusal
  // for want of a row the monitor timings.
  virt::Signal judged;
  // After a measured miss, the sibling model the switch kept (its caption as the window shows
  // it) and the field it measured; the final outcome is then that model's signal.
  std::optional<uint16_t> sibling_model;
  std::string sibling_caption;
  double sibling_field_hz = 0;
  // After a clean measured miss no sibling recovered: the row's own clock passed and stays; the
  // final outcome is then its signal's.
  bool own_clock = false;
  double own_clock_field_hz = 0;
  // The engine computed the rows (computed timings on, the tables had none).
  bool computed = false;
  // The signal the user ends with, and how much of the set its picture fills.
  virt::Signal final_signal;
  virt::PictureFill fill;
  DesktopShown shown;
};

// "line offset 264 needs 9 bits, the chip's offset has 8": why the engine refused a fit whose
// stride its offset registers cannot hold.
std::string CutStrideText(const ScopeReport& report);

// Judges a run of `standard` (PAL, NTSC or 24 kHz) as the matrix does.
RunMark MarkRun(const ScopeReport& report, uint8_t standard);

// "off", or "off -> refused (measured)" where the field check changed the engine's outcome, or
// "off -> exact as MODEL" where a sibling model the switch tried was kept.
// "off -> exact (own clock)" where the row's own clock was kept; " (computed)" follows a mark
// of computed rows.
std::string MarkText(MatrixOutcome outcome, MatrixOutcome final_outcome,
                     const std::string& sibling_caption = "", bool own_clock = false,
                     bool computed = false);

// A model of the same brand, chosen by hand in the window's lists, that the card takes better.
struct BetterChoice {
  uint16_t model = 0;
  std::string caption;
  int usable = 0;  // exact or locks
};

struct CardSummary {
  std::string card;
  uint8_t family = 0;
  uint16_t model = 0;
  int exact = 0, locks = 0, squashed = 0, off = 0, refused = 0;  // the engine's outcomes
  int refused_measured = 0;                        // final outcomes refused by the field check
  int recovered = 0;  // measured misses that a sibling model made usable (exact or locks)
  int own_clock = 0;  // measured misses that the row's own clock made usable
  // Cells the tables refuse that computed timings make usable, and those they still refuse.
  int computed_usable = 0, computed_refused = 0;
  std::optional<BetterChoice> better;
};

struct Matrix {
  std::vector<MatrixCell> cells;  // card by card, modes smallest first, PAL, NTSC, 24 kHz
  std::vector<CardSummary> cards;
};

// The cards by name (all of them when empty). Every card name must be one of virt::CardNames().
// Each card's modes are those its driver offers on its memory, every depth.
Matrix RunMatrix(std::span<const std::string> cards);

// "640x480x16": the cell's desktop size and depth.
std::string ModeText(const MatrixCell& cell);

// {"rows": 513, "desktop_rows": 600, "pixels": 800, "desktop_pixels": 800, "height_share": 0.855,
// "width_share": 1}: the desktop a cell or a run shows.
nlohmann::json ShownJson(const DesktopShown& shown);

// Exact or locks: a picture the user can use.
bool IsUsable(MatrixOutcome outcome);

const char* OutcomeName(MatrixOutcome outcome);

}  // namespace zanvo::scope
