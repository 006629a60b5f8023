// The readout measures the field period with the PC timer on the virtual PC; it must agree with
// what the analyzer derives from the registers, and it must come back when no retrace comes.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/engine_port.h"
#include "engine/engine_state.h"
#include "engine/readout.h"
#include "engine/standards.h"
#include "platform/virtual/card_catalog.h"
#include "platform/virtual/display_driver.h"
#include "platform/virtual/virtual_pc.h"

namespace zanvo {
namespace {

using engine::Eng;

struct VirtualSetup {
  explicit VirtualSetup(const char* card, uint16_t width, uint16_t height, uint8_t standard)
      : pc(virt::MakeCard(card)) {
    // The VGA core at every size: the table's 256-colour timing loaded by hand, as its 256 KiB
    // hold few of them as a desktop.
    const auto timing = virt::TableModeTiming(pc.card(), virt::DesktopMode{width, height, 8});
    EXPECT_TRUE(timing.has_value());
    if (timing) pc.card().SetMode(*timing);
    Eng = engine::EngineState{};
    engine::BindPort(pc);
    Eng.ChipFamily = pc.card().family();
    Eng.ChipModel = pc.card().model();
    engine::SetStandard(standard);
    if (standard != engine::vsVGA) {
      engine::LoadStandardTables(standard);
      engine::ApplyStandard();
    }
  }
  ~VirtualSetup() { engine::UnbindPort(); }

  virt::VirtualPc pc;
};

TEST(ReadoutOnVirtualPc, AgreesWithTheAnalyzedFieldRate) {
  struct Case {
    uint16_t width, height;
    uint8_t standard;
  };
  // Monitor modes down to the 16-bit count's limit of about 18.2 Hz, and every TV fit.
  const Case cases[] = {
      {640, 480, engine::vsVGA},   {720, 400, engine::vsVGA}, {320, 200, engine::vsVGA},
      {1152, 864, engine::vsVGA},  {640, 480, engine::vsPAL}, {640, 480, engine::vsNTSC},
      {640, 480, engine::vs24kHz}, {800, 600, engine::vsPAL}, {800, 600, engine::vsNTSC},
      {800, 600, engine::vs24kHz}, {320, 200, engine::vsPAL}, {1056, 480, engine::vsNTSC},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) + " standard " +
                 std::to_string(c.standard));
    VirtualSetup setup("vga", c.width, c.height, c.standard);
    const virt::Signal signal = virt::AnalyzeSignal(setup.pc.card());
    ASSERT_TRUE(signal.has_signal());

    engine::ScanTexts texts{};
    engine::ScanFigures figures;
    ASSERT_TRUE(engine::MeasureScanFrequencies(texts, &figures));
    EXPECT_NEAR(figures.fV / signal.field_rate_hz, 1.0, 0.001) << figures.fV;
    // The horizontal figure is the CRTC's vertical total times the measured field rate.
    EXPECT_NEAR(figures.H / signal.line_rate_hz, 1.0, 0.001) << figures.H;

    char expected_v[16];
    std::snprintf(expected_v, sizeof expected_v, "%4.0f Hz", signal.field_rate_hz);
    EXPECT_STREQ(texts.v, expected_v);
    EXPECT_EQ(std::strlen(texts.h), 9u) << texts.h;
    EXPECT_STREQ(texts.h + 5, " Khz");
  }
}

TEST(ReadoutOnVirtualPc, GivesUpWhenTheRetraceNeverToggles) {
  for (const bool level : {false, true}) {
    SCOPED_TRACE(level ? "retrace stuck set" : "retrace stuck clear");
    VirtualSetup setup("vga", 640, 480, engine::vsPAL);
    engine::ScanTexts texts{};
    std::strcpy(texts.h, "before");
    std::strcpy(texts.v, "before");
    setup.pc.card().FreezeRetrace(true, level);

    const uint64_t start = setup.pc.now_ps();
    EXPECT_FALSE(engine::MeasureScanFrequencies(texts));
    const double seconds = static_cast<double>(setup.pc.now_ps() - start) * 1e-12;
    // Bounded by a few of the longest measurable fields (about 55 ms each), per wait.
    EXPECT_LT(seconds, 1.0);
    EXPECT_STREQ(texts.h, "before");
    EXPECT_STREQ(texts.v, "before");
    // The timer gate and the speaker are left off.
    EXPECT_EQ(setup.pc.InByte(0x61) & 0x03, 0);

    // Once the retrace moves again the readout works again.
    setup.pc.card().FreezeRetrace(false);
    EXPECT_TRUE(engine::MeasureScanFrequencies(texts));
    EXPECT_STREQ(texts.v, "  50 Hz");
  }
}

}  // namespace
}  // namespace zanvo
