// The op list the replayer runs and the report it gives back.

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "emulator_run.h"
#include "emulator_target.h"
#include "register_replay.h"

namespace zanvo::emu {
namespace {

scope::RegisterDump Dump() {
  scope::RegisterDump d;
  d.misc = 0xE3;
  for (int i = 0; i < 0x19; ++i) d.crtc[static_cast<size_t>(i)] = static_cast<uint8_t>(0x40 + i);
  d.crtc[0x11] = 0x8C;  // protected
  d.seq[0x01] = 0x01;
  d.seq[0x0E] = 0x7E;
  d.seq[0x1E] = 0x33;
  return d;
}

// The position of the first write of `value` to CRTC `index` through port 0x3D4/0x3D5.
long CrtcWriteAt(const std::vector<PortWrite>& w, uint8_t index, int value = -1, long from = 0) {
  for (size_t i = static_cast<size_t>(from); i + 1 < w.size(); ++i) {
    if (w[i].port == 0x3D4 && w[i].value == index && w[i + 1].port == 0x3D5 &&
        (value < 0 || w[i + 1].value == value)) {
      return static_cast<long>(i);
    }
  }
  return -1;
}

TEST(RegisterReplay, CrtcUnlockedFirstProtectedLastAndNudged) {
  for (const EmulatorTarget& target : EmulatorTargets()) {
    const auto w = ReplayWrites(target, Dump());
    const long unlock = CrtcWriteAt(w, 0x11, 0x0C);
    const long cr00 = CrtcWriteAt(w, 0x00, 0x40);
    const long relock = CrtcWriteAt(w, 0x11, 0x8C);
    ASSERT_GE(unlock, 0) << target.name;
    EXPECT_LT(unlock, cr00) << target.name;
    EXPECT_EQ(relock, static_cast<long>(w.size()) - 2) << target.name;
    // The register the emulator re-times on changes and comes back before the relock.
    const uint8_t nudge = target.emulator == Emulator::kDosbox ? 0x01 : 0x06;
    const long changed = CrtcWriteAt(w, nudge, (0x40 + nudge) ^ 0x01);
    ASSERT_GE(changed, 0) << target.name;
    EXPECT_EQ(CrtcWriteAt(w, nudge, 0x40 + nudge, changed), changed + 2) << target.name;
    EXPECT_EQ(w[1].port, 0x3C5);
    EXPECT_EQ(w[2].port, 0x3C2);  // misc during the sequencer reset
    EXPECT_EQ(w[2].value, 0xE3);
  }
}

TEST(RegisterReplay, CirrusClocksBeforeTheCrtcAndEachChanged) {
  const auto w = ReplayWrites(*FindTarget("bochs-cirrus"), Dump());
  const auto seq_write = [&w](uint8_t index, uint8_t value) {
    for (size_t i = 0; i + 1 < w.size(); ++i) {
      if (w[i].port == 0x3C4 && w[i].value == index && w[i + 1].port == 0x3C5 &&
          w[i + 1].value == value) {
        return static_cast<long>(i);
      }
    }
    return -1L;
  };
  const long key = seq_write(0x06, 0x12);
  const long first = seq_write(0x0E, 0x7F);
  const long final_value = seq_write(0x0E, 0x7E);
  ASSERT_GE(key, 0);
  EXPECT_LT(key, first);
  EXPECT_LT(first, final_value);
  EXPECT_LT(seq_write(0x1E, 0x33), CrtcWriteAt(w, 0x00, 0x40));
}

TEST(RegisterReplay, OpsEncodeWritesAndMeasurement) {
  std::vector<uint8_t> ops;
  AppendCaseOps(ops, {{0x3D4, 0x11}, {0x3C2, 0xE3}}, 0x0102, 4);
  const std::vector<uint8_t> expected = {kOpOut, 0xD4, 0x03, 0x11, kOpOut, 0xC2, 0x03, 0xE3,
                                         kOpMeasure, 0x02, 0x01, 4};
  EXPECT_EQ(ops, expected);
}

TEST(ReplayReport, ReadsTheLinesAndNeedsTheEnd) {
  const auto readings = ParseReplayReport(
      "Bochs noise\nM 0001 00010A56\r\nM 0002 FFFFFFFF\nM 00zz 00000001\nM 3 4\nE\n");
  ASSERT_TRUE(readings.has_value());
  EXPECT_EQ(readings->size(), 2u);
  EXPECT_EQ(readings->at(1), 0x10A56u);
  EXPECT_EQ(readings->at(2), kTimedOut);
  EXPECT_FALSE(ParseReplayReport("M 0001 00010A56\n").has_value());
}

}  // namespace
}  // namespace zanvo::emu
