// Every depth a card's driver offers, under every standard: the switch holds the promise the
// window makes (the set locks to the signal, or "Video mode unsupported!" and the monitor
// timings back), and a desktop whose horizontal counts the depth multiplies keeps its width.

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <tuple>

#include "app/texts.h"
#include "engine/chip_codes.h"
#include "matrix.h"
#include "platform/virtual/card_catalog.h"
#include "platform/virtual/display_driver.h"
#include "scope_session.h"

namespace zanvo::fit {
namespace {

// Off the set today, each named by its cause: left for the engine to fit or refuse. None: the
// Cirrus's deep strides past its 9-bit offset are refused as the 8-bit ones are.
const std::set<std::tuple<std::string, std::string, uint8_t, bool>> kKnownOff = {};

TEST(DepthFit, EveryOfferedDepthLocksOrComesBackRefused) {
  int runs = 0, refused = 0, usable = 0;
  std::set<std::tuple<std::string, std::string, uint8_t, bool>> off;
  for (const auto& name : virt::CardNames()) {
    const auto card = virt::MakeCard(name);
    for (const virt::DesktopMode& mode : virt::DriverModes(*card)) {
      if (mode.bits_per_pixel == 8) continue;  // the 8-bit cells are the fit tables' own
      for (const uint8_t standard : {engine::vsPAL, engine::vsNTSC, engine::vs24kHz}) {
        for (const bool interlace : {true, false}) {
          scope::ScopeOptions options;
          options.card = std::string(name);
          options.width = mode.width;
          options.height = mode.height;
          options.bits_per_pixel = mode.bits_per_pixel;
          options.depth_given = true;
          options.standard = standard;
          options.no_interlace = !interlace;
          options.dump_registers = false;
          scope::ScopeReport report;
          std::string error;
          const std::string label = std::string(name) + " " + virt::ModeName(mode) + " " +
                                    std::to_string(standard) + (interlace ? "" : " ni");
          ASSERT_TRUE(scope::RunScope(options, report, error)) << label << ": " << error;
          ++runs;
          EXPECT_EQ(report.bits_per_pixel, mode.bits_per_pixel) << label;
          const scope::RunMark mark = scope::MarkRun(report, standard);
          if (mark.final_outcome == scope::MatrixOutcome::kRefused) {
            ++refused;
            // Refused: the message, and the monitor timings back.
            ASSERT_FALSE(report.messages.empty()) << label;
            EXPECT_EQ(report.messages.front(), app::texts::kModeUnsupported) << label;
            EXPECT_TRUE(report.signal.crtc == report.monitor.crtc) << label;
            continue;
          }
          if (mark.final_outcome == scope::MatrixOutcome::kOff) {
            off.insert({std::string(name), virt::ModeName(mode), standard, interlace});
            continue;
          }
          ++usable;
          // The set shows the desktop's own width, never a multiple of it: its characters over
          // the depth's clocks per pixel, the display end at most pulled in before the sync (a
          // 9-dot mode comes in 8-dot characters on every row).
          const virt::Signal& s = report.signal;
          const int shown = s.display_chars / s.crtc.clocks_per_pixel;
          const int desktop = report.monitor.display_chars / report.monitor.crtc.clocks_per_pixel;
          EXPECT_LE(shown, desktop) << label;
          EXPECT_GE(shown * 5, desktop * 4) << label;
        }
      }
    }
  }
  EXPECT_EQ(off, kKnownOff);
  EXPECT_GT(usable, 400) << runs << " runs, " << refused << " refused";
}

}  // namespace
}  // namespace zanvo::fit
