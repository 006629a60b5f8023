#include "app/main_form.h"

// Not written yet: empty bodies so that the program links while the handlers are built.

namespace zanvo::app {

void TMain::OnAppIdle(bool& /*done*/) {}

}  // namespace zanvo::app
