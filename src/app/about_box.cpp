#include "app/about_box.h"

// Not written yet.

namespace zanvo::app {

TAboutBox::TAboutBox() {}

}  // namespace zanvo::app
