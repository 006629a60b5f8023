#include "user_actions.h"

#include <algorithm>
#include <array>
#include <optional>

#include "chipset/catalogue.h"

namespace zanvo::testing::walk {

namespace {

using Main = app::TMain;

template <typename Fn>
void Act(SimulatedPc& pc, const std::deque<Move>& moves, Fn&& fn) {
  pc.Step(moves, std::forward<Fn>(fn));
  Verify(pc);
}

// The four standard radio buttons.
struct ClickStandard final : UserAction {
  explicit ClickStandard(const UserModel& m)
      : which(*rc::gen::inRange(0, 4)), moves(DrawMoves(m)) {}
  int which;
  std::deque<Move> moves;
  void run(const UserModel&, SimulatedPc& pc) const override {
    const std::optional<uint8_t> kept = pc.KeptStandardOnCard();
    const int refusals = pc.refusals();
    pc.Step(moves, [this](Main& w) {
      const std::array buttons{&w.chkModeVGA, &w.chkModePAL, &w.chkModeNTSC, &w.chkModeSega};
      buttons[static_cast<size_t>(which)]->UserClick();
    });
    // Only the dialogs' own answers: a resolution change, the tray or a session end meanwhile
    // decide what follows by rules of their own.
    const bool answers_only = std::all_of(moves.begin(), moves.end(), [](const Move& m) {
      return m.kind == MoveKind::kYes || m.kind == MoveKind::kNo || m.kind == MoveKind::kTimeout ||
             m.kind == MoveKind::kCloseBox;
    });
    if (kept && answers_only) pc.CheckKeptStandardBack(*kept, refusals);
    Verify(pc);
  }
  void show(std::ostream& os) const override {
    static constexpr const char* kNames[] = {"VGA", "PAL", "NTSC", "24 kHz"};
    os << "click " << kNames[which];
    ShowMoves(os, moves);
  }
};

// The five check boxes: three signal options, the exit to VGA and the saving of settings.
struct ToggleOption final : UserAction {
  explicit ToggleOption(const UserModel& m) : which(*rc::gen::inRange(0, 5)), moves(DrawMoves(m)) {}
  int which;
  std::deque<Move> moves;
  void run(const UserModel&, SimulatedPc& pc) const override {
    Act(pc, moves, [this](Main& w) {
      const std::array boxes{&w.chkISP, &w.chkNoInterlace, &w.chkOEVSyncSz, &w.chkExitVGA,
                             &w.chkSaveExit};
      boxes[static_cast<size_t>(which)]->UserClick();
    });
  }
  void show(std::ostream& os) const override {
    static constexpr const char* kNames[] = {"Positive sync polarity", "No interlace",
                                             "Odd/Even VSync size", "Exit to VGA", "Save settings"};
    os << "toggle " << kNames[which];
    ShowMoves(os, moves);
  }
};

// A brand or a model picked in the lists (an index past the end picks nothing).
struct PickChipset final : UserAction {
  explicit PickChipset(const UserModel& m)
      : brand(*rc::gen::arbitrary<bool>()),
        index(*rc::gen::inRange(0, brand ? static_cast<int>(chipset::Brands().size()) : 6)),
        moves(DrawMoves(m)) {}
  bool brand;
  int index;
  std::deque<Move> moves;
  void run(const UserModel&, SimulatedPc& pc) const override {
    Act(pc, moves,
        [this](Main& w) { (brand ? w.comboChipsets : w.comboModels).UserSelect(index); });
  }
  void show(std::ostream& os) const override {
    os << "pick " << (brand ? "brand #" : "model #") << index;
    ShowMoves(os, moves);
  }
};

// Detect, or Next after it.
struct DetectChipset final : UserAction {
  explicit DetectChipset(const UserModel& m)
      : next(*rc::gen::arbitrary<bool>()), moves(DrawMoves(m)) {}
  bool next;
  std::deque<Move> moves;
  void run(const UserModel&, SimulatedPc& pc) const override {
    Act(pc, moves, [this](Main& w) { (next ? w.btnDetectNext : w.btnDetect).Click(); });
  }
  void show(std::ostream& os) const override {
    os << (next ? "Next" : "Detect");
    ShowMoves(os, moves);
  }
};

// A run of clicks on one arrow button.
struct MovePicture final : UserAction {
  MovePicture() : direction(*rc::gen::inRange(0, 4)), clicks(*rc::gen::inRange(1, 41)) {}
  int direction;
  int clicks;
  void run(const UserModel&, SimulatedPc& pc) const override {
    Act(pc, {}, [this](Main& w) {
      const std::array arrows{&w.btnUp, &w.btnDown, &w.btnLeft, &w.btnRight};
      for (int i = 0; i < clicks; ++i)
        arrows[static_cast<size_t>(direction)]->Click();
    });
  }
  void show(std::ostream& os) const override {
    static constexpr const char* kNames[] = {"up", "down", "left", "right"};
    os << clicks << " x " << kNames[direction];
  }
};

// The tray menu's commands and the Unload button.
struct TrayCommand final : UserAction {
  explicit TrayCommand(const UserModel& m) : item(*rc::gen::inRange(0, 8)), moves(DrawMoves(m)) {}
  int item;
  std::deque<Move> moves;
  void run(const UserModel&, SimulatedPc& pc) const override {
    Act(pc, moves, [this](Main& w) {
      switch (item) {
        case 0:
          w.OpenMain.Click();
          break;
        case 1:
          w.VGAMode.Click();
          break;
        case 2:
          w.TVMode.Click();
          break;
        case 3:
          w.Close.Click();
          break;
        case 4:
          w.ClosetoVGA.Click();
          break;
        case 5:
          w.About.Click();
          break;
        case 6:
          w.btnClose.Click();
          break;
        default: {
          int action = 1;
          w.OnClose(action);  // the window's close box hides it
        }
      }
    });
  }
  void show(std::ostream& os) const override {
    static constexpr const char* kNames[] = {"tray Open",  "tray VGA Mode",     "tray TV Mode",
                                             "tray Close", "tray Close to VGA", "tray About",
                                             "Unload",     "window's close box"};
    os << kNames[item];
    ShowMoves(os, moves);
  }
};

// The tray menu's "Computed timings", checked or unchecked; the walk goes on with it either way.
struct ToggleComputedTimings final : UserAction {
  explicit ToggleComputedTimings(const UserModel& m) : moves(DrawMoves(m)) {}
  std::deque<Move> moves;
  void run(const UserModel&, SimulatedPc& pc) const override {
    Act(pc, moves, [](Main& w) { w.ComputedTimings.Click(); });
  }
  void show(std::ostream& os) const override {
    os << "tray Computed timings";
    ShowMoves(os, moves);
  }
};

struct ChangeResolution final : UserAction {
  explicit ChangeResolution(const UserModel& m)
      : mode(*rc::gen::inRange(0, m.modes)), moves(DrawMoves(m)) {}
  int mode;
  std::deque<Move> moves;
  void run(const UserModel&, SimulatedPc& pc) const override {
    pc.ChangeResolution(mode, moves);
    Verify(pc);
  }
  void show(std::ostream& os) const override {
    os << "resolution #" << mode;
    ShowMoves(os, moves);
  }
};

struct GameSwitch final : UserAction {
  explicit GameSwitch(const UserModel& m)
      : mode(*rc::gen::inRange(0, m.modes)), moves(DrawMoves(m)) {}
  int mode;
  std::deque<Move> moves;
  void run(const UserModel&, SimulatedPc& pc) const override {
    pc.GameSwitch(mode, moves);
    Verify(pc);
  }
  void show(std::ostream& os) const override {
    os << "game switches to #" << mode << " and back";
    ShowMoves(os, moves);
  }
};

struct EndSession final : UserAction {
  void run(const UserModel&, SimulatedPc& pc) const override {
    pc.EndSession();
    Verify(pc);
  }
  void show(std::ostream& os) const override { os << "session end"; }
};

// ZANVO started again: reads what was stored, or finds itself running. A script or a front end
// starts it with a standard's switch (or a wrong one), which a running copy takes over.
struct StartProgram final : UserAction {
  explicit StartProgram(const UserModel& m)
      : arguments(
            *rc::gen::element<std::string>("", "", "/pal", "/ntsc", "-24KHZ", "/vga", "/secam")),
        shift(*rc::gen::element(false, false, true)),
        moves(DrawMoves(m)) {}
  std::string arguments;
  bool shift;  // held down while it starts: the way back from a stored TV standard
  std::deque<Move> moves;
  void run(const UserModel&, SimulatedPc& pc) const override {
    pc.StartProgram(moves, arguments, shift);
    Verify(pc);
  }
  void show(std::ostream& os) const override {
    os << (shift ? "start ZANVO holding Shift" : "start ZANVO");
    if (!arguments.empty()) os << " " << arguments;
    ShowMoves(os, moves);
  }
};

struct Idle final : UserAction {
  void run(const UserModel&, SimulatedPc& pc) const override {
    pc.Idle();
    Verify(pc);
  }
  void show(std::ostream& os) const override { os << "idle"; }
};

}  // namespace

std::deque<Move> DrawMoves(const UserModel& model) {
  std::deque<Move> moves;
  const int count = *rc::gen::inRange(0, 4);
  for (int i = 0; i < count; ++i) {
    // Answers twice as often as anything that reaches the program meanwhile.
    const int roll = *rc::gen::inRange(0, 14);
    Move m;
    if (roll < 8) {
      m.kind = static_cast<MoveKind>(roll % 4);  // yes, no, timeout, close box
    } else {
      m.kind = static_cast<MoveKind>(4 + (roll - 8) % 5);
      if (m.kind == MoveKind::kResolution) m.mode = *rc::gen::inRange(0, model.modes);
    }
    moves.push_back(m);
  }
  return moves;
}

void ShowMoves(std::ostream& os, const std::deque<Move>& moves) {
  if (moves.empty()) return;
  os << " [";
  for (size_t i = 0; i < moves.size(); ++i)
    os << (i ? ", " : "") << Describe(moves[i]);
  os << "]";
}

void Verify(const SimulatedPc& pc) {
  if (!pc.broken().empty()) RC_FAIL(pc.broken());
}

rc::Gen<std::shared_ptr<const UserAction>> GenUserAction(const UserModel& model) {
  return rc::state::gen::execOneOfWithArgs<
      ClickStandard, ClickStandard, ToggleOption, PickChipset, DetectChipset, MovePicture,
      TrayCommand, ChangeResolution, GameSwitch, EndSession, StartProgram, StartProgram, Idle,
      ToggleComputedTimings, ToggleComputedTimings>()(model);
}

}  // namespace zanvo::testing::walk
