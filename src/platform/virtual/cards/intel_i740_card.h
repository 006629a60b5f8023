#pragma once
// Intel i740 (family 9, PCI 8086:7800). Its configuration registers XR00-XRFF sit behind the
// index/data pair 0x3D6/0x3D7. XR09 bit 0 (extended CRTC) makes the CRTC take its high bits
// from the extended CRTC registers instead of the VGA overflow bits:
//
//   CR30-CR33  bits 0-3: bits 8-11 of vertical total, display end, sync start, blank start
//   CR35       bit 0: horizontal total bit 8
//   CR39       bit 0: horizontal blank end bit 6
//   CR41       bits 0-3: line offset bits 8-11
//   CR70       bit 7: interlace (bits 0-6 undocumented)
//   XRC8-XRCB  VCLK2, selected by clock select 3:
//              f = 4 x 66.67 MHz x (M + 2) / ((N + 2) x 2^P), M = XRC8, N = XRC9, P = XRCB 4-6
// Clock selects 0 and 1 are the VGA crystals. The i810's IO control register CR80 does not exist
// on this chip. Readings and sources: docs/chips.md (Intel i740).

#include <array>

#include "platform/virtual/cards/vga_card.h"

namespace zanvo::virt {

inline constexpr uint8_t kFamilyIntel = 9;

class IntelI740Card final : public VgaCard {
 public:
  IntelI740Card();

  std::string_view name() const override { return "intel-i740"; }
  uint8_t family() const override { return kFamilyIntel; }
  uint16_t model() const override { return 0x7800; }
  PciIdentity pci_identity() const override;
  double DriverClockHz(double wanted_hz) const override;

  uint8_t xr(uint8_t index) const { return xr_[index]; }
  bool extended_crtc() const;
  double Vclk2Hz() const;

 protected:
  RegisterAccess Access(RegFile file, uint8_t index) const override;
  uint8_t PeekExtraPort(uint16_t port) const override;
  void WriteExtraPort(uint16_t port, uint8_t value) override;
  double ClockHz(int select) const override;
  void ApplyExtensions(CrtcTiming& timing) const override;
  void ProgramMode(const ModeTiming& mode) override;

 private:
  uint8_t xr_index_ = 0;
  std::array<uint8_t, 256> xr_{};
};

}  // namespace zanvo::virt
