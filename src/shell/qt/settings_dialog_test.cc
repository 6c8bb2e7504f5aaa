#include "shell/qt/settings_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace pellory {
namespace {

bool SameSettings(const AppSettings& a, const AppSettings& b) {
  return a.PortBase == b.PortBase && a.StatusPort == b.StatusPort &&
         a.ControlPort == b.ControlPort && a.TimeoutCount == b.TimeoutCount &&
         a.TimeBaseCorrection == b.TimeBaseCorrection && a.HexLineLength == b.HexLineLength &&
         a.BeepOnMessage == b.BeepOnMessage && a.FastI2cRead == b.FastI2cRead &&
         a.PortAccess == b.PortAccess;
}

class SettingsDialogTest : public testing::Test {
 protected:
  SettingsDialogTest() : dialog_(settings_, nullptr) {
    dialog_.SetMessageHook([this](const std::string& text) { messages_.push_back(text); });
    dialog_.show();
    QApplication::processEvents();
  }

  void Fill(const char* port, const char* timeout, const char* correction, const char* hexLine,
            bool beep) {
    dialog_.ControlAs<QComboBox>(kIdPortField)->setEditText(port);
    dialog_.ControlAs<QLineEdit>(kIdTimeoutField)->setText(timeout);
    dialog_.ControlAs<QLineEdit>(kIdCorrectionField)->setText(correction);
    dialog_.ControlAs<QLineEdit>(kIdHexLineField)->setText(hexLine);
    dialog_.ControlAs<QCheckBox>(kIdBeepBox)->setChecked(beep);
  }
  void PressOk() { dialog_.ControlAs<QPushButton>(kIdDialogOk)->click(); }

