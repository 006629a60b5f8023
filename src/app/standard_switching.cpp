#include <utility>

#include "app/main_form.h"
#include "app/texts.h"
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
  if (Eng.HorzRowFound) {
    if (Initialising || !IsOwnAnnouncement(lparam)) return;
    TAcceptDlg dialog;
    if (services_.modal.ShowModal(dialog) != toolkit::mrOk) chkModeVGAClick();
    return;
  }
  RecoverFromUnsupportedMode();
  ResetChecks();
  services_.boxes.Show(MessageKind::kErrorAbort, texts::kModeUnsupported, texts::kAppTitle);
}

// The mode has no timing row for the standard just tried. The hardware must end up showing the
// standard recorded in force: the previous TV standard with its own tables, else VGA's monitor
// timings from a fresh mode re-set.
void TMain::RecoverFromUnsupportedMode() {
  engine::SetStandard(Eng.PreviousStandard);
  if (IsTvStandard(Eng.CurrentStandard)) {
    engine::LoadStandardTables(Eng.CurrentStandard);
    engine::ApplyStandard();
    if (Eng.HorzRowFound) return;
    engine::SetStandard(engine::vsVGA);
  } else if (Eng.CurrentStandard != engine::vsVGA) {
    engine::SetStandard(engine::vsVGA);
  }
  ReconfigureDesktop();
}

}  // namespace zanvo::app
