#pragma once
// A virtual VGA adapter: the standard VGA register file once, with hooks through which a chip
// family adds its own registers, locks, ports, clocks and timing extension bits.
//
// On an index port the whole index byte is latched and reads back as written. A register the
// card does not implement leaves the data bus undriven, so reading it gives 0xFF, and writing it
// changes nothing: that is what a clone VGA does, and what register probes count on to tell an
// extended chip from a plain one. Reads have no side effects except where the hardware has them
// (Input Status 1 resets the attribute flip-flop, the DAC data port steps its index).
//
// Table of contents:
//   vga_card.cpp       ports, index/data pairs, attribute flip-flop, DAC, peeks
//   vga_access.cpp     which registers exist and which bits a write may change (locks)
//   vga_timing.cpp     the CRTC as programmed, for the analyzer; the cached signal
//   vga_mode.cpp       how a driver programs a desktop mode

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "platform/virtual/signal/mode_timing.h"
#include "platform/virtual/cards/pci_identity.h"
#include "platform/virtual/signal/raster.h"
#include "platform/virtual/signal/signal.h"
#include "platform/virtual/cards/vga_registers.h"

namespace zanvo::virt {

// What the card does with one register index.
struct RegisterAccess {
  bool readable = false;   // a read returns the stored bits; otherwise the bus floats (0xFF)
  uint8_t write_mask = 0;  // bits a write may change; the others keep their value
};

class VgaCard {
 public:
  virtual ~VgaCard() = default;
  VgaCard(const VgaCard&) = delete;
  VgaCard& operator=(const VgaCard&) = delete;

  // Identification: the catalogue name, the chip family code and the model code.
  virtual std::string_view name() const = 0;
  virtual uint8_t family() const = 0;
  virtual uint16_t model() const = 0;

  // The bus side, called with the simulated time. Ports the card does not decode read 0xFF and
  // ignore writes.
  uint8_t ReadPort(uint16_t port, uint64_t now_ps) {
    if (RepeatsSteadyStatus(port, now_ps)) return steady_status_;
    return ReadPortAnew(port, now_ps);
  }
  void WritePort(uint16_t port, uint8_t value);

  // A program waiting for the retrace reads Input Status 1 over and over with nothing else
  // changing on the card. Each such read works out how long the raster will keep those bits,
  // and until then further reads return them without asking the raster again: they would get
  // the same byte, and their one side effect, resetting the attribute flip-flop, would change
  // nothing. On by default; the fast path is off only to prove it changes no reading.
  void SetSteadyStatusReuse(bool on);
  // How long a status read at `now_ps` keeps its bits under `mask`, as Raster::SteadyUntil,
  // while nothing is written to the card.
  uint64_t StatusSteadyUntil(uint64_t now_ps, uint8_t mask) const;
  uint16_t status_port() const {
    return ColorAddressing() ? kPortStatus1Color : kPortStatus1Mono;
  }
  // Whether a read of `port` at `now_ps` is one that the last status read's steady stretch
  // answers, with steady_status(), as every read before steady_until_ps() is.
  bool RepeatsSteadyStatus(uint16_t port, uint64_t now_ps) const {
    return now_ps < steady_until_ps_ && now_ps >= steady_from_ps_ && port == status_port() &&
           !timing_dirty_ && !attr_flip_flop_data_;
  }
  uint8_t steady_status() const { return steady_status_; }
  uint64_t steady_until_ps() const { return steady_until_ps_; }

  // Side-effect-free reads: what a read would return, without moving the attribute flip-flop,
  // the DAC index or anything else.
  uint8_t PeekPort(uint16_t port, uint64_t now_ps) const;
  uint8_t Peek(RegFile file, uint8_t index) const;
  uint8_t PeekIndex(RegFile file) const;
  uint8_t PeekMisc() const { return misc_; }
  uint8_t PeekInputStatus1(uint64_t now_ps) const;
  bool attribute_flip_flop_is_data() const { return attr_flip_flop_data_; }
  // What a read returns with every lock of the card open, as a register dump tool that opens
  // the chip first reads it; the keys and protection bits themselves do not change.
  uint8_t PeekUnlocked(RegFile file, uint8_t index) const;
  // Whether the chip has the register at all, whatever its locks: it reads back or a write
  // changes some of its bits.
  bool Implements(RegFile file, uint8_t index) const;
  // The stored bits of a register, whatever a read would return.
  uint8_t Stored(RegFile file, uint8_t index) const { return regs_[FileSlot(file)][index]; }

