#include "app/about_box.h"

#include "app/texts.h"

namespace zanvo::app {

TAboutBox::TAboutBox() {
  name = "AboutBox";
  caption = texts::kAboutCaption;
  // The box is 306 x 252 as a whole; its controls sit in what the frame leaves.
  client_width = 306;
  client_height = 252;
  size_includes_frame = true;

  Panel1.name = "Panel1";
  Panel1.bounds = {8, 8, 281, 161};
  ProgramIcon.name = "ProgramIcon";
  ProgramIcon.bounds = {8, 8, 100, 76};
  ProductName.name = "ProductName";
  ProductName.caption = texts::kAboutProduct;
  ProductName.bounds = {116, 16, 157, 13};
  Version.name = "Version";
  Version.caption = texts::kAboutVersion;
  Version.bounds = {116, 40, 157, 13};

  OKButton.name = "OKButton";
  OKButton.caption = texts::kAboutOk;
  OKButton.bounds = {115, 180, 75, 25};
  OKButton.tab_order = 0;
  OKButton.is_default = true;
  OKButton.OnClick = [this] { SetModalResult(toolkit::mrOk); };
}

}  // namespace zanvo::app
