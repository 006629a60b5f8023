#pragma once
// The way back without a driver: every register the engine writes is read first, and the value
// it held is kept (copy on write). Written back in the reverse order of those first writes, the
// card holds its mode as before: unlock keys, written first, are closed again last, and CR11's
// write protection comes back after CR00-CR07.
//
// A saved set names only the VGA's registers and those of the chip family it was taken on:
// the sequencer, graphics, attribute and CRT controllers (colour or mono), Miscellaneous Output,
// and Oak's 0x3DE pair, Intel's XR pair at 0x3D6 or Trident's clock ports 0x43C8/0x43C9.
// Ports outside them (a Mach64's block I/O, Tseng's KEY) are not kept.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/port_io.h"

namespace zanvo::linux_pc {

inline constexpr int kPlainPort = -1;

struct SavedRegister {
  uint16_t port = 0;          // the index port of a pair, or a plain register's own port
  int index = kPlainPort;     // the index within the pair
  uint8_t value = 0;          // what it held before the first write
  bool operator==(const SavedRegister&) const = default;
};

struct SavedRegisterSet {
  uint8_t family = 0;
  std::vector<SavedRegister> registers;  // in the order of their first writes
  bool Holds(uint16_t port, int index) const;
};

// Whether a saved set taken on `family` may name this register.
bool MayBeSaved(uint8_t family, uint16_t port, int index);

std::string FormatSavedSet(const SavedRegisterSet& set);
// Nothing, with `refusal` saying why, when the text is not such a set or names a register
// outside the VGA's and its family's.
std::optional<SavedRegisterSet> ParseSavedSet(const std::string& text, std::string& refusal);

// Writes the saved values back, last first.
void RestoreSavedSet(PortIo& io, const SavedRegisterSet& set);

// A port that passes everything through and, before the first write to a register a saved set
// may name, reads and keeps what it held.
class RecordingPorts final : public PortIo {
 public:
  RecordingPorts(PortIo& io, SavedRegisterSet& set) : io_(io), set_(set) {}
  // Family whose registers may be kept from now on (the chipset in force).
  void SetFamily(uint8_t family) { set_.family = family; }
  // How many registers the set holds now.
  size_t size() const { return set_.registers.size(); }
  // Called when the set has grown, before the write that made it grow reaches the card: it
  // stores the set, so that a death at any later moment leaves the way back on disk. When it
  // fails, that write and every later one are dropped (the card keeps what the set can restore).
  std::function<bool()> store_before_write;
  // Whether a store failed and writes were dropped since.
  bool blocked() const { return blocked_; }

  uint8_t InByte(uint16_t port) override;
  uint16_t InWord(uint16_t port) override { return io_.InWord(port); }
  uint32_t InDword(uint16_t port) override { return io_.InDword(port); }
  void OutByte(uint16_t port, uint8_t value) override;
  void OutWord(uint16_t port, uint16_t value) override;
  void OutDword(uint16_t port, uint32_t value) override {
    if (!blocked_) io_.OutDword(port, value);
  }
  uint32_t InByteWhile(uint16_t port, uint8_t mask, uint8_t unchanged, uint32_t max_reads,
                       uint8_t& last) override;

 private:
  void KeepBeforeWrite(uint16_t port, uint8_t value);
  // Stores the set when it grew past `size_before`; false when writes are to be dropped.
  bool MayWrite(size_t size_before);
  void Keep(uint16_t port, int index, uint8_t held);

  PortIo& io_;
  SavedRegisterSet& set_;
  // The index last written to each index port (the hardware's own register is not read back:
  // some chips answer an index read with other bits).
  uint8_t seq_index_ = 0, gc_index_ = 0, crtc_color_index_ = 0, crtc_mono_index_ = 0,
          oak_index_ = 0, intel_index_ = 0, attr_index_ = 0;
  bool attr_data_next_ = false;  // the attribute controller's flip-flop
  bool blocked_ = false;
};

}  // namespace zanvo::linux_pc
