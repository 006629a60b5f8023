#include "script_scenarios.h"

#include <windows.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/texts.h"
#include "check.h"
#include "main_window.h"
#include "platform/win32/forwarded_standard.h"
#include "platform/win32/resource.h"
#include "program.h"
#include "settings_store.h"
#include "windows_ui.h"

namespace e2e {
namespace texts = zanvo::app::texts;

namespace {

// A batch file waits for each program it calls, a windowed one too: a call that stayed
// resident would hold it until the program were unloaded.
constexpr DWORD kBatchTimeoutMs = 60000;
// A call whose resident copy starts up without trouble: a display re-set and a field timed,
// far below the 30 s a call waits for a start-up at most.
constexpr DWORD kQuickCallMs = 10000;

// A batch file that runs the program once per switch and notes, per call, the switch without
// its slash and the exit code; started with "cmd /c".
class Batch {
 public:
  Batch(const ScenarioContext& context, const char* name, const std::vector<const char*>& switches)
      : name_(name), result_(context.output_dir + "\\" + name + ".txt") {
    const std::string batch = context.output_dir + "\\" + name + ".bat";
    DeleteFileA(result_.c_str());
    std::ofstream out(batch, std::ios::binary);
    out << "@echo off\r\n";
    for (const char* s : switches) {
      out << "\"" << context.program << "\" " << s << "\r\necho " << (s + 1)
          << " %ERRORLEVEL% >>\"" << result_ << "\"\r\n";
    }
    out.close();
    char folder[MAX_PATH] = {};
    GetSystemDirectoryA(folder, sizeof folder);
    cmd_ = std::make_unique<Program>(std::string(folder) + "\\cmd.exe", nullptr,
                                     "/c \"" + batch + "\"");
  }
  // Fails unless the batch ends in time having seen `expected`.
  void Expect(const std::string& expected) {
    cmd_->WaitForExit(kBatchTimeoutMs, name_.c_str());
    std::ifstream in(result_);
    std::string word, seen;
    while (in >> word)
      seen += (seen.empty() ? "" : " ") + word;
    if (seen != expected) {
      Fail(name_ + ": the batch file saw \"" + seen + "\", expected \"" + expected + "\"");
    }
    Pass(name_ + ": the batch file ended and saw " + expected);
  }

 private:
  std::string name_;
  std::string result_;
  std::unique_ptr<Program> cmd_;
};

void ExpectBatch(const ScenarioContext& context, const char* name,
                 const std::vector<const char*>& switches, const std::string& expected) {
  Batch(context, name, switches).Expect(expected);
}

// The main windows of the program's copies now on the screen.
int MainWindowCount() {
  int count = 0;
  for (HWND w = nullptr;
       (w = FindWindowExA(nullptr, w, zanvo::win32::kMainWindowClass, nullptr)) != nullptr;) {
    ++count;
  }
  return count;
}

// The copy that stays resident, by its main window's class; the copy that showed a usage box
// (`other`) has one too until it has ended.
DWORD ResidentProcess(DWORD other) {
  DWORD found = 0;
  WaitFor("a resident copy's main window", 20000, [&] {
    for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, zanvo::win32::kMainWindowClass,
                                              nullptr)) != nullptr;) {
      GetWindowThreadProcessId(w, &found);
      if (found != other) return true;
    }
    return false;
  });
  return found;
}

}  // namespace

DWORD CloseUsageBox(const char* not_understood) {
  const std::string text = std::string(texts::kNotUnderstood) + " " + not_understood + "\r\n\r\n" +
                           texts::kUsage;
  HWND box = WaitFor(Format("the usage box naming %s", not_understood), 30000,
                     [&] { return FindTopLevelShowing(0, text.c_str()); });
  PressDialogButton(box, IDOK);
  DWORD pid = 0;
  GetWindowThreadProcessId(box, &pid);
  PressDialogButton(box, IDOK);
  WaitFor("the usage box to close", 10000, [&] { return !IsWindow(box); });
  Pass(Format("the usage box named %s", not_understood));
  return pid;
}

void ScriptCalls(const ScenarioContext& context) {
  ForgetSettings();
  LetWineDrawFrames();
  // The usage box of /secam is still up (its copy's window too) when /pal finds no copy running.
  ExpectBatch(context, "script-pal", {"/secam", "/pal"}, "secam 2 pal 0");
  const DWORD usage_copy = CloseUsageBox("/secam");
  Program resident(ResidentProcess(usage_copy));
  HWND main = WaitForMainWindow(resident);
  ExpectStandardButton(main, IDC_MODE_PAL, "PAL from the script's first call");
  ExpectRates(main, kPalRates);
  ExpectNoQuestionFor(resident, 2000);

  ExpectBatch(context, "script-vga", {"/vga"}, "vga 0");
  ExpectStandardButton(main, IDC_MODE_VGA, "VGA from the script");
  ExpectRates(main, kVgaRates);
  Unload(resident, main);
  ExpectStoredText(texts::kValueVideoStandard, texts::kStandardVga);

  // Two calls at once with no copy running: both end with 0, one resident copy is left in PAL.
  WaitFor("no copy running", 10000, [] { return MainWindowCount() == 0; });
  Batch first(context, "script-pal-a", {"/pal"});
  Batch second(context, "script-pal-b", {"/pal"});
  first.Expect("pal 0");
  second.Expect("pal 0");
  Program lone(ResidentProcess(0));
  HWND lone_main = WaitForMainWindow(lone);
  WaitFor("one resident copy", 10000, [] { return MainWindowCount() == 1; });
  Pass("one resident copy is left");
  ExpectStandardButton(lone_main, IDC_MODE_PAL, "PAL from two calls at once");
  ExpectRates(lone_main, kPalRates);
  Unload(lone, lone_main);

  // /vga with no copy running: the resident copy re-sets the display at its start-up, and the
  // call that waits for it answers the change broadcast meanwhile, so it ends at once.
  WaitFor("no copy running", 10000, [] { return MainWindowCount() == 0; });
  const DWORD vga_start = GetTickCount();
  ExpectBatch(context, "script-vga-alone", {"/vga"}, "vga 0");
  const DWORD vga_ms = GetTickCount() - vga_start;
  if (vga_ms > kQuickCallMs) {
    Fail(Format("/vga with no copy running took %lu ms", static_cast<unsigned long>(vga_ms)));
  }
  Pass(Format("/vga with no copy running ended in %lu ms", static_cast<unsigned long>(vga_ms)));
  Program vga_copy(ResidentProcess(0));
  HWND vga_main = WaitForMainWindow(vga_copy);
  ExpectStandardButton(vga_main, IDC_MODE_VGA, "VGA from a call with no copy running");
  ExpectRates(vga_main, kVgaRates);
  Unload(vga_copy, vga_main);
}

}  // namespace e2e
