#pragma once
// One row of the fit table: a card, a desktop mode, a standard and the interlace choice, applied
// as the window applies them, and the outcome the engine must reach on the analyzed signal.

#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <string>

#include "engine/chip_codes.h"
#include "platform/virtual/signal/standard_rates.h"
#include "platform/virtual/virtual_pc.h"
#include "scope_session.h"
#include "standard_targets.h"

namespace zanvo::fit {

enum class Outcome {
  kFitted,          // line and field rate of the standard, `lines` shown per field
  kHorizontalOnly,  // the width has a row, the line count has none: refused after the line
                    // timings were written, and the display-mode re-set brings the monitor back
  kUntouched,       // no row for the width: refused, the monitor timings stay as the driver set
  kStrideCut,       // both rows found, but the line offset the fit needs has more bits than the
                    // chip's offset registers: refused as kHorizontalOnly is
};

struct FitCase {
  const char* card;
  uint16_t width, height;
  uint8_t standard;
  bool interlace_allowed;
  Outcome outcome;
  int lines;  // display lines per field when fitted
  bool interlaced;
};

// The rates the standard asks for, as the compatibility matrix judges them.
using Target = virt::StandardRates;

inline Target TargetOf(uint8_t standard) {
  return scope::RatesOfStandard(standard);
}

inline std::string Describe(const FitCase& c) {
  return std::string(c.card) + " " + std::to_string(c.width) + "x" + std::to_string(c.height) +
         " standard " + std::to_string(c.standard) +
         (c.interlace_allowed ? " interlace allowed" : " no interlace");
}

inline double Deviation(double value, double target) {
  return std::fabs(value / target - 1.0);
}

constexpr auto F = Outcome::kFitted;
constexpr auto H = Outcome::kHorizontalOnly;
constexpr auto U = Outcome::kUntouched;
constexpr auto C = Outcome::kStrideCut;

// zanvo-scope's options for one row: the card, its desktop mode, the standard, interlace allowed.
scope::ScopeOptions FitCaseOptions(const char* card, uint16_t width, uint16_t height,
                                   uint8_t standard, bool interlace_allowed);

// Applies a standard to a card's desktop mode as the window does, through zanvo-scope's session;
// false (with a gtest failure) when the card has no such mode.
bool RunFitCase(const char* card, uint16_t width, uint16_t height, uint8_t standard,
                bool interlace_allowed, scope::ScopeReport& report);

// Applies `standard` to the card's current mode with the engine set to `family`/`model`, as
// ApplyStandard runs after a display-mode re-set; returns the port accesses it took.
uint64_t ApplyStandardAs(virt::VirtualPc& pc, uint8_t family, uint16_t model, uint8_t standard,
                         bool interlace_allowed = true);

// Another family's register sequence on each of the cards at 640x480 PAL: it ends, the
// sequencer runs again and a clock the card has stays selected. Every family but the block-I/O
// one finds the 80-column row; that one reads its column count from ports the card does not
// decode.
void CheckKeepsRunningUnderEveryFamily(std::initializer_list<const char*> cards);

// Runs the case through zanvo-scope's session and checks its outcome with gtest assertions.
void CheckFitCase(const FitCase& c);

// A refused switch from VGA: the signal and every register are the driver's monitor mode again.
void ExpectMonitorTimingsBack(const scope::ScopeReport& report);

}  // namespace zanvo::fit
