#include "recording_port.h"

#include <cstdio>

namespace zanvo::test {

namespace {

constexpr uint16_t kSeqIndex = 0x3C4;
constexpr uint16_t kGcIndex = 0x3CE;
constexpr uint16_t kCrtcIndex = 0x3D4;
constexpr uint16_t kCrtcMonoIndex = 0x3B4;
constexpr uint16_t kOakIndex = 0x3DE;
constexpr uint16_t kAttrWrite = 0x3C0;
constexpr uint16_t kAttrRead = 0x3C1;
constexpr uint16_t kMiscWrite = 0x3C2;
constexpr uint16_t kMiscRead = 0x3CC;
constexpr uint16_t kStatusColor = 0x3DA;
constexpr uint16_t kStatusMono = 0x3BA;
constexpr uint16_t kPitData = 0x42;
constexpr uint16_t kPitCommand = 0x43;
constexpr uint16_t kPortB = 0x61;

}  // namespace

std::string Describe(const Access& access) {
  char text[32];
  std::snprintf(text, sizeof text, "%c%u %X %0*X", access.write ? 'w' : 'r', unsigned{access.width},
                unsigned{access.port}, access.width / 4, access.value);
  return text;
}

RecordingPort::RecordingPort() : plain_(65536, 0xFF) {}

uint8_t& RecordingPort::Reg(RegFile file, uint8_t index) {
  switch (file) {
    case RegFile::kSeq:
      return seq_.regs[index];
    case RegFile::kGc:
      return gc_.regs[index];
    case RegFile::kCrtc:
      return crtc_.regs[index];
    case RegFile::kCrtcMono:
      return crtc_mono_.regs[index];
    case RegFile::kOak:
      return oak_.regs[index];
    case RegFile::kAttr:
      return attr_.regs[index];
  }
  return seq_.regs[index];
}

void RecordingPort::SetReadOnly(RegFile file, uint8_t index, uint8_t mask) {
  IndexedFile* f = &seq_;
  switch (file) {
    case RegFile::kSeq:
      f = &seq_;
      break;
    case RegFile::kGc:
      f = &gc_;
      break;
    case RegFile::kCrtc:
      f = &crtc_;
      break;
    case RegFile::kCrtcMono:
      f = &crtc_mono_;
      break;
    case RegFile::kOak:
      f = &oak_;
      break;
    case RegFile::kAttr:
      f = &attr_;
      break;
  }
  f->read_only[index] = mask;
}

void RecordingPort::PutWord(uint16_t port, uint16_t value) {
  plain_[port] = static_cast<uint8_t>(value);
  plain_[static_cast<uint16_t>(port + 1)] = static_cast<uint8_t>(value >> 8);
}

void RecordingPort::PutDword(uint16_t port, uint32_t value) {
  PutWord(port, static_cast<uint16_t>(value));
  PutWord(static_cast<uint16_t>(port + 2), static_cast<uint16_t>(value >> 16));
}

uint16_t RecordingPort::GetWord(uint16_t port) const {
  return static_cast<uint16_t>(plain_[port] | (plain_[static_cast<uint16_t>(port + 1)] << 8));
}

uint32_t RecordingPort::GetDword(uint16_t port) const {
  return GetWord(port) | (uint32_t{GetWord(static_cast<uint16_t>(port + 2))} << 16);
}

RecordingPort::IndexedFile* RecordingPort::FileAtIndexPort(uint16_t port) {
  switch (port) {
    case kSeqIndex:
      return &seq_;
    case kGcIndex:
      return &gc_;
    case kCrtcIndex:
      return &crtc_;
    case kCrtcMonoIndex:
      return &crtc_mono_;
    case kOakIndex:
      return &oak_;
    default:
      return nullptr;
  }
}

uint16_t RecordingPort::CurrentCount() const {
  return static_cast<uint16_t>(pit_initial_ - (now_ - pit_load_time_));
}

uint8_t RecordingPort::ReadStatus() {
  now_ += ticks_per_status_read_;
  attr_flip_data_ = false;
  bool retrace = frozen_retrace_;
  if (retrace_period_ != 0) retrace = (now_ % retrace_period_) < retrace_active_;
  if (!retrace_cycle_.empty()) {
    uint64_t length = 0;
    for (const uint32_t period : retrace_cycle_) length += period;
    uint64_t at = now_ % length;
    for (const uint32_t period : retrace_cycle_) {
      if (at < period) break;
      at -= period;
    }
    retrace = at < retrace_active_;
  }
  return retrace ? 0x08 : 0x00;
}

uint8_t RecordingPort::ReadByte(uint16_t port) {
  if (IndexedFile* f = FileAtIndexPort(port)) return f->index;
  if (IndexedFile* f = FileAtIndexPort(static_cast<uint16_t>(port - 1))) return f->regs[f->index];
  switch (port) {
    case kMiscRead:
      return misc_;
    case kAttrWrite:
      return attr_.index;
    case kAttrRead:
      return attr_.regs[attr_.index & 0x1F];
    case kStatusColor:
    case kStatusMono:
      return ReadStatus();
    case kPortB:
      return port_b_;
    case kPitData: {
      const uint16_t count = pit_latched_ ? pit_latch_ : CurrentCount();
      const bool high = pit_read_high_next_;
      pit_read_high_next_ = !pit_read_high_next_;
      if (high) pit_latched_ = false;
      return static_cast<uint8_t>(high ? count >> 8 : count & 0xFF);
    }
    default:
      return plain_[port];
  }
}

void RecordingPort::WriteByte(uint16_t port, uint8_t value) {
  if (IndexedFile* f = FileAtIndexPort(port)) {
    f->index = value;
    return;
  }
  if (IndexedFile* f = FileAtIndexPort(static_cast<uint16_t>(port - 1))) {
    const uint8_t keep = f->read_only[f->index];
    f->regs[f->index] = static_cast<uint8_t>((f->regs[f->index] & keep) | (value & ~keep));
    return;
  }
  switch (port) {
    case kMiscWrite:
      misc_ = value;
      return;
    case kAttrWrite:
      if (attr_flip_data_) {
        attr_.regs[attr_.index & 0x1F] = value;
      } else {
        attr_.index = value;
      }
      attr_flip_data_ = !attr_flip_data_;
      return;
    case kPortB:
      port_b_ = value;
      return;
    case kPitCommand:
      if (value == 0x80) {
        pit_latch_ = CurrentCount();
        pit_latched_ = true;
        pit_read_high_next_ = false;
      } else if ((value & 0xC0) == 0x80) {
        pit_write_high_next_ = false;
      }
      return;
    case kPitData:
      if (!pit_write_high_next_) {
        pit_initial_ = value;
      } else {
        pit_initial_ = static_cast<uint16_t>(pit_initial_ | (value << 8));
        pit_load_time_ = now_;
      }
      pit_write_high_next_ = !pit_write_high_next_;
      return;
    default:
      plain_[port] = value;
  }
}

void RecordingPort::Log(bool write, uint8_t width, uint16_t port, uint32_t value) {
  log_.push_back(Access{write, width, port, value});
}

uint8_t RecordingPort::InByte(uint16_t port) {
  const uint8_t value = ReadByte(port);
  Log(false, 8, port, value);
  return value;
}

uint16_t RecordingPort::InWord(uint16_t port) {
  const auto value =
      static_cast<uint16_t>(ReadByte(port) | (ReadByte(static_cast<uint16_t>(port + 1)) << 8));
  Log(false, 16, port, value);
  return value;
}

uint32_t RecordingPort::InDword(uint16_t port) {
  uint32_t value = 0;
  for (uint16_t i = 0; i < 4; ++i) {
    value |= uint32_t{ReadByte(static_cast<uint16_t>(port + i))} << (8 * i);
  }
  Log(false, 32, port, value);
  return value;
}

void RecordingPort::OutByte(uint16_t port, uint8_t value) {
  Log(true, 8, port, value);
  WriteByte(port, value);
}

// Like the ISA bus: a word write reaches the port and the one after it, low byte first.
void RecordingPort::OutWord(uint16_t port, uint16_t value) {
  Log(true, 16, port, value);
  WriteByte(port, static_cast<uint8_t>(value));
  WriteByte(static_cast<uint16_t>(port + 1), static_cast<uint8_t>(value >> 8));
}

void RecordingPort::OutDword(uint16_t port, uint32_t value) {
  Log(true, 32, port, value);
  for (uint16_t i = 0; i < 4; ++i) {
    WriteByte(static_cast<uint16_t>(port + i), static_cast<uint8_t>(value >> (8 * i)));
  }
}

std::vector<std::string> RecordingPort::Trace() const {
  std::vector<std::string> lines;
  for (const Access& a : log_)
    lines.push_back(Describe(a));
  return lines;
}

std::vector<std::string> RecordingPort::WriteTrace() const {
  std::vector<std::string> lines;
  for (const Access& a : log_) {
    if (a.write) lines.push_back(Describe(a));
  }
  return lines;
}

size_t RecordingPort::CountReads(uint16_t port) const {
  size_t n = 0;
  for (const Access& a : log_)
    n += (!a.write && a.port == port) ? 1 : 0;
  return n;
}

size_t RecordingPort::CountWrites(uint16_t port) const {
  size_t n = 0;
  for (const Access& a : log_)
    n += (a.write && a.port == port) ? 1 : 0;
  return n;
}

}  // namespace zanvo::test
