#include "shell/qt/image_view.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>

#include "testing/qt_test_support.h"

namespace pellory {
namespace {

// Bytes with their coverage: '-' in GAPS marks a cell no record gave.
DataImage Image(std::vector<uint8_t> bytes, const std::string& gaps = "", int format = 3) {
  DataImage image;
  image.Grow(bytes.size());
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (i >= gaps.size() || gaps[i] != '-') image.Write(i, &bytes[i], 1);
  }
  image.Format = format;
  image.Path = "/tmp/daten.hex";
  return image;
}

std::vector<uint8_t> Counting(size_t size) {
  std::vector<uint8_t> bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i);
  return bytes;
}

void PressReturn(QWidget* widget) {
  QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QApplication::sendEvent(widget, &press);
}

TEST(ImageStatusText, SizeFormatChecksumsAndDifferences) {
  // Leading zeros are kept, so the columns never jump.
  struct Case {
    uint64_t size;
    int format;
    uint16_t sum;
    uint32_t crc;
    int64_t differences;
    const char* text;
  } cases[] = {
      {4096, 3, 0x3A5C, 0x1C291CA3, -1,
       "4096 Bytes (0x1000) | Intel 32 | Bytesumme 0x3A5C | CRC-32 0x1C291CA3"},
      {256, 1, 0xA, 0xBEEF, 0,
       "256 Bytes (0x100) | Binär | Bytesumme 0x000A | CRC-32 0x0000BEEF | Keine Unterschiede"},
      {5, 9, 0, 0, 1,
       "5 Bytes (0x5) | Tektronix | Bytesumme 0x0000 | CRC-32 0x00000000 | 1 Unterschied"},
      {16777216, 7, 0xFFFF, 0xFFFFFFFF, 12,
       "16777216 Bytes (0x1000000) | Motorola S3 | Bytesumme 0xFFFF | CRC-32 0xFFFFFFFF | 12 "
       "Unterschiede"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ImageStatusText(c.size, c.format, c.sum, c.crc, c.differences).toStdString(), c.text);
  }
}

class ImageViewTest : public testing::Test {
 protected:
  ImageViewTest() : view_(Sources()) { view_.resize(700, 400); }

  // The chip and the second file both read as CHIP_.
  ImageView::Sources Sources() {
    return {[this](const std::string& path, DataImage& image) {
              loaded_.push_back(path), image = chip_;
              return 0;
            },
            [this] { return chosen_; },
            [this](DataImage& chip) {
              chip = chip_, ++reads_;
              return readResult_;
            }};
  }

  void Show(DataImage image) {
    view_.ShowImage(std::move(image));
    view_.show();
    QApplication::processEvents();
  }
  void ExpectOnScreen(int64_t address) {
    uint64_t row = static_cast<uint64_t>(address) / kBytesPerRow;
    EXPECT_LE(view_.TopRow(), row);
    EXPECT_LT(row, view_.TopRow() + view_.VisibleRows());
  }
  QAbstractButton* Button(const char* text) {
    return ButtonCaptioned(&view_, QString::fromUtf8(text));
  }

  ImageView view_;
  DataImage chip_;
  int readResult_ = 0;
  int reads_ = 0;
  std::optional<std::string> chosen_;
  std::vector<std::string> loaded_;
};

TEST_F(ImageViewTest, RowsShowAddressHexTextAndGaps) {
  std::vector<uint8_t> bytes = {'A',  'B',  'C',  'D',  'E',  'F',  'G',  'H',  'I', 'J', 'K', 'L',
                                'M',  'N',  'O',  'P',  0x00, 0x01, 0x1F, 0x20, 0,   0,   0,   0,
                                0x7E, 0x7F, 0x80, 0xFF, '0',  '1',  '2',  '3',  'x', 'y', 0};
  Show(Image(bytes, std::string(20, ' ') + "----" + std::string(10, ' ') + "-"));
  EXPECT_EQ(view_.windowTitle(), "Ansicht - daten.hex");
  const char* rows[] = {
      "00000000  41 42 43 44 45 46 47 48  49 4A 4B 4C 4D 4E 4F 50  ABCDEFGHIJKLMNOP",
      "00000010  00 01 1F 20 -- -- -- --  7E 7F 80 FF 30 31 32 33  ...     ~...0123",
  };
  for (uint64_t row = 0; row < 2; ++row) EXPECT_EQ(view_.RowText(row).toStdString(), rows[row]);
  // A short last row: its cells end early, the text column stays where it is.
  EXPECT_EQ(view_.RowText(2), QString("00000020  78 79 --").leftJustified(60) + "xy");
  EXPECT_EQ(view_.RowText(3), "");
  struct Cell {
    uint64_t row;
    int column;
    CellState state;
  } cells[] = {{0, 0, CellState::kData}, {1, 3, CellState::kData}, {1, 4, CellState::kGap},
               {1, 7, CellState::kGap},  {1, 8, CellState::kData}, {2, 2, CellState::kGap},
               {2, 3, CellState::kNone}, {3, 0, CellState::kNone}};
  for (const Cell& c : cells) {
    EXPECT_EQ(view_.StateOf(c.row, c.column), c.state) << c.row << "/" << c.column;
  }
  EXPECT_FALSE(Button(kNextDifferenceText)->isEnabled());
}

