#include "app/main_form.h"
#include "app/texts.h"
#include "engine/chip_codes.h"
#include "engine/standards.h"

// The close commands: the only way the program ends.

namespace zanvo::app {

void TMain::btnCloseClick() {
  // A close command while the keep-settings question is open answers it No: the standard it
  // asks about was never kept, and the program ends on what was.
  if (open_keep_question_ != nullptr) open_keep_question_->btnCancelClick();
  // Back to the driver's monitor timings without touching the radio buttons, so that the TV
  // standard in use is the one stored and brought back at the next start.
  if (chkExitVGA.checked() && engine::Eng.CurrentStandard != engine::vsVGA) {
    engine::SetStandard(engine::vsVGA);
    ReconfigureDesktop();
  }
  // A registry that refuses the write (no rights on the machine-wide key) must not keep the
  // program from ending; the user learns that the settings are lost.
  if (!WriteSettings()) {
    services_.boxes.Show(MessageKind::kErrorOk, texts::kSettingsNotSaved, texts::kAppTitle);
  }
  services_.application.Terminate();
}

void TMain::CloseToVGAClick() {
  chkModeVGA.SetChecked(true);
  // With a TV standard brought back from the tray menu the VGA button is still checked and its
  // click does not run; the command still leaves the display on monitor timings.
  if (engine::Eng.CurrentStandard != engine::vsVGA) chkModeVGAClick();
  // The command stores VGA even where VGA was already in force while another standard stayed
  // stored (one skipped with Shift at start-up).
  NoteConfirmedStandard();
  btnCloseClick();
}

void TMain::StoreSettingsAtSessionEnd() {
  // No display re-set: the session's end takes the desktop down anyway, and a mode change now
  // would only delay it. A failed write cannot be reported any more.
  WriteSettings();
}

}  // namespace zanvo::app
