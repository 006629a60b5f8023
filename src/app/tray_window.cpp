#include "app/main_form.h"
#include "engine/engine_state.h"

// The tray icon's mouse messages and the window's own show, hide and minimise.

namespace zanvo::app {

using engine::Eng;

void TMain::WMTrayIcon(uint32_t lparam) {
  switch (lparam) {
    case kWmRButtonDown: {
      // The window must be in the foreground, or the menu does not close when the user clicks
      // elsewhere.
      const ScreenPoint at = services_.windows.GetCursorPos();
      services_.windows.SetForegroundWindow();
      popup_position = at;
      ++popup_count;
      break;
    }
    case kWmLButtonDblClk:
      OpenMainClick();
      break;
    default:
      break;
  }
}

void TMain::OpenMainClick() {
  services_.windows.ShowWindow(kSwShowNormal);  // also restores a minimised window
  services_.windows.SetForegroundWindow();
  minimized = false;
  visible = true;
}

void TMain::OnClose(int& action) {
  // caNone: the close box and Alt+F4 only hide the window; the close commands end the program.
  action = 0;
  services_.windows.ShowWindow(kSwHide);
  visible = false;
}

void TMain::AppMinimize() {
  minimized = true;
}

void TMain::ComputedTimingsClick() {
  // An option like the window's check boxes: under a TV standard the switch is made again with
  // it (a computed row the option no longer allows is refused) and asked about.
  Eng.ComputedTimings = static_cast<uint8_t>(Eng.ComputedTimings ^ 1);
  ComputedTimings.checked = Eng.ComputedTimings != 0;
  FollowOptionChange();
}

void TMain::ShowAbout() {
  services_.modal.ShowModal(AboutBox);
}

}  // namespace zanvo::app
