#pragma once
// The about box: product name, version and an OK button; no code of its own.

#include "platform/toolkit/controls.h"
#include "platform/toolkit/form.h"

namespace zanvo::app {

class TAboutBox : public toolkit::Form {
 public:
  TAboutBox();

  toolkit::Control Panel1;
  toolkit::Picture ProgramIcon;  // 100 x 76
  toolkit::Label ProductName;
  toolkit::Label Version;
  toolkit::Button OKButton;  // default button; closes the box with mrOk
};

}  // namespace zanvo::app
