#include "zanvo_run.h"

#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <optional>

#include "app/main_form.h"
#include "app/texts.h"
#include "chipset/detection.h"
#include "chip_names.h"
#include "console_settings.h"
#include "engine/chip_codes.h"
#include "engine/engine_port.h"
#include "engine/engine_state.h"
#include "engine/readout.h"
#include "engine/standards.h"
#include "platform/linux/lock_file.h"
#include "platform/linux/private_files.h"
#include "platform/linux/saved_registers.h"
#include "platform/linux/settings_file.h"
#include "platform/linux/vga_presence.h"
#include "zanvo_report.h"

namespace zanvo::console {

namespace {

using engine::Eng;
using linux_pc::SavedRegisterSet;

double ProcessorSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// Monitor timings start here; a TV's or an arcade monitor's line is slower (15.6-24.4 kHz).
constexpr int32_t kLowestMonitorLineHz = 30000;

std::string StandardName(uint8_t standard) {
  switch (standard) {
    case engine::vsPAL: return "pal";
    case engine::vsNTSC: return "ntsc";
    case engine::vs24kHz: return "24khz";
    default: return "vga";
  }
}

// The engine's port and processor hold for one run, given back whatever way the run ends.
class EngineBinding {
 public:
  EngineBinding(PortIo& io, ProcessorHold* hold) {
    engine::Eng = engine::EngineState{};
    engine::BindPort(io);
    engine::BindProcessorHold(hold);
  }
  ~EngineBinding() {
    engine::BindProcessorHold(nullptr);
    engine::UnbindPort();
  }
  EngineBinding(const EngineBinding&) = delete;
  EngineBinding& operator=(const EngineBinding&) = delete;
};

class Run {
 public:
  Run(const ZanvoOptions& options, ZanvoMachine& machine) : o_(options), m_(machine) {
    report_.asked = options.standard_name;
    // What the card holds is known only once this run has written it or measured it.
    report_.in_force = "unknown";
  }

  int Go() {
    report_.exit_code = Steps();
    (o_.json ? PrintReportJson : PrintReportText)(report_, m_.out);
    return report_.exit_code;
  }

 private:
  int Refuse(const std::string& why) {
    report_.refusal = why;
    if (!o_.json) m_.err << "zanvo: " << why << "\n";
    return app::kExitNotSwitched;
  }

  std::string SavedSetPath() const { return m_.run_directory + "/" + kSavedSetFile; }

  bool StoreSavedSet() {
    if (saved_.registers.size() == stored_size_) return true;
    const std::string error =
        linux_pc::WritePrivateFile(SavedSetPath(), linux_pc::FormatSavedSet(saved_));
    if (!error.empty()) {
      if (store_error_.empty()) {
        store_error_ = error;
        m_.err << "zanvo: " << error << "\n";
      }
      return false;
    }
    stored_size_ = saved_.registers.size();
    return true;
  }

  std::optional<int> TakeLock(linux_pc::LockFile& lock) {
    switch (lock.Acquire(kLockName)) {
      case InstanceResult::kAlreadyRunning: return Refuse(app::texts::kAlreadyRunning);
      case InstanceResult::kFailed: return Refuse("cannot take the lock in " + m_.run_directory);
      case InstanceResult::kFirst: break;
    }
    return std::nullopt;
  }

  void ForgetSavedSet() {
    unlink(SavedSetPath().c_str());
    stored_size_ = 0;
  }

