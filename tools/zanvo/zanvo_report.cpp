#include "zanvo_report.h"

#include <cstdio>
#include <nlohmann/json.hpp>

namespace zanvo::console {

namespace {

std::string Hz(double hz) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f Hz", hz);
  return text;
}

}  // namespace

void PrintReportText(const ZanvoReport& r, std::ostream& out) {
  if (!r.refusal.empty()) {
    out << "Nothing written: " << r.refusal << "\n";
    return;
  }
  out << "VGA at the standard ports: retraces at " << Hz(r.vga_retrace_hz) << "\n";
  if (!r.chip.empty()) out << "Chipset: " << r.chip << (r.detected ? " (detected)" : "") << "\n";
  if (r.switch_made) {
    out << "Switch to " << r.asked << ": " << (r.fitted ? "fitted" : "Video mode unsupported!")
        << "\n";
    if (r.fitted) {
      out << "Field check: " << (r.field_in_band ? "passed" : "refused");
      if (r.cannot_measure) out << " (could not measure)";
      if (r.clean_miss) out << " (clean miss)";
      out << ", field " << Hz(r.field_hz) << ", line " << Hz(r.line_hz) << ", " << r.periods
          << " periods\n";
    }
    if (!r.keep_answer.empty()) out << "Keep these settings: " << r.keep_answer << "\n";
  }
  if (r.restored) out << "Saved registers written back\n";
  if (r.moves_made + r.moves_stopped > 0) {
    out << "Moves made: " << r.moves_made << ", stopped at the blanking: " << r.moves_stopped << "\n";
  }
  if (r.readout_h) out << "Readout: H.Frequency :" << *r.readout_h << "  V. Frequency :" << *r.readout_v << "\n";
  // What the run had to say (the window's boxes, a set that could not be stored, ...).
  for (const std::string& message : r.messages) out << "Message: " << message << "\n";
  out << "In force: " << r.in_force << "\n";
}

void PrintReportJson(const ZanvoReport& r, std::ostream& out) {
  nlohmann::json j;
  j["asked"] = r.asked;
  j["in_force"] = r.in_force;
  j["exit_code"] = r.exit_code;
  j["refusal"] = r.refusal.empty() ? nlohmann::json(nullptr) : nlohmann::json(r.refusal);
  j["vga_retrace_hz"] = r.vga_retrace_hz;
  j["chip"] = {{"name", r.chip}, {"family", r.family}, {"model", r.model}, {"detected", r.detected}};
  if (r.switch_made) {
    j["field_check"] = {{"fitted", r.fitted},
                        {"passed", r.field_in_band},
                        {"clean_miss", r.clean_miss},
                        {"cannot_measure", r.cannot_measure},
                        {"cannot_measure_reason", r.cannot_measure_reason},
                        {"periods", r.periods},
                        {"field_hz", r.field_hz},
                        {"line_hz", r.line_hz},
                        {"line_in_band", r.line_in_band},
                        {"switch_wall_s", r.switch_wall_s},
                        {"switch_cpu_s", r.switch_cpu_s}};
  } else {
    j["field_check"] = nullptr;
  }
  j["keep_answer"] = r.keep_answer.empty() ? nlohmann::json(nullptr) : nlohmann::json(r.keep_answer);
  j["moves_made"] = r.moves_made;
  j["moves_stopped"] = r.moves_stopped;
  if (r.readout_h) {
    j["readout"] = {{"h", *r.readout_h}, {"v", *r.readout_v}, {"h_hz", r.readout_h_hz},
                    {"v_hz", r.readout_v_hz}, {"lines_per_field", r.readout_lines}};
  } else {
    j["readout"] = nullptr;
  }
  j["saved_registers"] = r.saved_registers;
  j["restored"] = r.restored;
  j["messages"] = r.messages;
  out << j.dump(2) << "\n";
}

}  // namespace zanvo::console
