#include "fit_check.h"

#include <gtest/gtest.h>

#include "engine/engine_port.h"
#include "engine/engine_state.h"
#include "engine/standards.h"
#include "platform/virtual/card_catalog.h"
#include "platform/virtual/display_driver.h"
#include "platform/virtual/signal/picture.h"

namespace zanvo::fit {

scope::ScopeOptions FitCaseOptions(const char* card, uint16_t width, uint16_t height,
                                   uint8_t standard, bool interlace_allowed) {
  scope::ScopeOptions options;
  options.card = card;
  options.width = width;
  options.height = height;
  options.standard = standard;
  options.no_interlace = !interlace_allowed;
  return options;
}

bool RunFitCase(const char* card, uint16_t width, uint16_t height, uint8_t standard,
                bool interlace_allowed, scope::ScopeReport& report) {
  std::string error;
  const bool ran = scope::RunScope(FitCaseOptions(card, width, height, standard, interlace_allowed),
                                   report, error);
  EXPECT_TRUE(ran) << error;
  return ran;
}

uint64_t ApplyStandardAs(virt::VirtualPc& pc, uint8_t family, uint16_t model, uint8_t standard,
                         bool interlace_allowed) {
  engine::Eng = engine::EngineState{};
  engine::BindPort(pc);
  engine::Eng.ChipFamily = family;
  engine::Eng.ChipModel = model;
  engine::Eng.InterlaceEnabled = interlace_allowed ? 1 : 0;
  const uint64_t before = pc.port_accesses();
  engine::SetStandard(standard);
  engine::LoadStandardTables(standard);
  engine::ApplyStandard();
  const uint64_t used = pc.port_accesses() - before;
  engine::UnbindPort();
  return used;
}

void CheckKeepsRunningUnderEveryFamily(std::initializer_list<const char*> cards) {
  struct WrongFamily {
    uint8_t family;
    uint16_t model;
    bool row_found;
  };
  constexpr WrongFamily kFamilies[] = {
      {0, 0, true},       {1, 0, true},      {2, 6, true},    {3, 0xE1, true},
      {4, 0, true},       {5, 3000, true},   {5, 4000, true}, {7, 0, true},
      {8, 0x4742, false}, {9, 0x7800, true}, {12, 0, true},   {13, 0x3330, true},
      {14, 0x0300, true}, {20, 0, true},     {60, 1, true},   {60, 0x43, true},
      {60, 0xF3, true},
  };
  for (const char* card : cards) {
    for (const WrongFamily& f : kFamilies) {
      SCOPED_TRACE(std::string(card) + " as family " + std::to_string(f.family) + " model " +
                   std::to_string(f.model));
      virt::VirtualPc pc(virt::MakeCard(card));
      ASSERT_TRUE(virt::SetDesktopMode(pc.card(), 640, 480));
      ApplyStandardAs(pc, f.family, f.model, engine::vsPAL);
      EXPECT_EQ(engine::Eng.HorzRowFound != 0, f.row_found);
      const virt::Signal& after = pc.card().signal();
      EXPECT_TRUE(after.crtc.sequencer_running);
      EXPECT_TRUE(after.crtc.clock_defined);
      EXPECT_GT(after.line_rate_hz, 0.0);
    }
  }
}

void CheckFitCase(const FitCase& c) {
  SCOPED_TRACE(Describe(c));
  scope::ScopeReport report;
  ASSERT_TRUE(RunFitCase(c.card, c.width, c.height, c.standard, c.interlace_allowed, report));

  const virt::Signal& s = report.signal;
  const virt::Signal& monitor = report.monitor;
  const Target target = TargetOf(c.standard);
  ASSERT_TRUE(monitor.has_signal());
  EXPECT_TRUE(monitor.contradictions.empty()) << monitor.contradictions.front();

  switch (c.outcome) {
    case Outcome::kFitted:
      EXPECT_TRUE(report.row_found);
      EXPECT_LT(Deviation(s.line_rate_hz, target.line_hz), 0.01) << s.line_rate_hz;
      EXPECT_LT(Deviation(s.field_rate_hz, target.field_hz), 0.01) << s.field_rate_hz;
      EXPECT_EQ(s.display_lines_per_field, c.lines);
      EXPECT_EQ(s.interlaced, c.interlaced);
      EXPECT_TRUE(s.contradictions.empty()) << s.contradictions.front();
      EXPECT_EQ(virt::JudgePicture(s, virt::DesktopOf(monitor)).reason, "");
      break;
    case Outcome::kStrideCut:
      EXPECT_TRUE(report.vertical_row_found);
      EXPECT_NE(report.cut_line_offset, 0);
      EXPECT_FALSE(report.fitted);
      ExpectMonitorTimingsBack(report);
      break;
    case Outcome::kHorizontalOnly:
      // The line timings were written, then the line count found no row: refused, and the
      // display-mode re-set undoes the half-programmed mode.
      EXPECT_TRUE(report.row_found);
      EXPECT_FALSE(report.vertical_row_found);
      EXPECT_FALSE(report.fitted);
      EXPECT_LT(Deviation(report.applied.line_rate_hz, target.line_hz), 0.01)
          << report.applied.line_rate_hz;
      ExpectMonitorTimingsBack(report);
      break;
    case Outcome::kUntouched:
      EXPECT_FALSE(report.row_found);
      EXPECT_FALSE(report.fitted);
      ExpectMonitorTimingsBack(report);
      break;
  }
}

void ExpectMonitorTimingsBack(const scope::ScopeReport& report) {
  const virt::Signal& s = report.signal;
  const virt::Signal& monitor = report.monitor;
  EXPECT_DOUBLE_EQ(s.line_rate_hz, monitor.line_rate_hz);
  EXPECT_DOUBLE_EQ(s.field_rate_hz, monitor.field_rate_hz);
  EXPECT_EQ(s.display_lines_per_field, monitor.display_lines_per_field);
  EXPECT_EQ(s.interlaced, monitor.interlaced);
  // Every timing the registers make, extension bits included, as the analyzer decodes them.
  EXPECT_TRUE(s.crtc == monitor.crtc);
  // The standard registers themselves; CR11 bit 7 is the CR00-CR07 write protection, which the
  // engine's unlock opened and a refusal need not close again.
  const scope::RegisterDump& now = report.registers;
  const scope::RegisterDump& then = report.monitor_registers;
  // The block-I/O card in its accelerator mode takes the clock from CLOCK_CNTL; the clock select
  // bits its driver leaves in Miscellaneous Output follow the nearest VGA clock of the moment
  // and select nothing (the decoded timing above includes the clock).
  const uint8_t misc_mask = report.family == engine::cfATI ? 0xF3 : 0xFF;
  EXPECT_EQ(now.misc & misc_mask, then.misc & misc_mask);
  for (int i = 0; i <= 0x18; ++i) {
    const uint8_t mask = i == 0x11 ? 0x7F : 0xFF;
    EXPECT_EQ(now.crtc[i] & mask, then.crtc[i] & mask) << "CR" << std::hex << i;
  }
  for (int i = 0; i <= 4; ++i)
    EXPECT_EQ(now.seq[i], then.seq[i]) << "SR" << std::hex << i;
  for (int i = 0; i <= 8; ++i)
    EXPECT_EQ(now.gc[i], then.gc[i]) << "GR" << std::hex << i;
  EXPECT_EQ(now.attr, then.attr);
}

}  // namespace zanvo::fit
