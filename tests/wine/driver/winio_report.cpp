#include "winio_report.h"

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <utility>

#include "check.h"

namespace e2e {

namespace {

bool StartsWith(const std::string& text, const char* prefix) {
  return text.rfind(prefix, 0) == 0;
}

// Windows file names compare without regard to case.
std::string Lower(std::string text) {
  CharLowerBuffA(text.data(), static_cast<DWORD>(text.size()));
  return text;
}

}  // namespace

WinIoReport::WinIoReport(std::string path) : path_(std::move(path)) {
  DeleteFileA(path_.c_str());
  SetEnvironmentVariableA("ZANVO_WINIO_REPORT", path_.c_str());
}

std::vector<std::string> WinIoReport::Lines() const {
  std::vector<std::string> lines;
  std::ifstream file(path_);
  for (std::string line; std::getline(file, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::vector<std::string> WinIoReport::LinesStarting(const char* prefix) const {
  std::vector<std::string> found;
  for (const std::string& line : Lines())
    if (StartsWith(line, prefix)) found.push_back(line);
  return found;
}

void WinIoReport::ExpectLoadedFrom(const std::string& folder) const {
  for (const std::string& planted : LinesStarting("planted copy loaded"))
    Fail(Format("winio.dll: the %s", planted.c_str()));
  const auto loaded = LinesStarting("loaded ");
  const std::string expected = Lower("loaded " + folder + "\\winio.dll");
  if (loaded.empty()) Fail("winio.dll: the test double was never loaded");
  for (const std::string& line : loaded)
    if (Lower(line) != expected)
      Fail(Format("winio.dll: \"%s\", expected \"%s\"", line.c_str(), expected.c_str()));
  if (LinesStarting("opened").empty()) Fail("winio.dll: InitializeWinIo did not open the double");
  Pass(Format("winio.dll loaded from the program folder only (%s)", loaded[0].c_str()));
}

void WinIoReport::ExpectNothingLoaded() const {
  for (const std::string& line : Lines())
    if (StartsWith(line, "planted copy loaded") || StartsWith(line, "loaded "))
      Fail(Format("winio.dll: \"%s\" although none lies in the program folder", line.c_str()));
  Pass("no winio.dll was loaded from the current folder or PATH");
}

void WinIoReport::ExpectWindows(const char* version) const {
  const auto told = LinesStarting("windows ");
  const std::string expected = std::string("windows ") + version;
  if (told.empty() || told.back() != expected)
    Fail(Format("the program was told \"%s\", expected \"%s\"",
                told.empty() ? "nothing" : told.back().c_str(), expected.c_str()));
  Pass(Format("the program ran as %s", expected.c_str()));
}

void WinIoReport::ExpectClosedWith(double khz_low, double khz_high, double hz_low,
                                   double hz_high) const {
  const auto closed = LinesStarting("closed with signal ");
  if (closed.empty()) Fail("winio.dll: ShutdownWinIo never closed the double");
  double khz = 0, hz = 0;
  if (std::sscanf(closed.back().c_str(), "closed with signal %lf kHz %lf Hz", &khz, &hz) != 2 ||
      khz < khz_low || khz > khz_high || hz < hz_low || hz > hz_high)
    Fail(Format("winio.dll: \"%s\", expected %.1f-%.1f kHz and %.0f-%.0f Hz", closed.back().c_str(),
                khz_low, khz_high, hz_low, hz_high));
  Pass(Format("the card was left with %.2f kHz / %.2f Hz", khz, hz));
}

void WinIoReport::ExpectModeReloaded() const {
  if (LinesStarting("display mode re-set").empty())
    Fail("winio.dll: no display-mode re-set reached the double");
  Pass("the system's display-mode re-set reloaded the card's monitor timings");
}

}  // namespace e2e
