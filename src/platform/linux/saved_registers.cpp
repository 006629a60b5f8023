#include "platform/linux/saved_registers.h"

#include <algorithm>
#include <charconv>
#include <sstream>

#include "engine/chip_codes.h"
#include "engine/vga_regs.h"

namespace zanvo::linux_pc {

namespace {

using namespace zanvo::engine;

constexpr const char* kHeader = "zanvo-saved-registers 1";
// More than every index of every register file together: a longer file is no set of ours.
constexpr size_t kMaxRegisters = 2048;
constexpr uint16_t kOakIndex = kOakExtIndex;
constexpr uint16_t kIntelIndex = kIntelXrIndex;

bool IsIndexPair(uint8_t family, uint16_t port) {
  if (port == kSeqIndex || port == kGcIndex || port == kCrtcIndexColor || port == kCrtcIndexMono ||
      port == kAttrIndexWrite) {
    return true;
  }
  return (family == cfOak && port == kOakIndex) || (family == cfIntel && port == kIntelIndex);
}

bool IsPlainRegister(uint8_t family, uint16_t port) {
  if (port == kMiscOutputWrite) return true;
  return family == cfTrident && (port == kTridentVclkLow || port == kTridentVclkHigh);
}

bool IsKnownFamily(uint8_t family) {
  constexpr uint8_t kFamilies[] = {cfStandardVGA, cfRealtek, cfS3,  cfCirrus, cfTseng, cfATI,
                                   cfIntel,       cfUMC,     cfWD,  cfSiS,    cfOak,   cfTrident};
  return std::find(std::begin(kFamilies), std::end(kFamilies), family) != std::end(kFamilies);
}

bool ParseHex(std::string_view text, unsigned limit, unsigned& value) {
  if (text.empty() || text.size() > 4) return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
  return error == std::errc{} && end == text.data() + text.size() && value <= limit;
}

std::string Hex(unsigned value, int digits) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text(static_cast<size_t>(digits), '0');
  for (int i = digits - 1; i >= 0; --i, value >>= 4) text[static_cast<size_t>(i)] = kDigits[value & 15];
  return text;
}

}  // namespace

bool SavedRegisterSet::Holds(uint16_t port, int index) const {
  return std::any_of(registers.begin(), registers.end(), [&](const SavedRegister& r) {
    return r.port == port && r.index == index;
  });
}

bool MayBeSaved(uint8_t family, uint16_t port, int index) {
  if (index == kPlainPort) return IsPlainRegister(family, port);
  if (!IsIndexPair(family, port) || index < 0) return false;
  return index < (port == kAttrIndexWrite ? 0x20 : 0x100);
}

std::string FormatSavedSet(const SavedRegisterSet& set) {
  std::string text = std::string(kHeader) + "\nfamily " + std::to_string(set.family) + "\n";
  for (const SavedRegister& r : set.registers) {
    text += Hex(r.port, 4) + " " + (r.index == kPlainPort ? std::string("-") : Hex(static_cast<unsigned>(r.index), 2)) +
            " " + Hex(r.value, 2) + "\n";
  }
  return text;
}

std::optional<SavedRegisterSet> ParseSavedSet(const std::string& text, std::string& refusal) {
  std::istringstream lines(text);
  std::string line;
  if (!std::getline(lines, line) || line != kHeader) {
    refusal = "not a saved register set of this program";
    return std::nullopt;
  }
  SavedRegisterSet set;
  std::string word;
  unsigned family = 0;
  // The family line is read to its end, as every other line is.
  const bool family_read = std::getline(lines, line) && line.rfind("family ", 0) == 0 && [&] {
    const char* end = line.data() + line.size();
    const auto [stop, error] = std::from_chars(line.data() + 7, end, family);
    return error == std::errc{} && stop == end;
  }();
  if (!family_read || family > 0xFF || !IsKnownFamily(static_cast<uint8_t>(family))) {
    refusal = "the saved set names no chip family it could belong to";
    return std::nullopt;
  }
  set.family = static_cast<uint8_t>(family);
  int number = 2;
  while (std::getline(lines, line)) {
    ++number;
    std::istringstream fields(line);
    std::string port_text, index_text, value_text, extra;
    unsigned port = 0, index = 0, value = 0;
    const bool parsed = static_cast<bool>(fields >> port_text >> index_text >> value_text) &&
                        !(fields >> extra) && ParseHex(port_text, 0xFFFF, port) &&
                        (index_text == "-" || ParseHex(index_text, 0xFF, index)) &&
                        ParseHex(value_text, 0xFF, value);
    if (!parsed) {
      refusal = "line " + std::to_string(number) + " of the saved set does not read as a register";
      return std::nullopt;
    }
    const SavedRegister r{static_cast<uint16_t>(port),
                          index_text == "-" ? kPlainPort : static_cast<int>(index),
                          static_cast<uint8_t>(value)};
    if (!MayBeSaved(set.family, r.port, r.index)) {
      refusal = "line " + std::to_string(number) + " of the saved set names port 0x" +
                Hex(r.port, 4) + ", which is neither the VGA's nor its chip's; refused";
      return std::nullopt;
    }
    if (set.Holds(r.port, r.index) || set.registers.size() >= kMaxRegisters) {
      refusal = "line " + std::to_string(number) + " of the saved set repeats a register";
      return std::nullopt;
    }
    set.registers.push_back(r);
  }
  return set;
}

