#include "engine/field_check.h"

#include "engine/chip_codes.h"
#include "engine/engine_state.h"

namespace zanvo::engine {

namespace {

// 625 lines in 25 frames; 525 lines at 30/1.001 frames; the 24 kHz tables' 129 eight-dot
// characters at 25.175 MHz and 424 lines (57.534 Hz).
inline constexpr int32_t kPalFieldRate = 50000;
inline constexpr int32_t kNtscFieldRate = 59940;
inline constexpr int32_t k24kHzFieldRate = 57534;

bool InsideBand(int32_t measured, int32_t target) {
  const double deviation = static_cast<double>(measured) / target - 1.0;
  return deviation >= -kFieldGuardBand && deviation <= kFieldGuardBand;
}

}  // namespace

int32_t StandardFieldRate(uint8_t standard) {
  if (standard == vsPAL) return kPalFieldRate;
  if (standard == vsNTSC) return kNtscFieldRate;
  if (standard == vs24kHz) return k24kHzFieldRate;
  return 0;
}

void CheckFieldRate() {
  Eng.FieldRateInBand = 0;
  Eng.MeasuredFieldRate = 0;
  Eng.FieldMeasurements = 0;
  const int32_t target = StandardFieldRate(Eng.CurrentStandard);
  if (target == 0) {
    Eng.FieldRateInBand = 1;
    return;
  }
  PeriodRun run;
  BeginPeriodRun(run, kFieldCheckMaxTicks);
  while (Eng.FieldMeasurements < kFieldMeasurements) {
    uint16_t ticks = 0;
    if (!TimeNextPeriod(run, ticks)) break;
    ++Eng.FieldMeasurements;
    // The line count plays no part in the field rate.
    Eng.MeasuredFieldRate = ComputeScanFigures(0, ticks).V;
    if (InsideBand(Eng.MeasuredFieldRate, target)) {
      Eng.FieldRateInBand = 1;
      break;
    }
  }
  EndPeriodRun();
}

}  // namespace zanvo::engine
