#include "simulated_pc.h"

#include <algorithm>
#include <cstdio>

#include "app/accept_dialog.h"
#include "app/command_line.h"
#include "app/texts.h"
#include "chipset/catalogue.h"
#include "chipset/detection.h"
#include "chipset/sibling_models.h"
#include "engine/chip_codes.h"
#include "engine/engine_port.h"
#include "engine/engine_state.h"
#include "platform/virtual/card_catalog.h"
#include "platform/virtual/display_driver.h"
#include "standard_targets.h"

namespace zanvo::testing::walk {

namespace {

using engine::Eng;

constexpr uint16_t kSystemControlB = 0x61;
constexpr uint8_t kTimer2Gate = 0x01;
// The field check's promise: it is over within 0.2 s, whatever the card and the timer do.
constexpr uint64_t kFieldCheckLimitPs = 200'000'000'000ull;

const char* MoveName(MoveKind kind) {
  switch (kind) {
    case MoveKind::kYes:
      return "yes";
    case MoveKind::kNo:
      return "no";
    case MoveKind::kTimeout:
      return "timeout";
    case MoveKind::kCloseBox:
      return "close box";
    case MoveKind::kTrayClose:
      return "tray Close";
    case MoveKind::kTrayCloseToVga:
      return "tray Close to VGA";
    case MoveKind::kTrayVgaMode:
      return "tray VGA Mode";
    case MoveKind::kSessionEnd:
      return "session end";
    case MoveKind::kResolution:
      return "resolution";
  }
  return "?";
}

// PAL, NTSC or 24 kHz: a standard with a set's rates (VGA has none).
bool IsTvStandard(uint8_t standard) {
  return scope::RatesOfStandard(standard).line_hz > 0;
}

std::string Rates(const virt::Signal& s) {
  char text[96];
  std::snprintf(text, sizeof text, "%.3f kHz / %.3f Hz", s.line_rate_hz / 1000.0, s.field_rate_hz);
  std::string out = text;
  for (const std::string& c : s.contradictions)
    out += "; " + c;
  return out;
}

std::optional<uint8_t> StandardOfStoredName(const std::string& name) {
  if (name == app::texts::kStandardPal) return engine::vsPAL;
  if (name == app::texts::kStandardNtsc) return engine::vsNTSC;
  return std::nullopt;
}

}  // namespace

std::string Describe(const Move& move) {
  std::string text = MoveName(move.kind);
  if (move.kind == MoveKind::kResolution) text += " #" + std::to_string(move.mode);
  return text;
}

// Passes every access to the virtual PC and times how long the PC timer's gate stays open: the
// field check opens it for its measurement and closes it when done. The time the program lost
// the processor meanwhile (what an access took beyond the bus's dearest cost) is not the check's.
class GateWatch final : public PortIo {
 public:
  explicit GateWatch(SimulatedPc& owner) : owner_(owner) {}
  uint8_t InByte(uint16_t port) override {
    const uint64_t before = pc().now_ps();
    const uint8_t value = pc().InByte(port);
    CountLost(before, 1);
    return value;
  }
  uint16_t InWord(uint16_t port) override { return pc().InWord(port); }
  uint32_t InDword(uint16_t port) override { return pc().InDword(port); }
  void OutByte(uint16_t port, uint8_t value) override {
    if (port == kSystemControlB) Gate((value & kTimer2Gate) != 0);
    const uint64_t before = pc().now_ps();
    pc().OutByte(port, value);
    CountLost(before, 1);
  }
  void OutWord(uint16_t port, uint16_t value) override { pc().OutWord(port, value); }
  void OutDword(uint16_t port, uint32_t value) override { pc().OutDword(port, value); }
  uint32_t InByteWhile(uint16_t port, uint8_t mask, uint8_t unchanged, uint32_t max_reads,
                       uint8_t& last) override {
    const uint64_t before = pc().now_ps();
    const uint32_t reads = pc().InByteWhile(port, mask, unchanged, max_reads, last);
    CountLost(before, reads);
    return reads;
  }

