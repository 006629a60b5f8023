// zanvo-scope --png: the picture is written with any other option, a bad path is an error, and
// the signal half of the picture puts the syncs, the active area and the set's screen where the
// signal has them.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "scope_main.h"
#include "scope_picture.h"
#include "scope_session.h"
#include "signal_diagram.h"

namespace zanvo::scope {
namespace {

struct PngSize {
  bool is_png = false;
  uint32_t width = 0, height = 0;
};

// The signature and the IHDR chunk's big-endian width and height.
PngSize ReadPngSize(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  unsigned char head[24] = {};
  PngSize size;
  if (!file.read(reinterpret_cast<char*>(head), sizeof head)) return size;
  const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  size.is_png = std::equal(signature, signature + 8, head);
  const auto be32 = [&](int at) {
    return uint32_t{head[at]} << 24 | uint32_t{head[at + 1]} << 16 | uint32_t{head[at + 2]} << 8 |
           head[at + 3];
  };
  size.width = be32(16);
  size.height = be32(20);
  return size;
}

int RunScopeWith(std::vector<const char*> args, std::string& out, std::string& err) {
  args.insert(args.begin(), "zanvo-scope");
  std::ostringstream o, e;
  const int status = ScopeMain(static_cast<int>(args.size()), args.data(), o, e);
  out = o.str();
  err = e.str();
  return status;
}

TEST(ScopePng, PictureComesWithEveryOtherOption) {
  const std::string path = ::testing::TempDir() + "zanvo-scope-test.png";
  const std::vector<std::vector<const char*>> cases = {
      {"--card", "s3-trio64", "--standard", "pal"},
      {"--mode", "800x600", "--standard", "ntsc", "--no-interlace", "--move", "left", "--json"},
      {"--standard", "24khz", "--registers", "--readout"},
      {"--card", "sis-300", "--detect", "--standard", "pal"},
      {},  // monitor timings
  };
  for (auto args : cases) {
    SCOPED_TRACE(args.empty() ? "no options" : args.back());
    std::remove(path.c_str());
    args.push_back("--png");
    args.push_back(path.c_str());
    std::string out, err;
    EXPECT_EQ(RunScopeWith(args, out, err), 0) << err;
    EXPECT_FALSE(out.empty());  // the report is printed as without --png
    const PngSize size = ReadPngSize(path);
    EXPECT_TRUE(size.is_png);
    EXPECT_GT(size.width, 1000u);
    EXPECT_GT(size.height, 600u);
  }
  std::remove(path.c_str());
}

TEST(ScopePng, UnwritablePathIsAnError) {
  std::string out, err;
  EXPECT_EQ(RunScopeWith({"--standard", "pal", "--png", "/nonexistent-folder/x.png"}, out, err), 1);
  EXPECT_NE(err.find("--png"), std::string::npos) << err;
}

TEST(ScopePng, DiagramPlacesSyncActiveAreaAndTheSetsScreen) {
  ScopeOptions options;
  options.card = "s3-trio64";
  options.standard = 99;  // PAL
  ScopeReport report;
  std::string error;
  ASSERT_TRUE(RunScope(options, report, error)) << error;
  const virt::Signal& s = report.signal;
  constexpr int kW = 520, kH = 576;
  const virt::Image diagram = DrawSignalDiagram(s, kW, kH);
  // Time and lines run from the syncs' leading edges: the syncs fill the top-left corner.
  EXPECT_EQ(diagram.At(0, kH / 2), kDiagramSync);
  EXPECT_EQ(diagram.At(kW / 2, 0), kDiagramSync);
  // The active area begins where the line comes round to character 0 after the sync.
  const int active_x = static_cast<int>(std::ceil(
      static_cast<double>(s.chars_per_line - s.h_sync_start_char) / s.chars_per_line * kW));
  EXPECT_NE(diagram.At(active_x - 2, kH / 2), kDiagramActive);
  EXPECT_EQ(diagram.At(active_x + 1, kH / 2), kDiagramActive);
  // The PAL set's screen lies on the active area it locks to.
  const DiagramRect window =
      WindowInDiagram(s, virt::VisibleWindow(virt::Receiver::kPal, report.mode), kW, kH);
  ASSERT_GT(window.width, 0);
  EXPECT_EQ(diagram.At(static_cast<int>(window.x + window.width / 2),
                       static_cast<int>(window.y + window.height / 2)),
            kDiagramActive);
  EXPECT_NEAR(window.width / kW, 52.0 * 0.92 / 64.0, 0.02);
}

}  // namespace
}  // namespace zanvo::scope
