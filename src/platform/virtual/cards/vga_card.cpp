#include "platform/virtual/cards/vga_card.h"

namespace zanvo::virt {

namespace {
constexpr uint8_t kDacStateReading = 0x03;  // 0x3C7 read: the last index written was 0x3C7
constexpr uint8_t kVideoEnableBit = 0x01;
}  // namespace

uint16_t VgaCard::CrtcIndexPort() const {
  return ColorAddressing() ? kPortCrtcIndexColor : kPortCrtcIndexMono;
}

uint8_t VgaCard::Peek(RegFile file, uint8_t index) const {
  return ReadRegister(file, index);
}

uint8_t VgaCard::PeekUnlocked(RegFile file, uint8_t index) const {
  locks_held_open_ = true;
  const uint8_t value = ReadRegister(file, index);
  locks_held_open_ = false;
  return value;
}

bool VgaCard::Implements(RegFile file, uint8_t index) const {
  locks_held_open_ = true;
  const RegisterAccess access = Access(file, index);
  locks_held_open_ = false;
  return access.readable || access.write_mask != 0;
}

uint8_t VgaCard::PeekIndex(RegFile file) const {
  return index_[FileSlot(file)];
}

uint8_t VgaCard::PeekInputStatus1(uint64_t now_ps) const {
  if (timing_dirty_) RefreshTiming();
  uint8_t status = raster_.Status(now_ps);
  if (retrace_frozen_) {
    status = static_cast<uint8_t>(status & ~kStatus1VerticalRetrace);
    if (retrace_level_) status |= kStatus1VerticalRetrace;
  }
  return status;
}

uint64_t VgaCard::RetraceStart(uint64_t from_ps, uint32_t n) const {
  if (timing_dirty_) RefreshTiming();
  return retrace_frozen_ ? UINT64_MAX : raster_.RetraceStart(from_ps, n);
}

void VgaCard::FreezeRetrace(bool frozen, bool level) {
  retrace_frozen_ = frozen;
  retrace_level_ = level;
  ForgetSteadyStatus();
}

uint64_t VgaCard::StatusSteadyUntil(uint64_t now_ps, uint8_t mask) const {
  if (timing_dirty_) RefreshTiming();
  // What holds from an earlier time on holds from any later one inside the stretch.
  if (mask == masked_bits_ && now_ps >= masked_from_ps_ && now_ps < masked_until_ps_) {
    return masked_until_ps_;
  }
  // A frozen retrace bit holds whatever the raster does.
  const uint8_t raster_bits =
      retrace_frozen_ ? static_cast<uint8_t>(mask & ~kStatus1VerticalRetrace) : mask;
  masked_bits_ = mask;
  masked_from_ps_ = now_ps;
  masked_until_ps_ = raster_.SteadyUntil(now_ps, raster_bits);
  return masked_until_ps_;
}

void VgaCard::SetSteadyStatusReuse(bool on) {
  steady_status_reuse_ = on;
  ForgetSteadyStatus();
}

uint8_t VgaCard::PeekDacData() const {
  return dac_[dac_read_index_ * 3 + dac_component_];
}

uint8_t VgaCard::PeekPort(uint16_t port, uint64_t now_ps) const {
  const uint16_t crtc = CrtcIndexPort();
  if (port == crtc) return index_[FileSlot(RegFile::kCrtc)];
  if (port == crtc + 1) return ReadRegister(RegFile::kCrtc, index_[FileSlot(RegFile::kCrtc)]);
  if (port == crtc + 6) return PeekInputStatus1(now_ps);
  switch (port) {
    case kPortAttrIndexData:
      return index_[FileSlot(RegFile::kAttribute)];
    case kPortAttrDataRead:
      return ReadRegister(RegFile::kAttribute,
                          index_[FileSlot(RegFile::kAttribute)] & kAttrIndexMask);
    case kPortMiscWrite:  // Input Status 0: no sense or interrupt bits are modelled
      return 0x00;
    case kPortVideoEnable:
      return video_enable_;
    case kPortSeqIndex:
      return index_[FileSlot(RegFile::kSequencer)];
    case kPortSeqData:
      return ReadRegister(RegFile::kSequencer, index_[FileSlot(RegFile::kSequencer)]);
    case kPortDacMask:
      return HasHiColorDac() && dac_mask_reads_ >= kDacCommandReads ? dac_command_ : dac_mask_;
    case kPortDacReadIndex:
      return dac_reading_ ? kDacStateReading : 0x00;
    case kPortDacWriteIndex:
      return dac_write_index_;
    case kPortDacData:
      return PeekDacData();
    case kPortFeatureRead:
      return feature_control_;
    case kPortMiscRead:
      return misc_;
    case kPortGcIndex:
      return index_[FileSlot(RegFile::kGraphics)];
    case kPortGcData:
      return ReadRegister(RegFile::kGraphics, index_[FileSlot(RegFile::kGraphics)]);
    default:
      return PeekExtraPort(port);
  }
}

void VgaCard::ReadEffects(uint16_t port) {
  const uint16_t crtc = CrtcIndexPort();
  if (port == crtc + 6) {
    attr_flip_flop_data_ = false;
    return;
  }
  if (port == crtc + 1) {
    OnRegisterRead(RegFile::kCrtc, index_[FileSlot(RegFile::kCrtc)]);
    return;
  }
  if (port == crtc) return;
  switch (port) {
    case kPortSeqData:
      OnRegisterRead(RegFile::kSequencer, index_[FileSlot(RegFile::kSequencer)]);
      break;
    case kPortGcData:
      OnRegisterRead(RegFile::kGraphics, index_[FileSlot(RegFile::kGraphics)]);
      break;
    case kPortAttrDataRead:
      OnRegisterRead(RegFile::kAttribute, index_[FileSlot(RegFile::kAttribute)] & kAttrIndexMask);
      break;
    case kPortDacData:
      dac_mask_reads_ = 0;
      if (++dac_component_ == 3) {
        dac_component_ = 0;
        ++dac_read_index_;
      }
      break;
    case kPortAttrIndexData:
    case kPortMiscWrite:
    case kPortVideoEnable:
    case kPortSeqIndex:
    case kPortDacMask:
      if (dac_mask_reads_ < kDacCommandReads) ++dac_mask_reads_;
      break;
    case kPortDacReadIndex:
    case kPortDacWriteIndex:
      dac_mask_reads_ = 0;
      break;
    case kPortFeatureRead:
    case kPortMiscRead:
    case kPortGcIndex:
      break;
    default:
      OnExtraPortRead(port);
      break;
  }
}

uint8_t VgaCard::ReadPortAnew(uint16_t port, uint64_t now_ps) {
  if (port == status_port() && steady_status_reuse_) {
    const uint8_t status = PeekInputStatus1(now_ps);
    ReadEffects(port);
    steady_status_ = status;
    steady_from_ps_ = now_ps;
    steady_until_ps_ = StatusSteadyUntil(now_ps, 0xFF);
    return status;
  }
  const uint8_t value = PeekPort(port, now_ps);
  ReadEffects(port);
  return value;
}

void VgaCard::WriteDacData(uint8_t value) {
  // The DAC keeps six bits per component.
  dac_[dac_write_index_ * 3 + dac_component_] = value & 0x3F;
  if (++dac_component_ == 3) {
    dac_component_ = 0;
    ++dac_write_index_;
  }
}

void VgaCard::WritePort(uint16_t port, uint8_t value) {
  const uint16_t crtc = CrtcIndexPort();
  if (port == crtc) {
    index_[FileSlot(RegFile::kCrtc)] = value;
    return;
  }
  if (port == crtc + 1) {
    WriteIndexed(RegFile::kCrtc, index_[FileSlot(RegFile::kCrtc)], value);
    return;
  }
  if (port == crtc + 6) {
    feature_control_ = value;
    return;
  }
  switch (port) {
    case kPortAttrIndexData:
      if (attr_flip_flop_data_) {
        WriteAttribute(index_[FileSlot(RegFile::kAttribute)] & kAttrIndexMask, value);
      } else {
        // Index bits 0-4 and the palette address source; bits 6-7 do not exist.
        index_[FileSlot(RegFile::kAttribute)] = value & 0x3F;
      }
      attr_flip_flop_data_ = !attr_flip_flop_data_;
      break;
    case kPortMiscWrite:
      WriteMisc(value);
      break;
    case kPortVideoEnable:
      video_enable_ = value & kVideoEnableBit;
      break;
    case kPortSeqIndex:
      index_[FileSlot(RegFile::kSequencer)] = value;
      break;
    case kPortSeqData:
      WriteIndexed(RegFile::kSequencer, index_[FileSlot(RegFile::kSequencer)], value);
      break;
    case kPortDacMask:
      if (HasHiColorDac() && dac_mask_reads_ >= kDacCommandReads) {
        dac_command_ = value;
        InvalidateTiming();
      } else {
        dac_mask_ = value;
      }
      dac_mask_reads_ = 0;
      break;
    case kPortDacReadIndex:
      dac_mask_reads_ = 0;
      dac_read_index_ = value;
      dac_component_ = 0;
      dac_reading_ = true;
      break;
    case kPortDacWriteIndex:
      dac_mask_reads_ = 0;
      dac_write_index_ = value;
      dac_component_ = 0;
      dac_reading_ = false;
      break;
    case kPortDacData:
      dac_mask_reads_ = 0;
      WriteDacData(value);
      break;
    case kPortGcIndex:
      index_[FileSlot(RegFile::kGraphics)] = value;
      break;
    case kPortGcData:
      WriteIndexed(RegFile::kGraphics, index_[FileSlot(RegFile::kGraphics)], value);
      break;
    default:
      // 0x3C1 is read-only on a VGA; everything else belongs to the family, if anyone.
      if (port != kPortAttrDataRead) {
        WriteExtraPort(port, value);
        InvalidateTiming();
      }
      break;
  }
}

void VgaCard::WriteIndexed(RegFile file, uint8_t index, uint8_t value) {
  const uint8_t before = Stored(file, index);
  WriteRegister(file, index, value);
  if (file != RegFile::kAttribute && Stored(file, index) != before) InvalidateTiming();
}

void VgaCard::WriteAttribute(uint8_t index, uint8_t value) {
  WriteRegister(RegFile::kAttribute, index, value);
}

void VgaCard::WriteMisc(uint8_t value) {
  if (value != misc_) InvalidateTiming();
  misc_ = value;
}

}  // namespace zanvo::virt
