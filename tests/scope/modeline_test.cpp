// --modeline: the line X takes (as cvt and gtf print theirs), and its rates by X's own rule
// equal the analyzer's.

#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <string>
#include <vector>

#include "scope_run.h"

namespace zanvo::scope {
namespace {

struct ParsedModeline {
  double clock_mhz = 0;
  int h[4] = {}, v[4] = {};
  bool interlace = false, double_scan = false;
};

// The modeline line as xorg.conf and cvt spell it; sync flags in either case.
bool Parse(const std::string& line, ParsedModeline& m) {
  static const std::regex kLine(
      R"(Modeline "[^"]+" +([0-9.]+) +(\d+) (\d+) (\d+) (\d+) +(\d+) (\d+) (\d+) (\d+) )"
      R"(([+-])hsync ([+-])vsync( interlace)?( doublescan)?)",
      std::regex::icase);
  std::smatch match;
  if (!std::regex_match(line, match, kLine)) return false;
  m.clock_mhz = std::stod(match[1]);
  for (int i = 0; i < 4; ++i) {
    m.h[i] = std::stoi(match[2 + i]);
    m.v[i] = std::stoi(match[6 + i]);
  }
  m.interlace = match[12].matched;
  m.double_scan = match[13].matched;
  return true;
}

TEST(Modeline, ReadsAsCvtsAndItsRatesAreTheAnalyzers) {
  // Debian's cvt (package xcvt, installed with the other test tools) prints its modeline as its
  // second line: ours must read the same way, and its figures are the CVT formula's.
  std::string cvt_line;
  {
    FILE* const cvt_output = popen("cvt 640 480 60 2>/dev/null", "r");
    ASSERT_NE(cvt_output, nullptr);
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, cvt_output) != nullptr) {
      if (std::string(buffer).rfind("Modeline", 0) == 0) cvt_line = buffer;
    }
    pclose(cvt_output);
  }
  ASSERT_FALSE(cvt_line.empty()) << "cvt is missing: scripts/install-deps.sh installs it (xcvt)";
  cvt_line.erase(cvt_line.find_last_not_of("\n ") + 1);
  ParsedModeline cvt;
  ASSERT_TRUE(Parse(cvt_line, cvt)) << cvt_line;
  EXPECT_DOUBLE_EQ(cvt.clock_mhz, 23.75);
  EXPECT_EQ(cvt.h[3], 800);
  EXPECT_EQ(cvt.v[3], 500);

  // `width` is the desktop's in pixels, whatever the dot clocks a pixel lasts; `clocks` how many
  // the pixel lasts, by which the analyzer's dot clock is divided.
  struct Case {
    std::vector<const char*> args;
    bool interlace, double_scan;
    int width, clocks;
  };
  const Case cases[] = {
      {{"--card", "vga"}, false, false, 640, 1},
      // 449 lines halve: rounded; 256 colours take two dots a pixel.
      {{"--card", "vga", "--mode", "320x200"}, false, true, 320, 2},
      {{"--card", "vga", "--mode", "320x240", "--standard", "ntsc"}, false, false, 320, 2},
      {{"--card", "s3-trio64", "--standard", "pal"}, true, false, 640, 1},
      {{"--card", "s3-trio64", "--standard", "ntsc", "--no-interlace"}, false, false, 640, 1},
      {{"--card", "s3-trio64", "--mode", "640x480x16", "--standard", "ntsc"}, true, false, 640, 1},
      // 480 lines interlaced.
      {{"--card", "tseng-et4000", "--standard", "24khz"}, true, false, 640, 1},
      // A 16-bit pixel through the HiColor DAC's 8-bit port: two dots.
      {{"--card", "tseng-et4000", "--mode", "640x480x16", "--standard", "ntsc"}, true, false, 640,
       2},
      // The Blade's DAC takes its 16-bit pixel a dot.
      {{"--card", "trident-blade3d", "--mode", "640x480x16", "--standard", "pal"}, true, false,
       640, 1},
      // The fit shows 96 of the desktop's 100 characters.
      {{"--card", "cirrus-gd5434", "--mode", "800x600", "--standard", "pal", "--positive-sync"},
       true, false, 768, 1},
  };
  for (const Case& c : cases) {
    std::vector<const char*> args = c.args;
    args.push_back("--modeline");
    std::string trace;
    for (const char* arg : args)
      trace += std::string(arg) + " ";
    SCOPED_TRACE(trace);
    const auto j = RunJson(args);
    const auto& signal = j["signal"];
    ParsedModeline m;
    ASSERT_TRUE(Parse(j["modeline"]["text"].get<std::string>(), m)) << j["modeline"]["text"];
    EXPECT_EQ(m.h[0], c.width);
    EXPECT_NEAR(m.clock_mhz, signal["pixel_clock_hz"].get<double>() / c.clocks / 1e6, 5e-4);
    EXPECT_EQ(j["modeline"]["name"].get<std::string>().rfind(std::to_string(c.width) + "x", 0),
              0u);
    EXPECT_EQ(m.interlace, c.interlace);
    EXPECT_EQ(m.double_scan, c.double_scan);
    EXPECT_TRUE(m.h[0] <= m.h[1] && m.h[1] <= m.h[2] && m.h[2] <= m.h[3]);
    EXPECT_TRUE(m.v[0] <= m.v[1] && m.v[1] <= m.v[2] && m.v[2] <= m.v[3]);
    // X's rule: line = clock / htotal; field = line / vtotal, twice when interlaced (frame
    // lines), half when double scanned.
    const double line_hz = m.clock_mhz * 1e6 / m.h[3];
    const double field_hz = line_hz / m.v[3] * (m.interlace ? 2 : 1) / (m.double_scan ? 2 : 1);
    const double line_analyzed = signal["line_rate_hz"].get<double>();
    const double field_analyzed = signal["field_rate_hz"].get<double>();
    // The clock is printed to the kHz; half a line is the most a halved count rounds.
    EXPECT_NEAR(line_hz, line_analyzed, line_analyzed * 1e-4);
    const double rounding = (m.double_scan ? 0.5 / m.v[3] : 0) + 1e-4;
    EXPECT_NEAR(field_hz, field_analyzed, field_analyzed * rounding);
  }
}

}  // namespace
}  // namespace zanvo::scope