  // The CRTC as programmed, with the family's extension bits folded in.
  CrtcTiming ExtractTiming() const;
  // AnalyzeTiming(ExtractTiming()), recomputed only after a register write.
  const Signal& signal() const;

  // When the n-th vertical retrace (n >= 1) to begin at or after `from_ps` begins, as the
  // status bit shows it; UINT64_MAX when the retrace never comes (none, or frozen).
  uint64_t RetraceStart(uint64_t from_ps, uint32_t n) const;

  // Test knob: while frozen, Input Status 1 bit 3 reads `level` whatever the time.
  void FreezeRetrace(bool frozen, bool level = false);

  // The card on the PCI bus; not present for ISA and VLB cards.
  virtual PciIdentity pci_identity() const { return {}; }
  // A byte of the card's video ROM, mapped at physical 0xC0000; 0xFF where there is none.
  virtual uint8_t PeekRom(uint32_t /*offset*/) const { return 0xFF; }

  // Display driver side.
  // The clock the driver uses for a mode that wants `wanted_hz`: by default the nearest of the
  // card's fixed clocks.
  virtual double DriverClockHz(double wanted_hz) const;

  // The video memory on the board, in KiB. A card starts with the size most of its boards were
  // sold with; SetMemoryKib takes only a size they were sold with (false otherwise).
  std::span<const uint32_t> MemorySizesKib() const;
  uint32_t DefaultMemoryKib() const;
  uint32_t memory_kib() const { return memory_kib_ != 0 ? memory_kib_ : DefaultMemoryKib(); }
  bool SetMemoryKib(uint32_t kib);
  // The colour depths the chip with its DAC shows as its Windows 9x driver offers them, and the
  // highest pixel rate (pixels a second out of the DAC) it takes at each.
  std::span<const uint8_t> DriverDepths() const;
  double MaxPixelRateHz(uint8_t bits_per_pixel) const;
  // How the driver lays a depth onto the CRTC: the factor on the horizontal counts and the one
  // on the pixel clock, over the 8-bit timing of the same size (a HiColor DAC takes two clocks
  // per pixel: both doubled).
  struct DepthPipe {
    int h_multiplier = 1;
    int clock_multiplier = 1;
    bool offset_counts_pixels = false;  // the line offset counts 8-pixel units at any depth
    // The longest line in characters the horizontal registers hold once multiplied: CR00's
    // eight bits plus the five the CRTC adds, unless the chip has an overflow bit the driver
    // writes.
    int h_total_limit = 260;
    // Whether the CRTC can show a pixel over two dots (the VGA's 256-colour assembly). Where it
    // cannot, the driver lays the low-resolution modes out at half the characters and half the
    // clock instead.
    bool pixel_doubling = true;
  };
  virtual DepthPipe DriverPipe(uint8_t bits_per_pixel) const;
  // Whether the chip's 256-colour pixels take its extended path, a pixel a dot, rather than
  // the attribute controller's assembly over two dots (what the driver chose with the mode).
  virtual bool ExtendedPixelPath() const { return !vga_pixel_pairs_; }
  // Whether the driver offers a size at a depth on this card beyond memory and pixel rate (the
  // standard VGA's 256-colour pixels, for one, reach only 64 KiB). True by default.
  virtual bool OffersMode(uint16_t /*width*/, uint16_t /*height*/,
                          uint8_t /*bits_per_pixel*/) const {
    return true;
  }
  // Programs a mode as the driver does, writes the mode's loaded registers over it, and
  // remembers it as the current mode.
  void SetMode(const ModeTiming& mode);
  const ModeTiming& current_mode() const { return current_mode_; }

 protected:
  VgaCard() = default;

  // Register file hooks. Access() is the one place where a family says which indexes exist
  // and applies its locks; ReadRegister/WriteRegister are overridden only for registers whose
  // read-back is not simply the stored bits. The timing is recomputed when a write changes the
  // stored byte; a WriteRegister that changes other state calls InvalidateTiming() itself.
  virtual RegisterAccess Access(RegFile file, uint8_t index) const;
  virtual uint8_t ReadRegister(RegFile file, uint8_t index) const;
  virtual void WriteRegister(RegFile file, uint8_t index, uint8_t value);
  // A hardware side effect of reading a data port (none on the standard VGA).
  virtual void OnRegisterRead(RegFile /*file*/, uint8_t /*index*/) {}

  // Ports outside the standard VGA set, and the CRTC ports of the addressing not selected.
  virtual uint8_t PeekExtraPort(uint16_t /*port*/) const { return kFloatingBus; }
  virtual void OnExtraPortRead(uint16_t /*port*/) {}
  virtual void WriteExtraPort(uint16_t /*port*/, uint8_t /*value*/) {}