 private:
  virt::VirtualPc& pc() { return owner_.pc_; }
  void CountLost(uint64_t before, uint64_t accesses) {
    if (!open_) return;
    const virt::BusModel& bus = pc().bus_model();
    const uint64_t dearest = accesses * (bus.read_cost_ps + bus.jitter_ps);
    const uint64_t took = pc().now_ps() - before;
    if (took > dearest) {
      lost_ps_ += took - dearest;
      owner_.longest_loss_ps_ = std::max(owner_.longest_loss_ps_, took - dearest);
    }
  }
  void Gate(bool open) {
    const uint64_t now = pc().now_ps();
    if (open && !open_) {
      owner_.gate_opened_ps_ = now;
      lost_ps_ = 0;
      if (!owner_.idle_step_) {
        owner_.applied_chipset_ = {Eng.ChipFamily, Eng.ChipModel};
        owner_.copy_applied_ = true;
      }
    }
    if (!open && open_) {
      const uint64_t held =
          now - owner_.gate_opened_ps_ - std::min(lost_ps_, now - owner_.gate_opened_ps_);
      owner_.longest_gate_ps_ = std::max(owner_.longest_gate_ps_, held);
    }
    open_ = open;
  }
  SimulatedPc& owner_;
  bool open_ = false;
  uint64_t lost_ps_ = 0;
};

// Answers message boxes from the step's moves.
class SimulatedPc::Boxes final : public MessageBoxes {
 public:
  explicit Boxes(SimulatedPc& owner) : owner_(owner) {}
  app::TMain* copy = nullptr;  // the copy these boxes belong to
  int shown = 0;

  int Show(MessageKind kind, std::string_view text, std::string_view) override {
    ++shown;
    if (text == app::texts::kModeUnsupported) ++owner_.refusals_;
    if (kind == MessageKind::kConfirmOkCancel) {
      while (const std::optional<Move> move = owner_.NextMove()) {
        switch (move->kind) {
          case MoveKind::kYes:
            return kIdOk;
          case MoveKind::kNo:
          case MoveKind::kTimeout:
          case MoveKind::kCloseBox:
            return kIdCancel;
          default:
            owner_.PlayInterrupt(*move);
        }
      }
      return kIdOk;
    }
    // Any other box only waits for OK or Abort; the session may end meanwhile.
    if (!owner_.moves_.empty() && owner_.moves_.front().kind == MoveKind::kSessionEnd) {
      owner_.moves_.pop_front();
      if (copy != owner_.main_ && copy != nullptr) copy->StoreSettingsAtSessionEnd();
      owner_.PlayInterrupt(Move{MoveKind::kSessionEnd});
    }
    return kind == MessageKind::kErrorAbort ? kIdAbort : kIdOk;
  }

 private:
  SimulatedPc& owner_;
};

// Plays the user's part in the keep-settings dialog and the about box.
class SimulatedPc::Modal final : public toolkit::ModalRunner {
 public:
  explicit Modal(SimulatedPc& owner) : owner_(owner) {}
  int ShowModal(toolkit::Form& form) override {
    form.ResetModalResult();
    auto* dialog = dynamic_cast<app::TAcceptDlg*>(&form);
    if (dialog == nullptr) {
      form.CloseBox();
      return form.modal_result();
    }
    const uint8_t asked = Eng.CurrentStandard;
    owner_.CheckSignal("while the keep question is open");
    while (form.modal_result() == toolkit::mrNone) {
      const Move move = owner_.NextMove().value_or(Move{MoveKind::kYes});
      switch (move.kind) {
        case MoveKind::kYes:
          // Nobody answers Yes to a picture that does not hold: the countdown runs out instead.
          if (!owner_.SignalHolds()) {
            for (int tick = 0; tick < 16 && form.modal_result() == toolkit::mrNone; ++tick)
              dialog->timer.Tick();
            break;
          }
          owner_.NoteKept();
          dialog->btnOk.Click();
          break;
        case MoveKind::kNo:
          dialog->btnCancel.Click();
          break;
        case MoveKind::kTimeout:
          for (int tick = 0; tick < 16 && form.modal_result() == toolkit::mrNone; ++tick)
            dialog->timer.Tick();
          if (form.modal_result() == toolkit::mrNone) owner_.Break("the countdown never ended");
          break;
        case MoveKind::kCloseBox:
          form.CloseBox();
          break;
        default:
          owner_.PlayInterrupt(move);
          if (form.modal_result() == toolkit::mrNone && Eng.CurrentStandard != asked) {
            owner_.Break("\"Keep these settings?\" still asks about a standard no longer in force");
            dialog->btnCancel.Click();
          }
      }
    }
    return form.modal_result();
  }

