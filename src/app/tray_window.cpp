#include "app/main_form.h"

// Not written yet: empty bodies so that the program links while the handlers are built.

namespace zanvo::app {

void TMain::WMTrayIcon(uint32_t /*lparam*/) {}

void TMain::OpenMainClick() {}

void TMain::OnClose(int& /*action*/) {}

void TMain::AppMinimize() {}

void TMain::ShowAbout() {}

}  // namespace zanvo::app
