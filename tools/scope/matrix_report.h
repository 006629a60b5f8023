#pragma once
// The compatibility matrix printed for people (text), for scripts (JSON, CSV) and for the
// project's documentation (Markdown).

#include <iosfwd>

#include <nlohmann/json.hpp>

#include "matrix.h"

namespace zanvo::scope {

void PrintMatrixText(const Matrix& matrix, std::ostream& out);
void PrintMatrixCsv(const Matrix& matrix, std::ostream& out);
void PrintMatrixMarkdown(const Matrix& matrix, std::ostream& out);
nlohmann::json MatrixToJson(const Matrix& matrix);

}  // namespace zanvo::scope
