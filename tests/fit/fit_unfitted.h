#pragma once
// Cases where the engine finds a row for the width but the card's clock bits leave the signal
// off the standard's line rate: the pixel clock the card really makes, and that the rates miss.

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "fit_check.h"
#include "scope_session.h"

namespace zanvo::fit {

struct UnfittedCase {
  const char* card;
  uint16_t width, height;
  uint8_t standard;
  bool interlace_allowed;
  double pixel_clock_hz;  // what the card runs after the engine, to 1 Hz
};

inline void CheckUnfittedCase(const UnfittedCase& c) {
  const FitCase as_fit{c.card, c.width, c.height, c.standard, c.interlace_allowed, F, 0, false};
  SCOPED_TRACE(Describe(as_fit));
  scope::ScopeReport report;
  ASSERT_TRUE(RunFitCase(c.card, c.width, c.height, c.standard, c.interlace_allowed, report));

  EXPECT_TRUE(report.row_found);
  EXPECT_NEAR(report.applied.pixel_clock_hz, c.pixel_clock_hz, 1.0);
  EXPECT_GT(Deviation(report.applied.line_rate_hz, TargetOf(c.standard).line_hz), 0.01)
      << report.applied.line_rate_hz;
}

}  // namespace zanvo::fit
