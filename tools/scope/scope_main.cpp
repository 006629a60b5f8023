#include "scope_main.h"

#include <ostream>

#include "matrix.h"
#include "matrix_report.h"
#include "report_json.h"
#include "report_text.h"
#include "scope_options.h"
#include "png_output.h"
#include "scope_session.h"

namespace zanvo::scope {

int ScopeMain(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  ScopeOptions options;
  if (const auto status = ParseScopeOptions(argc, argv, options, out, err)) return *status;

  if (options.matrix) {
    const Matrix matrix = RunMatrix(options.matrix_cards);
    if (options.json) {
      out << MatrixToJson(matrix).dump(2) << "\n";
    } else if (options.csv) {
      PrintMatrixCsv(matrix, out);
    } else if (options.markdown) {
      PrintMatrixMarkdown(matrix, out);
    } else {
      PrintMatrixText(matrix, out);
    }
    return 0;
  }

  ScopeReport report;
  std::string error;
  if (!RunScope(options, report, error)) {
    err << "zanvo-scope: " << error << "\n";
    return 2;
  }
  for (const auto& warning : report.warnings)
    err << "zanvo-scope: warning: " << warning << "\n";
  // With the picture on standard output, the report goes to standard error.
  const bool picture_to_stdout = options.png == "-";
  std::ostream& report_out = picture_to_stdout ? err : out;
  if (options.json) {
    report_out << ReportToJson(options, report).dump(2) << "\n";
  } else {
    PrintTextReport(options, report, report_out);
  }
  if (!options.png.empty()) {
    if (const auto problem = WritePicture(options, report, out); !problem.empty()) {
      err << "zanvo-scope: --png: " << problem << "\n";
      return 1;
    }
    if (!picture_to_stdout) {
      (options.json ? err : out) << "Picture written to " << options.png << "\n";
    }
  }
  return 0;
}

}  // namespace zanvo::scope
