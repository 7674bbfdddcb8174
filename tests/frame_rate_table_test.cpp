#include <gtest/gtest.h>

#include "rewrite/frame_rate_table.h"
#include "tests/support/fake_main_window.h"

namespace tolva::test {
namespace {

TEST(TheFrameRateTable, namesTheSevenCodesAndCallsTheRestOther) {
  const std::pair<int, std::string> names[] = {
      {0, "その他"}, {1, "23.976fps"}, {2, "24fps"},    {3, "25fps"},  {4, "29.97fps"},
      {5, "30fps"},  {6, "50fps"},     {7, "59.94fps"}, {8, "その他"}, {15, "その他"},
  };
  for (const auto& [code, name] : names) EXPECT_EQ(RateName(code), name) << code;
  EXPECT_STREQ(FrameRateOf(4).already_at_target, "この動画は29.97fpsになっています。");
  EXPECT_STREQ(FrameRateOf(1).caption, "23.976(24000/1001)");
  EXPECT_STREQ(FrameRateOf(7).caption, "59.94(60000/1001)");
}

TEST(TheTargetSelection, takesTheLastCheckedButton) {
  struct Case {
    std::set<int> checked;
    int code;
    std::string name;
  };
  const Case cases[] = {
      {{1}, 1, "23.976fps"},
      {{4}, 4, "29.97fps"},
      {{2, 6}, 6, "50fps"},
      {{}, 0, ""},  // no button checked: no target
  };
  for (const Case& c : cases) {
    FakeMainWindow form;
    form.checked_rates = c.checked;
    const TargetSelection target = SelectTarget(form);
    EXPECT_EQ(target.code, c.code);
    EXPECT_EQ(target.name, c.name);
  }
}

}  // namespace
}  // namespace tolva::test
