#pragma once
// What a card's registers make it send to the monitor. Filled by AnalyzeSignal from the
// registers alone; the tests' oracle.

#include <cstdint>
#include <string>
#include <vector>

namespace zanvo::virt {

// The CRTC as programmed, with each family's extension bits already folded in. Horizontal
// values are character clocks, vertical values are counter units; the *_bits fields say how
// many low bits of the counter an end register is compared with.
struct CrtcTiming {
  double clock_hz = 0;       // the selected clock, before any halving
  int clock_select = 0;      // the clock number the registers select (for the report)
  int clock_divisor = 1;     // 1, 2 or 4 (dot clock halving and the family's divider steps)
  int dots_per_char = 8;     // 8 or 9
  int h_units_per_char = 1;  // 2 where the chip counts horizontal values in doubled units
  // The pixel format the registers select: bits of memory per pixel (4, 8, 15, 16, 24, 32) and
  // how many dot clocks each pixel lasts on the way out of the DAC (2 for the standard VGA's
  // 256-colour pixels and for a 16-bit pixel sent as two bytes through an 8-bit DAC port).
  int bits_per_pixel = 8;
  int clocks_per_pixel = 1;
  int h_total = 0;           // characters per line
  int h_display = 0;         // displayed characters
  int h_blank_start = 0;
  int h_blank_end = 0;  // register value, compared with h_blank_end_bits of the counter
  int h_blank_end_bits = 6;
  int h_sync_start = 0;
  int h_sync_end = 0;
  int h_sync_end_bits = 5;
  int v_total = 0;  // counter units per field (frame when v_frame_lines)
  int v_display = 0;
  int v_blank_start = 0;
  int v_blank_end = 0;
  int v_blank_end_bits = 8;
  int v_sync_start = 0;
  int v_sync_end = 0;
  int v_sync_end_bits = 4;
  bool count_by_two = false;  // CR17 bit 2: vertical counter advances every second line
  bool double_scan = false;   // CR09 bit 7
  int max_scan_line = 0;      // CR09 bits 0-4
  bool interlaced = false;
  bool v_frame_lines = false;   // interlaced vertical values count frame lines (two per field line)
  bool hsync_negative = false;  // Miscellaneous Output bit 6
  bool vsync_negative = false;  // Miscellaneous Output bit 7
  int offset = 0;               // line offset with extension bits (memory words per line / 2)
  int offset_bits = 8;          // how many bits the chip's line offset holds
  const char* offset_registers = "CRTC 0x13";  // where they sit, as a reason names them
  int start_address = 0;  // CR0C-CR0D: where in memory the first displayed line begins
  // Interlaced, a chip either steps two memory rows per field line by itself (the odd field one
  // row on), or reads both fields from one frame with the offset as programmed (the odd field
  // half an offset on), so that its driver doubles the offset. True for the second kind.
  bool interlace_reads_frame = false;
  bool clock_defined = true;      // false when the selected clock does not exist on this card
  bool sequencer_running = true;  // SR00 bits 0-1 both set
  bool sync_enabled = true;       // CR17 bit 7: clear holds the CRTC and its sync outputs

  bool operator==(const CrtcTiming&) const = default;
};

struct Signal {
  CrtcTiming crtc;

  double pixel_clock_hz = 0;
  int dots_per_char = 8;
  int chars_per_line = 0;
  int display_chars = 0;
  int h_blank_start_char = 0;
  int h_blank_end_char = 0;  // absolute character position where blanking ends
  int h_sync_start_char = 0;
  int h_sync_end_char = 0;  // absolute character position where sync ends
  double line_period_us = 0;
  double line_rate_hz = 0;
  double hsync_width_us = 0;
  double h_display_us = 0;
  double h_blank_us = 0;

  double lines_per_field = 0;       // field lines (a half line included when interlaced)
  int display_lines_per_field = 0;  // scan lines that carry picture in one field
  int v_blank_start_line = 0;
  int v_blank_end_line = 0;  // absolute field line where blanking ends
  int v_sync_start_line = 0;
  int v_sync_end_line = 0;
  double field_rate_hz = 0;
  double frame_rate_hz = 0;
  bool interlaced = false;
  bool double_scan = false;
  int memory_rows_per_field = 0;  // distinct memory rows shown in one field
  int scan_lines_per_row = 1;     // how often each memory row is repeated (2 = double scan)

  bool hsync_positive = true;
  bool vsync_positive = true;

  // Anything in the registers that a monitor could not make sense of.
  std::vector<std::string> contradictions;

  bool has_signal() const { return line_rate_hz > 0 && field_rate_hz > 0; }
};

class VgaCard;
Signal AnalyzeSignal(const VgaCard& card);
Signal AnalyzeTiming(const CrtcTiming& timing);

}  // namespace zanvo::virt
