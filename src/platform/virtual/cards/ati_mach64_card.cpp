#include "platform/virtual/cards/ati_mach64_card.h"

#include <cmath>

namespace zanvo::virt {

namespace {

constexpr double kReferenceHz = 14'318'180.0;
// PLL register 2 as the BIOS leaves it; the ROM's clock table gives the same divider.
constexpr uint8_t kRefDivider = 33;
constexpr uint16_t kRomRefFreq = 1432;  // 10 kHz units
constexpr uint16_t kRomMemClock = 6300;

// Block offsets.
constexpr uint8_t kHTotalDisp = 0x00;
constexpr uint8_t kHSyncStrtWid = 0x04;
constexpr uint8_t kVTotalDisp = 0x08;
constexpr uint8_t kVSyncStrtWid = 0x0C;
constexpr uint8_t kOffPitch = 0x14;
constexpr uint8_t kGenCntl = 0x1C;
constexpr uint8_t kDspConfig = 0x20;
constexpr uint8_t kDspOnOff = 0x24;
constexpr uint8_t kClockCntl = 0x90;
constexpr uint8_t kPllAddr = 0x91;
constexpr uint8_t kPllData = 0x92;
constexpr uint8_t kMemCntl = 0xB0;
constexpr uint8_t kConfigStat0 = 0xE4;  // read-only strap and memory type bits, 0xE4-0xE7

// CRTC_GEN_CNTL bits.
constexpr uint32_t kGenDoubleScan = 1u << 0;
constexpr uint32_t kGenInterlace = 1u << 1;
constexpr uint32_t kGenExtDisplay = 1u << 24;
constexpr uint32_t kGenCrtcEnable = 1u << 25;
constexpr int kPixelDepthShift = 8;
constexpr uint32_t kPixelDepthMask = 7u << kPixelDepthShift;
// CRTC_GEN_CNTL bits 8-10 by depth: 1 4bpp, 2 8, 3 15, 4 16, 5 24, 6 32.
uint32_t PixelDepthCode(uint8_t bits_per_pixel) {
  switch (bits_per_pixel) {
    case 4:
      return 1u << kPixelDepthShift;
    case 15:
      return 3u << kPixelDepthShift;
    case 16:
      return 4u << kPixelDepthShift;
    case 24:
      return 5u << kPixelDepthShift;
    case 32:
      return 6u << kPixelDepthShift;
    default:
      return 2u << kPixelDepthShift;
  }
}
constexpr uint8_t kDepthBits[8] = {8, 4, 8, 15, 16, 24, 32, 8};
constexpr uint32_t kSyncNegative = 1u << 21;

// PLL registers.
constexpr uint8_t kPllRefDiv = 2;
constexpr uint8_t kPllVclkCntl = 5;
constexpr uint8_t kPllVclkReset = 0x04;
constexpr uint8_t kPllPostDiv = 6;
constexpr uint8_t kPllFbDiv0 = 7;
constexpr uint8_t kPllExtCntl = 11;
constexpr uint8_t kPllWriteEnable = 0x02;

// Post dividers by 2-bit code; the extended bit selects the second set (docs/chips.md, ATI).
constexpr int kPostDiv[2][4] = {{1, 2, 4, 8}, {3, 5, 6, 12}};

struct Dividers {
  int n = 0;
  int code = 0;
  int extended = 0;
  double hz = 0;
};

// The feedback divider and post divider closest to `hz` for a reference divider.
Dividers Synthesize(double hz, int ref_div) {
  Dividers best;
  for (int extended = 0; extended < 2; ++extended) {
    for (int code = 0; code < 4; ++code) {
      const int post = kPostDiv[extended][code];
      const long n = std::lround(hz * ref_div * post / (2 * kReferenceHz));
      if (n < 1 || n > 255) continue;
      const double made = 2 * kReferenceHz * static_cast<double>(n) / (ref_div * post);
      if (best.n == 0 || std::fabs(made - hz) < std::fabs(best.hz - hz)) {
        best = {static_cast<int>(n), code, extended, made};
      }
    }
  }
  return best;
}

// The 16-bit little-endian words of the ROM image.
void PutRomWord(std::array<uint8_t, 512>& rom, uint32_t offset, uint16_t value) {
  rom[offset] = static_cast<uint8_t>(value & 0xFF);
  rom[offset + 1] = static_cast<uint8_t>(value >> 8);
}

}  // namespace

AtiMach64Card::AtiMach64Card(uint16_t io_base) : io_base_(static_cast<uint16_t>(io_base & 0xFF00)) {
  // ROM: expansion header, ATI's signature, a pointer at 0x48 to a table whose word at 0x10
  // points to the clock table: reference frequency at +8, reference divider at +0x0A, memory
  // clock at +0x12.
  constexpr uint16_t kTable = 0x0100;
  constexpr uint16_t kClockTable = 0x0180;
  rom_[0] = 0x55;
  rom_[1] = 0xAA;
  rom_[2] = static_cast<uint8_t>(rom_.size() / 512);
  constexpr char kSignature[] = "761295520";
  for (size_t i = 0; i + 1 < sizeof kSignature; ++i)
    rom_[0x31 + i] = static_cast<uint8_t>(kSignature[i]);
  PutRomWord(rom_, 0x48, kTable);
  PutRomWord(rom_, kTable + 0x10, kClockTable);
  PutRomWord(rom_, kClockTable + 0x08, kRomRefFreq);
  PutRomWord(rom_, kClockTable + 0x0A, kRefDivider);
  PutRomWord(rom_, kClockTable + 0x12, kRomMemClock);

  // What the BIOS leaves: VCLK0/1 at the two VGA crystals, memory timings and type, a FIFO
  // set for the text screen, CRTC enabled with the extended display off.
  pll_[kPllRefDiv] = kRefDivider;
  ProgramVclk(0, 25'175'000.0);
  ProgramVclk(1, 28'322'000.0);
  block_[kMemCntl + 1] = 0x15;  // trp 1, trcd 1, tcrd 1
  block_[kMemCntl + 2] = 0x03;  // tras 3
  block_[kConfigStat0] = 0x03;  // memory type 3: narrow class
  PutDword(kDspConfig, 0x00580470);
  PutDword(kDspOnOff, 0x00410440);
  PutDword(kGenCntl, kGenCrtcEnable);
}

PciIdentity AtiMach64Card::pci_identity() const {
  // Register 0x14 is the I/O BAR: bit 0 says I/O space.
  return {true, kPciVendorAti, kPciDeviceMach64Gt, 0x0300, static_cast<uint32_t>(io_base_) | 1u};
}

uint8_t AtiMach64Card::PeekRom(uint32_t offset) const {
  return offset < rom_.size() ? rom_[offset] : kFloatingBus;
}

uint32_t AtiMach64Card::block_dword(int n) const {
  const size_t at = static_cast<size_t>(n & 0x3F) * 4;
  return static_cast<uint32_t>(block_[at]) | static_cast<uint32_t>(block_[at + 1]) << 8 |
         static_cast<uint32_t>(block_[at + 2]) << 16 | static_cast<uint32_t>(block_[at + 3]) << 24;
}

void AtiMach64Card::PutDword(uint8_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i)
    block_[static_cast<uint8_t>(offset + i)] = static_cast<uint8_t>(value >> (8 * i));
}