  int Steps() {
    if (!m_.port_access) return Refuse(m_.port_access_failure);
    // A second copy is turned away before it touches the card (the VGA check writes the CRT
    // index and reads the status register, which resets the attribute flip-flop under the
    // first copy's writes): when the run directory is there, its lock comes first.
    linux_pc::LockFile lock(m_.run_directory);
    struct stat st {};
    const bool locked_first = lstat(m_.run_directory.c_str(), &st) == 0;
    if (locked_first) {
      const std::string problem = linux_pc::PreparePrivateDirectory(m_.run_directory, m_.owner);
      if (!problem.empty()) return Refuse(problem);
      if (auto refused = TakeLock(lock)) return *refused;
    }
    // Nothing is written, on the ports or to disk, before a VGA has shown itself.
    const linux_pc::VgaPresence vga = linux_pc::CheckVgaPresence(m_.ports, m_.now_seconds);
    if (!vga.present) return Refuse(vga.refusal + "; this does not look like a PC with a VGA");
    report_.vga_retrace_hz = vga.retrace_hz;
    if (!locked_first) {
      const std::string problem = linux_pc::PreparePrivateDirectory(m_.run_directory, m_.owner);
      if (!problem.empty()) return Refuse(problem);
      if (auto refused = TakeLock(lock)) return *refused;
    }

    std::string refusal;
    const auto text = linux_pc::ReadPrivateFile(SavedSetPath(), m_.owner, refusal);
    if (!refusal.empty()) return Refuse(refusal);
    if (text) {
      auto parsed = linux_pc::ParseSavedSet(*text, refusal);
      if (!parsed) return Refuse(SavedSetPath() + ": " + refusal);
      saved_ = std::move(*parsed);
      stored_size_ = saved_.registers.size();
      if (const std::string problem = ForeignChipProblem(); !problem.empty()) {
        return Refuse(SavedSetPath() + ": " + problem);
      }
    }
    const std::string settings_path = m_.settings_directory + "/" + kSettingsFile;
    // The way back needs the saved set and nothing else: settings that are not safe to read
    // are said, not read, and do not stand in its way.
    if (o_.standard == engine::vsVGA) {
      std::string settings_refusal;
      linux_pc::ReadPrivateFile(settings_path, m_.owner, settings_refusal);
      if (!settings_refusal.empty()) {
        report_.messages.push_back(settings_refusal + " (not needed to go back)");
        if (!o_.json) m_.err << "zanvo: " << report_.messages.back() << "\n";
      }
      return BackToVga();
    }
    const std::string problem = linux_pc::PreparePrivateDirectory(m_.settings_directory, m_.owner);
    if (!problem.empty()) return Refuse(problem);
    linux_pc::SettingsFile settings(settings_path, m_.owner);
    if (!settings.OpenOrCreate(app::texts::kRegistryKey)) return Refuse(settings.refusal());
    return SwitchToTv(settings);
  }

  // A saved set naming a chip family's own ports is written back only on a chip of that family:
  // the file says which family it was taken on, and only a detection says what this PC has.
  std::string ForeignChipProblem() {
    const bool vga_only = std::all_of(saved_.registers.begin(), saved_.registers.end(),
                                      [](const linux_pc::SavedRegister& r) {
                                        return linux_pc::MayBeSaved(engine::cfStandardVGA, r.port, r.index);
                                      });
    if (vga_only) return {};
    EngineBinding binding(m_.ports, nullptr);
    chipset::DetectChipset();
    if (Eng.ChipFamily == saved_.family) return {};
    return "it names the registers of " + scope::ChipName(saved_.family, 0) +
           ", and the chip detected on this PC is " +
           scope::ChipName(Eng.ChipFamily, Eng.ChipModel, Eng.ExtIoBase) + "; refused";
  }

  int BackToVga() {
    if (saved_.registers.empty()) return NothingSaved();
    linux_pc::RestoreSavedSet(m_.ports, saved_);
    report_.restored = true;
    report_.family = saved_.family;
    report_.in_force = "vga";
    ForgetSavedSet();
    return app::kExitSwitched;
  }

  // No saved set: the card holds the monitor timings only if it sends them. A TV's line rate
  // (15.6, 15.7 or 24.4 kHz) means a switch whose set was lost; that is said, not called done.
  int NothingSaved() {
    EngineBinding binding(m_.ports, nullptr);
    engine::ScanTexts texts{};
    engine::ScanFigures figures;
    if (!engine::MeasureScanFrequencies(texts, &figures)) {
      report_.messages.push_back(
          "no saved registers, and the card's timings could not be measured: nothing written");
      return app::kExitNotSwitched;
    }
    report_.readout_h = texts.h;
    report_.readout_v = texts.v;
    report_.readout_h_hz = figures.H;
    report_.readout_v_hz = figures.V / 1000.0;
    report_.readout_lines = figures.T;
    if (figures.H >= kLowestMonitorLineHz) {
      report_.messages.push_back("no saved registers: the card holds monitor timings");
      report_.in_force = "vga";
      return app::kExitSwitched;
    }
    report_.messages.push_back(
        "no saved registers, and the card does not send monitor timings (line rate " +
        std::to_string(figures.H) + " Hz): nothing to write back; set the mode again (or reboot)");
    if (!o_.json) m_.err << "zanvo: " << report_.messages.back() << "\n";
    return app::kExitNotSwitched;
  }

