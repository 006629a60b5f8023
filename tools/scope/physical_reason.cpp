#include "physical_reason.h"

#include "engine/chip_codes.h"
#include "engine/computed_timing.h"
#include "engine/standards.h"
#include "matrix.h"
#include "text_format.h"

namespace zanvo::scope {
int TallestComputedField(uint8_t standard) {
  return engine::StandardLinesPerField(standard) * static_cast<int>(engine::kFieldSharePercent) /
         100;
}

std::string PhysicalReason(const ScopeReport& report, uint8_t standard,
                           const std::string& mark_reason) {
  if (!report.row_found) {
    return Format(
        "no clock in reach: %d characters with %.0f%% of the line blanked need a "
        "faster clock than the VGA's 28.322 MHz at the line rate, which shows at "
        "most %d",
        report.fit_columns, engine::kLeastBlankShare * 100,
        engine::WidestComputedColumns(standard));
  }
  if (report.cut_line_offset != 0) {
    return "a stride the chip cannot address: " + CutStrideText(report);
  }
  if (!report.vertical_row_found) {
    return Format(
        "more lines than the field holds: %d lines per field after the fit's steps, "
        "the field holds %d",
        report.fit_lines, TallestComputedField(standard));
  }
  if (report.field_check && !report.field_check->in_band) {
    return Format(
        "no clock in reach: the chip's clock for the row measured %.2f Hz, and "
        "neither a sibling model nor the row's own clock made the field",
        report.field_check->field_hz);
  }
  return mark_reason.empty() ? "the signal misses the standard" : mark_reason;
}

}  // namespace zanvo::scope
