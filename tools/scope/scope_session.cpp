#include "scope_session.h"

#include <algorithm>

#include "chipset/ati_rom_clock.h"
#include "chipset/detection.h"
#include "engine/centering.h"
#include "engine/engine_port.h"
#include "engine/engine_state.h"
#include "engine/pci_scan.h"
#include "engine/readout.h"
#include "engine/standards.h"
#include "platform/virtual/ati_mach64_card.h"
#include "platform/virtual/card_catalog.h"
#include "platform/virtual/display_driver.h"
#include "platform/virtual/virtual_pc.h"

namespace zanvo::scope {
namespace {

using engine::Eng;

// Where the --card adapter sits on a mechanism-#2 machine.
constexpr uint32_t kCardSlotMechanism2 = 8;
constexpr virt::PciIdentity kHostBridge{true, 0x8086, 0x7190, 0x0600, 0};

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

// What choosing the ATI brand (or one of its models) does in the window: find the adapter of the
// wanted model on the PCI bus for its block-I/O base, then read the clock table from its video
// ROM. Without an adapter the choice falls back to the standard VGA.
void SelectBlockIoAdapter(virt::VirtualPc& pc, ScopeReport& report) {
  engine::FindAdapter();
  if (Eng.ExtIoBase == 0) {
    Eng.ChipFamily = engine::cfStandardVGA;
    report.messages.push_back("Video chipset not found!!");
    return;
  }
  if (!chipset::ReadAtiRomClock(pc)) {
    report.messages.push_back(
        "The video ROM's clock table is unusable; the previous clock values are kept.");
  }
}

// The Next button: walk on to the next PCI adapter; at the bottom the walk restarts from the top.
void DetectNext() {
  engine::PciScanNext();
  if (Eng.PciCursor == 0) Eng.PciCursor = engine::PciTop();
}

// Chooses the chipset: detection and Next clicks, then a choice by hand, else the card's own
// identity (as a person who knows the card would pick it).
void ChooseChipset(const ScopeOptions& options, virt::VirtualPc& pc, ScopeReport& report) {
  Eng.ChipFamily = pc.card().family();
  Eng.ChipModel = pc.card().model();
  bool pick_ati_model = false;
  if (options.detect) {
    chipset::DetectChipset();
    for (int i = 0; i < options.next; ++i)
      DetectNext();
    report.detected = DetectedChip{Eng.ChipFamily, Eng.ChipModel};
  } else {
    // Choosing the ATI brand by hand searches for any ATI model.
    if (Eng.ChipFamily == engine::cfATI) Eng.ChipModel = 0;
  }
  if (options.as_family) {
    Eng.ChipFamily = *options.as_family;
    Eng.ChipModel = options.as_model;
    pick_ati_model = true;
  }
  if (Eng.ChipFamily == engine::cfATI) {
    if (!pick_ati_model && options.detect) Eng.ChipModel = 0;
    SelectBlockIoAdapter(pc, report);
  }
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
  virt::PciSetup pci;
  pci.mechanism = options.pci == PciMode::kMechanism2 ? virt::PciConfigMechanism::kMechanism2
                  : options.pci == PciMode::kNone     ? virt::PciConfigMechanism::kNone
                                                      : virt::PciConfigMechanism::kMechanism1;
  // Mechanism #2 reaches only devices 0-15 of bus 0.
  pci.card_slot =
      options.pci == PciMode::kMechanism2 ? kCardSlotMechanism2 : virt::kDefaultCardSlot;
  for (const ExtraCard& extra : options.extra_cards) {
    if (extra.slot == pci.card_slot) {
      error = "slot " + std::to_string(extra.slot) + " holds the --card adapter";
      return false;
    }
  }
  virt::VirtualPc pc(std::move(card), pci);
  // Every PCI machine has its host bridge at bus 0, device 0; detection walks down to it.
  if (options.pci != PciMode::kNone &&
      std::none_of(options.extra_cards.begin(), options.extra_cards.end(),
                   [](const ExtraCard& extra) { return extra.slot == 0; })) {
    pc.AddPciDevice(0, kHostBridge);
  }
  for (const ExtraCard& extra : options.extra_cards) {
    pc.AddExtraCard(extra.slot, virt::MakeCard(extra.name));
  }
  if (!virt::SetDesktopMode(pc.card(), options.width, options.height)) {
    error = "the " + options.card + " driver has no " + std::to_string(options.width) + "x" +
            std::to_string(options.height) + " mode; it offers " + ModeList();
    return false;
  }
  report.monitor = virt::AnalyzeSignal(pc.card());
  report.monitor_registers = DumpRegisters(pc.card());

  Eng = engine::EngineState{};
  engine::BindPort(pc);
  ChooseChipset(options, pc, report);
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
  report.mode = pc.card().current_mode();

  if (options.readout) {
    engine::ScanTexts texts{};
    report.readout_measured = engine::MeasureScanFrequencies(texts);
    report.readout_h = texts.h;
    report.readout_v = texts.v;
  }
  report.registers = DumpRegisters(pc.card());
  report.ext_io_base = Eng.ExtIoBase;
  report.pci_cursor = Eng.PciCursor;
  if (const auto* ati = dynamic_cast<const virt::AtiMach64Card*>(&pc.card())) {
    BlockRegisters block;
    for (int i = 0; i < 64; ++i)
      block.dwords[i] = ati->block_dword(i);
    for (int i = 0; i < 64; ++i)
      block.pll[i] = ati->pll_register(static_cast<uint8_t>(i));
    report.block = block;
  }
  engine::UnbindPort();
  return true;
}

}  // namespace zanvo::scope
