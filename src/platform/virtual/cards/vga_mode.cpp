// How a VGA BIOS or driver loads a mode: sequencer held in reset while the clock changes,
// CRTC protection lifted for the timing registers and set again at the end, the palette loaded
// with the screen off.

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/virtual/cards/board_facts.h"

#include "platform/virtual/cards/vga_card.h"

namespace zanvo::virt {

namespace {

constexpr int kClockSelects = 4;
// The vertical registers hold ten bits; taller modes count lines in pairs (CR17 bit 2).
constexpr int kVerticalRegisterLimit = 1023;

// Miscellaneous Output base for the desktop modes: colour addressing, video RAM enabled,
// odd/even page high.
constexpr uint8_t kMiscModeBase = 0x23;

constexpr uint8_t kTextPalette[16] = {0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x14, 0x07,
                                      0x38, 0x39, 0x3A, 0x3B, 0x3C, 0x3D, 0x3E, 0x3F};

uint8_t Lo(int value) {
  return static_cast<uint8_t>(value & 0xFF);
}
uint8_t BitTo(int value, int bit, int to) {
  return static_cast<uint8_t>(((value >> bit) & 1) << to);
}

}  // namespace

double VgaCard::DriverClockHz(double wanted_hz) const {
  double best = 0;
  for (int select = 0; select < kClockSelects; ++select) {
    const double hz = ClockHz(select);
    if (hz > 0 && (best == 0 || std::fabs(hz - wanted_hz) < std::fabs(best - wanted_hz))) best = hz;
  }
  return best;
}

std::span<const uint32_t> VgaCard::MemorySizesKib() const {
  return BoardFactsFor(name()).memory_kib;
}

uint32_t VgaCard::DefaultMemoryKib() const {
  return BoardFactsFor(name()).default_kib;
}

bool VgaCard::SetMemoryKib(uint32_t kib) {
  for (const uint32_t size : MemorySizesKib()) {
    if (size != kib) continue;
    memory_kib_ = kib;
    return true;
  }
  return false;
}

std::span<const uint8_t> VgaCard::DriverDepths() const {
  return BoardFactsFor(name()).depths;
}

double VgaCard::MaxPixelRateHz(uint8_t bits_per_pixel) const {
  const BoardFacts& board = BoardFactsFor(name());
  double limit = board.max_rate_8bit_hz;
  if (bits_per_pixel == 15 || bits_per_pixel == 16) limit = board.max_rate_16bit_hz;
  if (bits_per_pixel >= 24) limit = board.max_rate_24bit_hz;
  return limit > 0 ? limit : std::numeric_limits<double>::infinity();
}

bool VgaCard::HasHiColorDac() const {
  return BoardFactsFor(name()).dac != BoardDac::kVga;
}

VgaCard::DepthPipe VgaCard::DriverPipe(uint8_t bits_per_pixel) const {
  if (HasHiColorDac() && (bits_per_pixel == 15 || bits_per_pixel == 16)) return {2, 2};
  return {};
}

void VgaCard::SetMode(const ModeTiming& mode) {
  current_mode_ = mode;
  ProgramMode(mode);
  LoadRegisters(mode.loaded);
  InvalidateTiming();
}

// Each value goes through the card's own write rules, so read-only bits and registers the
// card lacks stay as they are, and a write that acts (a clock load strobe) acts; only the
// locks are held open. The keys get their loaded values like any other register; what that does
// to a lock is what the same write does on the chip.
void VgaCard::LoadRegisters(const LoadedRegisters& loaded) {
  if (!loaded.misc && loaded.values.empty()) return;
  locks_held_open_ = true;
  if (loaded.misc) WriteMisc(*loaded.misc);
  for (const LoadedRegister& r : loaded.values) {
    if (r.file == RegFile::kAttribute) {
      WriteAttribute(static_cast<uint8_t>(r.index & kAttrIndexMask), r.value);
    } else {
      WriteIndexed(r.file, r.index, r.value);
    }
  }
  locks_held_open_ = false;
}

void VgaCard::ProgramMode(const ModeTiming& m) {
  int select = 0;
  for (int candidate = 1; candidate < kClockSelects; ++candidate) {
    if (ClockHz(candidate) > 0 && std::fabs(ClockHz(candidate) - m.pixel_clock_hz) <
                                      std::fabs(ClockHz(select) - m.pixel_clock_hz)) {
      select = candidate;
    }
  }

  const int div = m.v_total - 2 > kVerticalRegisterLimit ? 2 : 1;
  const int vt = m.v_total / div - 2;
  const int vde = m.v_display / div - 1;
  const int vbs = m.v_blank_start / div;
  const int vbe = m.v_blank_end / div;
  const int vrs = m.v_sync_start / div;
  const int vre = m.v_sync_end / div;
  const int hbe = m.h_blank_end;

  uint8_t misc = static_cast<uint8_t>(kMiscModeBase | (select << kMiscClockShift));
  if (m.hsync_negative) misc |= kMiscHsyncNegative;
  if (m.vsync_negative) misc |= kMiscVsyncNegative;

  WriteIndexed(RegFile::kSequencer, SR00, 0x01);  // synchronous reset while the clock changes
  WriteMisc(misc);
  WriteIndexed(RegFile::kSequencer, SR01, m.dots_per_char == 8 ? kSR01EightDot : 0x00);
  WriteIndexed(RegFile::kSequencer, SR02, 0x0F);
  WriteIndexed(RegFile::kSequencer, SR03, 0x00);
  // 16 colours are planar (no chain-4, byte addressing), everything else packed.
  const bool planar = !m.text && m.bits_per_pixel == 4;
  WriteIndexed(RegFile::kSequencer, SR04, m.text ? 0x02 : planar ? 0x06 : 0x0E);  // 0x0E: chain-4
  WriteIndexed(RegFile::kSequencer, SR00, kSR00Running);

  WriteIndexed(RegFile::kCrtc, CR11, Stored(RegFile::kCrtc, CR11) & ~kCR11Protect);
  const uint8_t crtc[kStandardCrtcCount] = {
      Lo(m.h_total - 5),
      Lo(m.h_display - 1),
      Lo(m.h_blank_start),
      static_cast<uint8_t>(0x80 | (hbe & 0x1F)),  // bit 7 must be set on a VGA
      Lo(m.h_sync_start),
      static_cast<uint8_t>(((hbe & 0x20) << 2) | (m.h_sync_end & 0x1F)),
      Lo(vt),
      static_cast<uint8_t>(BitTo(vt, 8, 0) | BitTo(vde, 8, 1) | BitTo(vrs, 8, 2) |
                           BitTo(vbs, 8, 3) | kCR07LineCompare8 | BitTo(vt, 9, 5) |
                           BitTo(vde, 9, 6) | BitTo(vrs, 9, 7)),
      0x00,
      static_cast<uint8_t>(0x40 | BitTo(vbs, 9, 5) | ((m.scan_lines_per_row - 1) & 0x1F)),
      static_cast<uint8_t>(m.text ? 0x0D : 0x20),  // cursor shape; 0x20 hides it
      static_cast<uint8_t>(m.text ? 0x0E : 0x00),
      0x00,
      0x00,
      0x00,
      0x00,
      Lo(vrs),
      static_cast<uint8_t>(vre & 0x0F),  // written again below with the protection bit
      Lo(vde),
      Lo(m.offset),
      static_cast<uint8_t>(m.text ? 0x1F : planar ? 0x00 : 0x40),
      Lo(vbs),
      Lo(vbe),
      static_cast<uint8_t>((planar ? 0xE3 : 0xA3) | (div == 2 ? kCR17CountByTwo : 0)),
      0xFF,
  };
  for (int index = 0; index < kStandardCrtcCount; ++index) {
    WriteIndexed(RegFile::kCrtc, static_cast<uint8_t>(index), crtc[index]);
  }
  WriteIndexed(RegFile::kCrtc, CR11, static_cast<uint8_t>(kCR11Protect | (vre & 0x0F)));

  const uint8_t text_gc[kStandardGcCount] = {0, 0, 0, 0, 0, 0x10, 0x0E, 0x00, 0xFF};
  const uint8_t pixel_gc[kStandardGcCount] = {0, 0, 0, 0, 0, 0x40, 0x05, 0x0F, 0xFF};
  const uint8_t planar_gc[kStandardGcCount] = {0, 0, 0, 0, 0, 0x00, 0x05, 0x0F, 0xFF};
  for (int index = 0; index < kStandardGcCount; ++index) {
    WriteIndexed(RegFile::kGraphics, static_cast<uint8_t>(index),
                 m.text ? text_gc[index] : planar ? planar_gc[index] : pixel_gc[index]);
  }

  // The attribute controller through its port, as a BIOS does: flip-flop reset, index without
  // the palette source bit (screen off) while the palette loads, then the screen back on.
  attr_flip_flop_data_ = false;                       // what the BIOS's read of Input Status 1 does
  // 0x41: graphics, 8-bit pixels; 0x01: graphics, 4-bit pixels.
  const uint8_t mode_control = m.text ? 0x0C : planar ? 0x01 : 0x41;
  const uint8_t attrs[kStandardAttrCount - 16] = {mode_control, 0x00, 0x0F,
                                                  static_cast<uint8_t>(m.text ? 0x08 : 0x00), 0x00};
  for (int index = 0; index < kStandardAttrCount; ++index) {
    const uint8_t value = index < 16 ? (m.text ? kTextPalette[index] : static_cast<uint8_t>(index))
                                     : attrs[index - 16];
    WritePort(kPortAttrIndexData, static_cast<uint8_t>(index));
    WritePort(kPortAttrIndexData, value);
  }
  WritePort(kPortAttrIndexData, kAttrPaletteSource);

  // The VGA's own 256-colour modes (320 dots on 80 characters) assemble each pixel over two
  // dots; the drivers' wider modes use the chip's extended path, a pixel a dot.
  vga_pixel_pairs_ = !m.text && m.bits_per_pixel == 8 && m.h_display * 8 == m.width * 2;
  // The HiColor DAC's mode (svgalib's Sierra 1148x values: 0xA0 5-5-5, 0xE0 5-6-5), written
  // as a driver does: four reads of the pixel mask, then the command.
  if (HasHiColorDac()) {
    uint8_t command = 0x00;
    if (!m.text && m.bits_per_pixel == 15) command = kDacCommand555;
    if (!m.text && m.bits_per_pixel == 16) command = kDacCommand565;
    dac_mask_reads_ = kDacCommandReads;
    WritePort(kPortDacMask, command);
  }
}

void VgaCard::ReadPixelFormat(CrtcTiming& t) const {
  const bool eight_bit = (Stored(RegFile::kAttribute, AR10) & kAR10EightBitPixels) != 0;
  t.bits_per_pixel = eight_bit ? 8 : 4;
  t.clocks_per_pixel = eight_bit && !ExtendedPixelPath() ? 2 : 1;
  if (HasHiColorDac() && (dac_command_ & kDacCommandHiColor) != 0) {
    const bool five_six_five = BoardFactsFor(name()).dac == BoardDac::kSierra64K &&
                               (dac_command_ & kDacCommand565Bit) != 0;
    t.bits_per_pixel = five_six_five ? 16 : 15;
    t.clocks_per_pixel = 2;
  }
}

}  // namespace zanvo::virt
