#pragma once
// What zanvo prints at the end of a run: text for people, JSON for scripts.

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace zanvo::console {

struct ZanvoReport {
  std::string asked;                // pal, ntsc, 24khz, vga
  std::string in_force;             // what the card holds at the end as far as the run knows
                                    // (written or measured), else "unknown"
  int exit_code = 0;
  double vga_retrace_hz = 0.0;      // what the presence check saw
  std::string refusal;              // why nothing was written (empty when something was)
  std::string chip;                 // "Cirrus Logic: ..." as the window names it
  uint8_t family = 0;
  uint16_t model = 0;
  bool detected = false;
  bool switch_made = false;         // a TV switch was attempted
  bool fitted = false;
  bool field_in_band = false;
  bool clean_miss = false;
  bool cannot_measure = false;
  uint8_t cannot_measure_reason = 0;
  int periods = 0;
  double field_hz = 0.0;            // measured by the field check
  double line_hz = 0.0;
  bool line_in_band = false;
  double switch_wall_s = 0.0;        // the switch's time, keep question included
  double switch_cpu_s = 0.0;         // the processor time it took
  std::string keep_answer;          // yes, no, no answer, closed; empty: not asked
  int moves_made = 0;
  int moves_stopped = 0;             // not made: a sync would leave its blanking
  std::optional<std::string> readout_h, readout_v;
  double readout_h_hz = 0.0, readout_v_hz = 0.0;
  int readout_lines = 0;
  size_t saved_registers = 0;       // in the saved set at the end (0: none kept)
  bool restored = false;            // vga: the saved set was written back
  std::vector<std::string> messages;
};

void PrintReportText(const ZanvoReport& report, std::ostream& out);
void PrintReportJson(const ZanvoReport& report, std::ostream& out);

}  // namespace zanvo::console
