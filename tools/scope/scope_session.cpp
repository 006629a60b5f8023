#include "scope_session.h"

#include <algorithm>
#include <utility>

#include "app/texts.h"
#include "chipset/ati_rom_clock.h"
#include "chipset/detection.h"
#include "engine/centering.h"
#include "engine/engine_port.h"
#include "engine/engine_state.h"
#include "engine/field_check.h"
#include "engine/pci_scan.h"
#include "engine/readout.h"
#include "engine/standards.h"
#include "engine/vert_fit.h"
#include "platform/virtual/card_catalog.h"
#include "platform/virtual/cards/ati_mach64_card.h"
#include "platform/virtual/display_driver.h"
#include "platform/virtual/miss_causes/clock_miss_cause.h"
#include "platform/virtual/virtual_pc.h"
#include "chip_names.h"
#include "register_file.h"
#include "standard_targets.h"

namespace zanvo::scope {
namespace {

using engine::Eng;

// Where the --card adapter sits on a mechanism-#2 machine.
constexpr uint32_t kCardSlotMechanism2 = 8;
constexpr virt::PciIdentity kHostBridge{true, 0x8086, 0x7190, 0x0600, 0};

// Read as a register dump tool reads a card: with its locks open, so that the extended
// registers show their values rather than the floating bus of a locked chip, and a dump loaded
// back (--load-registers) restores them.
RegisterDump DumpRegisters(const virt::VgaCard& card) {
  RegisterDump dump;
  dump.misc = card.PeekMisc();
  for (int i = 0; i < 256; ++i) {
    const auto index = static_cast<uint8_t>(i);
    dump.crtc[i] = card.PeekUnlocked(virt::RegFile::kCrtc, index);
    dump.seq[i] = card.PeekUnlocked(virt::RegFile::kSequencer, index);
    dump.gc[i] = card.PeekUnlocked(virt::RegFile::kGraphics, index);
  }
  for (int i = 0; i < 32; ++i) {
    dump.attr[i] = card.PeekUnlocked(virt::RegFile::kAttribute, static_cast<uint8_t>(i));
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

// The window's field-rate check, as it runs after a fitted standard.
FieldCheckReport CheckField() {
  engine::CheckFieldRate();
  FieldCheckReport check;
  check.measurements = Eng.FieldMeasurements;
  check.field_hz = Eng.MeasuredFieldRate / 1000.0;
  check.target_hz = engine::StandardFieldRate(Eng.CurrentStandard) / 1000.0;
  check.in_band = Eng.FieldRateInBand != 0;
  check.line_hz = Eng.MeasuredLineRate;
  check.target_line_hz = engine::StandardLineRate(Eng.CurrentStandard);
  check.line_in_band = Eng.LineRateInBand != 0;
  check.clean_miss = Eng.MissMeasuredClean != 0;
  check.field_agreed = Eng.FieldAgreedInBand != 0;
  switch (Eng.FieldCheckUnmeasurable) {
    case 0:
      break;
    case engine::kUnmeasurableTimerStopped:
      check.cannot_measure = "the PC timer does not count";
      break;
    default:
      check.cannot_measure = "the PC timer counts far more slowly than the status reads take";
      break;
  }
  return check;
}

// What the window does with a standard it could not fit or whose measured field is far off,
// coming from VGA: "Video mode unsupported!" and back to VGA. A refusal in the vertical step or
// of a measured field left a rewritten mode, which only a display-mode re-set clears.
void RefuseStandard(virt::VirtualPc& pc, ScopeReport& report) {
  report.messages.push_back(app::texts::kModeUnsupported);
  engine::SetStandard(engine::vsVGA);
  if (Eng.HorzRowFound != 0) virt::ResetCurrentMode(pc.card());
}

std::string ModeList(const virt::VgaCard& card) {
  std::string list;
  for (const auto& mode : virt::DriverModes(card)) {
    if (!list.empty()) list += ", ";
    list += virt::ModeName(mode);
  }
  return list;
}

std::string MemoryList(const virt::VgaCard& card) {
  std::string list;
  for (const uint32_t kib : card.MemorySizesKib()) {
    if (!list.empty()) list += ", ";
    list += std::to_string(kib);
  }
  return list;
}

// The driver sets the mode; a register file, if any, is written over it and stays part of it.
bool SetMode(const ScopeOptions& options, virt::VgaCard& card, ScopeReport& report,
             std::string& error) {
  if (options.memory_kib != 0 && !card.SetMemoryKib(options.memory_kib)) {
    error = "the " + options.card + " was sold with " + MemoryList(card) + " KB, not " +
            std::to_string(options.memory_kib);
    return false;
  }
  virt::DesktopMode mode{options.width, options.height, options.bits_per_pixel};
  if (!options.depth_given) mode = virt::DefaultDepthMode(card, options.width, options.height);
  report.width = options.width;
  report.height = options.height;
  report.bits_per_pixel = mode.bits_per_pixel;
  report.memory_kib = card.memory_kib();
  RegisterFile file;
  if (!options.load_registers.empty()) {
    if (!ReadRegisterFile(options.load_registers, file, error)) return false;
    report.not_loaded = file.not_loaded;
    if (!file.card.empty() && !SameIgnoringCase(file.card, options.card)) {
      report.warnings.push_back(options.load_registers + " holds the registers of " + file.card +
                                ", loaded here into " + options.card +
                                ": a chip's extended registers mean other things on another chip");
    }
  }
  if (!virt::SetDesktopModeWithRegisters(card, mode, std::move(file.registers))) {
    error = "the " + options.card + " driver has no " + virt::ModeName(mode) + " mode with " +
            std::to_string(card.memory_kib()) + " KB; it offers " + ModeList(card);
    return false;
  }
  return true;
}

// The size the loaded registers show: displayed dots per line, and memory rows per frame (both
// fields' rows when interlaced).
void SizeFromSignal(ScopeReport& report) {
  const virt::Signal& s = report.monitor;
  const long rows = static_cast<long>(s.memory_rows_per_field) * (s.interlaced ? 2 : 1);
  const int clocks = std::max(1, s.crtc.clocks_per_pixel);
  report.width =
      static_cast<uint16_t>(std::clamp(s.display_chars * s.dots_per_char / clocks, 0, 0xFFFF));
  report.bits_per_pixel = static_cast<uint8_t>(s.crtc.bits_per_pixel);
  report.height = static_cast<uint16_t>(std::clamp(rows, 0L, 0xFFFFL));
  report.size_from_registers = true;
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
  report.card_family = card->family();
  report.card_model = card->model();
  report.card_slot = static_cast<uint16_t>(pci.card_slot);
  virt::VirtualPc pc(std::move(card), pci);
  if (options.stopped_timer) pc.StopTimer();
  // The read cost holds from the start; the pauses wait for the field check.
  virt::BusModel steady_bus = options.bus;
  steady_bus.stalls.clear();
  steady_bus.stall_gap_ps = 0;
  steady_bus.interrupt_gap_ps = 0;
  pc.SetBusModel(steady_bus);
  // Every PCI machine has its host bridge at bus 0, device 0; detection walks down to it.
  if (options.pci != PciMode::kNone &&
      std::none_of(options.extra_cards.begin(), options.extra_cards.end(),
                   [](const ExtraCard& extra) { return extra.slot == 0; })) {
    pc.AddPciDevice(0, kHostBridge);
  }
  for (const ExtraCard& extra : options.extra_cards) {
    pc.AddExtraCard(extra.slot, virt::MakeCard(extra.name));
  }
  if (!SetMode(options, pc.card(), report, error)) return false;
  report.monitor = virt::AnalyzeSignal(pc.card());
  if (!options.load_registers.empty() && !options.mode_given) SizeFromSignal(report);
  if (options.dump_registers) report.monitor_registers = DumpRegisters(pc.card());

  Eng = engine::EngineState{};
  engine::BindPort(pc);
  ChooseChipset(options, pc, report);
  if (options.positive_sync) Eng.SyncPolarityMask = 0xF3;
  if (options.no_interlace) Eng.InterlaceEnabled = 0;
  if (options.odd_even_vsync) Eng.OddEvenVSyncSize = 1;
  if (options.computed) Eng.ComputedTimings = 1;
  report.computed_on = options.computed;

  // As the window does: record the standard, load its tables, then apply it to the mode the
  // driver has just set.
  engine::SetStandard(options.standard);
  if (options.standard != engine::vsVGA) {
    engine::LoadStandardTables(options.standard);
    engine::ApplyStandard();
    report.row_found = Eng.HorzRowFound != 0;
    report.cut_line_offset = Eng.CutLineOffset;
    report.offset_bits = engine::LineOffsetBits();
    report.vertical_row_found = Eng.VertRowFound != 0 || report.cut_line_offset != 0;
    report.fitted = engine::StandardFitted();
    report.horz_computed = Eng.HorzRowComputed != 0;
    report.vert_computed = Eng.VertRowComputed != 0;
    report.fit_columns = Eng.FitColumns;
    report.fit_lines = Eng.FitLines;
    report.applied = virt::AnalyzeSignal(pc.card());
    if (report.fitted) {
      // The chip's bits behind a missed rate are read before a refusal re-sets the mode.
      const virt::StandardRates target = RatesOfStandard(options.standard);
      if (JudgeAgainstStandard(report.applied, options.standard) == virt::SignalVerdict::kOff) {
        report.clock_miss_cause = virt::ClockMissCause(pc.card(), report.applied, target.line_hz);
      }
      if (options.measure_field) {
        pc.SetBusModel(options.bus);
        report.field_check = CheckField();
      }
    }
    const bool measured_miss = report.field_check && !report.field_check->in_band;
    // As the window does: a measured miss tries the brand's safe siblings, then the row's own
    // clock, each on the mode the driver sets again.
    if (measured_miss) {
      report.sibling_search =
          chipset::SearchSiblingModels([&pc] { virt::ResetCurrentMode(pc.card()); });
      report.own_clock = report.sibling_search->own_clock;
    }
    const bool recovered = report.sibling_search && report.sibling_search->recovered();
    if (!report.fitted || (measured_miss && !recovered)) {
      RefuseStandard(pc, report);
    }
  } else {
    report.applied = report.monitor;
  }
  // The arrow buttons do nothing while VGA is in force, after a refusal too.
  if (Eng.CurrentStandard != engine::vsVGA) {
    report.move_tally = ApplyMoves(options.moves, pc.card());
  } else {
    report.moves_ignored = !options.moves.empty();
  }

  report.family = Eng.ChipFamily;
  report.model = Eng.ChipModel;
  report.signal = virt::AnalyzeSignal(pc.card());
  report.mode = pc.card().current_mode();

  if (options.readout) {
    engine::ScanTexts texts{};
    engine::ScanFigures figures;
    report.readout_measured = engine::MeasureScanFrequencies(texts, &figures);
    if (report.readout_measured) report.readout_figures = figures;
    report.readout_h = texts.h;
    report.readout_v = texts.v;
  }
  if (options.dump_registers) report.registers = DumpRegisters(pc.card());
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
