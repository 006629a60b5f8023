// The scan-frequency readout: figures and texts from a timed period, the port sequence of the
// timer, and the bounds on the retrace waits.

#include <cstring>
#include <string>
#include <vector>

#include "engine/chip_codes.h"
#include "engine/readout.h"
#include "engine/vga_regs.h"
#include "engine_fixture.h"

namespace zanvo::test {
namespace {

using namespace zanvo::engine;

struct ReadoutCase {
  const char* name;
  uint8_t family;
  uint8_t misc;        // bit 0: colour addressing
  uint8_t cr06, cr07;  // vertical total low byte and overflow
  uint32_t period;     // ticks between retrace ends
  uint16_t T;
  uint32_t N;
  int32_t H, V;
  const char* h_text;
  const char* v_text;
};

// Retrace active for the first 40 ticks of each period, one tick per status poll: the second
// pass measures the period exactly.
TEST_F(EngineTest, ReadoutMeasuresAndFormats) {
  const ReadoutCase cases[] = {
      {"pal", cfS3, 0xE3, 0x37, 0x01, 23852, 313, 23864, 15649, 49999, " 15.6 Khz", "  50 Hz"},
      {"ntsc", cfS3, 0xE3, 0x05, 0x01, 19874, 263, 19886, 15780, 60001, " 15.8 Khz", "  60 Hz"},
      {"ntsc_frame_lines", cfIntel, 0xE3, 0x0B, 0x20, 19874, 525, 19886, 31500, 60001, " 31.5 Khz",
       "  60 Hz"},
      {"ati", cfATI, 0xE3, 0x37, 0x01, 23852, 313, 23864, 15649, 49999, "  N/A", "  50 Hz"},
      {"mono_addressing", cfStandardVGA, 0xE2, 0x37, 0x01, 23852, 313, 23864, 15649, 49999,
       " 15.6 Khz", "  50 Hz"},
  };
  for (const ReadoutCase& c : cases) {
    SCOPED_TRACE(c.name);
    port = RecordingPort{};
    port.misc() = c.misc;
    const RegFile crtc = (c.misc & 1) != 0 ? RegFile::kCrtc : RegFile::kCrtcMono;
    port.Reg(crtc, CR06) = c.cr06;
    port.Reg(crtc, CR07) = c.cr07;
    port.SetRetrace(c.period, 40);
    Eng = EngineState{};
    Eng.ChipFamily = c.family;

    ScanTexts texts{};
    ScanFigures figures;
    ASSERT_TRUE(MeasureScanFrequencies(texts, &figures));

    EXPECT_EQ(figures.T, c.T);
    EXPECT_EQ(figures.N, c.N);
    EXPECT_EQ(figures.H, c.H);
    EXPECT_EQ(figures.V, c.V);
    EXPECT_STREQ(texts.h, c.h_text);
    EXPECT_STREQ(texts.v, c.v_text);
    const uint16_t status = (c.misc & 1) != 0 ? kInputStatus1Color : kInputStatus1Mono;
    EXPECT_GT(port.CountReads(status), 0u);
    EXPECT_EQ(port.CountReads(status ^ (kInputStatus1Color ^ kInputStatus1Mono)), 0u);
  }
}

TEST_F(EngineTest, ReadoutTimerSequence) {
  port.crtc(CR06) = 0x37;
  port.crtc(CR07) = 0x01;
  port.OutByte(kSystemControlB, 0x03);  // speaker on before the readout
  port.ClearLog();
  port.SetRetrace(23852, 40);
  ScanTexts texts{};

  ASSERT_TRUE(MeasureScanFrequencies(texts));

  const auto trace = port.Trace();
  EXPECT_TRUE(ContainsRun(
      trace, {"r8 3CC 23", "w8 3D4 06", "r8 3D5 37", "w8 3D4 07", "r8 3D5 01", "r8 3CC 23",
              "r8 61 03", "w8 61 01", "w8 43 B0", "w8 42 00", "w8 42 00"}));
  // The second pass: restarted right after the first latch, latched after the next retrace.
  const size_t restart = FindLine(trace, "w8 43 B0", FindLine(trace, "w8 43 B0") + 1);
  ASSERT_LT(restart, trace.size());
  EXPECT_EQ(trace[restart - 3], "w8 43 80");
  // The period's latch (65536 - 23852 = 0xA2D4), then the line count on a countdown of its own
  // (this status has no display-enable bit, so it finds no line), and the gate closed.
  EXPECT_TRUE(ContainsRun(trace, {"w8 43 80", "r8 42 D4", "r8 42 A2", "w8 43 B0"}));
  const std::vector<std::string> tail(trace.end() - 2, trace.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"r8 61 01", "w8 61 00"}));
  EXPECT_EQ(port.port_b(), 0x00) << "gate closed, speaker off";
  EXPECT_EQ(port.InByte(kCrtcIndexColor), CR07) << "the CRTC index is left at 0x07";
}

TEST_F(EngineTest, ReadoutGivesUpWhenRetraceNeverToggles) {
  struct Stuck {
    const char* name;
    bool in_retrace;
    uint32_t ticks_per_poll;
    size_t min_polls, max_polls;
  };
  const Stuck cases[] = {
      // The running timer bounds the wait at three counter periods.
      {"never_in_retrace", false, 1, kRetraceWaitMaxTicks,
       kRetraceWaitMaxTicks + kPollsPerTimerLatch},
      {"always_in_retrace", true, 1, kRetraceWaitMaxTicks,
       kRetraceWaitMaxTicks + kPollsPerTimerLatch + 1},
      // A timer that never counts: its first latch, which finds the count unmoved, ends it.
      {"timer_stopped", false, 0, kPollsPerTimerLatch, kPollsPerTimerLatch},
  };
  for (const Stuck& c : cases) {
    SCOPED_TRACE(c.name);
    port = RecordingPort{};
    port.misc() = 0xE3;
    port.FreezeRetrace(c.in_retrace);
    port.SetTicksPerStatusRead(c.ticks_per_poll);
    ScanTexts texts;
    std::strcpy(texts.h, "old h");
    std::strcpy(texts.v, "old v");

    EXPECT_FALSE(MeasureScanFrequencies(texts));

    EXPECT_STREQ(texts.h, "old h");
    EXPECT_STREQ(texts.v, "old v");
    const size_t polls = port.CountReads(kInputStatus1Color);
    EXPECT_GE(polls, c.min_polls);
    EXPECT_LE(polls, c.max_polls);
    const auto& log = port.log();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(Describe(log[log.size() - 2]), "r8 61 01");
    EXPECT_EQ(Describe(log.back()), "w8 61 00");
  }
}

TEST(ScanTexts, DecimalTiesRoundUp) {
  Eng = EngineState{};
  ScanFigures figures;
  figures.H = 15250;
  figures.V = 59500;
  ScanTexts texts{};
  FormatScanTexts(figures, texts);
  EXPECT_STREQ(texts.h, " 15.3 Khz");
  EXPECT_STREQ(texts.v, "  60 Hz");

  // The fastest period the timer can measure still fits the texts.
  figures = ComputeScanFigures(1025, 0);
  FormatScanTexts(figures, texts);
  EXPECT_STREQ(texts.h, "101917.6 Khz");
  EXPECT_STREQ(texts.v, "99432 Hz");
}

}  // namespace
}  // namespace zanvo::test
