#pragma once
// ATI Mach64 GT (3D Rage), family 8: a PCI card whose accelerator CRTC, clock PLL and display
// FIFO sit in a 256-byte block of I/O registers. When the driver sets a desktop mode it turns
// on the extended display (CRTC_GEN_CNTL bit 24): from then on the block registers, not the VGA
// CRTC, make the signal, and the pixel clock comes from the internal PLL.
//
//   block  0x00 CRTC_H_TOTAL_DISP    total - 1 in 0-8, display end (columns - 1) in 16-23
//          0x04 CRTC_H_SYNC_STRT_WID start 0-7 (bit 8 at 12), width 16-20, bit 21 negative
//          0x08 CRTC_V_TOTAL_DISP    total - 1 in 0-10, display end (lines - 1) in 16-26
//          0x0C CRTC_V_SYNC_STRT_WID start 0-10, width 16-20, bit 21 negative
//          0x14 CRTC_OFF_PITCH       pitch in 8-pixel units in 22-31
//          0x1C CRTC_GEN_CNTL        0 double scan, 1 interlace, 8-10 depth, 24 extended display
//          0x20 DSP_CONFIG, 0x24 DSP_ON_OFF
//          0x90 CLOCK_CNTL           0-1 VCLK select; 0x91 PLL index (bits 2-7) and write
//                                    enable (bit 1); 0x92 PLL data
//          0xB0 MEM_CNTL, 0xE4 CONFIG_STAT0 (0-2 memory type)
//   PLL    2 reference divider, 5 VCLK control (bit 2 reset), 6 post divider codes (2 bits per
//          VCLK), 7-10 VCLK0-3 feedback dividers, 11 extended post divider bits (4 + VCLK),
//          f = 2 x 14.318 MHz x N / (reference divider x post divider).
// The standard VGA ports are decoded as well; the VGA CRTC runs the text screen at power-on.
// Readings and sources: docs/chips.md (ATI Mach64).

#include <array>

#include "platform/virtual/cards/vga_card.h"

namespace zanvo::virt {

inline constexpr uint8_t kFamilyAti = 8;
inline constexpr uint16_t kPciVendorAti = 0x1002;
inline constexpr uint16_t kPciDeviceMach64Gt = 0x4754;
inline constexpr uint16_t kAtiDefaultIoBase = 0xE800;

class AtiMach64Card final : public VgaCard {
 public:
  explicit AtiMach64Card(uint16_t io_base = kAtiDefaultIoBase);

  std::string_view name() const override { return "ati-mach64"; }
  uint8_t family() const override { return kFamilyAti; }
  uint16_t model() const override { return kPciDeviceMach64Gt; }

  PciIdentity pci_identity() const override;
  uint8_t PeekRom(uint32_t offset) const override;
  double DriverClockHz(double wanted_hz) const override;
  // The accelerator CRTC sends a pixel a dot at every depth: no pixel doubling.
  DepthPipe DriverPipe(uint8_t /*bits_per_pixel*/) const override {
    return {1, 1, true, 260, false};
  }

  // The block base as the I/O BAR holds it (low byte 0).
  uint16_t ext_io_base() const { return io_base_; }
  // Register dword n (0-63) of the block, and a PLL register.
  uint32_t block_dword(int n) const;
  uint8_t pll_register(uint8_t index) const { return pll_[index & kPllIndexMask]; }
  // The clock VCLK0-3 makes with the PLL's current dividers; 0 while they are not set.
  double VclkHz(int vclk) const;
  bool extended_display() const;

 protected:
  uint8_t PeekExtraPort(uint16_t port) const override;
  void WriteExtraPort(uint16_t port, uint8_t value) override;
  double ClockHz(int select) const override;
  void ApplyExtensions(CrtcTiming& timing) const override;
  void ProgramMode(const ModeTiming& mode) override;

 private:
  static constexpr uint8_t kPllIndexMask = 0x3F;
  bool InBlock(uint16_t port) const { return (port & 0xFF00) == io_base_; }
  void PutDword(uint8_t offset, uint32_t value);
  void ProgramVclk(int vclk, double hz);

  uint16_t io_base_;
  std::array<uint8_t, 256> block_{};
  std::array<uint8_t, 64> pll_{};
  std::array<uint8_t, 512> rom_{};
};

}  // namespace zanvo::virt
