#include "qemu_formula.h"

namespace zanvo::qemu {

namespace {

constexpr int64_t kClockHz[4] = {25175000, 28322000, 25175000, 25175000};

int VerticalTotal(const RegisterDump& r) {
  return (r.crtc[6] | ((r.crtc[7] & 0x01) << 8) | ((r.crtc[7] & 0x20) << 4)) + 2;
}

int LineCharacters(const RegisterDump& r) {
  return (r.crtc[0] + 5) << ((r.seq[1] >> 3) & 1);
}

}  // namespace

Rates QemuRates(const RegisterDump& r) {
  const int64_t dots = (r.misc & 1) ? 8 : 9;
  const int64_t chars_per_second = kClockHz[(r.misc >> 2) & 3] / dots;
  const int64_t ns_per_char = 1000000000LL / chars_per_second;
  const double line_ns = static_cast<double>(ns_per_char) * LineCharacters(r);
  return {1e9 / (line_ns * VerticalTotal(r)), 1e9 / line_ns};
}

Rates RealVgaRates(const RegisterDump& r) {
  const double dots = (r.seq[1] & 1) ? 8.0 : 9.0;
  const double line_s = dots * LineCharacters(r) / static_cast<double>(kClockHz[(r.misc >> 2) & 3]);
  const int lines = VerticalTotal(r) * ((r.crtc[0x17] & 0x04) ? 2 : 1);
  return {1.0 / (line_s * lines), 1.0 / line_s};
}

}  // namespace zanvo::qemu