void RestoreSavedSet(PortIo& io, const SavedRegisterSet& set) {
  for (auto r = set.registers.rbegin(); r != set.registers.rend(); ++r) {
    if (r->index == kPlainPort) {
      io.OutByte(r->port, r->value);
    } else if (r->port == kAttrIndexWrite) {
      // A status read puts the flip-flop on the index; the index keeps the palette's source
      // (bit 5) on the display, and so does the final write of it.
      io.InByte(kInputStatus1Color);
      io.InByte(kInputStatus1Mono);
      io.OutByte(kAttrIndexWrite, static_cast<uint8_t>(r->index | 0x20));
      io.OutByte(kAttrIndexWrite, r->value);
      io.OutByte(kAttrIndexWrite, 0x20);
    } else {
      io.OutByte(r->port, static_cast<uint8_t>(r->index));
      io.OutByte(static_cast<uint16_t>(r->port + 1), r->value);
    }
  }
}

void RecordingPorts::Keep(uint16_t port, int index, uint8_t held) {
  set_.registers.push_back({port, index, held});
}

uint8_t RecordingPorts::InByte(uint16_t port) {
  if (port == kInputStatus1Color || port == kInputStatus1Mono) attr_data_next_ = false;
  return io_.InByte(port);
}

uint32_t RecordingPorts::InByteWhile(uint16_t port, uint8_t mask, uint8_t unchanged,
                                     uint32_t max_reads, uint8_t& last) {
  if (port == kInputStatus1Color || port == kInputStatus1Mono) attr_data_next_ = false;
  return io_.InByteWhile(port, mask, unchanged, max_reads, last);
}

void RecordingPorts::KeepBeforeWrite(uint16_t port, uint8_t value) {
  const uint8_t family = set_.family;
  auto keep_pair = [&](uint16_t index_port, uint8_t index) {
    if (!MayBeSaved(family, index_port, index) || set_.Holds(index_port, index)) return;
    // The index was written just before: the data port answers that register.
    Keep(index_port, index, io_.InByte(static_cast<uint16_t>(index_port + 1)));
  };
  switch (port) {
    case kSeqIndex: seq_index_ = value; return;
    case kGcIndex: gc_index_ = value; return;
    case kCrtcIndexColor: crtc_color_index_ = value; return;
    case kCrtcIndexMono: crtc_mono_index_ = value; return;
    case kSeqData: keep_pair(kSeqIndex, seq_index_); return;
    case kGcData: keep_pair(kGcIndex, gc_index_); return;
    case kCrtcIndexColor + 1: keep_pair(kCrtcIndexColor, crtc_color_index_); return;
    case kCrtcIndexMono + 1: keep_pair(kCrtcIndexMono, crtc_mono_index_); return;
    default: break;
  }
  if (family == cfOak && port == kOakIndex) { oak_index_ = value; return; }
  if (family == cfOak && port == kOakIndex + 1) { keep_pair(kOakIndex, oak_index_); return; }
  if (family == cfIntel && port == kIntelIndex) { intel_index_ = value; return; }
  if (family == cfIntel && port == kIntelIndex + 1) { keep_pair(kIntelIndex, intel_index_); return; }
  if (port == kAttrIndexWrite) {
    if (!attr_data_next_) {
      attr_index_ = static_cast<uint8_t>(value & 0x1F);
    } else if (!set_.Holds(kAttrIndexWrite, attr_index_)) {
      // The flip-flop waits for the data: 0x3C1 answers the register the index selects.
      Keep(kAttrIndexWrite, attr_index_, io_.InByte(kAttrDataRead));
    }
    attr_data_next_ = !attr_data_next_;
    return;
  }
  if (port == kMiscOutputWrite && !set_.Holds(port, kPlainPort)) {
    Keep(port, kPlainPort, io_.InByte(kMiscOutputRead));
    return;
  }
  if (IsPlainRegister(family, port) && !set_.Holds(port, kPlainPort)) {
    Keep(port, kPlainPort, io_.InByte(port));
  }
}

bool RecordingPorts::MayWrite(size_t size_before) {
  if (set_.registers.size() != size_before && store_before_write &&
      !store_before_write()) {
    blocked_ = true;
  }
  return !blocked_;
}

void RecordingPorts::OutByte(uint16_t port, uint8_t value) {
  if (blocked_) return;
  const size_t size_before = set_.registers.size();
  KeepBeforeWrite(port, value);
  if (MayWrite(size_before)) io_.OutByte(port, value);
}

void RecordingPorts::OutWord(uint16_t port, uint16_t value) {
  if (blocked_) return;
  const size_t size_before = set_.registers.size();
  const auto index = static_cast<uint8_t>(value & 0xFF);
  if (IsIndexPair(set_.family, port) && port != kAttrIndexWrite && MayBeSaved(set_.family, port, index) &&
      !set_.Holds(port, index)) {
    io_.OutByte(port, index);
    Keep(port, index, io_.InByte(static_cast<uint16_t>(port + 1)));
  }
  // The word reaches the index port and the data port after it: the tracked index follows.
  KeepBeforeWrite(port, index);
  if (MayWrite(size_before)) io_.OutWord(port, value);
}

}  // namespace zanvo::linux_pc
