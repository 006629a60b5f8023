#pragma once
// A PortIo that records every access in order (direction, width, port, value) and answers from a
// small VGA-like register model: index/data register files, the attribute controller with its
// flip-flop, Miscellaneous Output, byte-addressed plain ports (block I/O included), and for the
// readout an Input Status 1 whose retrace bit follows a tick clock and a PIT channel 2 counting
// on the same clock. The clock advances only on Input Status reads.

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/port_io.h"

namespace zanvo::test {

struct Access {
  bool write = false;
  uint8_t width = 8;
  uint16_t port = 0;
  uint32_t value = 0;
};

// "w8 3D4 11", "r8 3D5 8C", "w16 3C4 0608", "w32 E800 004F0071".
std::string Describe(const Access& access);

enum class RegFile { kSeq, kGc, kCrtc, kCrtcMono, kOak, kAttr };

class RecordingPort final : public PortIo {
 public:
  RecordingPort();

  uint8_t InByte(uint16_t port) override;
  uint16_t InWord(uint16_t port) override;
  uint32_t InDword(uint16_t port) override;
  void OutByte(uint16_t port, uint8_t value) override;
  void OutWord(uint16_t port, uint16_t value) override;
  void OutDword(uint16_t port, uint32_t value) override;

  // ---- Register model (no logging, no side effects) ----
  uint8_t& Reg(RegFile file, uint8_t index);
  uint8_t& seq(uint8_t index) { return Reg(RegFile::kSeq, index); }
  uint8_t& gc(uint8_t index) { return Reg(RegFile::kGc, index); }
  uint8_t& crtc(uint8_t index) { return Reg(RegFile::kCrtc, index); }
  uint8_t& oak(uint8_t index) { return Reg(RegFile::kOak, index); }
  uint8_t& attr(uint8_t index) { return Reg(RegFile::kAttr, index); }
  // Bits of `mask` keep their value on writes.
  void SetReadOnly(RegFile file, uint8_t index, uint8_t mask);
  uint8_t& misc() { return misc_; }
  uint8_t& plain(uint16_t port) { return plain_[port]; }
  void PutWord(uint16_t port, uint16_t value);
  void PutDword(uint16_t port, uint32_t value);
  uint16_t GetWord(uint16_t port) const;
  uint32_t GetDword(uint16_t port) const;

  // ---- Readout scripting ----
  // Retrace active for the first `active` ticks of every `period`; period 0 freezes the bit at
  // `frozen_retrace`.
  void SetRetrace(uint32_t period, uint32_t active) {
    retrace_period_ = period;
    retrace_active_ = active;
    retrace_cycle_.clear();
  }
  // Retrace active for the first `active` ticks of each period of `cycle` in turn, over and over.
  void SetRetraceCycle(std::vector<uint32_t> cycle, uint32_t active) {
    retrace_period_ = 0;
    retrace_cycle_ = std::move(cycle);
    retrace_active_ = active;
  }
  void FreezeRetrace(bool in_retrace) {
    retrace_period_ = 0;
    retrace_cycle_.clear();
    frozen_retrace_ = in_retrace;
  }
  // 0: the timer never counts.
  void SetTicksPerStatusRead(uint32_t ticks) { ticks_per_status_read_ = ticks; }
  uint8_t port_b() const { return port_b_; }

  // ---- Log ----
  const std::vector<Access>& log() const { return log_; }
  void ClearLog() { log_.clear(); }
  std::vector<std::string> Trace() const;       // every access
  std::vector<std::string> WriteTrace() const;  // writes only
  size_t CountReads(uint16_t port) const;
  size_t CountWrites(uint16_t port) const;

 private:
  struct IndexedFile {
    uint8_t index = 0;
    std::array<uint8_t, 256> regs{};
    std::array<uint8_t, 256> read_only{};
  };
  IndexedFile* FileAtIndexPort(uint16_t port);
  uint8_t ReadByte(uint16_t port);
  void WriteByte(uint16_t port, uint8_t value);
  uint8_t ReadStatus();
  uint16_t CurrentCount() const;
  void Log(bool write, uint8_t width, uint16_t port, uint32_t value);

  IndexedFile seq_, gc_, crtc_, crtc_mono_, oak_, attr_;
  bool attr_flip_data_ = false;
  uint8_t misc_ = 0x23;
  std::vector<uint8_t> plain_;

  uint64_t now_ = 0;
  uint32_t ticks_per_status_read_ = 1;
  uint32_t retrace_period_ = 0;
  uint32_t retrace_active_ = 0;
  std::vector<uint32_t> retrace_cycle_;
  bool frozen_retrace_ = false;
  uint8_t port_b_ = 0x00;
  uint64_t pit_load_time_ = 0;
  uint16_t pit_initial_ = 0;  // 0 stands for 65536
  uint16_t pit_latch_ = 0;
  bool pit_latched_ = false;
  bool pit_write_high_next_ = false;
  bool pit_read_high_next_ = false;

  std::vector<Access> log_;
};

}  // namespace zanvo::test