  AppSettings settings_;
  SettingsDialog dialog_;
  std::vector<std::string> messages_;
};

TEST_F(SettingsDialogTest, HasItsTitleSizeAndControls) {
  EXPECT_EQ(dialog_.windowTitle(), "Einstellungen");
  DialogUnits units = DialogUnits::Of(dialog_.font());
  EXPECT_EQ(dialog_.size(), QSize(units.ToPixelsX(kSettingsDialogWidthUnits),
                                  units.ToPixelsY(kSettingsDialogHeightUnits)));
  QStringList labels;
  for (QLabel* label : dialog_.findChildren<QLabel*>()) labels << label->text();
  labels.sort();
  EXPECT_EQ(labels, (QStringList{"Korrektur", "Länge HEX-Zeile", "Portadresse", "Portzugriff",
                                 "Timeout-Zähler"}));
  EXPECT_EQ(dialog_.ControlAs<QCheckBox>(kIdBeepBox)->text(), "Signalton");
  EXPECT_EQ(dialog_.ControlAs<QCheckBox>(kIdFastI2cBox)->text(),
            "Schnelles I2C-Lesen (sequentiell)");
  auto* ok = dialog_.ControlAs<QPushButton>(kIdDialogOk);
  auto* cancel = dialog_.ControlAs<QPushButton>(kIdDialogCancel);
  ASSERT_NE(ok, nullptr);
  ASSERT_NE(cancel, nullptr);
  EXPECT_EQ(ok->text(), "OK");
  EXPECT_TRUE(ok->isDefault());
  EXPECT_EQ(cancel->text(), "Abbrechen");
  auto* port = dialog_.ControlAs<QComboBox>(kIdPortField);
  ASSERT_NE(port, nullptr);
  EXPECT_TRUE(port->isEditable());
  QStringList choices;
  for (int i = 0; i < port->count(); ++i) choices << port->itemText(i);
  EXPECT_EQ(choices, (QStringList{"0x3BC", "0x378", "0x278", "0x338", "0x238"}));
}

// The dialog grew downwards for the sequential-read box: everything else stays where it
// was, and the box is below it all, inside the dialog, wide enough for its text.
TEST_F(SettingsDialogTest, TheSequentialReadBoxLiesBelowTheOriginalLayout) {
  DialogUnits units = DialogUnits::Of(dialog_.font());
  const struct {
    int Id;
    int X, Y, Width, Height;
  } places[] = {
      {kIdHexLineField, 65, 15, 40, 14},    {kIdTimeoutField, 5, 45, 40, 14},
      {kIdCorrectionField, 65, 45, 40, 14}, {kIdBeepBox, 130, 45, 45, 10},
      {kIdDialogOk, 129, 7, 50, 14},        {kIdDialogCancel, 129, 24, 50, 14},
  };
  QWidget* fast = dialog_.Control(kIdFastI2cBox);
  ASSERT_NE(fast, nullptr);
  for (const auto& p : places) {
    EXPECT_EQ(dialog_.Control(p.Id)->geometry(), units.ToPixels(p.X, p.Y, p.Width, p.Height))
        << p.Id;
    EXPECT_GT(fast->geometry().top(), dialog_.Control(p.Id)->geometry().bottom()) << p.Id;
  }
  EXPECT_TRUE(dialog_.rect().contains(fast->geometry()));
  EXPECT_GE(fast->width(), fast->sizeHint().width());
}

TEST(SettingsDialogOpening, ShowsTheSettingsAndSelectsAListedPort) {
  struct Case {
    uint16_t Port;
    int Index;
    const char* Text;
  };
  const Case cases[] = {{0x378, 1, "0x378"}, {0x3BC, 0, "0x3BC"}, {0x2F8, -1, "0x2F8"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Text);
    AppSettings settings;
    settings.SetPortBase(c.Port);
    settings.TimeoutCount = 250000;
    settings.TimeBaseCorrection = 77;
    settings.HexLineLength = 16;
    settings.BeepOnMessage = 1;
    settings.FastI2cRead = c.Index < 0 ? 1 : 0;
    SettingsDialog dialog(settings, nullptr);
    EXPECT_EQ(dialog.ControlAs<QComboBox>(kIdPortField)->currentIndex(), c.Index);
    SettingsDialogFields fields = dialog.Fields();
    EXPECT_EQ(fields.Port, c.Text);
    EXPECT_EQ(fields.TimeoutCount, "250000");
    EXPECT_EQ(fields.Correction, "77");
    EXPECT_EQ(fields.HexLineLength, "16");
    EXPECT_TRUE(fields.Beep);
    EXPECT_EQ(fields.FastI2cRead, c.Index < 0);
  }
}

TEST_F(SettingsDialogTest, TheFirstBadFieldGetsTheFocusAndNothingChanges) {
  struct Case {
    const char* Timeout;
    const char* Correction;
    const char* HexLine;
    int FailingField;
  };
  const Case cases[] = {
      {"9999", "85", "32", kIdTimeoutField},      {"10000001", "85", "32", kIdTimeoutField},
      {"abc", "85", "32", kIdTimeoutField},       {"", "85", "32", kIdTimeoutField},
      {"500000", "69", "32", kIdCorrectionField}, {"500000", "101", "32", kIdCorrectionField},
      {"500000", "85", "255", kIdHexLineField},   {"500000", "85", "1", kIdHexLineField},
      {"9999", "69", "255", kIdTimeoutField},     {"500000", "69", "255", kIdCorrectionField},
  };
  const AppSettings before = settings_;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.Timeout) + "/" + c.Correction + "/" + c.HexLine);
    messages_.clear();
    Fill("0x278", c.Timeout, c.Correction, c.HexLine, true);
    dialog_.ControlAs<QLineEdit>(kIdHexLineField)->setFocus();  // away from the failing one
    PressOk();
    EXPECT_EQ(messages_.size(), 1u);
    EXPECT_TRUE(dialog_.isVisible());
    EXPECT_EQ(dialog_.focusWidget(), dialog_.Control(c.FailingField));
    auto* failing = dialog_.ControlAs<QLineEdit>(c.FailingField);
    EXPECT_EQ(failing->selectedText(), failing->text());
    EXPECT_TRUE(SameSettings(settings_, before));
  }
}