TEST_F(ImageViewTest, GoToScrollsToTheRowAndSelectsTheAddress) {
  Show(Image(Counting(0x4000)));
  struct Case {
    const char* typed;
    int64_t selected;  // -1: refused, the selection stays
  } cases[] = {{"2A5", 0x2A5}, {"0x3ff0", 0x3FF0}, {"4000", -1}, {"xyz", -1},
               {" 10 ", 0x10}, {"0X3FFF", 0x3FFF}, {"", -1}};
  int64_t before = -1;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    view_.goToField()->setText(c.typed);
    PressReturn(view_.goToField());
    before = c.selected >= 0 ? c.selected : before;
    EXPECT_EQ(view_.SelectedAddress(), before);
    ExpectOnScreen(before);
  }
}

TEST_F(ImageViewTest, CompareMarksExactlyTheDifferingCellsTheFileCovers) {
  // File: 40 bytes, cells 4..7 uncovered. Other: 36 bytes, so 36..39 are not compared;
  // differs at 2, 17 and 33 (a gap of its own), and at 5, where the file has a gap.
  std::vector<uint8_t> other = Counting(36);
  other[2] = 0xAA, other[5] = 0x55, other[17] = 0x99;
  Show(Image(Counting(40), "    ----"));
  chip_ = Image(other, std::string(33, ' ') + "-", 1);
  ASSERT_TRUE(Button(kCompareChipText)->isEnabled());
  Button(kCompareChipText)->click();
  ASSERT_TRUE(view_.Comparing());
  EXPECT_EQ(view_.DifferenceCount(), 3u);
  EXPECT_TRUE(view_.StatusText().endsWith(" | 3 Unterschiede")) << view_.StatusText().toStdString();
  for (int pane = 0; pane < 2; ++pane) {
    for (uint64_t address = 0; address < 48; ++address) {
      CellState state = view_.StateOf(address / 16, address % 16, pane);
      bool marked = state == CellState::kDifferent;
      EXPECT_EQ(marked, address == 2 || address == 17 || address == 33) << pane << "/" << address;
    }
  }
  EXPECT_EQ(view_.StateOf(2, 4, 1), CellState::kNone);
  // The second pane: no address column; its own gaps shown as such.
  EXPECT_EQ(view_.RowText(2, 1), QString("20 -- 22 23").leftJustified(50) + "  \"#");
  EXPECT_EQ(view_.RowText(1, 1).left(6), "10 99 ");
  EXPECT_TRUE(Button(kNextDifferenceText)->isEnabled());
}

TEST_F(ImageViewTest, NextAndPreviousWalkTheDifferencesAndWrap) {
  std::vector<uint8_t> other = Counting(0x4000);
  for (uint32_t address : {0x10u, 0x800u, 0x3FFFu}) other[address] ^= 0xFF;
  Show(Image(Counting(0x4000)));
  view_.CompareWith(Image(other), "zweite.hex");
  // 'n' next, 'p' previous, 'g' going to the address first (the walk goes on from there).
  struct Step {
    char action;
    int64_t selected;
  } steps[] = {{'n', 0x10}, {'n', 0x800},  {'n', 0x3FFF}, {'n', 0x10},  {'p', 0x3FFF}, {'p', 0x800},
               {'p', 0x10}, {'p', 0x3FFF}, {'g', 0x400},  {'n', 0x800}, {'g', 0x400},  {'p', 0x10}};
  for (const Step& s : steps) {
    if (s.action == 'g') view_.GoTo(s.selected);
    if (s.action != 'g')
      Button(s.action == 'n' ? kNextDifferenceText : kPreviousDifferenceText)->click();
    EXPECT_EQ(view_.SelectedAddress(), s.selected);
    ExpectOnScreen(s.selected);
  }
}

TEST_F(ImageViewTest, NothingReadOrChosenLeavesTheViewAsItWas) {
  Show(Image(Counting(32)));
  chip_ = Image(std::vector<uint8_t>(32, 0));
  readResult_ = 5;  // the read failed and said so
  Button(kCompareChipText)->click();
  readResult_ = 0, chip_ = DataImage{};  // refused or cancelled: nothing read
  Button(kCompareChipText)->click();
  Button(kCompareFileText)->click();  // dialog cancelled
  EXPECT_EQ(reads_, 2);
  EXPECT_TRUE(loaded_.empty());
  EXPECT_FALSE(view_.Comparing());

  chosen_ = "/tmp/zweite.hex", chip_ = Image(std::vector<uint8_t>(32, 0));
  Button(kCompareFileText)->click();
  EXPECT_EQ(loaded_, std::vector<std::string>{"/tmp/zweite.hex"});
  EXPECT_TRUE(view_.Comparing());
  EXPECT_TRUE(view_.StatusText().endsWith(" | 31 Unterschiede"));
}

}  // namespace
}  // namespace pellory
