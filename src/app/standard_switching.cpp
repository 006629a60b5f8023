#include <string_view>
#include <utility>

#include "app/main_form.h"
#include "app/texts.h"
#include "chipset/catalogue.h"
#include "engine/field_check.h"
#include "engine/standards.h"
#include "engine/timing_tables.h"

// Switching standards. The engine never programs monitor timings: going back to VGA means
// making the system re-set the display mode. Every switch therefore records the standard, forces
// a mode re-set and lets WMDisplayChange put the recorded standard on top of the fresh mode.

namespace zanvo::app {

namespace {

using engine::Eng;

bool IsTvStandard(uint8_t standard) {
  return standard == engine::vsPAL || standard == engine::vsNTSC || standard == engine::vs24kHz;
}

// Checks a radio button (unchecking the rest of its group) without running its click handler:
// the window follows a standard already in force and must not select it again.
void CheckQuietly(toolkit::RadioButton& button) {
  toolkit::Handler handler = std::move(button.OnClick);
  button.OnClick = nullptr;
  button.SetChecked(true);
  button.OnClick = std::move(handler);
}

// The low half of WM_DISPLAYCHANGE's lParam is the new screen width; the program's own
// announcement sends 0 there.
bool IsOwnAnnouncement(uint32_t lparam) {
  return (lparam & 0xFFFFu) == 0;
}

}  // namespace

void TMain::chkModeVGAClick() {
  if (Eng.CurrentStandard == engine::vsVGA) return;
  engine::SetStandard(engine::vsVGA);
  ReconfigureDesktop();
  ResetChecks();
  NoteBackOnKept();
  CloseStaleKeepQuestion();
}

void TMain::chkModePALClick() {
  SelectTVStandard(engine::vsPAL, engine::kPalHorzTable, 313, engine::kPalVertTable);
}

void TMain::chkModeNTSCClick() {
  SelectTVStandard(engine::vsNTSC, engine::kNtscHorzTable, 263, engine::kNtscVertTable);
}

void TMain::chkModeSegaClick() {
  // The SiS 300 runs 24 kHz from a different clock and so has its own horizontal table.
  if (Eng.ChipModel == engine::kModelSiS300) {
    SelectTVStandard(engine::vs24kHz, engine::k24kHzAltHorzTable, 424, engine::k24kHzVertTable);
  } else {
    SelectTVStandard(engine::vs24kHz, engine::k24kHzHorzTable, 424, engine::k24kHzVertTable);
  }
}

void TMain::SelectTVStandard(uint8_t standard, std::span<const engine::HorzRow> horz_table,
                             uint16_t lines_per_field, const engine::VertTable& vert_table) {
  if (!Initialising && !scripted_switch_) {
    confirming_ = true;
    const int answer = services_.boxes.Show(MessageKind::kConfirmOkCancel, texts::kConfirmText,
                                            texts::kConfirmCaption);
    confirming_ = false;
    if (answer != kIdOk) {
      ResetChecks();
      return;
    }
    // A close command chosen from the tray while the box was up has already ended the program's
    // work (and perhaps gone to VGA): the switch it interrupted must not follow.
    if (services_.application.terminate_requested()) {
      ResetChecks();
      return;
    }
  }
  engine::SetStandard(standard);

  engine::LoadTimingTables(horz_table, vert_table, lines_per_field);

  VGAMode.checked = false;
  TVMode.checked = true;
  ReconfigureDesktop();
}

void TMain::chkModeTVClick() {
  // Back to the standard used before VGA, with the tables of the last TV selection. The window
  // keeps showing what it showed: only WMDisplayChange's question decides what stays.
  if (Eng.CurrentStandard != engine::vsVGA) return;
  engine::SetStandard(Eng.PreviousStandard);
  ReconfigureDesktop();
}

void TMain::chkISPClick() {
  if (Initialising) return;
  // 0x33 <-> 0xF3: Miscellaneous Output bits 6 and 7 are the horizontal and vertical sync
  // polarities.
  Eng.SyncPolarityMask = static_cast<uint8_t>(Eng.SyncPolarityMask ^ 0xC0);
  FollowOptionChange();
}

void TMain::chkNoInterlaceClick() {
  if (Initialising) return;
  Eng.InterlaceEnabled = static_cast<uint8_t>(Eng.InterlaceEnabled ^ 1);
  FollowOptionChange();
}

void TMain::chkOEVSyncSzClick() {
  if (Initialising) return;
  Eng.OddEvenVSyncSize = chkOEVSyncSz.checked() ? 1 : 0;
  FollowOptionChange();
}

void TMain::ResetChecks() {
  toolkit::RadioButton* tv_button = nullptr;
  switch (Eng.CurrentStandard) {
    case engine::vsVGA:
      chkModeVGA.SetChecked(true);  // its handler finds VGA in force and does nothing
      if (visible) chkModeVGA.SetFocus();
      VGAMode.checked = true;
      TVMode.checked = false;
      return;
    case engine::vsPAL:
      tv_button = &chkModePAL;
      break;
    case engine::vsNTSC:
      tv_button = &chkModeNTSC;
      break;
    case engine::vs24kHz:
      tv_button = &chkModeSega;
      break;
    default:
      return;
  }
  CheckQuietly(*tv_button);
  VGAMode.checked = false;
  TVMode.checked = true;
}

void TMain::ReconfigureDesktop() {
  InDisplayChange = true;
  services_.display.ShowCursor(false);
  // The driver programs the mode's monitor timings again; the system's own WM_DISPLAYCHANGE
  // that arrives meanwhile finds InDisplayChange set.
  services_.display.ResetMode();
  InDisplayChange = false;
  services_.display.ShowCursor(true);
  services_.display.BroadcastDisplayChange(kDisplayChangeWParam, 0);
}

void TMain::FollowOptionChange() {
  // Under VGA an option only waits for the next switch, and VGA needs no keeping: the changed
  // option is what the settings store from now on. Under a TV standard it is asked about.
  if (Eng.CurrentStandard == engine::vsVGA) {
    NoteBackOnKept();
    return;
  }
  ReconfigureDesktop();
}

bool TMain::ApplyAndMeasureStandard() {
  engine::ApplyStandard();
  applied_family_ = Eng.ChipFamily;
  applied_model_ = Eng.ChipModel;
  // A fitted standard is timed before anything else happens: a clock step that halved or
  // doubled the clock fits on paper and still drives the set far off its frequencies, and must
  // not stay on screen while a question waits. Far off is refused as an unfitted standard.
  if (!engine::StandardFitted()) return false;
  engine::CheckFieldRate();
  return Eng.FieldRateInBand != 0;
}

bool TMain::ApplyMeasureAndRecover() {
  if (ApplyAndMeasureStandard()) return true;
  // A standard that fitted on paper and measured wrong may be right under another model of the
  // brand, whose clock step differs, or on the row's own clock: the timer tells, where the
  // chips' sources cannot.
  return engine::StandardFitted() && TrySiblingModels();
}

void TMain::WMDisplayChange(uint32_t lparam) {
  if (InDisplayChange || Eng.CurrentStandard == engine::vsVGA) return;
  const bool passed = ApplyMeasureAndRecover();
  if (restoring_) {
    restore_passed_ = passed;
    return;
  }
  if (passed) {
    if (Initialising || scripted_switch_ || !IsOwnAnnouncement(lparam)) {
      // Applied without a question: kept as it stands, unless a question still open about this
      // switch decides.
      if (open_keep_question_ == nullptr) KeepSiblingModel();
      return;
    }
    AskToKeepStandard();
    return;
  }
  // Refused: a sibling that took over for a switch nobody kept gives way to the user's model,
  // under which the standard to go back to was kept.
  GiveBackUserModel();
  // The user's own switch gives back what was on screen and kept before it. When what was
  // refused is that very standard (an option or the model changed under it), it cannot come
  // back as it was kept, and neither can anything after a resolution change: no older TV
  // standard goes on screen without a question, so both end on VGA.
  const bool kept_standard_refused = Eng.CurrentStandard == confirmed_standard_;
  const uint8_t target =
      IsOwnAnnouncement(lparam) && !kept_standard_refused ? confirmed_standard_ : engine::vsVGA;
  RecoverFromRefusedStandard(target);
  ResetChecks();
  NoteBackOnKept();
  CloseStaleKeepQuestion();
  // A script learns of the refusal from the exit code of the copy that asked; a box here would
  // hold that copy, and the script, until somebody at the screen answers it.
  if (scripted_switch_) return;
  services_.boxes.Show(MessageKind::kErrorAbort, texts::kModeUnsupported, texts::kAppTitle);
}

bool TMain::SwitchFromScript(uint8_t standard) {
  // A switch of the user's that waits for an answer, or one being undone, is not interrupted:
  // its question would then ask about the wrong standard.
  const bool switch_under_way = confirming_ || open_keep_question_ != nullptr || restoring_ ||
                                InDisplayChange || scripted_switch_;
  if (Initialising || switch_under_way || services_.application.terminate_requested()) return false;
  if (standard == engine::vsVGA) {
    chkModeVGAClick();
    ResetChecks();
    return Eng.CurrentStandard == engine::vsVGA;
  }
  if (!IsTvStandard(standard)) return false;
  if (Eng.CurrentStandard == standard) return true;
  scripted_switch_ = true;
  if (standard == engine::vsPAL) chkModePALClick();
  if (standard == engine::vsNTSC) chkModeNTSCClick();
  if (standard == engine::vs24kHz) chkModeSegaClick();
  scripted_switch_ = false;
  const bool switched = Eng.CurrentStandard == standard;
  if (switched) {
    ResetChecks();
    NoteConfirmedStandard();
  }
  return switched;
}

ForwardResult TMain::AnswerScript(uint8_t standard) {
  const bool passing_switch = Initialising || restoring_ || InDisplayChange || scripted_switch_;
  if (passing_switch && !services_.application.terminate_requested()) return ForwardResult::kBusy;
  return SwitchFromScript(standard) ? ForwardResult::kSwitched : ForwardResult::kRefused;
}

void TMain::AskToKeepStandard() {
  TAcceptDlg dialog;
  const uint8_t asked = Eng.CurrentStandard;
  // A question asked while another is open (a nested switch) hands the slot back afterwards.
  TAcceptDlg* const outer = std::exchange(open_keep_question_, &dialog);
  const uint8_t outer_standard = std::exchange(keep_question_standard_, asked);
  const int answer = services_.modal.ShowModal(dialog);
  open_keep_question_ = outer;
  keep_question_standard_ = outer_standard;
  if (answer == toolkit::mrOk && Eng.CurrentStandard == asked) {
    NoteConfirmedStandard();
    KeepSiblingModel();
  } else {
    chkModeVGAClick();
    GiveBackUserModel();
  }
}

void TMain::CloseStaleKeepQuestion() {
  if (open_keep_question_ != nullptr && Eng.CurrentStandard != keep_question_standard_) {
    open_keep_question_->btnCancelClick();
  }
}

void TMain::RecoverFromRefusedStandard(uint8_t target) {
  // A refusal in the horizontal step wrote no timings and leaves the driver's mode as it was. A
  // refusal in the vertical step leaves TV line timings under the mode's own field, a refused
  // measurement a whole standard on a clock that missed; both have the line doubling and
  // count-by-two bits cleared: every application assumes a freshly set mode, so only a
  // display-mode re-set makes the adapter usable again.
  bool half_programmed = Eng.HorzRowFound != 0;
  if (IsTvStandard(target)) {
    engine::SetStandard(target);
    engine::LoadStandardTables(target);
    // The standard was kept before, but the card, the chipset choice or the mode may have
    // changed since: it passes the same fit and field check as any switch, and comes back the
    // way a switch comes (a sibling model, then the row's own clock), or VGA follows.
    bool passed = false;
    if (half_programmed) {
      restoring_ = true;
      restore_passed_ = false;
      ReconfigureDesktop();  // WMDisplayChange applies and measures it on the fresh mode
      restoring_ = false;
      passed = restore_passed_;
    } else {
      passed = ApplyMeasureAndRecover();
    }
    if (passed) {
      // Back without a question, as at start-up: a sibling that carries it now is the user's.
      if (open_keep_question_ == nullptr) KeepSiblingModel();
      return;
    }
    half_programmed = Eng.HorzRowFound != 0;
  }
  engine::SetStandard(engine::vsVGA);
  if (half_programmed) ReconfigureDesktop();
}

}  // namespace zanvo::app