 private:
  SimulatedPc& owner_;
};

// One running process of ZANVO: its own platform services over the shared machine.
struct SimulatedPc::Copy {
  Copy(SimulatedPc& owner, bool fresh_engine)
      : gate(owner),
        instance(owner.machine_.mutexes),
        display(owner.pc_),
        boxes(owner),
        modal(owner),
        services{gate,    owner.pc_, port_access, instance, tray,       owner.machine_.registry,
                 display, boxes,     windows,     modal,    application} {
    if (fresh_engine) {
      engine::Eng = engine::EngineState{};
      engine::BindPort(gate);
    }
    main = std::make_unique<app::TMain>(services);
    boxes.copy = main.get();
    display.deliver = [this](uint32_t lparam) { main->WMDisplayChange(lparam); };
  }
  void Start() {
    application.show_main_form = false;
    main->OnFormCreate();
  }

  GateWatch gate;
  FakePortAccess port_access;
  FakeSingleInstance instance;
  FakeTray tray;
  VirtualDisplay display;
  Boxes boxes;
  FakeWindowSystem windows;
  Modal modal;
  toolkit::Application application;
  app::ShellServices services;
  std::unique_ptr<app::TMain> main;
};

SimulatedPc::SimulatedPc(const std::string& card, uint16_t width, uint16_t height,
                         std::optional<uint8_t> stored_family, const virt::BusModel& bus)
    : card_name_(card), pc_(virt::MakeCard(card)) {
  virt::SetDesktopMode(pc_.card(), width, height);
  pc_.SetBusModel(bus);
  // Every size and depth the driver offers: a user changes the colour depth as well.
  modes_ = virt::DriverModes(pc_.card());
  for (const virt::DesktopMode& mode : modes_) {
    const bool game = mode.width <= 640 && mode.height <= 480;
    if (game && (mode.bits_per_pixel == 8 || mode.bits_per_pixel == 16))
      game_modes_.push_back(mode);
  }
  {
    // Detection on a card of its own, so that nothing here touches the card under test.
    virt::VirtualPc fresh(virt::MakeCard(card));
    virt::SetDesktopMode(fresh.card(), width, height);
    engine::Eng = engine::EngineState{};
    engine::BindPort(fresh);
    chipset::DetectChipset();
    detected_ = {Eng.ChipFamily == 0 ? engine::cfStandardVGA : Eng.ChipFamily, Eng.ChipModel};
    engine::UnbindPort();
  }
  if (stored_family) {
    machine_.registry.SetDword(app::texts::kRegistryKey, app::texts::kValueChipset, *stored_family);
  }
}

SimulatedPc::~SimulatedPc() {
  copy_.reset();
  engine::UnbindPort();
}

bool SimulatedPc::copy_touched_card() const {
  return copy_ == nullptr || copy_->display.resets > 0 || copy_applied_;
}

bool SimulatedPc::application_terminated() const {
  return copy_ != nullptr && copy_->application.terminate_requested();
}

void SimulatedPc::StartProgram(std::deque<Move> moves, const std::string& arguments, bool shift) {
  moves_ = std::move(moves);
  const app::CommandLineRequest request = app::ParseCommandLine(arguments);
  if (running()) {
    // A second copy: it finds the first, says so and ends; its engine is its own process's,
    // which a simulation shares, so it must not touch it.
    Copy second(*this, false);
    second.main->SetCommandLine(request);
    // The running copy's window takes the forwarded standard; what it switched to was asked for
    // and counts as kept.
    second.windows.running_copy = [this](uint8_t standard) {
      ForwardResult answer = ForwardResult::kRefused;
      Guarded([&] { answer = main_->AnswerScript(standard); });
      if (answer == ForwardResult::kSwitched) NoteKept();
      return answer;
    };
    try {
      second.Start();
    } catch (const ProcessEnded&) {
      ended_ = true;
    }
    if (!second.application.terminate_requested() && !ended_) Break("a second copy kept running");
    // A script waits for the call to end: nothing may hold it there.
    if (request.kind == app::CommandLineRequest::Kind::kStandard && second.boxes.shown > 0) {
      Break("a box holds a script's call");
    }
    engine::BindPort(copy_->gate);
    AfterStep(false);
    return;
  }
  if (request.kind == app::CommandLineRequest::Kind::kStandard && !request.resident) {
    // A script's call with no copy running starts the resident copy apart and hands it the
    // standard as a second copy does.
    StartProgram(std::move(moves_), app::ResidentArguments(request.standard), shift);
    if (running()) StartProgram(std::move(moves_), arguments, false);
    return;
  }
  // What the card holds when the new copy starts: what the old one put there, or what it left
  // there from the copy before it when it never touched the card.
  const uint8_t left_on_card = StandardOnCard();
  if (copy_) {
    // The old process is gone: a close command ran the window's end, a session end did not.
    if (!session_over_) copy_->main->OnDestroy();
    main_ = nullptr;
    copy_.reset();
  }
  if (session_over_) {
    virt::ResetCurrentMode(pc_.card());  // a new logon sets the mode
    mode_set_without_program_ = true;
  }
  // A copy that ends during its start (a bad command line) changes nothing on the card: what
  // was there before stays.
  const engine::EngineState last_copy = Eng;
  const bool mode_set_before = mode_set_without_program_;
  inherited_standard_ = mode_set_without_program_ ? engine::vsVGA : left_on_card;
  session_over_ = false;
  mode_set_without_program_ = false;
  ended_ = false;
  copy_applied_ = false;
  copy_ = std::make_unique<Copy>(*this, true);
  copy_->windows.shift_down = shift;
  main_ = copy_->main.get();
  main_->SetCommandLine(request);
  Guarded([&] { copy_->Start(); });
  if (!running() && !session_over_ && copy_->port_access.initializations == 0) {
    Eng = last_copy;
    mode_set_without_program_ = mode_set_before;
  }
  if (running() && request.kind == app::CommandLineRequest::Kind::kStandard &&
      Eng.CurrentStandard == request.standard) {
    NoteKept();
  }
  AfterStep(false);
}

void SimulatedPc::Idle() {
  if (!running()) return;
  idle_step_ = true;
  Guarded([&] {
    if (copy_->application.OnIdle) copy_->application.OnIdle();
  });
  idle_step_ = false;
  AfterStep(true);
}

void SimulatedPc::EndSession() {
  if (running()) {
    moves_.clear();
    Guarded([&] { PlayInterrupt(Move{MoveKind::kSessionEnd}); });
  } else {
    session_over_ = true;
  }
  AfterStep(false);
}

void SimulatedPc::ChangeResolution(int mode, std::deque<Move> moves) {
  moves_ = std::move(moves);
  if (running()) {
    Guarded([&] { ResolutionChange(mode); });
  } else {
    virt::SetDesktopMode(pc_.card(), modes_.at(static_cast<size_t>(mode) % modes_.size()));
    mode_set_without_program_ = true;
  }
  AfterStep(false);
}

void SimulatedPc::GameSwitch(int mode, std::deque<Move> moves) {
  if (game_modes_.empty()) return;
  const virt::DesktopMode desktop = virt::CurrentDesktopMode(pc_.card());
  const virt::DesktopMode game = game_modes_.at(static_cast<size_t>(mode) % game_modes_.size());
  moves_ = std::move(moves);
  for (const virt::DesktopMode& next : {game, desktop}) {
    if (running()) {
      Guarded([&] {
        copy_->display.ChangeMode(next);
        copy_applied_ = true;
      });
    } else {
      virt::SetDesktopMode(pc_.card(), next);
      mode_set_without_program_ = true;
    }
    AfterStep(false);
  }
}

void SimulatedPc::ResolutionChange(int mode) {
  copy_->display.ChangeMode(modes_.at(static_cast<size_t>(mode) % modes_.size()));
  // The driver set the mode: nothing an earlier copy left is on the card any more.
  copy_applied_ = true;
}

std::optional<Move> SimulatedPc::NextMove() {
  if (moves_.empty()) return std::nullopt;
  const Move move = moves_.front();
  moves_.pop_front();
  return move;
}

bool SimulatedPc::PlayInterrupt(const Move& move) {
  switch (move.kind) {
    case MoveKind::kTrayClose:
      main_->Close.Click();
      return true;
    case MoveKind::kTrayCloseToVga:
      main_->ClosetoVGA.Click();
      return true;
    case MoveKind::kTrayVgaMode:
      main_->VGAMode.Click();
      return true;
    case MoveKind::kResolution:
      ResolutionChange(move.mode);
      return true;
    case MoveKind::kSessionEnd:
      main_->StoreSettingsAtSessionEnd();
      session_over_ = true;
      throw ProcessEnded{};
    default:
      return false;
  }
}

void SimulatedPc::NoteKept() {
  kept_.emplace(Eng.CurrentStandard, Eng.SyncPolarityMask, Eng.InterlaceEnabled,
                Eng.OddEvenVSyncSize);
}

std::optional<uint8_t> SimulatedPc::KeptStandardOnCard() const {
  if (!running() || !IsTvStandard(StandardOnCard()) || !copy_applied_) return std::nullopt;
  if (applied_chipset_ != std::make_pair(Eng.ChipFamily, Eng.ChipModel)) return std::nullopt;
  // Another brand's registers may leave bits a mode re-set does not clear.
  if (!ChipsetIsTheCards()) return std::nullopt;
  return Eng.CurrentStandard;
}

void SimulatedPc::CheckKeptStandardBack(uint8_t kept, int refusals_before) {
  if (!running() || refusals_ == refusals_before || Eng.CurrentStandard == kept) return;
  // A time slice lost while measuring may spoil the check of the standard given back (a
  // disturbed measurement tries no other model), which is no broken promise.
  if (longest_loss_ps_ >= virt::kPsPerMs) return;
  Break("a refused switch did not give back the kept standard " + std::to_string(kept) +
        ": standard " + std::to_string(Eng.CurrentStandard) + " in force, the card sends " +
        Rates(virt::AnalyzeSignal(pc_.card())));
}

void SimulatedPc::AfterStep(bool idle) {
  ++steps_;
  CheckSignal("after the step");
  CheckStored();
  CheckModelShown();
  if (!idle && longest_gate_ps_ > kFieldCheckLimitPs) {
    Break("a field check took " + std::to_string(longest_gate_ps_ / 1'000'000'000) + " ms");
  }
  longest_gate_ps_ = 0;
}

void SimulatedPc::BeginStep() {
  longest_loss_ps_ = 0;
}

const virt::Signal& SimulatedPc::MonitorSignal() {
  const auto& mode = pc_.card().current_mode();
  const auto key = std::make_tuple(mode.width, mode.height, mode.bits_per_pixel);
  auto it = monitor_signals_.find(key);
  if (it == monitor_signals_.end()) {
    virt::VirtualPc fresh(virt::MakeCard(card_name_));
    virt::SetDesktopMode(fresh.card(), virt::CurrentDesktopMode(pc_.card()));
    it = monitor_signals_.emplace(key, virt::AnalyzeSignal(fresh.card())).first;
  }
  return it->second;
}

bool SimulatedPc::ChipsetIsTheCards() const {
  const auto [family, model] =
      applied_chipset_.value_or(std::make_pair(Eng.ChipFamily, Eng.ChipModel));
  const uint8_t as_family = family == 0 ? engine::cfStandardVGA : family;
  if (as_family != detected_.first) return false;
  if (model == detected_.second) return true;
  const std::vector<uint16_t> siblings = chipset::SiblingModelsToTry(family, detected_.second);
  return std::find(siblings.begin(), siblings.end(), model) != siblings.end();
}

uint8_t SimulatedPc::StandardOnCard() const {
  if (mode_set_without_program_) return engine::vsVGA;
  // A copy that started in VGA and has not touched the card yet leaves on it what the last
  // copy kept there at its close.
  if (Eng.CurrentStandard == engine::vsVGA && !copy_touched_card()) return inherited_standard_;
  return Eng.CurrentStandard;
}

bool SimulatedPc::SignalHolds(std::string* why) {
  const virt::Signal now = virt::AnalyzeSignal(pc_.card());
  const uint8_t standard = StandardOnCard();
  const bool tv = IsTvStandard(standard);
  if (!tv) {
    // What a monitor sees of its timings: the rates, the picture's size, the syncs.
    const virt::Signal& monitor = MonitorSignal();
    const bool same =
        now.line_rate_hz == monitor.line_rate_hz && now.field_rate_hz == monitor.field_rate_hz &&
        now.display_chars == monitor.display_chars &&
        now.display_lines_per_field == monitor.display_lines_per_field &&
        now.interlaced == monitor.interlaced && now.hsync_positive == monitor.hsync_positive &&
        now.vsync_positive == monitor.vsync_positive &&
        now.contradictions == monitor.contradictions;
    if (same) return true;
    if (why)
      *why = "VGA in force but the card sends " + Rates(now) + ", not its monitor timings " +
             Rates(monitor);
    return false;
  }
  if (scope::JudgeAgainstStandard(now, standard) != virt::SignalVerdict::kOff) return true;
  if (why)
    *why = "standard " + std::to_string(standard) + " in force but the card sends " + Rates(now);
  return false;
}

bool SimulatedPc::RatesHold(std::string* why) {
  virt::Signal now = virt::AnalyzeSignal(pc_.card());
  const uint8_t standard = StandardOnCard();
  // The registers' contradictions are another brand's extension bits, which no measurement
  // sees; the rates are what the field and line checks answer for.
  now.contradictions.clear();
  if (scope::JudgeAgainstStandard(now, standard) != virt::SignalVerdict::kOff) return true;
  if (why)
    *why = "standard " + std::to_string(standard) + " in force under another chipset, but the " +
           "card sends " + Rates(now);
  return false;
}

void SimulatedPc::CheckSignal(const char* when) {
  std::string why;
  if (SignalHolds(&why)) return;
  // Another brand's registers (plain VGA's included) written to this card leave its own
  // extension bits as the driver set them, or double the line rate and the line count together:
  // the field is right, and no field measurement can tell. Only the keep question's revert
  // guards that choice, so it is no broken promise of the program's.
  // What the program measures still holds for them: the line and field rates.
  if (IsTvStandard(StandardOnCard()) && !ChipsetIsTheCards() && RatesHold(&why)) return;
  Break(std::string(when) + ": " + why);
}

void SimulatedPc::CheckStored() {
  const RegValue* name =
      machine_.registry.Find(app::texts::kRegistryKey, app::texts::kValueVideoStandard);
  if (name == nullptr || name->type != RegValue::Type::kText) return;
  const std::optional<uint8_t> standard = StandardOfStoredName(name->text);
  if (!standard) return;  // VGA needs no keeping
  const auto dword = [&](const char* value) -> uint32_t {
    const RegValue* v = machine_.registry.Find(app::texts::kRegistryKey, value);
    return v != nullptr && v->type == RegValue::Type::kDword ? v->dword : 0xFFFFFFFFu;
  };
  const auto stored =
      std::make_tuple(*standard, static_cast<uint8_t>(dword(app::texts::kValuePolarity)),
                      static_cast<uint8_t>(dword(app::texts::kValueInterlaced)),
                      static_cast<uint16_t>(dword(app::texts::kValueOddEven)));
  if (!kept_.contains(stored)) {
    Break("the registry holds " + name->text + " with Polarity " +
          std::to_string(std::get<1>(stored)) + ", Interlaced " +
          std::to_string(std::get<2>(stored)) + ", OddEven " + std::to_string(std::get<3>(stored)) +
          ", never kept on screen");
  }
}

void SimulatedPc::CheckModelShown() {
  // Only a model that moved within its brand is checked: picking another brand refills the
  // list and leaves the model code for the next pick, as the window always did.
  const bool moved = Eng.ChipFamily == family_after_step_ && Eng.ChipModel != model_after_step_;
  family_after_step_ = Eng.ChipFamily;
  model_after_step_ = Eng.ChipModel;
  if (!moved || main_ == nullptr) return;
  const int index = main_->comboModels.item_index();
  if (index < 0) return;
  // The entry shown is the model in force: its own code (a pick, or a sibling the switch found
  // itself), or the entry the list selects for a code it has no entry of (detection).
  if (main_->comboModels.item(index).data == Eng.ChipModel) return;
  if (index == chipset::ModelIndexOfModel(Eng.ChipModel)) return;
  Break("the model list shows " + main_->comboModels.item(index).text + " while model " +
        std::to_string(Eng.ChipModel) + " is in force");
}

void SimulatedPc::Break(const std::string& what) {
  if (broken_.empty()) broken_ = what;
}

}  // namespace zanvo::testing::walk