bool AtiMach64Card::extended_display() const {
  return (block_dword(kGenCntl / 4) & kGenExtDisplay) != 0;
}

double AtiMach64Card::VclkHz(int vclk) const {
  vclk &= 3;
  const int n = pll_[kPllFbDiv0 + vclk];
  const int ref_div = pll_[kPllRefDiv];
  const int code = (pll_[kPllPostDiv] >> (2 * vclk)) & 3;
  const int extended = (pll_[kPllExtCntl] >> (4 + vclk)) & 1;
  if (n == 0 || ref_div == 0 || (pll_[kPllVclkCntl] & kPllVclkReset) != 0) return 0;
  return 2 * kReferenceHz * n / (ref_div * kPostDiv[extended][code]);
}

void AtiMach64Card::ProgramVclk(int vclk, double hz) {
  const Dividers d = Synthesize(hz, pll_[kPllRefDiv]);
  if (d.n == 0) return;
  const int shift = 2 * vclk;
  pll_[kPllFbDiv0 + vclk] = static_cast<uint8_t>(d.n);
  pll_[kPllPostDiv] = static_cast<uint8_t>((pll_[kPllPostDiv] & ~(3 << shift)) | (d.code << shift));
  pll_[kPllExtCntl] =
      static_cast<uint8_t>((pll_[kPllExtCntl] & ~(0x10 << vclk)) | (d.extended << (4 + vclk)));
}

double AtiMach64Card::DriverClockHz(double wanted_hz) const {
  return Synthesize(wanted_hz, pll_[kPllRefDiv]).hz;
}

double AtiMach64Card::ClockHz(int select) const {
  return VclkHz(select);
}

uint8_t AtiMach64Card::PeekExtraPort(uint16_t port) const {
  if (!InBlock(port)) return kFloatingBus;
  const uint8_t offset = static_cast<uint8_t>(port & 0xFF);
  if (offset == kPllData) return pll_[(block_[kPllAddr] >> 2) & kPllIndexMask];
  return block_[offset];
}

void AtiMach64Card::WriteExtraPort(uint16_t port, uint8_t value) {
  if (!InBlock(port)) return;
  const uint8_t offset = static_cast<uint8_t>(port & 0xFF);
  if (offset >= kConfigStat0 && offset < kConfigStat0 + 4) return;  // straps: read-only
  if (offset == kPllData) {
    if ((block_[kPllAddr] & kPllWriteEnable) != 0)
      pll_[(block_[kPllAddr] >> 2) & kPllIndexMask] = value;
    return;
  }
  block_[offset] = value;
}

