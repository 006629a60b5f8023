#include "main_window.h"

#include <cmath>
#include <cstdlib>

#include "app/texts.h"
#include "check.h"
#include "platform/win32/resource.h"
#include "windows_ui.h"

namespace e2e {
namespace texts = zanvo::app::texts;

namespace {

constexpr DWORD kStartTimeoutMs = 30000;
constexpr DWORD kDialogTimeoutMs = 10000;
constexpr DWORD kReadoutTimeoutMs = 15000;
// The keep-settings dialog answers No by itself after 15 one-second ticks.
constexpr DWORD kCountdownTimeoutMs = 30000;
// How long a finished switch is watched for a further question.
constexpr DWORD kSettleMs = 2000;
constexpr UINT kTrayCallback = 0x40A;  // WM_USER + 10
constexpr UINT kTrayIconId = 1;

double LeadingNumber(const std::string& text) {
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  return end == text.c_str() ? NAN : value;
}

bool Within(double value, double low, double high) {
  return value >= low && value <= high;
}

HWND ConfirmationBox(DWORD pid) {
  return FindTopLevel(pid, texts::kConfirmCaption, true);
}
HWND KeepDialog(DWORD pid) {
  return FindTopLevel(pid, texts::kAcceptCaption, true);
}

}  // namespace

HWND WaitForMainWindow(const Program& program) {
  HWND main = WaitFor("the main window \"ZANVO For Windows\"", kStartTimeoutMs, [&] {
    if (!program.Running()) Fail("the program ended before its main window appeared");
    HWND w = FindTopLevel(program.pid(), texts::kAppTitle, false);
    // The window's controls are made one after another while it is created; another process
    // can see it half made. The picture is the last of them.
    return w && FindControl(w, IDC_HFREQ) && FindControl(w, IDC_PIC_SCREEN) ? w : nullptr;
  });
  Pass("main window found");
  return main;
}

void ExpectRates(HWND main, const ExpectedRates& rates) {
  HWND h_edit = Control(main, IDC_HFREQ, "editHFreq");
  HWND v_edit = Control(main, IDC_VFREQ, "editVFreq");
  std::string h_text, v_text;
  const bool inside = PollUntil(kReadoutTimeoutMs, [&] {
    PostMessageA(main, WM_NULL, 0, 0);
    h_text = TextOf(h_edit);
    v_text = TextOf(v_edit);
    return Within(LeadingNumber(h_text), rates.khz_low, rates.khz_high) &&
           Within(LeadingNumber(v_text), rates.hz_low, rates.hz_high);
  });
  if (!inside)
    Fail(Format("readout \"%s\" / \"%s\" is not %s (%.1f-%.1f kHz, %.0f-%.0f Hz)", h_text.c_str(),
                v_text.c_str(), rates.name, rates.khz_low, rates.khz_high, rates.hz_low,
                rates.hz_high));
  Pass(Format("readout \"%s\" / \"%s\" is %s", h_text.c_str(), v_text.c_str(), rates.name));
}

void ExpectStandardButton(HWND main, int id, const char* name) {
  static constexpr int kRadios[] = {IDC_MODE_VGA, IDC_MODE_PAL, IDC_MODE_NTSC, IDC_MODE_SEGA};
  // A dialog's window may be gone a moment before the program has finished handling its answer
  // (a display-mode re-set, then the buttons): the buttons get that moment to follow.
  std::string wrong;
  const bool settled = PollUntil(kDialogTimeoutMs, [&] {
    wrong.clear();
    for (int radio : kRadios) {
      const bool checked = IsChecked(Control(main, radio, "a video standard button"));
      if (checked != (radio == id)) {
        wrong = Format("radio button %d is %s while %s should be the only one checked", radio,
                       checked ? "checked" : "unchecked", name);
        return false;
      }
    }
    return true;
  });
  if (!settled) Fail(wrong);
  Pass(Format("%s is the checked standard", name));
}

void Unload(Program& program, HWND main) {
  Click(Control(main, IDC_BTN_CLOSE, "btnClose"));
  program.WaitForExit(kExitTimeoutMs, "Unload");
}

void DetectChipset(HWND main, const char* brand, const char* model) {
  Click(Control(main, IDC_DETECT, "btnDetect"));
  std::string shown_brand, shown_model;
  const bool shown = PollUntil(kDialogTimeoutMs, [&] {
    shown_brand = TextOf(Control(main, IDC_CHIPSETS, "comboChipsets"));
    shown_model = TextOf(Control(main, IDC_MODELS, "comboModels"));
    return shown_brand == brand && shown_model == model;
  });
  if (!shown)
    Fail(Format("Detect shows \"%s\" / \"%s\", expected \"%s\" / \"%s\"", shown_brand.c_str(),
                shown_model.c_str(), brand, model));
  Pass(Format("Detect shows \"%s\" / \"%s\"", brand, model));
}

void ChooseModel(HWND main, const char* model) {
  HWND combo = Control(main, IDC_MODELS, "comboModels");
  const LRESULT index = SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                     reinterpret_cast<LPARAM>(model));
  if (index == CB_ERR) Fail(Format("the model list has no \"%s\"", model));
  // A user's pick: the list's selection, then the notification the main window handles. The
  // program may still be finishing the detection's own update of the list, which puts the
  // detected model back; the pick is made again until the list keeps it.
  const bool kept = PollUntil(kDialogTimeoutMs, [&] {
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageA(main, WM_COMMAND, MAKEWPARAM(IDC_MODELS, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
    Sleep(200);
    return TextOf(combo) == model;
  });
  if (!kept) Fail(Format("the model list shows \"%s\", not \"%s\"", TextOf(combo).c_str(), model));
  Pass(Format("model \"%s\" chosen by hand", model));
}

void ChooseRefusedTvStandard(const Program& program, HWND main, int radio_id) {
  Click(Control(main, radio_id, "a TV standard button"));
  HWND box = WaitFor("the \"Display Properties\" box", kDialogTimeoutMs,
                     [&] { return ConfirmationBox(program.pid()); });
  PressDialogButton(box, IDOK);
  HWND refusal = WaitFor("the \"Video mode unsupported!\" box", kDialogTimeoutMs, [&] {
    if (HWND keep = KeepDialog(program.pid())) {
      Fail(Format("the keep-settings dialog (\"%s\") opened for a switch that cannot fit",
                  TextOf(keep).c_str()));
    }
    return FindTopLevelShowing(program.pid(), texts::kModeUnsupported);
  });
  Pass("\"Video mode unsupported!\" shown");
  PressDialogButton(refusal, IDABORT);
  WaitFor("the refusal box to close", kDialogTimeoutMs, [&] { return !IsWindow(refusal); });
  if (HWND keep = PollUntil(kSettleMs, [&] { return KeepDialog(program.pid()); }))
    Fail(Format("a keep-settings dialog (\"%s\") opened after the refusal", TextOf(keep).c_str()));
}

double ChooseTvStandard(const Program& program, HWND main, int radio_id, KeepAnswer answer) {
  Click(Control(main, radio_id, "a TV standard button"));

  HWND box = WaitFor("the \"Display Properties\" box", kDialogTimeoutMs,
                     [&] { return ConfirmationBox(program.pid()); });
  if (!FindTopLevelShowing(program.pid(), texts::kConfirmText))
    Fail("the \"Display Properties\" box does not show the confirmation text");
  PressDialogButton(box, IDOK);
  Pass("\"Display Properties\" confirmed with OK");

  HWND dialog = WaitFor("the \"Monitor/TV Settings\" dialog", kDialogTimeoutMs,
                        [&] { return KeepDialog(program.pid()); });
  const ULONGLONG opened = GetTickCount64();
  const std::string revert = TextOf(Control(dialog, IDC_ACCEPT_REVERT, "lblRevert"));
  int seconds = -1;
  if (std::sscanf(revert.c_str(), texts::kRevertFormat, &seconds) != 1 || seconds < 13 ||
      seconds > 15)
    Fail(Format("the countdown label reads \"%s\" just after the dialog opened", revert.c_str()));

  switch (answer) {
    case KeepAnswer::kYes:
      Click(Control(dialog, IDC_ACCEPT_YES, "btnOk"));
      break;
    case KeepAnswer::kNo:
      Click(Control(dialog, IDC_ACCEPT_NO, "btnCancel"));
      break;
    case KeepAnswer::kWaitForTimeout:
      break;
  }
  const DWORD limit =
      answer == KeepAnswer::kWaitForTimeout ? kCountdownTimeoutMs : kDialogTimeoutMs;
  WaitFor("the keep-settings dialog to close", limit,
          [&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); });
  const double open_for = static_cast<double>(GetTickCount64() - opened) / 1000.0;
  const char* answered = answer == KeepAnswer::kYes  ? "Yes"
                         : answer == KeepAnswer::kNo ? "No"
                                                     : "by its countdown";
  Pass(Format("keep-settings dialog answered %s after %.1f s", answered, open_for));
  // One switch is one display change: the answer must be the end of it.
  if (HWND again = PollUntil(kSettleMs, [&] { return KeepDialog(program.pid()); }))
    Fail(Format("another keep-settings dialog (\"%s\") opened after answering %s",
                TextOf(Control(again, IDC_ACCEPT_REVERT, "lblRevert")).c_str(), answered));
  return open_for;
}

void ExpectNoQuestionFor(const Program& program, DWORD ms) {
  HWND question = PollUntil(ms, [&] {
    HWND w = ConfirmationBox(program.pid());
    return w ? w : KeepDialog(program.pid());
  });
  if (question) Fail(Format("a dialog \"%s\" appeared", TextOf(question).c_str()));
  Pass(Format("no question asked within %lu s", ms / 1000));
}

void PickTrayMenuItem(const Program& program, HWND main, char mnemonic, const char* item) {
  // The icon reports mouse messages over it in lParam; the menu opens on the right press.
  PostMessageA(main, kTrayCallback, kTrayIconId, WM_RBUTTONDOWN);
  HWND menu = WaitFor("the tray menu", kDialogTimeoutMs,
                      [&] { return FindVisibleOfClass(program.pid(), "#32768"); });
  // The menu's modal loop reads the keyboard messages of its thread.
  PostMessageA(menu, WM_CHAR, static_cast<WPARAM>(mnemonic), 0);
  WaitFor("the tray menu to close", kDialogTimeoutMs,
          [&] { return !IsWindow(menu) || !IsWindowVisible(menu); });
  Pass(Format("tray menu item \"%s\" picked", item));
}

}  // namespace e2e
