#include <utility>

#include "app/main_form.h"
#include "app/texts.h"
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
  NoteConfirmedStandard();
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
  if (!Initialising) {
    const int answer = services_.boxes.Show(MessageKind::kConfirmOkCancel, texts::kConfirmText,
                                            texts::kConfirmCaption);
    if (answer != kIdOk) {
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
  if (Eng.CurrentStandard != engine::vsVGA) ReconfigureDesktop();
}

void TMain::chkNoInterlaceClick() {
  if (Initialising) return;
  Eng.InterlaceEnabled = static_cast<uint8_t>(Eng.InterlaceEnabled ^ 1);
  if (Eng.CurrentStandard != engine::vsVGA) ReconfigureDesktop();
}

void TMain::chkOEVSyncSzClick() {
  if (Initialising) return;
  Eng.OddEvenVSyncSize = chkOEVSyncSz.checked() ? 1 : 0;
  if (Eng.CurrentStandard != engine::vsVGA) ReconfigureDesktop();
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

void TMain::WMDisplayChange(uint32_t lparam) {
  if (InDisplayChange || Eng.CurrentStandard == engine::vsVGA) return;
  engine::ApplyStandard();
  if (restoring_) return;
  // A fitted standard is timed before anything else happens: a clock step that halved or
  // doubled the clock fits on paper and still drives the set far off its frequencies, and must
  // not stay on screen while a question waits. Far off is refused as an unfitted standard.
  if (engine::StandardFitted()) engine::CheckFieldRate();
  if (engine::StandardFitted() && Eng.FieldRateInBand != 0) {
    if (Initialising || !IsOwnAnnouncement(lparam)) return;
    TAcceptDlg dialog;
    if (services_.modal.ShowModal(dialog) == toolkit::mrOk) {
      NoteConfirmedStandard();
    } else {
      chkModeVGAClick();
    }
    return;
  }
  // The user's own switch (or option change) gives back what was on screen and kept before it.
  // A re-application after a resolution change has nothing of the kind: the standard in force
  // cannot fit the new mode, and no older TV standard goes on screen without a question.
  const uint8_t target = IsOwnAnnouncement(lparam) ? confirmed_standard_ : engine::vsVGA;
  RecoverFromRefusedStandard(target);
  ResetChecks();
  NoteConfirmedStandard();
  services_.boxes.Show(MessageKind::kErrorAbort, texts::kModeUnsupported, texts::kAppTitle);
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
    if (half_programmed) {
      restoring_ = true;
      ReconfigureDesktop();  // WMDisplayChange applies the standard on the fresh mode
      restoring_ = false;
    } else {
      engine::ApplyStandard();
    }
    if (engine::StandardFitted()) return;
    half_programmed = Eng.HorzRowFound != 0;
  }
  engine::SetStandard(engine::vsVGA);
  if (half_programmed) ReconfigureDesktop();
}

}  // namespace zanvo::app
