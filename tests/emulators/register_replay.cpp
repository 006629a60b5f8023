#include "register_replay.h"

namespace zanvo::emu {

namespace {

constexpr uint16_t kMiscWrite = 0x3C2;
constexpr uint16_t kSeqIndex = 0x3C4;
constexpr uint16_t kGcIndex = 0x3CE;
constexpr uint8_t kCr11Protect = 0x80;
constexpr int kStandardCrtcCount = 0x19;

class Writer {
 public:
  Writer(const scope::RegisterDump& dump, std::vector<PortWrite>& out)
      : dump_(dump),
        out_(out),
        crtc_index_((dump.misc & 0x01) != 0 ? uint16_t{0x3D4} : uint16_t{0x3B4}) {}

  void Out(uint16_t port, uint8_t value) { out_.push_back({port, value}); }
  void Indexed(uint16_t index_port, uint8_t index, uint8_t value) {
    Out(index_port, index);
    Out(static_cast<uint16_t>(index_port + 1), value);
  }
  void Seq(uint8_t index) { Indexed(kSeqIndex, index, dump_.seq[index]); }
  void SeqValue(uint8_t index, uint8_t value) { Indexed(kSeqIndex, index, value); }
  void Crtc(uint8_t index) { Indexed(crtc_index_, index, dump_.crtc[index]); }
  void CrtcValue(uint8_t index, uint8_t value) { Indexed(crtc_index_, index, value); }
  void Gc(uint8_t index, uint8_t value) { Indexed(kGcIndex, index, value); }
  uint16_t crtc_index() const { return crtc_index_; }
  const scope::RegisterDump& dump() const { return dump_; }

 private:
  const scope::RegisterDump& dump_;
  std::vector<PortWrite>& out_;
  uint16_t crtc_index_;
};

// Keys and the clock registers that must be in place before the CRTC is written (the Cirrus
// of Bochs re-times only on CRTC, misc and SR01 writes, with the VCLK it holds then).
void WriteChipClockFirst(const EmulatorTarget& target, Writer& w) {
  const scope::RegisterDump& d = w.dump();
  switch (target.chip) {
    case EmulatedChip::kS3Trio:
      w.CrtcValue(0x38, 0x48);
      w.CrtcValue(0x39, 0xA5);
      w.SeqValue(0x08, 0x06);
      w.Seq(0x12);
      w.Seq(0x13);
      w.Seq(0x15);
      break;
    case EmulatedChip::kTsengEt4000:
      w.Out(0x3BF, 0x03);
      w.Out(static_cast<uint16_t>(w.crtc_index() + 4), 0xA0);
      w.Crtc(0x31);
      w.Crtc(0x34);
      w.Seq(0x07);
      break;
    case EmulatedChip::kTsengEt3000:
      w.Crtc(0x24);
      break;
    case EmulatedChip::kParadisePvga1a:
      w.Gc(0x0F, 0x05);
      break;
    case EmulatedChip::kCirrus:
      w.SeqValue(0x06, 0x12);
      // The emulator recomputes a VCLK only when its register changes: write each one
      // different first, so every clock is computed from the values the dump holds.
      for (uint8_t i = 0; i < 4; ++i) {
        for (const uint8_t index : {static_cast<uint8_t>(0x0B + i), static_cast<uint8_t>(0x1B + i)}) {
          w.SeqValue(index, static_cast<uint8_t>(d.seq[index] ^ 0x01));
          w.Seq(index);
        }
      }
      break;
    case EmulatedChip::kVga:
      break;
  }
}

// Extension bits of the CRTC timing, written with the standard CRTC.
void WriteChipCrtcExtensions(const EmulatorTarget& target, Writer& w) {
  switch (target.chip) {
    case EmulatedChip::kS3Trio:
      w.Crtc(0x5D);
      w.Crtc(0x5E);
      break;
    case EmulatedChip::kTsengEt4000:
      w.Crtc(0x35);
      w.Crtc(0x3F);
      break;
    case EmulatedChip::kTsengEt3000:
      w.Crtc(0x25);
      break;
    default:
      break;
  }
}

}  // namespace

std::vector<PortWrite> ReplayWrites(const EmulatorTarget& target, const scope::RegisterDump& dump) {
  std::vector<PortWrite> out;
  Writer w(dump, out);
  // Misc first: it picks the CRTC's port pair.
  w.SeqValue(0x00, 0x01);
  w.Out(kMiscWrite, dump.misc);
  for (uint8_t i = 1; i <= 4; ++i) w.Seq(i);
  w.Seq(0x00);
  WriteChipClockFirst(target, w);
  w.CrtcValue(0x11, static_cast<uint8_t>(dump.crtc[0x11] & ~kCr11Protect));
  for (uint8_t i = 0; i < kStandardCrtcCount; ++i) {
    if (i != 0x11) w.Crtc(i);
  }
  WriteChipCrtcExtensions(target, w);
  // A change of a register the emulator re-times on, and back: DOSBox re-times on CR01,
  // Bochs on CR06.
  const uint8_t nudge = target.emulator == Emulator::kDosbox ? 0x01 : 0x06;
  w.CrtcValue(nudge, static_cast<uint8_t>(dump.crtc[nudge] ^ 0x01));
  w.Crtc(nudge);
  w.Crtc(0x11);
  return out;
}

void AppendCaseOps(std::vector<uint8_t>& ops, const std::vector<PortWrite>& writes,
                   uint16_t case_id, uint8_t fields) {
  for (const PortWrite& write : writes) {
    ops.push_back(kOpOut);
    ops.push_back(static_cast<uint8_t>(write.port & 0xFF));
    ops.push_back(static_cast<uint8_t>(write.port >> 8));
    ops.push_back(write.value);
  }
  ops.push_back(kOpMeasure);
  ops.push_back(static_cast<uint8_t>(case_id & 0xFF));
  ops.push_back(static_cast<uint8_t>(case_id >> 8));
  ops.push_back(fields);
}

}  // namespace zanvo::emu
