#include "shell/qt/dialog_template.h"

#include <gtest/gtest.h>

#include <QPushButton>

namespace pellory {
namespace {

// Half pixels round up, as the template's window system rounds.
TEST(DialogUnits, ConvertWithRounding) {
  struct Case {
    int BaseX, BaseY, Units, X, Y;
  };
  const Case cases[] = {
      {7, 13, 0, 0, 0},       {7, 13, 1, 2, 2},    {7, 13, 2, 4, 3},       {7, 13, 4, 7, 7},
      {7, 13, 12, 21, 20},    {7, 13, 50, 88, 81}, {7, 13, 145, 254, 236}, {7, 13, 266, 466, 432},
      {6, 13, 266, 399, 432}, {6, 13, 50, 75, 81}, {8, 16, 3, 6, 6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.BaseX << "x" << c.BaseY << " " << c.Units);
    DialogUnits units(c.BaseX, c.BaseY);
    EXPECT_EQ(units.ToPixelsX(c.Units), c.X);
    EXPECT_EQ(units.ToPixelsY(c.Units), c.Y);
  }
  EXPECT_EQ(DialogUnits(7, 13).ToPixels(4, 46, 50, 12), QRect(7, 75, 88, 20));
}

TEST(DialogUnits, FollowTheFont) {
  QFont font = DialogFont();
  DialogUnits units = DialogUnits::Of(font);
  QFontMetrics metrics(font);
  EXPECT_EQ(units.BaseY(), metrics.height());
  // The average of the 52 letters, rounded: within half a pixel of the exact value.
  double exact =
      metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") / 52.0;
  EXPECT_LE(std::abs(units.BaseX() - exact), 0.5);
}

TEST(DialogTemplate, BuildsNamedControlsInTableOrder) {
  constexpr TemplateControl table[] = {
      {kNoControlId, ControlKind::kStatic, "Text", 1, 1, 20, 8},
      {10, ControlKind::kPushButton, "Eins", 0, 10, 40, 12},
      {11, ControlKind::kDefaultButton, "Zwei", 0, 30, 40, 12},
  };
  QWidget parent;
  DialogUnits units(6, 12);
  std::map<int, QWidget*> controls = BuildControls(&parent, table, units);
  ASSERT_EQ(controls.size(), 2u);
  EXPECT_EQ(controls[10]->objectName(), "10");
  EXPECT_EQ(controls[10]->geometry(), units.ToPixels(0, 10, 40, 12));
  EXPECT_TRUE(qobject_cast<QPushButton*>(controls[11])->isDefault());
  EXPECT_FALSE(qobject_cast<QPushButton*>(controls[10])->isDefault());
  // Tab order is table order.
  EXPECT_EQ(controls[10]->nextInFocusChain(), controls[11]);
}

}  // namespace
}  // namespace pellory