  void ChooseChipset(app::TMain& main, bool stored_chipset) {
    if (o_.chipset) {
      // Read while the command line was parsed.
      Eng.ChipFamily = o_.chip.family;
      Eng.ChipModel = o_.chip.model;
      main.SelectChipsetItems();
    } else if (o_.detect || !stored_chipset) {
      main.btnAutoDetectClick();
      report_.detected = true;
    }
  }

  void SetOptions(app::TMain& main) {
    main.chkISP.SetChecked(o_.positive_sync);
    main.chkNoInterlace.SetChecked(o_.no_interlace);
    main.chkOEVSyncSz.SetChecked(o_.odd_even_vsync);
    if ((Eng.ComputedTimings != 0) != o_.computed) main.ComputedTimingsClick();
  }

  void MakeMoves(app::TMain& main) {
    for (const Move move : o_.moves) {
      const auto before = std::make_pair(Eng.HSyncStartReg, Eng.VSyncStartReg);
      switch (move) {
        case Move::kUp: main.btnUpClick(); break;
        case Move::kDown: main.btnDownClick(); break;
        case Move::kLeft: main.btnLeftClick(); break;
        case Move::kRight: main.btnRightClick(); break;
      }
      // A move that would take a sync out of its blanking is not made, as in the window.
      if (before != std::make_pair(Eng.HSyncStartReg, Eng.VSyncStartReg)) {
        ++report_.moves_made;
      } else {
        ++report_.moves_stopped;
      }
    }
  }

  void Readout() {
    engine::ScanTexts texts{};
    engine::ScanFigures figures;
    if (!engine::MeasureScanFrequencies(texts, &figures)) {
      report_.messages.push_back("readout: the retrace status did not move");
      return;
    }
    report_.readout_h = texts.h;
    report_.readout_v = texts.v;
    report_.readout_h_hz = figures.H;
    report_.readout_v_hz = figures.V / 1000.0;
    report_.readout_lines = figures.T;
  }

