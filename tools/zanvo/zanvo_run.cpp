#include "zanvo_run.h"

#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <memory>

#include "app/main_form.h"
#include "app/texts.h"
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
    report_.in_force = "vga";
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
      m_.err << "zanvo: " << error << "\n";
      return false;
    }
    stored_size_ = saved_.registers.size();
    return true;
  }

  void ForgetSavedSet() {
    unlink(SavedSetPath().c_str());
    stored_size_ = 0;
  }

  int Steps() {
    if (!m_.port_access) return Refuse(m_.port_access_failure);
    // Nothing is written, on the ports or to disk, before a VGA has shown itself.
    const linux_pc::VgaPresence vga = linux_pc::CheckVgaPresence(m_.ports, m_.now_seconds);
    if (!vga.present) return Refuse(vga.refusal + "; this does not look like a PC with a VGA");
    report_.vga_retrace_hz = vga.retrace_hz;

    for (const std::string* directory : {&m_.run_directory, &m_.settings_directory}) {
      const std::string problem = linux_pc::PreparePrivateDirectory(*directory, m_.owner);
      if (!problem.empty()) return Refuse(problem);
    }
    linux_pc::LockFile lock(m_.run_directory);
    switch (lock.Acquire(kLockName)) {
      case InstanceResult::kAlreadyRunning: return Refuse(app::texts::kAlreadyRunning);
      case InstanceResult::kFailed: return Refuse("cannot take the lock in " + m_.run_directory);
      case InstanceResult::kFirst: break;
    }

    std::string refusal;
    const auto text = linux_pc::ReadPrivateFile(SavedSetPath(), m_.owner, refusal);
    if (!refusal.empty()) return Refuse(refusal);
    if (text) {
      auto parsed = linux_pc::ParseSavedSet(*text, refusal);
      if (!parsed) return Refuse(SavedSetPath() + ": " + refusal);
      saved_ = std::move(*parsed);
      stored_size_ = saved_.registers.size();
    }
    linux_pc::SettingsFile settings(m_.settings_directory + "/" + kSettingsFile, m_.owner);
    if (!settings.OpenOrCreate(app::texts::kRegistryKey)) return Refuse(settings.refusal());

    if (o_.standard == engine::vsVGA) return BackToVga();
    return SwitchToTv(settings);
  }

  int BackToVga() {
    if (saved_.registers.empty()) {
      report_.messages.push_back("no saved registers: the card holds the timings it had");
      return app::kExitSwitched;
    }
    linux_pc::RestoreSavedSet(m_.ports, saved_);
    report_.restored = true;
    report_.family = saved_.family;
    ForgetSavedSet();
    return app::kExitSwitched;
  }

  void ChooseChipset(app::TMain& main, bool stored_chipset) {
    if (o_.chipset) {
      // Checked before the run started.
      Eng.ChipFamily = chip_.family;
      Eng.ChipModel = chip_.model;
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
    if (o_.chipset) {
      const std::string problem = scope::ParseChipChoice(*o_.chipset, chip_);
      if (!problem.empty()) {
        report_.refusal = problem;
        if (!o_.json) m_.err << "zanvo: " << problem << "\n";
        return app::kExitUsage;
      }
    }
    linux_pc::RecordingPorts recorder(m_.ports, saved_);
    EngineBinding binding(recorder, m_.hold);
    ConsoleBoxes boxes(m_.err);
    NoTray tray;
    ConsoleWindows windows;
    HeldInstance instance;
    OpenedPortAccess access;
    SavedSetDisplay display(m_.ports, saved_);
    TerminalKeepQuestion question(m_.answers, m_.err);
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
    report_.in_force = StandardName(Eng.CurrentStandard);
    report_.messages.insert(report_.messages.end(), boxes.shown.begin(), boxes.shown.end());

    // The settings store the chipset and the options kept; the card stays as it is.
    main->chkExitVGA.SetChecked(false);
    main->btnCloseClick();
    main->OnDestroy();
    if (Eng.CurrentStandard == engine::vsVGA) {
      // Back on the registers it had: a later mode change by anyone else must not be undone by
      // a stale set.
      ForgetSavedSet();
    } else if (!StoreSavedSet()) {
      report_.messages.push_back("the saved registers could not be stored");
    }
    report_.saved_registers = Eng.CurrentStandard == engine::vsVGA ? 0 : saved_.registers.size();
    return switched ? app::kExitSwitched : app::kExitNotSwitched;
  }

  const ZanvoOptions& o_;
  ZanvoMachine& m_;
  ZanvoReport report_;
  SavedRegisterSet saved_;
  size_t stored_size_ = 0;
  scope::ChipChoice chip_;
};

}  // namespace

int RunZanvo(const ZanvoOptions& options, ZanvoMachine& machine) {
  Run run(options, machine);
  return run.Go();
}

}  // namespace zanvo::console
