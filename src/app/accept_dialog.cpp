#include "app/accept_dialog.h"

#include <cstdio>
#include <string>

#include "app/texts.h"

namespace zanvo::app {

namespace {

// LoadIconA(NULL, IDI_QUESTION).
constexpr uint16_t kIdiQuestion = 32514;
constexpr uint16_t kSecondsToKeep = 15;

std::string RevertText(unsigned seconds) {
  char text[48];
  std::snprintf(text, sizeof text, texts::kRevertFormat, seconds);
  return text;
}

}  // namespace

TAcceptDlg::TAcceptDlg() {
  name = "AcceptDlg";
  caption = texts::kAcceptCaption;
  client_width = 348;
  client_height = 92;

  infoIcon.name = "infoIcon";
  infoIcon.bounds = {16, 12, 32, 32};
  Label1.name = "Label1";
  Label1.caption = texts::kAcceptQuestion;
  Label1.bounds = {56, 12, 277, 26};
  lblRevert.name = "lblRevert";
  lblRevert.caption = RevertText(kSecondsToKeep);
  lblRevert.bounds = {12, 60, 118, 13};

  // "&No" comes first in the tab order and is both the default and the cancel button, so
  // Enter and Esc right after the dialog opens both refuse the new settings.
  btnCancel.name = "btnCancel";
  btnCancel.caption = texts::kAcceptNo;
  btnCancel.bounds = {264, 56, 75, 25};
  btnCancel.tab_order = 0;
  btnCancel.is_default = true;
  btnCancel.is_cancel = true;
  btnCancel.OnClick = [this] { btnCancelClick(); };
  btnOk.name = "btnOk";
  btnOk.caption = texts::kAcceptYes;
  btnOk.bounds = {180, 56, 75, 25};
  btnOk.tab_order = 1;
  btnOk.OnClick = [this] { btnOkClick(); };

  timer.interval_ms = 1000;
  timer.enabled = false;
  timer.OnTimer = [this] { OnTickTack(); };

  OnCreate();
}

void TAcceptDlg::OnCreate() {
  RevertCountdown = kSecondsToKeep;
  timer.enabled = true;
  infoIconId = kIdiQuestion;
}

void TAcceptDlg::OnTickTack() {
  if (RevertCountdown == 0) return;  // already timed out
  --RevertCountdown;
  if (RevertCountdown == 0) {
    timer.enabled = false;
    SetModalResult(toolkit::mrCancel);
  }
  lblRevert.caption = RevertText(RevertCountdown);
}

void TAcceptDlg::btnOkClick() {
  timer.enabled = false;
  SetModalResult(toolkit::mrOk);
}

void TAcceptDlg::btnCancelClick() {
  timer.enabled = false;
  SetModalResult(toolkit::mrCancel);
}

void TAcceptDlg::CloseBox() {
  timer.enabled = false;
  SetModalResult(toolkit::mrCancel);
}

}  // namespace zanvo::app