  int SwitchToTv(linux_pc::SettingsFile& settings) {
    // A set that cannot be stored would leave no way back: found out before the first write.
    if (const std::string error = linux_pc::WritePrivateFile(SavedSetPath(), linux_pc::FormatSavedSet(saved_));
        !error.empty()) {
      return Refuse(error + "; the saved registers could not be stored");
    }
    linux_pc::RecordingPorts recorder(m_.ports, saved_);
    // Each register is on disk, with the value it held, before its first write reaches the card.
    recorder.store_before_write = [this] { return StoreSavedSet(); };
    EngineBinding binding(recorder, m_.hold);
    ConsoleBoxes boxes(m_.err);
    NoTray tray;
    ConsoleWindows windows;
    HeldInstance instance;
    OpenedPortAccess access;
    SavedSetDisplay display(m_.ports, saved_);
    TerminalKeepQuestion question(m_.answers, m_.err);
    question.now_seconds = m_.now_seconds;
    toolkit::Application application;
    ConsoleSettings console_settings(settings);
    app::ShellServices services{recorder, m_.memory, access,  instance, tray, console_settings,
                                display,  boxes,     windows, question, application};
    auto main = std::make_unique<app::TMain>(services);
    display.deliver = [&main](uint32_t lparam) { main->WMDisplayChange(lparam); };
    // The saved set is on disk before the card shows anything it did not show before.
    question.before_asking = [this] { StoreSavedSet(); };

    bool stored_chipset = false;
    if (auto key = settings.OpenOrCreate(app::texts::kRegistryKey)) {
      stored_chipset = key->ReadDword(app::texts::kValueChipset).has_value();
    }
    // Until a chip is chosen, only the VGA's own registers are kept (detection probes included).
    if (saved_.registers.empty()) recorder.SetFamily(engine::cfStandardVGA);
    main->SetCommandLine({});
    main->OnFormCreate();
    if (application.terminate_requested()) return app::kExitNotSwitched;
    ChooseChipset(*main, stored_chipset);
    // The set takes the chip in force when everything it holds may belong to that chip (a set
    // begun on another chip's extension ports keeps that chip).
    const bool fits_chip = std::all_of(saved_.registers.begin(), saved_.registers.end(),
                                       [](const linux_pc::SavedRegister& r) {
                                         return linux_pc::MayBeSaved(Eng.ChipFamily, r.port, r.index);
                                       });
    if (fits_chip) recorder.SetFamily(Eng.ChipFamily);
    report_.family = Eng.ChipFamily;
    report_.model = Eng.ChipModel;
    report_.chip = scope::ChipName(Eng.ChipFamily, Eng.ChipModel, Eng.ExtIoBase);
    SetOptions(*main);

    report_.switch_made = true;
    const double wall_before = m_.now_seconds(), cpu_before = ProcessorSeconds();
    switch (o_.standard) {
      case engine::vsPAL: main->chkModePAL.SetChecked(true); break;
      case engine::vsNTSC: main->chkModeNTSC.SetChecked(true); break;
      default: main->chkModeSega.SetChecked(true); break;
    }
    // The switch's whole time: fit, field check, any search after a miss, the keep question.
    report_.switch_wall_s = m_.now_seconds() - wall_before;
    report_.switch_cpu_s = ProcessorSeconds() - cpu_before;
    report_.fitted = engine::StandardFitted();
    report_.field_in_band = Eng.FieldRateInBand != 0;
    report_.clean_miss = Eng.MissMeasuredClean != 0;
    report_.cannot_measure = Eng.FieldCheckUnmeasurable != 0;
    report_.cannot_measure_reason = Eng.FieldCheckUnmeasurable;
    report_.periods = Eng.FieldMeasurements;
    report_.field_hz = Eng.MeasuredFieldRate / 1000.0;
    report_.line_hz = Eng.MeasuredLineRate;
    report_.line_in_band = Eng.LineRateInBand != 0;
    report_.keep_answer = question.last_answer;
    const bool switched = Eng.CurrentStandard == o_.standard;
    if (switched) {
      MakeMoves(*main);
      if (o_.readout) Readout();
    }
    report_.messages.insert(report_.messages.end(), boxes.shown.begin(), boxes.shown.end());

    // A standard on the card without its saved set on disk has no way back after this run:
    // it is not kept.
    const bool stored = StoreSavedSet() && !recorder.blocked();
    const bool kept = switched && stored;
    if (!stored) {
      if (Eng.CurrentStandard != engine::vsVGA) {
        linux_pc::RestoreSavedSet(m_.ports, saved_);
        Eng.CurrentStandard = engine::vsVGA;
      }
      report_.messages.push_back("the saved registers could not be stored (" + store_error_ +
                                 "): the card went back");
      if (!o_.json) m_.err << "zanvo: " << report_.messages.back() << "\n";
    }
    report_.in_force = StandardName(Eng.CurrentStandard);

    // The settings store the options kept, and the chipset only with a kept switch; the card
    // stays as it is.
    console_settings.store_chipset = kept;
    main->chkExitVGA.SetChecked(false);
    main->btnCloseClick();
    main->OnDestroy();
    if (Eng.CurrentStandard == engine::vsVGA) {
      // Back on the registers it had: a later mode change by anyone else must not be undone by
      // a stale set.
      ForgetSavedSet();
    }
    report_.saved_registers = Eng.CurrentStandard == engine::vsVGA ? 0 : saved_.registers.size();
    return kept ? app::kExitSwitched : app::kExitNotSwitched;
  }

  const ZanvoOptions& o_;
  ZanvoMachine& m_;
  ZanvoReport report_;
  SavedRegisterSet saved_;
  size_t stored_size_ = 0;
  std::string store_error_;
};

}  // namespace

int RunZanvo(const ZanvoOptions& options, ZanvoMachine& machine) {
  Run run(options, machine);
  return run.Go();
}

}  // namespace zanvo::console
