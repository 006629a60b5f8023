// The toolkit behaviour the shell relies on.

#include <gtest/gtest.h>

#include "platform/toolkit/controls.h"

namespace zanvo::toolkit {
namespace {

TEST(Controls, CodeAndUserRaiseTheEventsTheToolkitRaises) {
  int clicks = 0;
  CheckBox box;
  box.OnClick = [&] { ++clicks; };
  box.SetChecked(true);  // a change from code runs the handler
  box.SetChecked(true);  // no change, no click
  box.UserClick();       // the user toggles it off
  EXPECT_FALSE(box.checked());
  EXPECT_EQ(clicks, 2);

  int a_clicks = 0, b_clicks = 0;
  RadioButton a, b;
  a.group = b.group = {&a, &b};
  a.OnClick = [&] { ++a_clicks; };
  b.OnClick = [&] { ++b_clicks; };
  a.SetChecked(true);
  b.UserClick();
  b.UserClick();        // already checked: nothing
  b.SetChecked(false);  // unchecking raises no click
  EXPECT_FALSE(a.checked());
  EXPECT_FALSE(b.checked());
  EXPECT_EQ(a_clicks, 1);
  EXPECT_EQ(b_clicks, 1);

  int changes = 0;
  ComboBox list;
  list.OnChange = [&] { ++changes; };
  list.Add("one", 1);
  list.Add("two", 2);
  list.SetItemIndex(1);  // from code: no event
  list.SetItemIndex(5);  // past the end: nothing shown selected
  EXPECT_EQ(list.item_index(), -1);
  list.UserSelect(0);
  EXPECT_EQ(list.item_index(), 0);
  EXPECT_EQ(changes, 1);

  int presses = 0;
  Button button;
  button.OnClick = [&] { ++presses; };
  button.enabled = false;
  button.Click();
  EXPECT_EQ(presses, 0);
}

}  // namespace
}  // namespace zanvo::toolkit
