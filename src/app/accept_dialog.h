#pragma once
// The keep-settings dialog: asks whether to keep the new display settings and answers No by
// itself after 15 seconds.

#include <cstdint>

#include "platform/toolkit/controls.h"
#include "platform/toolkit/form.h"

namespace zanvo::app {

class TAcceptDlg : public toolkit::Form {
 public:
  TAcceptDlg();  // lays out the controls and runs OnCreate

  void OnCreate();
  void OnTickTack();
  void btnOkClick();
  void btnCancelClick();
  void CloseBox() override;

  uint16_t RevertCountdown = 15;

  toolkit::Picture infoIcon;  // the system's question-mark icon (IDI_QUESTION)
  uint16_t infoIconId = 0;    // the system icon infoIcon shows: IDI_QUESTION once created
  toolkit::Label Label1;
  toolkit::Label lblRevert;
  toolkit::Button btnCancel;  // default and cancel button, first in tab order
  toolkit::Button btnOk;
  toolkit::Timer timer;
};

}  // namespace zanvo::app
