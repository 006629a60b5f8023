#include "scenarios.h"

#include <optional>

#include "app/texts.h"
#include "check.h"
#include "layout_check.h"
#include "main_window.h"
#include "platform/win32/resource.h"
#include "program.h"
#include "screenshot.h"
#include "script_scenarios.h"
#include "settings_store.h"
#include "virtual_tv.h"
#include "windows_ui.h"

namespace e2e {
namespace texts = zanvo::app::texts;

namespace {

// The pointer rests in a corner, away from the window, so that no hint pops up over it.
void ParkPointer() {
  SetCursorPos(0, GetSystemMetrics(SM_CYSCREEN) - 1);
}

// Every scenario starts from no stored settings, Wine drawing the window frames, the pointer
// parked.
void StartClean() {
  ForgetSettings();
  LetWineDrawFrames();
  ParkPointer();
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
  StartClean();
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

  Unload(program, main);
  ExpectStoredText(texts::kValueVideoStandard, texts::kStandardVga);
  ExpectStoredDword(texts::kValueSaveChanges, 1);
  ExpectStoredDword(texts::kValueVisible, 1);
}

// Unload with "Exit to VGA mode" stores the standard of the radio buttons ("PAL"); the next
// start comes up in PAL without a question; "Close to VGA" stores "VGA", and the start after
// that stays on VGA until the tray's "Close".
void CloseAndRestart(const ScenarioContext& context) {
  StartClean();
  {
    Program program(context.program);
    HWND main = WaitForMainWindow(program);
    if (!IsChecked(Control(main, IDC_EXIT_VGA, "chkExitVGA")))
      Fail("\"Exit to VGA mode\" is not checked on a first run");
    ChooseTvStandard(program, main, IDC_MODE_PAL, KeepAnswer::kYes);
    ExpectRates(main, kPalRates);
    Unload(program, main);
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

// The main window, the keep-settings dialog and the about box as laid out: places and sizes in
// client coordinates (a control inside a group box sits at the box's place plus its own) and the
// captions the program gives its windows.
void Layout(const ScenarioContext& context) {
  StartClean();
  Program program(context.program);
  HWND main = WaitForMainWindow(program);
  WaitFor("the main window to be shown on a first run", 10000,
          [&] { return IsWindowVisible(main); });
  ExpectClientSize(main, 395, 222, "main window");
  ExpectLayout(main,
               {
                   {IDC_BTN_CLOSE, "btnClose", 18, 167, 75, 28, texts::kUnload},
                   {IDC_MODE_BOX, "modeBox", 109, 8, 137, 105, texts::kModeBox},
                   {IDC_MODE_VGA, "chkModeVGA", 117, 24, 113, 17, texts::kModeVga},
                   {IDC_MODE_PAL, "chkModePAL", 117, 46, 113, 17, texts::kModePal},
                   {IDC_MODE_NTSC, "chkModeNTSC", 117, 69, 88, 16, texts::kModeNtsc},
                   {IDC_MODE_SEGA, "chkModeSega", 117, 89, 113, 20, texts::kModeSega},
                   {IDC_OPTIONS_BOX, "boxOptions", 109, 113, 137, 105, texts::kOptionsBox},
                   {IDC_ISP, "chkISP", 115, 129, 122, 17, texts::kIsp},
                   {IDC_NO_INTERLACE, "chkNoInterlace", 115, 145, 97, 17, texts::kNoInterlace},
                   {IDC_OE_VSYNC, "chkOEVSyncSz", 115, 161, 129, 17, texts::kOeVSyncSz},
                   {IDC_EXIT_VGA, "chkExitVGA", 115, 177, 105, 17, texts::kExitVga},
                   {IDC_SAVE_EXIT, "chkSaveExit", 115, 193, 121, 17, texts::kSaveExit},
                   {IDC_HFREQ, "editHFreq", 323, 156, 65, 21, nullptr},
                   {IDC_VFREQ, "editVFreq", 323, 180, 65, 21, nullptr},
                   {IDC_CHIPSET_BOX, "GroupBoxChipset", 251, 8, 139, 131, texts::kChipsetBox},
                   {IDC_CHIPSETS, "comboChipsets", 257, 40, 128, -1, nullptr},
                   {IDC_MODELS, "comboModels", 257, 80, 128, -1, nullptr},
                   {IDC_DETECT, "btnDetect", 257, 104, 75, 28, texts::kDetect},
                   {IDC_DETECT_NEXT, "btnDetectNext", 334, 104, 51, 28, texts::kDetectNext},
                   {IDC_OUTPUT_BOX, "grpOutput", 5, 8, 100, 105, texts::kOutputBox},
                   {IDC_UP, "btnUp", 44, 29, 23, 22, nullptr},
                   {IDC_LEFT, "btnLeft", 18, 53, 23, 22, nullptr},
                   {IDC_RIGHT, "btnRight", 70, 53, 23, 22, nullptr},
                   {IDC_DOWN, "btnDown", 44, 77, 23, 22, nullptr},
                   {IDC_PIC_SCREEN, "picScreen", 47, 56, 17, 17, nullptr},
               },
               "main window");
  if (IsWindowEnabled(Control(main, IDC_DETECT_NEXT, "btnDetectNext")))
    Fail("\"Next\" is enabled before any detection");
  Pass("\"Next\" is disabled before any detection");

  Click(Control(main, IDC_MODE_PAL, "chkModePAL"));
  HWND confirm = WaitFor("the \"Display Properties\" confirmation", 20000,
                         [&] { return FindTopLevel(program.pid(), texts::kConfirmCaption, true); });
  PressDialogButton(confirm, IDOK);
  HWND dialog = WaitFor("the \"Monitor/TV Settings\" dialog", 20000,
                        [&] { return FindTopLevel(program.pid(), texts::kAcceptCaption, true); });
  ExpectClientSize(dialog, 348, 92, "keep-settings dialog");
  ExpectLayout(dialog,
               {
                   {IDC_ACCEPT_ICON, "infoIcon", 16, 12, 32, 32, nullptr},
                   {IDC_ACCEPT_TEXT, "Label1", 56, 12, 277, 26, texts::kAcceptQuestion},
                   {IDC_ACCEPT_REVERT, "lblRevert", 12, 60, 118, 13, nullptr},
                   {IDC_ACCEPT_NO, "btnCancel", 264, 56, 75, 25, texts::kAcceptNo},
                   {IDC_ACCEPT_YES, "btnOk", 180, 56, 75, 25, texts::kAcceptYes},
               },
               "keep-settings dialog");
  Click(Control(dialog, IDC_ACCEPT_NO, "btnCancel"));
  WaitFor("the keep-settings dialog to close", 10000, [&] { return !IsWindow(dialog); });
  ExpectStandardButton(main, IDC_MODE_VGA, "VGA after No");

  PostMessageA(main, WM_COMMAND, IDM_ABOUT, 0);
  HWND about = WaitFor("the about box", 10000,
                       [&] { return FindTopLevel(program.pid(), texts::kAboutCaption, true); });
  RECT outer{};
  GetWindowRect(about, &outer);
  if (outer.right - outer.left != 306 || outer.bottom - outer.top != 252) {
    Fail(Format("about box: %ld x %ld, expected 306 x 252", outer.right - outer.left,
                outer.bottom - outer.top));
  }
  for (const auto& [id, text] : {std::pair{IDC_ABOUT_PRODUCT, texts::kAboutProduct},
                                 std::pair{IDC_ABOUT_VERSION, texts::kAboutVersion},
                                 std::pair{IDC_ABOUT_OK, texts::kAboutOk}}) {
    if (TextOf(Control(about, id, "about box control")) != text)
      Fail(Format("about box: \"%s\" missing", text));
  }
  Pass("about box: 306 x 252 with product, version and OK");
  Click(Control(about, IDC_ABOUT_OK, "OKButton"));
  WaitFor("the about box to close", 10000, [&] { return !IsWindow(about); });

  Unload(program, main);
}

// On an 800x600 desktop of the S3 Trio64, an interlacing chip: NTSC with interlace allowed
// cannot fit (600 lines halved are still more than a field) and is refused with the monitor
// timings back; with "No interlace" checked the same switch fits by skipping lines, and is kept.
void Refusal(const ScenarioContext& context) {
  StartClean();
  Program program(context.program);
  HWND main = WaitForMainWindow(program);
  ExpectRates(main, kVga800x600Rates);
  DetectChipset(main, "S3", "Trio32/64");

  ChooseRefusedTvStandard(program, main, IDC_MODE_NTSC);
  ExpectStandardButton(main, IDC_MODE_VGA, "VGA after the refusal");
  ExpectRates(main, kVga800x600Rates);

  Click(Control(main, IDC_NO_INTERLACE, "chkNoInterlace"));
  ChooseTvStandard(program, main, IDC_MODE_NTSC, KeepAnswer::kYes);
  ExpectStandardButton(main, IDC_MODE_NTSC, "NTSC without interlace");
  ExpectRates(main, kNtscRates);

  Unload(program, main);
  ExpectStoredText(texts::kValueVideoStandard, texts::kStandardNtsc);
  ExpectStoredDword(texts::kValueInterlaced, 0);
}

// The ET4000 model chosen by hand on an ET3000 at 640x480: its clock bits double the line rate and
// the line count together, so the field is right and only the line rate shows the miss. No
// sibling and not the row's own clock brings PAL's line back: "Video mode unsupported!" and the
// monitor timings back, no keep-settings dialog, and nothing but VGA stored.
void MeasuredRefusal(const ScenarioContext& context) {
  StartClean();
  Program program(context.program);
  HWND main = WaitForMainWindow(program);
  ExpectRates(main, kVgaRates);
  DetectChipset(main, "Tseng Labs", "ET3000");
  ChooseModel(main, "ET4000");

  ChooseRefusedTvStandard(program, main, IDC_MODE_PAL);
  ExpectStandardButton(main, IDC_MODE_VGA, "VGA after the measured refusal");
  ExpectRates(main, kVgaRates);

  Unload(program, main);
  ExpectStoredText(texts::kValueVideoStandard, texts::kStandardVga);
}

// A TV switch whose first measurement misses and that recovers by itself: detected as
// `brand` / `detected`, the standard behind `radio_id` is asked about, kept with Yes, read at its
// rates, and the model list shows `shown_model`.
void ExpectRecoveredSwitch(const ScenarioContext& context, const char* brand, const char* detected,
                           int radio_id, const ExpectedRates& rates, const char* shown_model) {
  StartClean();
  Program program(context.program);
  HWND main = WaitForMainWindow(program);
  ExpectRates(main, kVgaRates);
  DetectChipset(main, brand, detected);

  ChooseTvStandard(program, main, radio_id, KeepAnswer::kYes);
  ExpectStandardButton(main, radio_id, "the recovered standard");
  ExpectRates(main, rates);
  const std::string model = TextOf(Control(main, IDC_MODELS, "comboModels"));
  if (model != shown_model)
    Fail("the model list shows \"" + model + "\", not \"" + shown_model + "\"");
  Pass(Format("%s measured right under \"%s\", which the model list shows", rates.name,
              shown_model));

  Unload(program, main);
  ExpectStoredText(texts::kValueVideoStandard, rates.name);  // "PAL" and "NTSC" as stored
}

// The SiS 6326 doubles NTSC's field at 640x480 under its clock step, and no other SiS model is
// safe to try on it: the row's own clock (its crystal and the standard halving) measures right,
// so NTSC is kept under the model the user had.
void OwnClockRecovery(const ScenarioContext& context) {
  ExpectRecoveredSwitch(context, "SiS", "Generic", IDC_MODE_NTSC, kNtscRates, "Generic");
}

// The ET4000 model's clock step doubles PAL's field at 640x480; the switch tries "Generic", the
// other Tseng model safe on the chip, which measures right: PAL stays, the model list shows
// "Generic", and it is stored as any kept switch. An interlacing Tseng chip counts the frame's
// lines in the CRTC's vertical total, which gives twice PAL's line rate; the readout shows the
// lines it counted instead: PAL's 15.7 kHz.
void SiblingRecovery(const ScenarioContext& context) {
  ExpectRecoveredSwitch(context, "Tseng Labs", "ET4000", IDC_MODE_PAL, kPalRates, "Generic");
  ExpectStoredDword(texts::kValueModel, 0);
}

// Holds a Shift key down, as a person does while the program starts, through the system's input
// queue: the program asks for the key's physical state, which no window of its own has seen.
class ShiftHeld {
 public:
  ShiftHeld() {
    Press(0);
    if ((GetAsyncKeyState(VK_SHIFT) & 0x8000) == 0) Fail("Shift pressed, but not seen as down");
  }
  ~ShiftHeld() { Press(KEYEVENTF_KEYUP); }
  ShiftHeld(const ShiftHeld&) = delete;
  ShiftHeld& operator=(const ShiftHeld&) = delete;

 private:
  static void Press(DWORD flags) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = VK_LSHIFT;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(VK_LSHIFT, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = flags;
    if (SendInput(1, &input, sizeof input) != 1)
      Fail(Format("SendInput of Shift failed (error %lu)", GetLastError()));
  }
};

// PAL kept and stored; a start with Shift held comes up in VGA, asks nothing and leaves "PAL"
// stored; the start after that, without Shift, is in PAL again.
void ShiftAtStartUp(const ScenarioContext& context) {
  StartClean();
  {
    Program program(context.program);
    HWND main = WaitForMainWindow(program);
    ChooseTvStandard(program, main, IDC_MODE_PAL, KeepAnswer::kYes);
    Unload(program, main);
    ExpectStoredText(texts::kValueVideoStandard, texts::kStandardPal);
  }
  {
    std::optional<ShiftHeld> shift;
    shift.emplace();
    Program program(context.program);
    HWND main = WaitForMainWindow(program);
    ExpectRates(main, kVgaRates);
    shift.reset();
    ExpectStandardButton(main, IDC_MODE_VGA, "VGA with Shift held at start-up");
    ExpectNoQuestionFor(program, 3000);
    ExpectRates(main, kVgaRates);
    // A switch answered No keeps nothing: the skipped PAL stays stored.
    ChooseTvStandard(program, main, IDC_MODE_NTSC, KeepAnswer::kNo);
    ExpectStandardButton(main, IDC_MODE_VGA, "VGA after No");
    ExpectRates(main, kVgaRates);
    Unload(program, main);
    ExpectStoredText(texts::kValueVideoStandard, texts::kStandardPal);
    Pass("Shift at start-up: VGA, NTSC answered No, and \"PAL\" still stored");
  }
  {
    Program program(context.program);
    HWND main = WaitForMainWindow(program);
    ExpectRates(main, kPalRates);
    ExpectStandardButton(main, IDC_MODE_PAL, "PAL restored without Shift");
    Unload(program, main);
  }
}

// For the run command: PAL chosen and kept, pictures of the window and the Virtual TV, then
// Unload.
void ShowPal(const ScenarioContext& context) {
  LetWineDrawFrames();
  ParkPointer();
  Program program(context.program);
  HWND main = WaitForMainWindow(program);
  ShowWindow(main, SW_SHOWNORMAL);
  ChooseTvStandard(program, main, IDC_MODE_PAL, KeepAnswer::kYes);
  ExpectRates(main, kPalRates);
  PictureOfMainWindow(main, context);
  PictureOfVirtualTv(WaitForVirtualTv(program), context.output_dir + "\\virtual-tv-pal.bmp");
  Unload(program, main);
}

}  // namespace

bool RunNamedScenario(std::span<const NamedScenario> scenarios, const std::string& name,
                      const ScenarioContext& context) {
  for (const NamedScenario& scenario : scenarios) {
    if (name != scenario.name) continue;
    scenario.run(context);
    return true;
  }
  return false;
}

std::string NamesOf(std::span<const NamedScenario> scenarios) {
  std::string names;
  for (const NamedScenario& scenario : scenarios)
    names += (names.empty() ? "" : ", ") + std::string(scenario.name);
  return names;
}

// A script switches the running copy: a second copy started with a standard's switch hands it
// over and ends at once with 0 when the switch was made; an unknown switch shows the usage and
// ends with 2, changing nothing. No question is asked of the script.
void CommandLine(const ScenarioContext& context) {
  StartClean();
  Program program(context.program);
  HWND main = WaitForMainWindow(program);
  ExpectRates(main, kVgaRates);

  const auto run_second = [&](const char* arguments) {
    Program second(context.program, nullptr, arguments);
    return second.WaitForExit(kExitTimeoutMs, arguments);
  };
  DWORD code = run_second("/pal");
  if (code != 0) Fail(Format("zanvo-virtual.exe /pal ended with %lu, not 0", code));
  ExpectStandardButton(main, IDC_MODE_PAL, "PAL from the command line");
  ExpectRates(main, kPalRates);
  if (FindTopLevelShowing(program.pid(), texts::kAcceptQuestion))
    Fail("the running copy asks whether to keep a scripted switch");
  Pass("a second copy's /pal switched the running copy, which asked nothing; exit code 0");

  // The call ends with 2 before anyone answers the box, which a copy of its own shows.
  code = run_second("/secam");
  if (code != 2) Fail(Format("zanvo-virtual.exe /secam ended with %lu, not 2", code));
  CloseUsageBox("/secam");
  ExpectRates(main, kPalRates);
  Pass("an unknown switch ended with 2 at once, its box named it, and nothing changed");

  code = run_second("-VGA");
  if (code != 0) Fail(Format("zanvo-virtual.exe -VGA ended with %lu, not 0", code));
  ExpectStandardButton(main, IDC_MODE_VGA, "VGA from the command line");
  ExpectRates(main, kVgaRates);
  Pass("-VGA brought the monitor timings back; exit code 0");

  Unload(program, main);
  ExpectStoredText(texts::kValueVideoStandard, texts::kStandardVga);
}

std::span<const NamedScenario> Scenarios() {
  static constexpr NamedScenario kScenarios[] = {
      {"switching", Switching},
      {"close-and-restart", CloseAndRestart},
      {"layout", Layout},
      {"refusal", Refusal},
      {"measured-refusal", MeasuredRefusal},
      {"own-clock-recovery", OwnClockRecovery},
      {"show-pal", ShowPal},
      {"virtual-tv", VirtualTvFollowsShiftLeft},
      {"command-line", CommandLine},
      {"sibling-recovery", SiblingRecovery},
      {"shift-at-start-up", ShiftAtStartUp},
      {"script", ScriptCalls},
  };
  return kScenarios;
}

}  // namespace e2e
