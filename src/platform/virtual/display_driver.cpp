#include "platform/virtual/display_driver.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

#include "platform/virtual/cards/standard_vga.h"

namespace zanvo::virt {

namespace {

// The refresh rate the driver aims at when the card lets it choose a clock.
constexpr double kTargetFieldHz = 60.0;

constexpr std::array<DesktopMode, 16> kModes = {{
    {320, 200},    // 40 columns, double scanned
    {320, 240},    // 40, double scanned (a game's mode)
    {400, 300},    // 50, double scanned (a game's mode)
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

// The double-scanned game modes: the timing of twice their size, each row scanned twice and
// each pixel shown over two dots.
ModeTiming DoubledScan(ModeTiming m, uint16_t width, uint16_t height) {
  m.width = width;
  m.height = height;
  m.scan_lines_per_row = 2;
  m.offset = static_cast<uint16_t>(width / 8);
  return m;
}

std::optional<ModeTiming> BiosTiming(uint16_t width, uint16_t height) {
  if (width == 640 && height == 480) return Bios640x480();
  if (width == 320 && height == 240) return DoubledScan(Bios640x480(), 320, 240);
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

namespace {

// The sizes only games set (through DirectDraw): offered at 8 and 16 bits.
bool GameSize(uint16_t width, uint16_t height) {
  return width < 640 || (width == 640 && height == 400);
}

// 16 colours: the planar depth Windows 9x drivers keep for 640x480, 800x600 and 1024x768 (the
// largest desktop of a 512 KB board).
bool PlanarSize(uint16_t width, uint16_t height) {
  return (width == 640 && height == 480) || (width == 800 && height == 600) ||
         (width == 1024 && height == 768);
}

bool Listed(const DesktopMode& mode) {
  for (const DesktopMode& size : kModes) {
    if (size.width == mode.width && size.height == mode.height) return true;
  }
  return false;
}

bool DriverDoublesScan(uint16_t width, uint16_t height) {
  return (width == 320 && (height == 200 || height == 240)) || (width == 400 && height == 300);
}

// The driver's clock must be the one the depth needs to within this share: a card whose clocks
// miss it does not offer the depth at that size.
constexpr double kDepthClockTolerance = 0.02;

uint16_t Scaled(uint16_t value, int factor) {
  return static_cast<uint16_t>(value * factor);
}

// Lays the 8-bit timing of a size out for a depth: the family's factors on the horizontal
// counts and the clock, the line offset in the depth's bytes (8-byte units for packed pixels,
// 2-byte units per plane for 16 colours). False where the card cannot make the clock or hold
// the offset.
bool LayDepth(const VgaCard& card, uint8_t bits_per_pixel, ModeTiming& m) {
  m.bits_per_pixel = bits_per_pixel;
  const int bytes = BytesPerPixel(bits_per_pixel);
  const VgaCard::DepthPipe pipe = card.DriverPipe(bits_per_pixel);
  m.offset = bits_per_pixel == 4      ? static_cast<uint16_t>(m.width / 16)
             : pipe.offset_counts_pixels ? static_cast<uint16_t>(m.width / 8)
                                         : static_cast<uint16_t>(m.width * bytes / 8);
  // A row longer than the chip's line offset can count is not offered.
  if (m.offset >= (1 << card.ExtractTiming().offset_bits)) return false;
  m.h_multiplier = static_cast<uint8_t>(std::max(1, pipe.h_multiplier));
  m.clock_multiplier = static_cast<uint8_t>(std::max(1, pipe.clock_multiplier));
  if (pipe.clock_multiplier > 1) {
    const double wanted = m.pixel_clock_hz * pipe.clock_multiplier;
    const double made = card.DriverClockHz(wanted);
    if (std::fabs(made - wanted) > wanted * kDepthClockTolerance) return false;
    m.pixel_clock_hz = made;
  }
  if (!pipe.pixel_doubling && !m.text && m.h_display * m.dots_per_char == 2 * m.width) {
    // A mode timed for two dots a pixel: half the characters, and the clock that keeps the
    // line rate over the halved total.
    const int old_total = m.h_total;
    for (uint16_t* count : {&m.h_total, &m.h_display, &m.h_blank_start, &m.h_blank_end,
                            &m.h_sync_start, &m.h_sync_end})
      *count = static_cast<uint16_t>(*count / 2);
    m.pixel_clock_hz = card.DriverClockHz(m.pixel_clock_hz * m.h_total / old_total);
  }
  if (pipe.h_multiplier > 1) {
    const int k = pipe.h_multiplier;
    m.h_total = Scaled(m.h_total, k);
    m.h_display = Scaled(m.h_display, k);
    m.h_blank_start = Scaled(m.h_blank_start, k);
    m.h_blank_end = Scaled(m.h_blank_end, k);
    m.h_sync_start = Scaled(m.h_sync_start, k);
    m.h_sync_end = Scaled(m.h_sync_end, k);
    if (m.h_total > pipe.h_total_limit) return false;
  }
  return true;
}

}  // namespace

std::optional<ModeTiming> DesktopModeTiming(const VgaCard& card, const DesktopMode& mode) {
  if (!Listed(mode)) return std::nullopt;
  bool depth_offered = false;
  for (const uint8_t depth : card.DriverDepths())
    depth_offered |= depth == mode.bits_per_pixel;
  if (!depth_offered) return std::nullopt;
  if (GameSize(mode.width, mode.height) && mode.bits_per_pixel != 8 && mode.bits_per_pixel != 16)
    return std::nullopt;
  // The double-scanned sizes show each pixel over two dots, which only the 256-colour pixel
  // assembly does; their 16-bit forms are not modelled.
  if (DriverDoublesScan(mode.width, mode.height) && mode.bits_per_pixel != 8) return std::nullopt;
  if (mode.bits_per_pixel == 4 && !PlanarSize(mode.width, mode.height)) return std::nullopt;
  if (BytesFor(mode) > card.memory_kib() * 1024u) return std::nullopt;
  if (!card.OffersMode(mode.width, mode.height, mode.bits_per_pixel)) return std::nullopt;
  std::optional<ModeTiming> timing = TableModeTiming(card, mode);
  if (!timing || timing->pixel_clock_hz / card.DriverPipe(mode.bits_per_pixel).clock_multiplier >
                     card.MaxPixelRateHz(mode.bits_per_pixel)) {
    return std::nullopt;
  }
  return timing;
}

std::optional<ModeTiming> TableModeTiming(const VgaCard& card, const DesktopMode& mode) {
  if (!Listed(mode)) return std::nullopt;
  std::optional<ModeTiming> timing = BiosTiming(mode.width, mode.height);
  if (!timing && mode.width == 400 && mode.height == 300) {
    const ModeTiming shape = DerivedModeTiming(800, 600, 0);
    const double wanted_hz =
        static_cast<double>(shape.h_total) * 8 * shape.v_total * kTargetFieldHz;
    timing = DoubledScan(DerivedModeTiming(800, 600, card.DriverClockHz(wanted_hz)), 400, 300);
  }
  if (!timing) {
    const ModeTiming shape = DerivedModeTiming(mode.width, mode.height, 0);
    const double wanted_hz =
        static_cast<double>(shape.h_total) * 8 * shape.v_total * kTargetFieldHz;
    timing = DerivedModeTiming(mode.width, mode.height, card.DriverClockHz(wanted_hz));
  }
  if (!LayDepth(card, mode.bits_per_pixel, *timing)) return std::nullopt;
  return timing;
}

std::vector<DesktopMode> DriverModes(const VgaCard& card) {
  std::vector<DesktopMode> modes;
  for (const DesktopMode& size : kModes) {
    for (const uint8_t depth : kDepths) {
      DesktopMode mode{size.width, size.height, depth};
      if (!DesktopModeTiming(card, mode)) continue;
      mode.double_scan = DriverDoublesScan(size.width, size.height);
      modes.push_back(mode);
    }
  }
  return modes;
}

DesktopMode DefaultDepthMode(const VgaCard& card, uint16_t width, uint16_t height) {
  DesktopMode mode{width, height, 8};
  for (const uint8_t depth : {8, 4}) {
    mode.bits_per_pixel = depth;
    if (DesktopModeTiming(card, mode)) return mode;
  }
  mode.bits_per_pixel = 8;
  return mode;
}

DesktopMode CurrentDesktopMode(const VgaCard& card) {
  const ModeTiming& m = card.current_mode();
  return {m.width, m.height, m.bits_per_pixel, m.scan_lines_per_row == 2};
}

bool SetDesktopMode(VgaCard& card, const DesktopMode& mode) {
  return SetDesktopModeWithRegisters(card, mode, {});
}

bool SetDesktopModeWithRegisters(VgaCard& card, const DesktopMode& mode,
                                 LoadedRegisters registers) {
  auto timing = DesktopModeTiming(card, mode);
  if (!timing) return false;
  timing->loaded = std::move(registers);
  card.SetMode(*timing);
  return true;
}

std::optional<ModeTiming> DesktopModeTiming(const VgaCard& card, uint16_t width, uint16_t height) {
  return DesktopModeTiming(card, DefaultDepthMode(card, width, height));
}

bool SetDesktopMode(VgaCard& card, uint16_t width, uint16_t height) {
  return SetDesktopMode(card, DefaultDepthMode(card, width, height));
}

bool SetDesktopModeWithRegisters(VgaCard& card, uint16_t width, uint16_t height,
                                 LoadedRegisters registers) {
  return SetDesktopModeWithRegisters(card, DefaultDepthMode(card, width, height),
                                     std::move(registers));
}

void ResetCurrentMode(VgaCard& card) {
  card.SetMode(card.current_mode());
}

}  // namespace zanvo::virt
