#pragma once
// What the compatibility page says of the picture and of the refusals: whether any cell
// scrambles the desktop, the usable cells that remain, and why the engine refused the others.

#include <iosfwd>

#include "matrix.h"

namespace zanvo::scope {

// The cell's reason when the engine refused a fit whose line offset the chip cannot hold.
bool IsCutStride(const MatrixCell& cell);

void PrintPictureAndRefusalsMarkdown(const Matrix& matrix, std::ostream& out);

}  // namespace zanvo::scope