void AtiMach64Card::ApplyExtensions(CrtcTiming& t) const {
  if (!extended_display()) return;
  const uint32_t h = block_dword(kHTotalDisp / 4);
  const uint32_t hs = block_dword(kHSyncStrtWid / 4);
  const uint32_t v = block_dword(kVTotalDisp / 4);
  const uint32_t vs = block_dword(kVSyncStrtWid / 4);
  const uint32_t gen = block_dword(kGenCntl / 4);

  t.clock_select = block_[kClockCntl] & 3;
  t.clock_hz = VclkHz(t.clock_select);
  t.clock_defined = t.clock_hz > 0;
  t.clock_divisor = 1;
  t.dots_per_char = 8;
  t.h_units_per_char = 1;

  // The accelerator CRTC blanks everything outside the display; its sync end is start plus
  // width, wrapping at the total.
  const auto wrap = [](int end, int total) {
    return end >= total && total > 0 ? end - total : end;
  };
  t.h_total = static_cast<int>(h & 0x1FF) + 1;
  t.h_display = static_cast<int>((h >> 16) & 0xFF) + 1;
  t.h_blank_start = t.h_display;
  t.h_blank_end = 0;
  t.h_blank_end_bits = 16;
  t.h_sync_start = static_cast<int>((hs & 0xFF) | ((hs >> 4) & 0x100));
  t.h_sync_end = wrap(t.h_sync_start + static_cast<int>((hs >> 16) & 0x1F), t.h_total);
  t.h_sync_end_bits = 16;

  t.v_total = static_cast<int>(v & 0x7FF) + 1;
  t.v_display = static_cast<int>((v >> 16) & 0x7FF) + 1;
  t.v_blank_start = t.v_display;
  t.v_blank_end = 0;
  t.v_blank_end_bits = 16;
  t.v_sync_start = static_cast<int>(vs & 0x7FF);
  t.v_sync_end = wrap(t.v_sync_start + static_cast<int>((vs >> 16) & 0x1F), t.v_total);
  t.v_sync_end_bits = 16;

  t.count_by_two = false;
  t.double_scan = (gen & kGenDoubleScan) != 0;
  t.max_scan_line = 0;
  // Interlaced, the vertical values count the lines of the whole frame.
  t.interlaced = (gen & kGenInterlace) != 0;
  t.v_frame_lines = t.interlaced;
  t.hsync_negative = (hs & kSyncNegative) != 0;
  t.vsync_negative = (vs & kSyncNegative) != 0;
  t.offset = static_cast<int>(block_dword(kOffPitch / 4) >> 22);
  t.offset_bits = 10;
  t.offset_registers = "the OFF_PITCH pitch field";
  // Interlaced, the block CRTC steps two rows per field line with the pitch as programmed.
  t.interlace_reads_frame = false;
  t.sync_enabled = (gen & kGenCrtcEnable) != 0;
  t.bits_per_pixel = kDepthBits[(gen & kPixelDepthMask) >> kPixelDepthShift];
  t.clocks_per_pixel = 1;
}

void AtiMach64Card::ProgramMode(const ModeTiming& m) {
  VgaCard::ProgramMode(m);
  uint32_t gen = block_dword(kGenCntl / 4) & ~(kGenExtDisplay | kGenInterlace | kGenDoubleScan);
  if (m.text) {
    PutDword(kGenCntl, gen);
    return;
  }
  // The accelerator counts 8-pixel characters whatever the VGA character width.
  const auto px8 = [&m](int chars) { return chars * m.dots_per_char / 8; };
  const uint32_t h_total = static_cast<uint32_t>(px8(m.h_total));
  const uint32_t h_disp = static_cast<uint32_t>(px8(m.h_display));
  const uint32_t h_sync = static_cast<uint32_t>(px8(m.h_sync_start));
  const uint32_t h_width = static_cast<uint32_t>(px8(m.h_sync_end) - px8(m.h_sync_start)) & 0x1F;
  PutDword(kHTotalDisp, ((h_total - 1) & 0x1FF) | ((h_disp - 1) & 0xFF) << 16);
  PutDword(kHSyncStrtWid, (h_sync & 0xFF) | ((h_sync & 0x100) << 4) | h_width << 16 |
                              (m.hsync_negative ? kSyncNegative : 0));
  PutDword(kVTotalDisp, ((m.v_total - 1u) & 0x7FF) | ((m.v_display - 1u) & 0x7FF) << 16);
  PutDword(kVSyncStrtWid, (m.v_sync_start & 0x7FFu) |
                              ((m.v_sync_end - m.v_sync_start) & 0x1Fu) << 16 |
                              (m.vsync_negative ? kSyncNegative : 0));
  PutDword(kOffPitch, static_cast<uint32_t>(m.offset) << 22);
  gen = (gen & ~kPixelDepthMask) | PixelDepthCode(m.bits_per_pixel) | kGenExtDisplay |
        kGenCrtcEnable;
  if (m.scan_lines_per_row == 2) gen |= kGenDoubleScan;
  PutDword(kGenCntl, gen);

  // Pixel clock on VCLK3.
  pll_[kPllVclkCntl] = static_cast<uint8_t>(pll_[kPllVclkCntl] & ~kPllVclkReset);
  ProgramVclk(3, m.pixel_clock_hz);
  block_[kClockCntl] = 0x03;
}

}  // namespace zanvo::virt
