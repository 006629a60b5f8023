// The receiving set's lock ranges at their edges: the line oscillator pulls in 2% around the
// standard's line rate, the vertical hold takes fields 5% off, for every kind of set.

#include <gtest/gtest.h>

#include <string>

#include "platform/virtual/signal/signal.h"
#include "platform/virtual/tv/tv_set.h"

namespace zanvo::virt {
namespace {

Signal SignalAt(double line_hz, double field_hz) {
  Signal s;
  s.line_rate_hz = line_hz;
  s.field_rate_hz = field_hz;
  return s;
}

TEST(TvSet, LocksWithinTwoPercentOfTheLineAndFivePercentOfTheField) {
  struct Case {
    const char* name;
    double line_factor, field_factor;  // of the standard's rates
    const char* failure;               // what LockFailure starts with; "" when the set locks
  };
  const Case cases[] = {
      {"the standard", 1.0, 1.0, ""},
      // PAL's 48.5 Hz and 51.5 Hz: 3% off, more than the line's 2%, well inside the hold range.
      {"field 3% slow", 1.0, 0.97, ""},
      {"field 3% fast", 1.0, 1.03, ""},
      {"field 4.9% slow", 1.0, 0.951, ""},
      {"field 4.9% fast", 1.0, 1.049, ""},
      {"field 5.1% slow", 1.0, 0.949, "field "},
      {"field 5.1% fast", 1.0, 1.051, "field "},
      {"line 1.9% slow", 0.981, 1.0, ""},
      {"line 1.9% fast", 1.019, 1.0, ""},
      {"line 2.1% slow", 0.979, 1.0, "line "},
      {"line 2.1% fast", 1.021, 1.0, "line "},
  };
  for (const Receiver receiver : {Receiver::kPal, Receiver::kNtsc, Receiver::kArcade24kHz}) {
    const ActivePicture& standard = StandardPicture(receiver);
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(ReceiverName(receiver)) + ", " + c.name);
      const std::string failure = LockFailure(
          receiver, SignalAt(standard.line_rate_hz * c.line_factor,
                             standard.field_rate_hz * c.field_factor));
      if (*c.failure == '\0') {
        EXPECT_EQ(failure, "");
      } else {
        EXPECT_EQ(failure.rfind(c.failure, 0), 0u) << failure;
        EXPECT_NE(failure.find("no lock"), std::string::npos) << failure;
      }
    }
  }
  // The figures of the PAL set named above.
  EXPECT_EQ(LockFailure(Receiver::kPal, SignalAt(15625, 48.5)), "");
  EXPECT_EQ(LockFailure(Receiver::kPal, SignalAt(15625, 51.5)), "");
  EXPECT_EQ(LockFailure(Receiver::kPal, SignalAt(15625, 52.6)), "field 52.6 Hz: no lock");
}

}  // namespace
}  // namespace zanvo::virt