TEST_F(SettingsDialogTest, ShowsTheValidationMessageOfTheFailingField) {
  Fill("0x378", "500000", "69", "32", false);
  PressOk();
  EXPECT_EQ(messages_,
            std::vector<std::string>{"Bitte geben Sie eine ganze Zahl zwischen 70 und 100 ein."});
}

TEST_F(SettingsDialogTest, OkAppliesEveryFieldToItsSettingAndCloses) {
  Fill("0x278", "20000", "90", "16", true);
  dialog_.ControlAs<QCheckBox>(kIdFastI2cBox)->setChecked(true);
  dialog_.ControlAs<QComboBox>(kIdPortAccessField)->setCurrentIndex(2);
  PressOk();
  EXPECT_TRUE(messages_.empty());
  EXPECT_FALSE(dialog_.isVisible());
  EXPECT_EQ(dialog_.result(), QDialog::Accepted);
  EXPECT_EQ(settings_.PortBase, 0x278);
  EXPECT_EQ(settings_.StatusPort, 0x279);
  EXPECT_EQ(settings_.ControlPort, 0x27A);
  EXPECT_EQ(settings_.TimeoutCount, 20000u);
  EXPECT_EQ(settings_.TimeBaseCorrection, 90u);
  EXPECT_EQ(settings_.HexLineLength, 16);
  EXPECT_EQ(settings_.BeepOnMessage, 1);
  EXPECT_EQ(settings_.FastI2cRead, 1);
  EXPECT_EQ(settings_.PortAccess, PortAccessMode::kDirect);
}

// The port test sees the fields as OK would apply them; the settings and the dialog stay.
TEST_F(SettingsDialogTest, PortTestRunsWithTheFieldsAndChangesNothing) {
  auto* test = dialog_.ControlAs<QPushButton>(kIdPortTestButton);
  ASSERT_NE(test, nullptr);
  EXPECT_EQ(test->text(), "Brenner testen");
  EXPECT_FALSE(test->isEnabled());
  std::vector<AppSettings> trials;
  dialog_.SetPortTest([&](const AppSettings& trial) { trials.push_back(trial); });
  EXPECT_TRUE(test->isEnabled());
  const AppSettings before = settings_;
  dialog_.show();
  Fill("0x278", "20000", "90", "16", true);
  dialog_.ControlAs<QComboBox>(kIdPortAccessField)->setCurrentIndex(1);
  test->click();
  ASSERT_EQ(trials.size(), 1u);
  EXPECT_EQ(trials[0].PortBase, 0x278);
  EXPECT_EQ(trials[0].StatusPort, 0x279);
  EXPECT_EQ(trials[0].TimeoutCount, 20000u);
  EXPECT_EQ(trials[0].PortAccess, PortAccessMode::kPpdev);
  EXPECT_TRUE(SameSettings(settings_, before));
  EXPECT_TRUE(dialog_.isVisible());
  // A field OK would refuse is refused here too, and nothing is tested.
  Fill("0x278", "5", "90", "16", true);
  test->click();
  EXPECT_EQ(trials.size(), 1u);
  EXPECT_EQ(messages_.size(), 1u);
}

TEST_F(SettingsDialogTest, CancelChangesNothing) {
  const AppSettings before = settings_;
  Fill("0x238", "20000", "90", "16", true);
  dialog_.ControlAs<QCheckBox>(kIdFastI2cBox)->setChecked(true);
  dialog_.ControlAs<QPushButton>(kIdDialogCancel)->click();
  EXPECT_FALSE(dialog_.isVisible());
  EXPECT_EQ(dialog_.result(), QDialog::Rejected);
  EXPECT_TRUE(SameSettings(settings_, before));
  EXPECT_TRUE(messages_.empty());
}

}  // namespace
}  // namespace pellory
