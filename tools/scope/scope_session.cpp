#include "scope_session.h"

#include <cmath>

#include "engine/centering.h"
#include "engine/engine_port.h"
#include "engine/engine_state.h"
#include "engine/readout.h"
#include "engine/standards.h"
#include "platform/virtual/card_catalog.h"
#include "platform/virtual/display_driver.h"
#include "platform/virtual/virtual_pc.h"

namespace zanvo::scope {
namespace {

using engine::Eng;

void ApplyMove(Move move) {
  switch (move) {
    case Move::kUp:
      engine::ScrollOutputUp();
      break;
    case Move::kDown:
      engine::ScrollOutputDown();
      break;
    case Move::kLeft:
      engine::ShiftOutputLeft();
      break;
    case Move::kRight:
      engine::ShiftOutputRight();
      break;
  }
}

RegisterDump DumpRegisters(const virt::VgaCard& card) {
  RegisterDump dump;
  dump.misc = card.PeekMisc();
  for (int i = 0; i < 256; ++i) {
    const auto index = static_cast<uint8_t>(i);
    dump.crtc[i] = card.Peek(virt::RegFile::kCrtc, index);
    dump.seq[i] = card.Peek(virt::RegFile::kSequencer, index);
    dump.gc[i] = card.Peek(virt::RegFile::kGraphics, index);
  }
  for (int i = 0; i < 32; ++i) {
    dump.attr[i] = card.Peek(virt::RegFile::kAttribute, static_cast<uint8_t>(i));
  }
  return dump;
}

// What choosing the block-I/O brand does: the block base from the card's I/O BAR, the clock
// words from the video ROM's clock table, and the VCLK dividers for 28.322 MHz.
uint16_t RomWord(const virt::VgaCard& card, uint32_t offset) {
  return static_cast<uint16_t>(card.PeekRom(offset) | card.PeekRom(offset + 1) << 8);
}

void SetBlockIoClock(const virt::VgaCard& card) {
  Eng.ExtIoBase = static_cast<uint16_t>(card.pci_identity().bar_0x14 & 0xFF00);
  const uint32_t table = RomWord(card, 0x48);
  const uint32_t clocks = RomWord(card, table + 0x10);
  Eng.PllRefFreq = RomWord(card, clocks + 0x08);
  Eng.PllRefDiv = RomWord(card, clocks + 0x0A);
  Eng.MemClock = RomWord(card, clocks + 0x12);
  if (Eng.PllRefFreq == 0) return;
  const double x = Eng.PllRefDiv * 2832.2 / (2.0 * Eng.PllRefFreq);
  uint8_t post = 4;
  while (post > 0 && post * x > 255.0)
    post = static_cast<uint8_t>(post / 2);
  Eng.VclkPostDiv = post;
  Eng.VclkFbDiv = static_cast<uint8_t>(std::nearbyint(post * x));
}

std::string ModeList() {
  std::string list;
  for (const auto& mode : virt::DesktopModes()) {
    if (!list.empty()) list += ", ";
    list += std::to_string(mode.width) + "x" + std::to_string(mode.height);
  }
  return list;
}

}  // namespace

bool RunScope(const ScopeOptions& options, ScopeReport& report, std::string& error) {
  auto card = virt::MakeCard(options.card);
  if (!card) {
    error = "no card named " + options.card;
    return false;
  }
  virt::VirtualPc pc(std::move(card));
  if (!virt::SetDesktopMode(pc.card(), options.width, options.height)) {
    error = "the " + options.card + " driver has no " + std::to_string(options.width) + "x" +
            std::to_string(options.height) + " mode; it offers " + ModeList();
    return false;
  }
  report.monitor = virt::AnalyzeSignal(pc.card());
  report.monitor_registers = DumpRegisters(pc.card());

  Eng = engine::EngineState{};
  engine::BindPort(pc);
  Eng.ChipFamily = pc.card().family();
  Eng.ChipModel = pc.card().model();
  if (Eng.ChipFamily == engine::cfATI) SetBlockIoClock(pc.card());
  if (options.positive_sync) Eng.SyncPolarityMask = 0xF3;
  if (options.no_interlace) Eng.InterlaceEnabled = 0;
  if (options.odd_even_vsync) Eng.OddEvenVSyncSize = 1;

  // As the window does: record the standard, load its tables, then apply it to the mode the
  // driver has just set.
  engine::SetStandard(options.standard);
  if (options.standard != engine::vsVGA) {
    engine::LoadStandardTables(options.standard);
    engine::ApplyStandard();
    report.row_found = Eng.HorzRowFound != 0;
  }
  for (const Move move : options.moves)
    ApplyMove(move);

  report.family = Eng.ChipFamily;
  report.model = Eng.ChipModel;
  report.signal = virt::AnalyzeSignal(pc.card());

  if (options.readout) {
    engine::ScanTexts texts{};
    report.readout_measured = engine::MeasureScanFrequencies(texts);
    report.readout_h = texts.h;
    report.readout_v = texts.v;
  }
  report.registers = DumpRegisters(pc.card());
  engine::UnbindPort();
  return true;
}

}  // namespace zanvo::scope
