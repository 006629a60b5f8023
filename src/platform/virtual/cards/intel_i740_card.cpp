#include "platform/virtual/cards/intel_i740_card.h"

#include <cmath>

#include "platform/virtual/cards/standard_vga.h"

namespace zanvo::virt {

namespace {

constexpr double kVclkReferenceHz = 66'670'000.0;
constexpr uint16_t kPortXrIndex = 0x3D6;
constexpr uint16_t kPortXrData = 0x3D7;

constexpr uint8_t XR09 = 0x09;  // IO control: bit 0 extended CRTC, bit 1 extended attribute
constexpr uint8_t XRC8 = 0xC8;  // VCLK2 M - 2
constexpr uint8_t XRC9 = 0xC9;  // VCLK2 N - 2
constexpr uint8_t XRCA = 0xCA;  // M/N most significant bits
constexpr uint8_t XRCB = 0xCB;  // bits 4-6 post divider power of two
constexpr uint8_t kExtendedCrtc = 0x01;

constexpr uint8_t CR30 = 0x30;
constexpr uint8_t CR31 = 0x31;
constexpr uint8_t CR32 = 0x32;
constexpr uint8_t CR33 = 0x33;
constexpr uint8_t CR35 = 0x35;
constexpr uint8_t CR39 = 0x39;
constexpr uint8_t CR40 = 0x40;
constexpr uint8_t CR41 = 0x41;
constexpr uint8_t CR42 = 0x42;
constexpr uint8_t CR70 = 0x70;
constexpr uint8_t kCR70Interlace = 0x80;

struct Vclk {
  int m = 0, n = 0, p = 0;
  double hz = 0;
};

double VclkOf(int m, int n, int p) {
  return 4.0 * kVclkReferenceHz * m / (n * static_cast<double>(1 << p));
}

// The dividers closest to `hz` with the VCO at or below 450 MHz.
Vclk Synthesize(double hz) {
  Vclk best;
  for (int p = 0; p < 8; ++p) {
    if (hz * (1 << p) > 450e6) break;
    for (int n = 3; n <= 32; ++n) {
      const long m = std::lround(hz * n * (1 << p) / (4.0 * kVclkReferenceHz));
      if (m < 3 || m > 257) continue;
      const double made = VclkOf(static_cast<int>(m), n, p);
      if (best.hz == 0 || std::fabs(made - hz) < std::fabs(best.hz - hz)) {
        best = {static_cast<int>(m), n, p, made};
      }
    }
  }
  return best;
}

bool IsCrystal(double hz) {
  return std::fabs(hz - kClock25Hz) < 1e3 || std::fabs(hz - kClock28Hz) < 1e3;
}

}  // namespace

IntelI740Card::IntelI740Card() {
  xr_[XRCB] = 0x01;  // reference divider 1, post divider 1
}

PciIdentity IntelI740Card::pci_identity() const {
  return {true, 0x8086, 0x7800, 0x0300, 0};
}

bool IntelI740Card::extended_crtc() const {
  return (xr_[XR09] & kExtendedCrtc) != 0;
}

double IntelI740Card::Vclk2Hz() const {
  const int m = (xr_[XRC8] | (xr_[XRCA] & 0x03) << 8) + 2;
  const int n = (xr_[XRC9] | ((xr_[XRCA] >> 4) & 0x03) << 8) + 2;
  return VclkOf(m, n, (xr_[XRCB] >> 4) & 0x07);
}

double IntelI740Card::ClockHz(int select) const {
  switch (select) {
    case 0:
      return kClock25Hz;
    case 1:
      return kClock28Hz;
    case 3:
      return Vclk2Hz();
    default:
      return 0;
  }
}

double IntelI740Card::DriverClockHz(double wanted_hz) const {
  return IsCrystal(wanted_hz) ? wanted_hz : Synthesize(wanted_hz).hz;
}

RegisterAccess IntelI740Card::Access(RegFile file, uint8_t index) const {
  if (file == RegFile::kCrtc) {
    switch (index) {
      case CR30:
      case CR31:
      case CR32:
      case CR33:
        return {true, 0x0F};
      case CR35:
      case CR39:
        return {true, 0x01};
      case CR40:
      case CR41:
      case CR42:
      case CR70:
        return {true, 0xFF};
      default:
        break;
    }
  }
  return VgaCard::Access(file, index);
}

uint8_t IntelI740Card::PeekExtraPort(uint16_t port) const {
  if (port == kPortXrIndex) return xr_index_;
  if (port == kPortXrData) return xr_[xr_index_];
  return kFloatingBus;
}

void IntelI740Card::WriteExtraPort(uint16_t port, uint8_t value) {
  if (port == kPortXrIndex) xr_index_ = value;
  if (port == kPortXrData) xr_[xr_index_] = value;
}

void IntelI740Card::ApplyExtensions(CrtcTiming& t) const {
  if (!extended_crtc()) return;
  const auto cr = [this](uint8_t index) { return Stored(RegFile::kCrtc, index); };
  const auto high = [&cr](uint8_t index) { return (cr(index) & 0x0F) << 8; };
  t.h_total = cr(0x00) + ((cr(CR35) & 1) << 8) + 5;
  t.h_blank_end |= (cr(CR39) & 1) << 6;
  t.h_blank_end_bits = 7;
  t.v_total = cr(0x06) + high(CR30) + 2;
  t.v_display = cr(0x12) + high(CR31) + 1;
  t.v_sync_start = cr(0x10) + high(CR32);
  t.v_blank_start = cr(0x15) + high(CR33);
  t.offset = cr(0x13) | high(CR41);
  t.offset_bits = 12;
  t.offset_registers = "CRTC 0x13 with CR41 bits 0-3";
  t.interlace_reads_frame = true;
  // Interlaced values count frame lines (docs/chips.md, Intel i740).
  t.interlaced = (cr(CR70) & kCR70Interlace) != 0;
  t.v_frame_lines = t.interlaced;
}

void IntelI740Card::ProgramMode(const ModeTiming& m) {
  xr_[XR09] = 0;  // the VGA CRTC while the standard registers load
  if (!IsCrystal(m.pixel_clock_hz)) {
    const Vclk v = Synthesize(m.pixel_clock_hz);
    xr_[XRC8] = static_cast<uint8_t>((v.m - 2) & 0xFF);
    xr_[XRC9] = static_cast<uint8_t>((v.n - 2) & 0xFF);
    xr_[XRCA] = static_cast<uint8_t>(((v.m - 2) >> 8 & 0x03) | ((v.n - 2) >> 8 & 0x03) << 4);
    xr_[XRCB] = static_cast<uint8_t>(v.p << 4 | 0x01);
  }
  VgaCard::ProgramMode(m);

  const int div = m.v_total - 2 > 1023 ? 2 : 1;
  const auto bits8 = [](int value) { return static_cast<uint8_t>((value >> 8) & 0x0F); };
  WriteIndexed(RegFile::kCrtc, CR30, bits8(m.v_total / div - 2));
  WriteIndexed(RegFile::kCrtc, CR31, bits8(m.v_display / div - 1));
  WriteIndexed(RegFile::kCrtc, CR32, bits8(m.v_sync_start / div));
  WriteIndexed(RegFile::kCrtc, CR33, bits8(m.v_blank_start / div));
  WriteIndexed(RegFile::kCrtc, CR35, static_cast<uint8_t>((m.h_total - 5) >> 8));
  WriteIndexed(RegFile::kCrtc, CR39, static_cast<uint8_t>((m.h_blank_end >> 6) & 1));
  WriteIndexed(RegFile::kCrtc, CR41, static_cast<uint8_t>(m.offset >> 8));
  WriteIndexed(RegFile::kCrtc, CR70, 0x00);
  xr_[XR09] = kExtendedCrtc;
  InvalidateTiming();
}

}  // namespace zanvo::virt
