#include "platform/virtual/display_driver.h"

#include <array>
#include <utility>

#include "platform/virtual/cards/standard_vga.h"

namespace zanvo::virt {

namespace {

// The refresh rate the driver aims at when the card lets it choose a clock.
constexpr double kTargetFieldHz = 60.0;

constexpr std::array<DesktopMode, 14> kModes = {{
    {320, 200},    // 40 columns, double scanned
    {512, 384},    // 64
    {640, 400},    // 80
    {640, 480},    // 80
    {720, 400},    // 80, 9-dot characters
    {768, 576},    // 96
    {800, 600},    // 100
    {848, 480},    // 106
    {960, 600},    // 120
    {1024, 768},   // 128
    {1056, 480},   // 132
    {1152, 864},   // 144
    {1280, 1024},  // 160
    {1600, 1200},  // 200
}};

// The 400-line BIOS timing (modes 3 and 13h): 449 lines at 31.47 kHz, 70 Hz, horizontal sync
// negative and vertical positive. 720 dots use the 28.322 MHz clock with 9-dot characters,
// 640 dots the 25.175 MHz clock with 8-dot characters; both give 100 characters per line.
ModeTiming Bios400Lines(uint16_t width, bool nine_dot) {
  ModeTiming m;
  m.width = width;
  m.height = 400;
  m.pixel_clock_hz = nine_dot ? kClock28Hz : kClock25Hz;
  m.dots_per_char = nine_dot ? 9 : 8;
  m.h_total = 100;
  m.h_display = 80;
  m.h_blank_start = 80;
  m.h_blank_end = 98;
  m.h_sync_start = nine_dot ? 85 : 84;
  m.h_sync_end = nine_dot ? 97 : 96;
  m.v_total = 449;
  m.v_display = 400;
  m.v_blank_start = 406;
  m.v_blank_end = 441;
  m.v_sync_start = 412;
  m.v_sync_end = 414;
  m.hsync_negative = true;
  m.offset = width / 8;
  return m;
}

// The BIOS 640x480 timing (mode 12h): 800 dots by 525 lines at 25.175 MHz, 31.47 kHz and
// 59.94 Hz, both syncs negative.
ModeTiming Bios640x480() {
  ModeTiming m;
  m.width = 640;
  m.height = 480;
  m.pixel_clock_hz = kClock25Hz;
  m.h_total = 100;
  m.h_display = 80;
  m.h_blank_start = 80;
  m.h_blank_end = 98;
  m.h_sync_start = 84;
  m.h_sync_end = 96;
  m.v_total = 525;
  m.v_display = 480;
  m.v_blank_start = 487;
  m.v_blank_end = 516;
  m.v_sync_start = 490;
  m.v_sync_end = 492;
  m.hsync_negative = true;
  m.vsync_negative = true;
  m.offset = 80;
  return m;
}

std::optional<ModeTiming> BiosTiming(uint16_t width, uint16_t height) {
  if (width == 640 && height == 480) return Bios640x480();
  if (width == 640 && height == 400) return Bios400Lines(640, false);
  if (width == 720 && height == 400) return Bios400Lines(720, true);
  if (width == 320 && height == 200) {
    // Mode 13h: the 400-line timing with every row scanned twice (maximum scan line 1).
    ModeTiming m = Bios400Lines(640, false);
    m.width = 320;
    m.height = 200;
    m.scan_lines_per_row = 2;
    m.offset = 320 / 8;
    return m;
  }
  return std::nullopt;
}

struct VerticalTiming {
  int total, blank_start, blank_end, sync_start, sync_end;
};

VerticalTiming DeriveVertical(int lines) {
  const int blank = lines * 3 / 32;
  const int sync_start = lines + blank * 2 / 9;
  return {lines + blank, lines + blank / 6, lines + blank - blank / 5, sync_start, sync_start + 2};
}

}  // namespace

std::span<const DesktopMode> DesktopModes() {
  return kModes;
}

ModeTiming DerivedModeTiming(uint16_t width, uint16_t height, double pixel_clock_hz) {
  ModeTiming m;
  m.width = width;
  m.height = height;
  m.pixel_clock_hz = pixel_clock_hz;
  m.dots_per_char = 8;

  const int chars = width / 8;
  const int blank = chars / 4;
  m.h_total = static_cast<uint16_t>(chars + blank);
  m.h_display = static_cast<uint16_t>(chars);
  m.h_blank_start = static_cast<uint16_t>(chars);
  m.h_blank_end = static_cast<uint16_t>(chars + blank - 2);
  m.h_sync_start = static_cast<uint16_t>(chars + blank / 5);
  m.h_sync_end = static_cast<uint16_t>(m.h_sync_start + blank * 3 / 5);

  // Modes too tall for the ten-bit vertical registers are laid out in line pairs, so that the
  // card can count by two.
  const bool pairs = height + height * 3 / 32 - 2 > 1023;
  const int unit = pairs ? 2 : 1;
  const VerticalTiming v = DeriveVertical(height / unit);
  m.v_total = static_cast<uint16_t>(v.total * unit);
  m.v_display = height;
  m.v_blank_start = static_cast<uint16_t>(v.blank_start * unit);
  m.v_blank_end = static_cast<uint16_t>(v.blank_end * unit);
  m.v_sync_start = static_cast<uint16_t>(v.sync_start * unit);
  m.v_sync_end = static_cast<uint16_t>(v.sync_end * unit);

  m.offset = static_cast<uint16_t>(width / 8);
  return m;
}

ModeTiming BiosTextMode() {
  ModeTiming m = Bios400Lines(720, true);
  m.text = true;
  m.scan_lines_per_row = 16;
  m.offset = 40;
  return m;
}

std::optional<ModeTiming> DesktopModeTiming(const VgaCard& card, uint16_t width, uint16_t height) {
  bool listed = false;
  for (const DesktopMode& mode : kModes)
    listed |= mode.width == width && mode.height == height;
  if (!listed || !card.OffersMode(width, height)) return std::nullopt;
  if (auto bios = BiosTiming(width, height)) return bios;

  const ModeTiming shape = DerivedModeTiming(width, height, 0);
  const double wanted_hz = static_cast<double>(shape.h_total) * 8 * shape.v_total * kTargetFieldHz;
  return DerivedModeTiming(width, height, card.DriverClockHz(wanted_hz));
}

bool SetDesktopMode(VgaCard& card, uint16_t width, uint16_t height) {
  const auto timing = DesktopModeTiming(card, width, height);
  if (!timing) return false;
  card.SetMode(*timing);
  return true;
}

bool SetDesktopModeWithRegisters(VgaCard& card, uint16_t width, uint16_t height,
                                 LoadedRegisters registers) {
  auto timing = DesktopModeTiming(card, width, height);
  if (!timing) return false;
  timing->loaded = std::move(registers);
  card.SetMode(*timing);
  return true;
}

void ResetCurrentMode(VgaCard& card) {
  card.SetMode(card.current_mode());
}

}  // namespace zanvo::virt
