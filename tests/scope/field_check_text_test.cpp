// The field check's lines say what the check reached: a verdict on agreeing periods, a line
// stretch that lost time after the fields agreed, or no verdict at all.

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "report_text.h"

namespace zanvo::scope {
namespace {

TEST(FieldCheckText, SaysWhichPartOfTheCheckWasDisturbed) {
  struct Case {
    const char* name;
    FieldCheckReport check;
    const char* says;
    const char* never;
  };
  FieldCheckReport line_lost;
  line_lost.measurements = 3;
  line_lost.field_hz = 50.0;
  line_lost.target_hz = 50.0;
  line_lost.field_agreed = true;
  line_lost.line_in_band = false;
  FieldCheckReport fields_lost = line_lost;
  fields_lost.field_agreed = false;
  FieldCheckReport clean = fields_lost;
  clean.field_hz = 100.0;
  clean.clean_miss = true;
  const Case cases[] = {
      {"fields agreed, line stretch disturbed", line_lost,
       "two agreeing periods inside.\nLine check: no line counted within the budget (disturbed).",
       "no two agreeing periods"},
      {"fields disturbed", fields_lost, "no two agreeing periods (no retrace, or disturbed",
       "Line check"},
      {"clean miss", clean, "two agreeing periods outside, a clean measurement", "disturbed"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::ostringstream out;
    PrintFieldCheck(c.check, out);
    EXPECT_NE(out.str().find(c.says), std::string::npos) << out.str();
    EXPECT_EQ(out.str().find(c.never), std::string::npos) << out.str();
  }
}

}  // namespace
}  // namespace zanvo::scope
