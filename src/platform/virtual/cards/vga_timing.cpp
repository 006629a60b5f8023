// The standard reading of the CRTC, sequencer clocking and Miscellaneous Output, before a
// family folds in its extension bits.

#include "platform/virtual/cards/vga_card.h"

namespace zanvo::virt {

namespace {

constexpr uint8_t kCrtcStartHigh = 0x0C;  // Start Address High
constexpr uint8_t kCrtcStartLow = 0x0D;   // Start Address Low

int Bit(uint8_t value, int bit, int weight) {
  return ((value >> bit) & 1) * weight;
}

}  // namespace

CrtcTiming VgaCard::ExtractTiming() const {
  const auto sr = [this](uint8_t index) { return Stored(RegFile::kSequencer, index); };
  const auto cr = [this](uint8_t index) { return Stored(RegFile::kCrtc, index); };
  const uint8_t overflow = cr(CR07);
  const uint8_t max_scan = cr(CR09);

  CrtcTiming t;
  t.clock_select = (misc_ >> kMiscClockShift) & 0x03;
  t.clock_hz = ClockHz(t.clock_select);
  t.clock_defined = t.clock_hz > 0;
  t.clock_divisor = (sr(SR01) & kSR01HalfDotClock) != 0 ? 2 : 1;
  t.dots_per_char = (sr(SR01) & kSR01EightDot) != 0 ? 8 : 9;
  t.sequencer_running = (sr(SR00) & kSR00Running) == kSR00Running;

  t.h_total = cr(CR00) + 5;
  t.h_display = cr(CR01) + 1;
  t.h_blank_start = cr(CR02);
  t.h_blank_end = (cr(CR03) & 0x1F) | ((cr(CR05) & 0x80) >> 2);
  t.h_blank_end_bits = 6;
  t.h_sync_start = cr(CR04);
  t.h_sync_end = cr(CR05) & 0x1F;
  t.h_sync_end_bits = 5;

  t.v_total = cr(CR06) + Bit(overflow, 0, 0x100) + Bit(overflow, 5, 0x200) + 2;
  t.v_display = cr(CR12) + Bit(overflow, 1, 0x100) + Bit(overflow, 6, 0x200) + 1;
  t.v_blank_start = cr(CR15) + Bit(overflow, 3, 0x100) + Bit(max_scan, 5, 0x200);
  t.v_blank_end = cr(CR16);
  t.v_blank_end_bits = 8;
  t.v_sync_start = cr(CR10) + Bit(overflow, 2, 0x100) + Bit(overflow, 7, 0x200);
  t.v_sync_end = cr(CR11) & 0x0F;
  t.v_sync_end_bits = 4;

  t.count_by_two = (cr(CR17) & kCR17CountByTwo) != 0;
  t.sync_enabled = (cr(CR17) & kCR17SyncEnable) != 0;
  t.double_scan = (max_scan & kCR09DoubleScan) != 0;
  t.max_scan_line = max_scan & kCR09MaxScanMask;
  t.hsync_negative = (misc_ & kMiscHsyncNegative) != 0;
  t.vsync_negative = (misc_ & kMiscVsyncNegative) != 0;
  t.offset = cr(CR13);
  t.start_address = (cr(kCrtcStartHigh) << 8) | cr(kCrtcStartLow);

  ReadPixelFormat(t);
  ApplyExtensions(t);
  return t;
}

void VgaCard::RefreshTiming() const {
  signal_ = AnalyzeTiming(ExtractTiming());
  raster_ = Raster(signal_);
  timing_dirty_ = false;
  ForgetSteadyStatus();
}

const Signal& VgaCard::signal() const {
  if (timing_dirty_) RefreshTiming();
  return signal_;
}

// The analysis of the card's registers as they are now (declared beside the analyzer).
Signal AnalyzeSignal(const VgaCard& card) {
  return AnalyzeTiming(card.ExtractTiming());
}

}  // namespace zanvo::virt
