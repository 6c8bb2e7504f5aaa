// ImageView: the "Ansicht" window, a hex view of the data file and, after a compare, of a
// second image (the chip or another file) beside it. A non-modal top-level window; the
// main window owns one and hands it images, the view never reads a file itself.
//
// Rows are 16 cells: the address (8 hexadecimal digits), the 16 bytes in hexadecimal and
// the same bytes as text (printable ASCII, else '.'). Cells no record covered show "--" in
// grey and a blank text character; cells beyond an image's end show nothing. Rows are
// painted only while visible, from the image itself: nothing per row is kept, so a 16 MiB
// image costs its bytes, its coverage and, after a compare, a bit per cell for the
// differences.
//
// Differences are those of CompareImages (cells the data file covers, below both sizes);
// each is marked with a red background in both panes. The selection (from "go to" or from
// the difference walk) highlights its row and frames its cell.
#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "operations/data_image.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace pellory {

inline constexpr char kViewTitlePrefix[] = "Ansicht - ";
inline constexpr char kGoToLabel[] = "Gehe zu Adresse:";
inline constexpr char kCompareChipText[] = "Mit Baustein vergleichen";
inline constexpr char kCompareFileText[] = "Mit Datei vergleichen...";
inline constexpr char kNextDifferenceText[] = "Nächster Unterschied";
inline constexpr char kPreviousDifferenceText[] = "Vorheriger Unterschied";
inline constexpr char kChipPaneTitle[] = "Baustein";
inline constexpr int kBytesPerRow = 16;

enum class CellState {
  kNone,       // beyond the image's end
  kData,       // a byte the image holds
  kGap,        // no record covered it
  kDifferent,  // one of the compare's differences (in either pane)
};

// "4096 Bytes (0x1000) | Intel 32 | Bytesumme 0x3A5C | CRC-32 0x1C291CA3", and with a compare
// " | 3 Unterschiede" ("1 Unterschied", "Keine Unterschiede"); DIFFERENCES < 0: no compare.
QString ImageStatusText(uint64_t size, int format, uint16_t byteSum, uint32_t crc32,
                        int64_t differences);

// The cells a compare found different, a bit each, however many differ.
class DifferenceMarks {
 public:
  // No marks, room for SIZE cells.
  explicit DifferenceMarks(uint64_t size = 0) : words_((size + 63) / 64) {}
  void Mark(uint64_t address);
  bool Marked(uint64_t address) const {
    return address / 64 < words_.size() && (words_[address / 64] >> (address % 64) & 1) != 0;
  }
  uint64_t Count() const { return count_; }
  // The first marked cell after ADDRESS (-1: from the start), or -1 when none is.
  int64_t After(int64_t address) const;
  // The last marked cell before ADDRESS, or -1 when none is.
  int64_t Before(int64_t address) const;

 private:
  std::vector<uint64_t> words_;
  uint64_t count_ = 0;
};

class HexPane;

class ImageView : public QWidget {
  Q_OBJECT

 public:
  // What the compare buttons need from the main window. LoadFile and ReadChip return 0 with
  // the image filled, or non-zero after their own messages. ChooseFile: the chosen path,
  // or nothing when cancelled.
  struct Sources {
    std::function<int(const std::string& path, DataImage& image)> LoadFile;
    std::function<std::optional<std::string>()> ChooseFile;
    std::function<int(DataImage& chip)> ReadChip;
  };

  explicit ImageView(Sources sources, QWidget* parent = nullptr);
  ~ImageView() override;

  // Shows IMAGE (the data file) alone; an earlier compare ends.
  void ShowImage(DataImage image);
  // Shows OTHER beside the data file, captioned TITLE, and marks the differences.
  void CompareWith(DataImage other, const QString& title);
  void CompareWithChip();
  void CompareWithFile();
  // Off while a hardware action runs: the compares read the chip or the settings it uses.
  void SetCompareEnabled(bool enabled);

  // Scrolls to ADDRESS and selects it; false (nothing changes) beyond the data file.
  bool GoTo(uint64_t address);
  // The difference after (before) the selection, wrapping at the ends; none: a beep.
  void NextDifference();
  void PreviousDifference();

  // --- What the window shows, for its tests ---------------------------------------------
  const DataImage& image() const { return image_; }
  bool Comparing() const { return other_.has_value(); }
  uint64_t DifferenceCount() const { return differences_.Count(); }
  // The selected address, or -1.
  int64_t SelectedAddress() const { return selected_; }
  uint64_t TopRow() const;
  int VisibleRows() const;
  // Row ROW of PANE (0: the data file, 1: the second image) as its characters stand on the
  // screen; empty beyond the image. The second pane has no address column.
  QString RowText(uint64_t row, int pane = 0) const;
  CellState StateOf(uint64_t row, int column, int pane = 0) const;
  QString StatusText() const;
  QLineEdit* goToField() const { return goTo_; }

 private:
  void OnGoTo();
  void TakeBackFocus();
  void SelectAndShow(int64_t address);
  void UpdateStatus();
  void UpdateButtons();
  void FitWidth();

  Sources sources_;
  DataImage image_;
  std::optional<DataImage> other_;
  DifferenceMarks differences_;
  uint16_t byteSum_ = 0;
  uint32_t crc32_ = 0;
  int64_t selected_ = -1;

  HexPane* panes_[2] = {nullptr, nullptr};
  QLabel* captions_[2] = {nullptr, nullptr};
  QLineEdit* goTo_ = nullptr;
  QPushButton* compareChip_ = nullptr;
  QPushButton* compareFile_ = nullptr;
  QPushButton* previous_ = nullptr;
  QPushButton* next_ = nullptr;
  QLabel* status_ = nullptr;
};

}  // namespace pellory
