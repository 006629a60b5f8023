#include "report_json.h"

#include "chip_names.h"
#include "engine/chip_codes.h"
#include "engine/field_check.h"
#include "engine/line_rate.h"
#include "matrix.h"
#include "modeline.h"
#include "run_notes.h"

namespace zanvo::scope {

nlohmann::json SignalToJson(const virt::Signal& s) {
  return {
      {"pixel_clock_hz", s.pixel_clock_hz},
      {"dots_per_char", s.dots_per_char},
      {"chars_per_line", s.chars_per_line},
      {"display_chars", s.display_chars},
      {"h_blank_start_char", s.h_blank_start_char},
      {"h_blank_end_char", s.h_blank_end_char},
      {"h_sync_start_char", s.h_sync_start_char},
      {"h_sync_end_char", s.h_sync_end_char},
      {"line_period_us", s.line_period_us},
      {"line_rate_hz", s.line_rate_hz},
      {"hsync_width_us", s.hsync_width_us},
      {"lines_per_field", s.lines_per_field},
      {"display_lines_per_field", s.display_lines_per_field},
      {"v_blank_start_line", s.v_blank_start_line},
      {"v_blank_end_line", s.v_blank_end_line},
      {"v_sync_start_line", s.v_sync_start_line},
      {"v_sync_end_line", s.v_sync_end_line},
      {"field_rate_hz", s.field_rate_hz},
      {"interlaced", s.interlaced},
      {"double_scan", s.double_scan},
      {"memory_rows_per_field", s.memory_rows_per_field},
      {"hsync_positive", s.hsync_positive},
      {"vsync_positive", s.vsync_positive},
      {"contradictions", s.contradictions},
  };
}

nlohmann::json ReportToJson(const ScopeOptions& options, const ScopeReport& report) {
  nlohmann::json j;
  j["chip"] = {{"card", options.card},
               {"family", report.family},
               {"model", report.model},
               {"name", ChipName(report.family, report.model, report.ext_io_base)}};
  j["mode"] = {{"width", report.width},
               {"height", report.height},
               {"bits_per_pixel", report.bits_per_pixel},
               {"memory_kib", report.memory_kib}};
  if (!options.load_registers.empty()) {
    j["loaded_registers"] = {
        {"file", options.load_registers},
        {"size_from_registers", report.size_from_registers},
        {"driver_mode", {{"width", options.width}, {"height", options.height}}},
        {"not_loaded", report.not_loaded}};
  }
  j["standard"] = StandardName(options.standard);
  j["options"] = {{"positive_sync", options.positive_sync},
                  {"no_interlace", options.no_interlace},
                  {"odd_even_vsync", options.odd_even_vsync}};
  nlohmann::json moves = nlohmann::json::array();
  for (const Move move : options.moves)
    moves.push_back(MoveName(move));
  j["moves"] = moves;
  j["moves_ignored"] = report.moves_ignored;
  j["moves_made"] = MoveTallyJson(report.move_tally);
  j["row_found"] = report.row_found;
  j["vertical_row_found"] = report.vertical_row_found;
  j["cut_line_offset"] = report.cut_line_offset;
  j["fitted"] = report.fitted;
  j["computed_timings"] = options.computed;
  j["row_computed"] = report.horz_computed;
  j["vertical_row_computed"] = report.vert_computed;
  j["clock_miss_cause"] = report.clock_miss_cause;
  // The compatibility matrix's mark for the run; none for the monitor timings.
  if (options.standard != engine::vsVGA) {
    const RunMark mark = MarkRun(report, options.standard);
    j["mark"] = {{"outcome", OutcomeName(mark.outcome)},
                 {"final", OutcomeName(mark.final_outcome)},
                 {"reason", mark.reason},
                 {"own_clock", mark.own_clock},
                 {"computed", mark.computed},
                 {"fill",
                  {{"height", mark.fill.height},
                   {"width", mark.fill.width},
                   {"shape", mark.fill.shape}}},
                 {"shown", ShownJson(mark.shown)}};
  } else {
    j["mark"] = nullptr;
  }
  if (report.field_check) {
    const FieldCheckReport& c = *report.field_check;
    j["field_check"] = {{"measurements", c.measurements},
                        {"field_hz", c.field_hz},
                        {"target_hz", c.target_hz},
                        {"band", engine::kFieldGuardBand},
                        {"in_band", c.in_band},
                        {"clean_miss", c.clean_miss},
                        {"field_agreed", c.field_agreed},
                        {"line_hz", c.line_hz},
                        {"target_line_hz", c.target_line_hz},
                        {"line_band", engine::kLineGuardBand},
                        {"line_in_band", c.line_in_band},
                        {"could_measure", c.cannot_measure.empty()},
                        {"cannot_measure", c.cannot_measure}};
  } else {
    j["field_check"] = nullptr;
  }
  if (report.sibling_search) {
    const chipset::SiblingSearchResult& search = *report.sibling_search;
    nlohmann::json tries = nlohmann::json::array();
    for (const chipset::SiblingTry& t : search.tries) {
      tries.push_back({{"model", t.model},
                       {"name", ChipName(report.family, t.model)},
                       {"fitted", t.fitted},
                       {"field_hz", t.field_hz},
                       {"measured", t.measured},
                       {"passed", t.passed}});
    }
    j["sibling_search"] = {{"model_in_force", search.model_in_force}, {"tried", tries}};
    if (search.kept) {
      j["sibling_search"]["kept"] = {{"model", *search.kept},
                                     {"name", ChipName(report.family, *search.kept)}};
    } else {
      j["sibling_search"]["kept"] = nullptr;
    }
  } else {
    j["sibling_search"] = nullptr;
  }
  if (report.own_clock) {
    j["own_clock"] = {{"fitted", report.own_clock->fitted},
                      {"field_hz", report.own_clock->field_hz},
                      {"measured", report.own_clock->measured},
                      {"passed", report.own_clock->passed}};
  } else {
    j["own_clock"] = nullptr;
  }
  if (report.detected) {
    const DetectedChip& d = *report.detected;
    j["detected"] = {{"family", d.family},
                     {"model", d.model},
                     {"name", ChipName(d.family, d.model, report.ext_io_base)}};
  } else {
    j["detected"] = nullptr;
  }
  j["ext_io_base"] = report.ext_io_base;
  j["pci_cursor"] = report.pci_cursor;
  j["messages"] = report.messages;
  j["warnings"] = report.warnings;
  if (const std::string note = DetectionNote(options, report); !note.empty()) {
    j["detected"]["note"] = note;
  }
  if (options.modeline) j["modeline"] = ModelineJson(ModelineOf(report.signal));
  j["monitor_signal"] = SignalToJson(report.monitor);
  j["signal"] = SignalToJson(report.signal);
  if (options.readout) {
    j["readout"] = {
        {"h", report.readout_h}, {"v", report.readout_v}, {"measured", report.readout_measured}};
    // The numbers behind the texts: whole hertz for the line (none where the window shows
    // "N/A"), hertz for the field, and the lines per field the line rate is derived from.
    const auto& figures = report.readout_figures;
    const bool line_shown = figures && figures->h_source != engine::LineRateSource::kUnknown;
    j["readout"]["h_hz"] = line_shown ? nlohmann::json(figures->H) : nlohmann::json(nullptr);
    j["readout"]["v_hz"] = figures ? nlohmann::json(figures->fV) : nlohmann::json(nullptr);
    j["readout"]["lines_per_field"] = figures ? nlohmann::json(figures->T) : nlohmann::json(nullptr);
  }
  if (options.registers) {
    const RegisterDump& r = report.registers;
    j["registers"] = {
        {"misc", r.misc}, {"crtc", r.crtc}, {"seq", r.seq}, {"gc", r.gc}, {"attr", r.attr}};
    if (report.block) {
      j["registers"]["block"] = report.block->dwords;
      j["registers"]["pll"] = report.block->pll;
    }
  }
  return j;
}

}  // namespace zanvo::scope
