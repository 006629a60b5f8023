#pragma once
// The lines the winio.dll test double writes while zanvo.exe runs (see its report.h): which
// copy was loaded, the Windows version the program was told, each display-mode re-set it
// answered, and the card's signal when the program closed port access.

#include <string>
#include <vector>

namespace e2e {

class WinIoReport {
 public:
  // Points the double at `path` (through ZANVO_WINIO_REPORT, which the program inherits) and
  // empties the file.
  explicit WinIoReport(std::string path);

  std::vector<std::string> Lines() const;
  // Lines that start with `prefix`.
  std::vector<std::string> LinesStarting(const char* prefix) const;

  // Fails unless the double in `folder` (and no other winio.dll) was loaded, and opened.
  void ExpectLoadedFrom(const std::string& folder) const;
  // Fails if any winio.dll was loaded at all.
  void ExpectNothingLoaded() const;
  // Fails unless the program was told this Windows version ("4.10 9x", "5.1 nt").
  void ExpectWindows(const char* version) const;
  // Fails unless the last close of port access left the card between these line and field
  // rates (kHz, Hz).
  void ExpectClosedWith(double khz_low, double khz_high, double hz_low, double hz_high) const;
  // Fails unless at least one display-mode re-set reloaded the monitor timings.
  void ExpectModeReloaded() const;

 private:
  std::string path_;
};

}  // namespace e2e
