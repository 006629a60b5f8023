#pragma once
// The machine a simulated user sits at: one virtual card in a desktop mode, the registry and the
// named mutexes that outlive a run of ZANVO, and the copy of the program that runs now (if any).
// Every dialog that opens during a step is answered from that step's planned moves, which may
// also reach the program through the tray or the session while the dialog is up. After each step
// the program's promises are checked; a broken one is kept as a text for the property to report.

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "app/main_form.h"
#include "platform/virtual/bus_model.h"
#include "platform/virtual/signal/signal.h"
#include "platform/virtual/virtual_pc.h"
#include "shell_harness.h"

namespace zanvo::testing::walk {

// What the user does while a dialog or message box is up. The answers end it; the others reach
// the program through the tray or the session and leave it up unless the program closes it.
enum class MoveKind {
  kYes,        // "&Yes", or OK to "Display Properties"
  kNo,         // "&No", or Cancel
  kTimeout,    // the keep-settings countdown runs out
  kCloseBox,   // the dialog's close box
  kTrayClose,  // tray "Close"
  kTrayCloseToVga,
  kTrayVgaMode,
  kSessionEnd,  // Windows is shutting down: settings stored, then the process is ended
  kResolution,  // the desktop resolution changes (the mode with index `mode`)
};

struct Move {
  MoveKind kind = MoveKind::kYes;
  int mode = 0;
};

std::string Describe(const Move& move);

// Thrown through the program's stack when the session ends: the system ends the process there.
struct ProcessEnded {};

class SimulatedPc {
 public:
  // `bus` is how the machine's bus and processor treat the program: its read cost, and when it
  // loses the processor.
  SimulatedPc(const std::string& card, uint16_t width, uint16_t height,
              std::optional<uint8_t> stored_family, const virt::BusModel& bus = {});
  ~SimulatedPc();
  SimulatedPc(const SimulatedPc&) = delete;
  SimulatedPc& operator=(const SimulatedPc&) = delete;

  // The desktop modes the card's driver offers.
  const std::vector<virt::DesktopMode>& modes() const { return modes_; }

  // Runs one user action with the moves that answer whatever it opens. Returns false when no
  // copy of the program runs (the action then had nothing to act on).
  template <typename Action>
  bool Step(std::deque<Move> moves, Action&& action) {
    if (!running()) return false;
    BeginStep();
    moves_ = std::move(moves);
    Guarded([&] { action(*main_); });
    AfterStep(false);
    return true;
  }

  // ZANVO is started: a new copy reads the settings, or, while one runs, a second copy finds it
  // and ends.
  // `arguments` is its command line ("/pal", or empty); `shift` holds a Shift key down while it
  // starts.
  void StartProgram(std::deque<Move> moves, const std::string& arguments = "", bool shift = false);
  // The message queue ran empty once (the readout measures).
  void Idle();
  // Windows ends the session: the settings are stored and the process ends with no display
  // re-set; the next start comes after a new logon, which sets the mode again.
  void EndSession();
  // The desktop resolution changes to the mode with this index; with no copy running too.
  void ChangeResolution(int mode, std::deque<Move> moves);
  // A game switches the screen to one of the driver's game modes (up to 640x480 at 8 or 16
  // bits, the index taken among them) and back to the desktop when it quits.
  void GameSwitch(int mode, std::deque<Move> moves);

  bool running() const { return main_ != nullptr && !ended_; }

  // A refused switch gives back the kept standard it started from. Before the step: the TV
  // standard in force, when the card holds it as the chipset in force (the card's own, or a
  // sibling the program tried) put it there; nullopt otherwise. After it: broken when a switch
  // was refused and the monitor timings or another standard followed, although no time slice
  // was lost while the program measured.
  std::optional<uint8_t> KeptStandardOnCard() const;
  void CheckKeptStandardBack(uint8_t kept, int refusals_before);
  int refusals() const { return refusals_; }
  // The first promise broken so far, empty while all hold.
  const std::string& broken() const { return broken_; }
  uint64_t steps() const { return steps_; }

 private:
  struct Copy;
  class Boxes;
  class Modal;

  template <typename Fn>
  void Guarded(Fn&& fn) {
    try {
      fn();
    } catch (const ProcessEnded&) {
      ended_ = true;
    }
    if (main_ && application_terminated()) ended_ = true;
  }
  bool application_terminated() const;
  // The running copy has re-set the mode or applied a standard since it started.
  bool copy_touched_card() const;
  // The standard whose signal the card should send now.
  uint8_t StandardOnCard() const;

  // Plays the next planned move inside an open dialog; false when none is left.
  bool PlayInterrupt(const Move& move);
  std::optional<Move> NextMove();
  void ResolutionChange(int mode);

  void BeginStep();
  // The promises, after every step and while dialogs are open.
  void AfterStep(bool idle);
  void CheckSignal(const char* when);
  // Whether the card's signal is the monitor timing or locks to the standard in force.
  bool SignalHolds(std::string* why = nullptr);
  // Under a chipset that is not the card's: the line and field rates of the standard in force
  // are the standard's, whatever its registers contradict.
  bool RatesHold(std::string* why);
  // The chipset whose registers the card holds is what detection finds on it, or a sibling
  // the program itself tries on that model.
  bool ChipsetIsTheCards() const;
  void CheckStored();
  // The model list shows the model in force after a step that moved it within the brand.
  void CheckModelShown();
  void Break(const std::string& what);
  const virt::Signal& MonitorSignal();
  // The standard and options on screen when the user answered Yes.
  void NoteKept();

  std::string card_name_;
  Machine machine_;
  virt::VirtualPc pc_;
  std::vector<virt::DesktopMode> modes_;
  std::vector<virt::DesktopMode> game_modes_;
  std::map<std::tuple<uint16_t, uint16_t, uint8_t>, virt::Signal> monitor_signals_;
  std::unique_ptr<Copy> copy_;
  app::TMain* main_ = nullptr;
  bool ended_ = false;
  bool session_over_ = false;
  // The driver set a mode while no copy ran: the card is on monitor timings whatever the last
  // copy left in force.
  bool mode_set_without_program_ = false;
  std::deque<Move> moves_;
  // Standard, polarity, interlace, odd/even size: every combination kept on screen so far.
  std::set<std::tuple<uint8_t, uint8_t, uint8_t, uint16_t>> kept_;
  // The chipset family in force when a standard was last measured on the card (every fitted
  // application is measured): the family whose registers the card now holds.
  std::optional<std::pair<uint8_t, uint16_t>> applied_chipset_;
  // What detection makes of the card, and the siblings a switch may try on it.
  std::pair<uint8_t, uint16_t> detected_;
  bool idle_step_ = false;
  bool copy_applied_ = false;  // the running copy has measured a standard on the card
  // The standard the last copy left in force when the running one started.
  uint8_t inherited_standard_ = engine::vsVGA;
  // The longest time the timer gate stayed open during the step, in picoseconds.
  uint64_t gate_opened_ps_ = 0;
  uint64_t longest_gate_ps_ = 0;
  // The longest time the program lost the processor during a field check of the step.
  uint64_t longest_loss_ps_ = 0;
  // "Video mode unsupported!" boxes shown so far.
  int refusals_ = 0;
  // The chipset in force after the last step.
  uint8_t family_after_step_ = 0;
  uint16_t model_after_step_ = 0;
  std::string broken_;
  uint64_t steps_ = 0;

  friend class GateWatch;
};

}  // namespace zanvo::testing::walk
