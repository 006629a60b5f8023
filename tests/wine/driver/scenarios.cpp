#include "scenarios.h"

#include "app/texts.h"
#include "check.h"
#include "main_window.h"
#include "platform/win32/resource.h"
#include "program.h"
#include "screenshot.h"
#include "settings_store.h"
#include "windows_ui.h"

namespace e2e {
namespace texts = zanvo::app::texts;

namespace {

constexpr DWORD kExitTimeoutMs = 20000;

// The pointer rests in a corner, away from the window, so that no hint pops up over it.
void ParkPointer() {
  SetCursorPos(0, GetSystemMetrics(SM_CYSCREEN) - 1);
}

void PictureOfMainWindow(HWND main, const ScenarioContext& context) {
  ParkPointer();
  SetForegroundWindow(main);
  Sleep(1000);  // let the hint fade and the window repaint
  SaveWindowPicture(main, context.output_dir + "\\zanvo-pal.bmp");
}

// PAL and kept; a refused NTSC and a PAL left to its countdown both fall back to VGA; a second
// copy only says that one is running; Unload with VGA in force stores "VGA".
void Switching(const ScenarioContext& context) {
  ForgetSettings();
  LetWineDrawFrames();
  ParkPointer();
  Program program(context.program);
  HWND main = WaitForMainWindow(program);
  WaitFor("the main window to be shown on a first run", 10000,
          [&] { return IsWindowVisible(main); });
  ExpectStandardButton(main, IDC_MODE_VGA, "VGA");
  ExpectRates(main, kVgaRates);

  ChooseTvStandard(program, main, IDC_MODE_PAL, KeepAnswer::kYes);
  ExpectStandardButton(main, IDC_MODE_PAL, "PAL");
  ExpectRates(main, kPalRates);
  PictureOfMainWindow(main, context);

  ChooseTvStandard(program, main, IDC_MODE_NTSC, KeepAnswer::kNo);
  ExpectStandardButton(main, IDC_MODE_VGA, "VGA after No");
  ExpectRates(main, kVgaRates);

  const double open_for =
      ChooseTvStandard(program, main, IDC_MODE_PAL, KeepAnswer::kWaitForTimeout);
  if (open_for < 13.0 || open_for > 25.0)
    Fail(Format("the countdown closed the dialog after %.1f s, not about 15 s", open_for));
  ExpectStandardButton(main, IDC_MODE_VGA, "VGA after the countdown");
  ExpectRates(main, kVgaRates);

  {
    Program second(context.program);
    HWND box = WaitFor("the \"already running\" box of a second copy", 30000,
                       [&] { return FindTopLevelShowing(second.pid(), texts::kAlreadyRunning); });
    // The box itself may carry the program's title; the main window is the one with controls.
    HWND other = FindTopLevel(second.pid(), texts::kAppTitle, true);
    if (other && FindControl(other, IDC_HFREQ)) Fail("the second copy shows a main window");
    PressDialogButton(box, IDOK);
    second.WaitForExit(kExitTimeoutMs, "OK on \"ZANVO was already running!\"");
    Pass("a second copy said \"ZANVO was already running!\" and ended");
  }
  if (!program.Running()) Fail("the first copy ended when the second one started");
  ExpectRates(main, kVgaRates);

  Click(Control(main, IDC_BTN_CLOSE, "btnClose"));
  program.WaitForExit(kExitTimeoutMs, "Unload");
  ExpectStoredText(texts::kValueVideoStandard, texts::kStandardVga);
  ExpectStoredDword(texts::kValueSaveChanges, 1);
  ExpectStoredDword(texts::kValueVisible, 1);
}

// Unload with "Exit to VGA mode" stores the standard of the radio buttons ("PAL"); the next
// start comes up in PAL without a question; "Close to VGA" stores "VGA", and the start after
// that stays on VGA until the tray's "Close".
void CloseAndRestart(const ScenarioContext& context) {
  ForgetSettings();
  LetWineDrawFrames();
  ParkPointer();
  {
    Program program(context.program);
    HWND main = WaitForMainWindow(program);
    if (!IsChecked(Control(main, IDC_EXIT_VGA, "chkExitVGA")))
      Fail("\"Exit to VGA mode\" is not checked on a first run");
    ChooseTvStandard(program, main, IDC_MODE_PAL, KeepAnswer::kYes);
    ExpectRates(main, kPalRates);
    Click(Control(main, IDC_BTN_CLOSE, "btnClose"));
    program.WaitForExit(kExitTimeoutMs, "Unload");
    ExpectStoredText(texts::kValueVideoStandard, texts::kStandardPal);
    ExpectStoredDword(texts::kValueExitToVga, 1);
    ExpectStoredDword(texts::kValueVisible, 1);
  }
  {
    Program program(context.program);
    HWND main = WaitForMainWindow(program);
    ExpectRates(main, kPalRates);
    ExpectStandardButton(main, IDC_MODE_PAL, "PAL restored at start-up");
    ExpectNoQuestionFor(program, 3000);
    PickTrayMenuItem(program, main, 'v', texts::kMenuCloseToVga);
    program.WaitForExit(kExitTimeoutMs, "Close to VGA");
    ExpectStoredText(texts::kValueVideoStandard, texts::kStandardVga);
  }
  {
    Program program(context.program);
    HWND main = WaitForMainWindow(program);
    ExpectStandardButton(main, IDC_MODE_VGA, "VGA restored at start-up");
    ExpectRates(main, kVgaRates);
    PickTrayMenuItem(program, main, 'c', texts::kMenuClose);
    program.WaitForExit(kExitTimeoutMs, "Close");
    ExpectStoredText(texts::kValueVideoStandard, texts::kStandardVga);
  }
}

// For the run command: PAL chosen and kept, a picture of the window, then Unload.
void ShowPal(const ScenarioContext& context) {
  LetWineDrawFrames();
  ParkPointer();
  Program program(context.program);
  HWND main = WaitForMainWindow(program);
  ShowWindow(main, SW_SHOWNORMAL);
  ChooseTvStandard(program, main, IDC_MODE_PAL, KeepAnswer::kYes);
  ExpectRates(main, kPalRates);
  PictureOfMainWindow(main, context);
  Click(Control(main, IDC_BTN_CLOSE, "btnClose"));
  program.WaitForExit(kExitTimeoutMs, "Unload");
}

}  // namespace

const char* ScenarioNames() {
  return "switching, close-and-restart, show-pal";
}

bool RunScenario(const std::string& name, const ScenarioContext& context) {
  if (name == "switching") {
    Switching(context);
  } else if (name == "close-and-restart") {
    CloseAndRestart(context);
  } else if (name == "show-pal") {
    ShowPal(context);
  } else {
    return false;
  }
  return true;
}

}  // namespace e2e