  // Fixed clock by Miscellaneous Output bits 2-3; 0 where the card has no such clock.
  virtual double ClockHz(int select) const = 0;
  // Folds the family's clock synthesis, interlace, overflow and offset bits into the standard
  // reading of the CRTC.
  virtual void ApplyExtensions(CrtcTiming& /*timing*/) const {}
  // Writes the registers for a mode, as the family's driver does.
  virtual void ProgramMode(const ModeTiming& mode);

  // The HiColor DAC command register as the driver leaves it (0 on a plain DAC).
  uint8_t dac_command() const { return dac_command_; }
  // A register write through the card's own rules (locks included), as the CPU makes it.
  void WriteIndexed(RegFile file, uint8_t index, uint8_t value);
  void WriteAttribute(uint8_t index, uint8_t value);
  void WriteMisc(uint8_t value);
  uint8_t& StoredRef(RegFile file, uint8_t index) { return regs_[FileSlot(file)][index]; }
  uint8_t misc() const { return misc_; }
  // Call after any state change that moves the timing outside WriteIndexed/WritePort.
  void InvalidateTiming() { timing_dirty_ = true; }
  // True while a register tool holds every lock open (PeekUnlocked, loaded registers): a
  // family's Access() then treats its keys as turned. Reads of the keys themselves still
  // report the state of the keys.
  bool locks_held_open() const { return locks_held_open_; }

 private:
  static constexpr int FileSlot(RegFile file) { return static_cast<int>(file); }
  bool ColorAddressing() const { return (misc_ & kMiscColorAddressing) != 0; }
  uint8_t ReadPortAnew(uint16_t port, uint64_t now_ps);
  void ForgetSteadyStatus() const {
    steady_until_ps_ = 0;
    masked_until_ps_ = 0;
  }
  uint16_t CrtcIndexPort() const;
  uint8_t PeekDacData() const;
  void WriteDacData(uint8_t value);
  void ReadEffects(uint16_t port);
  void RefreshTiming() const;
  void LoadRegisters(const LoadedRegisters& loaded);
  bool HasHiColorDac() const;
  void ReadPixelFormat(CrtcTiming& timing) const;

  std::array<std::array<uint8_t, 256>, 4> regs_{};
  std::array<uint8_t, 4> index_{};
  uint8_t misc_ = 0;
  uint8_t feature_control_ = 0;
  uint8_t video_enable_ = 1;
  bool attr_flip_flop_data_ = false;

  // DAC: 256 entries of three 6-bit components.
  std::array<uint8_t, 768> dac_{};
  uint8_t dac_mask_ = 0xFF;
  uint8_t dac_read_index_ = 0;
  uint8_t dac_write_index_ = 0;
  uint8_t dac_component_ = 0;
  bool dac_reading_ = false;

  bool retrace_frozen_ = false;
  bool retrace_level_ = false;

  ModeTiming current_mode_{};
  uint32_t memory_kib_ = 0;  // 0: the default size

  // The HiColor DAC's command register and how many reads of the pixel mask in a row have
  // come (the fifth access reaches the command register); see board_facts.h.
  uint8_t dac_command_ = 0;
  uint8_t dac_mask_reads_ = 0;
  // Whether the 256-colour pixels pass the attribute controller's 8-bit assembly, two dots per
  // pixel, as the VGA's own modes do (the chips' extended 256-colour paths send one a dot).
  // The driver sets it with the mode: for the families whose enable bit no source names, it is
  // the model's state rather than a register (docs/chips.md, Colour depths).
  bool vga_pixel_pairs_ = false;
  // Mutable so that a const peek can hold the locks open for the length of one read.
  mutable bool locks_held_open_ = false;

  mutable bool timing_dirty_ = true;
  mutable Signal signal_{};
  mutable Raster raster_{};

  // The last status read through the port and the stretch [from, until) it holds for. A new
  // raster or a change of the freeze empties it, and the stretch below.
  bool steady_status_reuse_ = true;
  uint8_t steady_status_ = 0;
  uint64_t steady_from_ps_ = 0;
  mutable uint64_t steady_until_ps_ = 0;
  // The last stretch StatusSteadyUntil worked out: the bits asked about and [from, until). A
  // busy-wait asks again at every timer latch while its bit holds for a whole field.
  mutable uint8_t masked_bits_ = 0;
  mutable uint64_t masked_from_ps_ = 0;
  mutable uint64_t masked_until_ps_ = 0;
};

}  // namespace zanvo::virt
