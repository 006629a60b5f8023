#include "matrix_causes.h"

#include <algorithm>
#include <ostream>
#include <string>

#include "text_format.h"

namespace zanvo::scope {

namespace {

bool IsUsableFinal(const MatrixCell& c) {
  return c.final_outcome == MatrixOutcome::kExact || c.final_outcome == MatrixOutcome::kLocks;
}

bool StartsWith(const std::string& text, const char* prefix) {
  return text.rfind(prefix, 0) == 0;
}

}  // namespace

bool IsCutStride(const MatrixCell& cell) {
  return cell.outcome == MatrixOutcome::kRefused && StartsWith(cell.reason, "line offset ");
}

void PrintPictureAndRefusalsMarkdown(const Matrix& matrix, std::ostream& out) {
  int scrambled = 0, squashed = 0, usable = 0, width = 0, lines = 0, stride = 0;
  // Usable cells whose picture ends above the desktop's foot or before its right edge, and the
  // least share of its rows and of its width a usable cell shows.
  int rows_cut = 0, pixels_cut = 0;
  double least_rows = 1, least_pixels = 1;
  for (const MatrixCell& c : matrix.cells) {
    if (c.outcome == MatrixOutcome::kOff && StartsWith(c.reason, "desktop scrambled")) ++scrambled;
    if (c.final_outcome == MatrixOutcome::kSquashed) ++squashed;
    if (IsUsableFinal(c)) {
      ++usable;
      const DesktopShown& s = c.shown;
      if (s.rows < s.desktop_rows) {
        ++rows_cut;
        least_rows = std::min(least_rows, static_cast<double>(s.rows) / s.desktop_rows);
      }
      if (s.pixels < s.desktop_pixels) {
        ++pixels_cut;
        least_pixels = std::min(least_pixels, static_cast<double>(s.pixels) / s.desktop_pixels);
      }
    }
    if (c.outcome != MatrixOutcome::kRefused) continue;
    if (IsCutStride(c)) {
      ++stride;
    } else if (c.reason == "no timing row for the width") {
      ++width;
    } else {
      ++lines;
    }
  }
  out << "No exact or locks cell scrambles the desktop: in each, the lines carry the pixels in "
         "the desktop's format (its depth, the dot clocks a pixel lasts), and the frame's lines, "
         "top to bottom, show the rows in order, each as often as the next, at the step the fit "
         "intends (every row, or every other row when the desktop has more rows than the frame "
         "has lines), starting where that row starts in memory.";
  if (scrambled > 0) {
    out << Format(" %d cell%s would, and %s marked off with the cause.", scrambled,
                  scrambled == 1 ? "" : "s", scrambled == 1 ? "is" : "are");
  }
  out << Format(
      " Squashed (the set locks and the desktop arrives whole, but the picture fills less than "
      "half the set's height or its shape is a quarter off): %d.",
      squashed);
  out << "\n"
      << Format(
             "Usable cells (exact or locks as the user finally gets them, misses a sibling "
             "model recovered included): %d of %zu.\n",
             usable, matrix.cells.size())
      << Format(
             "Whole is from the top and from the left, not all of it: a field with fewer lines "
             "than the desktop needs ends at its foot, and a line with fewer characters before "
             "its right edge, so the bottom rows (the taskbar) or the right edge may not reach "
             "the set. Of the usable cells, %d show fewer rows than the desktop (at worst the "
             "top %.0f%%) and %d fewer pixels across (at worst %.0f%%); `zanvo-scope --matrix "
             "--json` gives each cell's share as `shown`.\n",
             rows_cut, least_rows * 100, pixels_cut, least_pixels * 100)
      << Format(
             "Refused by the engine (\"Video mode unsupported!\", the monitor timings back): "
             "%d for want of a timing row for the width, %d for the line count, %d because "
             "the line offset the fit needs (doubled for skipped lines, and for interlace on "
             "the chips that read both fields from one frame) has more bits than the chip's "
             "offset registers hold; those are listed under each card.\n",
             width, lines, stride);
}

}  // namespace zanvo::scope
