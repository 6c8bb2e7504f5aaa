#include "shell/qt/image_view.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>
#include <bit>

namespace pellory {

namespace {

// Character columns of a row: "00000010  41 42 43 44 45 46 47 48  49 4A ... 50  ABCDEFGHIJKLMNOP"
constexpr int kAddressChars = 10;  // 8 digits and 2 spaces
constexpr int kTextColumn = 50;    // after the cells, counted from the first cell
constexpr int kRowChars = kTextColumn + kBytesPerRow;
constexpr int kVisibleRowsHint = 32;
constexpr int kMarginPixels = 4;

const QColor kGapColour(150, 150, 150);
const QColor kDifferenceColour(255, 150, 150);

int CellColumn(int cell) {
  return 3 * cell + (cell >= kBytesPerRow / 2 ? 1 : 0);
}

bool IsPrintable(uint8_t byte) {
  return byte >= 0x20 && byte < 0x7F;
}

void PutHex(QString& row, int column, uint64_t value, int digits) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  for (int i = digits - 1; i >= 0; --i, value >>= 4) row[column + i] = QChar(kDigits[value & 0xF]);
}

}  // namespace

// One hex pane: paints the visible rows of an image it does not own. The vertical scroll
// bar's value is the top row.
class HexPane : public QAbstractScrollArea {
 public:
  HexPane(bool showAddress, QWidget* parent)
      : QAbstractScrollArea(parent), showAddress_(showAddress) {
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    // The dialogs' 8 points: two panes side by side still fit on a screen 1024 pixels wide.
    fixed.setPointSize(8);
    setFont(fixed);
    QFontMetricsF metrics(fixed);
    // The advance inside a string, which is where the painted characters land.
    charWidth_ = metrics.horizontalAdvance(QString(100, QLatin1Char('0'))) / 100;
    rowHeight_ = QFontMetrics(fixed).lineSpacing();
    setFocusPolicy(Qt::StrongFocus);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    verticalScrollBar()->setSingleStep(1);
  }

  void SetImage(const DataImage* image, const DifferenceMarks* differences) {
    image_ = image;
    differences_ = differences;
    viewport()->update();
  }
  void SetRowCount(uint64_t rows) {
    rows_ = rows;
    UpdateScrollBars();
  }
  void SetSelected(int64_t address) {
    selected_ = address;
    viewport()->update();
  }

  uint64_t TopRow() const { return static_cast<uint64_t>(verticalScrollBar()->value()); }
  int VisibleRows() const { return std::max(1, viewport()->height() / rowHeight_); }
  // Puts ROW on screen, a third down from the top when it has to move.
  void ScrollToRow(uint64_t row) {
    if (row >= TopRow() && row < TopRow() + VisibleRows()) return;
    int64_t top = static_cast<int64_t>(row) - VisibleRows() / 3;
    verticalScrollBar()->setValue(static_cast<int>(std::max<int64_t>(top, 0)));
  }

  CellState StateAt(uint64_t address) const {
    if (image_ == nullptr || address >= image_->Size()) return CellState::kNone;
    if (differences_ != nullptr && differences_->Marked(address)) return CellState::kDifferent;
    return image_->IsCovered(address) ? CellState::kData : CellState::kGap;
  }

  QString RowText(uint64_t row) const {
    QString normal, grey;
    if (!BuildRow(row, normal, grey)) return QString();
    for (qsizetype i = 0; i < grey.size(); ++i) {
      if (grey[i] != QLatin1Char(' ')) normal[i] = grey[i];
    }
    while (normal.endsWith(QLatin1Char(' '))) normal.chop(1);
    return normal;
  }

  int ContentWidth() const {
    return static_cast<int>(Chars(FirstCell() + kRowChars)) + 2 * kMarginPixels;
  }

  QSize sizeHint() const override {
    int frame = 2 * frameWidth();
    return QSize(ContentWidth() + verticalScrollBar()->sizeHint().width() + frame,
                 kVisibleRowsHint * rowHeight_ + frame);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), palette().base());
    if (image_ == nullptr) return;
    qreal left = kMarginPixels - horizontalScrollBar()->value();
    int ascent = QFontMetrics(font()).ascent();
    QString normal, grey;
    for (int i = 0; i * rowHeight_ < viewport()->height(); ++i) {
      uint64_t row = TopRow() + i;
      if (!BuildRow(row, normal, grey)) break;
      int y = i * rowHeight_;
      PaintMarks(painter, row, left, y);
      painter.setPen(palette().color(QPalette::Text));
      painter.drawText(QPointF(left, y + ascent), normal);
      if (!grey.isEmpty()) {
        painter.setPen(kGapColour);
        painter.drawText(QPointF(left, y + ascent), grey);
      }
    }
  }

  void resizeEvent(QResizeEvent* event) override {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
  }

  void scrollContentsBy(int, int) override { viewport()->update(); }

 private:
  int FirstCell() const { return showAddress_ ? kAddressChars : 0; }
  qreal Chars(qreal count) const { return count * charWidth_; }

  // The characters of ROW in the text colour (NORMAL) and the gap marks in grey (GREY, left
  // empty when the row has no gap). False beyond the image.
  bool BuildRow(uint64_t row, QString& normal, QString& grey) const {
    uint64_t start = row * kBytesPerRow;
    if (image_ == nullptr || start >= image_->Size()) return false;
    normal = QString(FirstCell() + kRowChars, QLatin1Char(' '));
    grey.clear();
    if (showAddress_) PutHex(normal, 0, start, 8);
    uint64_t end = std::min<uint64_t>(start + kBytesPerRow, image_->Size());
    for (uint64_t address = start; address < end; ++address) {
      int cell = static_cast<int>(address - start);
      int column = FirstCell() + CellColumn(cell);
      if (!image_->IsCovered(address)) {
        if (grey.isEmpty()) grey = QString(normal.size(), QLatin1Char(' '));
        grey[column] = grey[column + 1] = QLatin1Char('-');
        continue;
      }
      uint8_t byte = image_->At(address);
      PutHex(normal, column, byte, 2);
      normal[FirstCell() + kTextColumn + cell] = QLatin1Char(IsPrintable(byte) ? char(byte) : '.');
    }
    return true;
  }

  // The backgrounds under ROW: the selection's row, the differences, the selected cell.
  void PaintMarks(QPainter& painter, uint64_t row, qreal left, int y) const {
    uint64_t start = row * kBytesPerRow;
    bool selectedRow = selected_ >= 0 && static_cast<uint64_t>(selected_) / kBytesPerRow == row;
    if (selectedRow) {
      QColor highlight = palette().color(QPalette::Highlight);
      highlight.setAlpha(60);
      painter.fillRect(QRect(0, y, viewport()->width(), rowHeight_), highlight);
    }
    for (int cell = 0; differences_ != nullptr && cell < kBytesPerRow; ++cell) {
      if (!differences_->Marked(start + cell)) continue;
      painter.fillRect(CellRect(cell, left, y), kDifferenceColour);
      painter.fillRect(TextRect(cell, left, y), kDifferenceColour);
    }
    if (selectedRow) {
      int cell = static_cast<int>(selected_ - static_cast<int64_t>(start));
      painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
      painter.drawRect(CellRect(cell, left, y).adjusted(1, 1, -1, -1));
      painter.drawRect(TextRect(cell, left, y).adjusted(0, 1, 0, -1));
    }
  }

  QRectF CellRect(int cell, qreal left, int y) const {
    return QRectF(left + Chars(FirstCell() + CellColumn(cell) - 0.5), y, Chars(3), rowHeight_);
  }
  QRectF TextRect(int cell, qreal left, int y) const {
    return QRectF(left + Chars(FirstCell() + kTextColumn + cell), y, Chars(1), rowHeight_);
  }

  void UpdateScrollBars() {
    int visible = VisibleRows();
    uint64_t last = rows_ > static_cast<uint64_t>(visible) ? rows_ - visible : 0;
    verticalScrollBar()->setRange(0, static_cast<int>(last));
    verticalScrollBar()->setPageStep(visible);
    horizontalScrollBar()->setRange(0, std::max(0, ContentWidth() - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setSingleStep(static_cast<int>(charWidth_));
    viewport()->update();
  }

  bool showAddress_;
  const DataImage* image_ = nullptr;
  const DifferenceMarks* differences_ = nullptr;
  uint64_t rows_ = 0;
  int64_t selected_ = -1;
  qreal charWidth_ = 8;
  int rowHeight_ = 16;
};

void DifferenceMarks::Mark(uint64_t address) {
  uint64_t& word = words_[address / 64];
  uint64_t bit = uint64_t{1} << (address % 64);
  count_ += (word & bit) == 0 ? 1 : 0;
  word |= bit;
}

int64_t DifferenceMarks::After(int64_t address) const {
  uint64_t from = static_cast<uint64_t>(address + 1);
  for (uint64_t w = from / 64; w < words_.size(); ++w) {
    uint64_t bits = words_[w];
    if (w == from / 64) bits &= ~uint64_t{0} << (from % 64);
    if (bits != 0) return static_cast<int64_t>(w * 64 + std::countr_zero(bits));
  }
  return -1;
}

int64_t DifferenceMarks::Before(int64_t address) const {
  uint64_t end =
      std::min<uint64_t>(static_cast<uint64_t>(std::max<int64_t>(address, 0)), words_.size() * 64);
  for (uint64_t w = (end + 63) / 64; w-- > 0;) {
    uint64_t bits = words_[w];
    if (w == end / 64) bits &= (uint64_t{1} << (end % 64)) - 1;
    if (bits != 0) return static_cast<int64_t>(w * 64 + 63 - std::countl_zero(bits));
  }
  return -1;
}

QString ImageStatusText(uint64_t size, int format, uint16_t byteSum, uint32_t crc32,
                        int64_t differences) {
  auto hex = [](uint64_t value, int digits) {
    return QString::number(value, 16).toUpper().rightJustified(digits, QLatin1Char('0'));
  };
  QString text =
      QStringLiteral("%1 Bytes (0x%2) | %3 | Bytesumme 0x%4 | CRC-32 0x%5")
          .arg(size)
          .arg(hex(size, 1), QString::fromUtf8(FormatName(format)), hex(byteSum, 4), hex(crc32, 8));
  if (differences == 0) {
    text += QStringLiteral(" | Keine Unterschiede");
  } else if (differences == 1) {
    text += QStringLiteral(" | 1 Unterschied");
  } else if (differences > 1) {
    text += QStringLiteral(" | %1 Unterschiede").arg(differences);
  }
  return text;
}

ImageView::ImageView(Sources sources, QWidget* parent)
    : QWidget(parent, Qt::Window), sources_(std::move(sources)) {
  goTo_ = new QLineEdit(this);
  goTo_->setMaxLength(10);
  goTo_->setFixedWidth(goTo_->fontMetrics().horizontalAdvance(QStringLiteral("0x00000000")) + 16);
  compareChip_ = new QPushButton(QString::fromUtf8(kCompareChipText), this);
  compareFile_ = new QPushButton(QString::fromUtf8(kCompareFileText), this);
  SetCompareEnabled(true);
  auto* top = new QHBoxLayout;
  top->addWidget(new QLabel(QString::fromUtf8(kGoToLabel), this));
  top->addWidget(goTo_);
  top->addStretch(1);
  top->addWidget(compareChip_);
  top->addWidget(compareFile_);

  auto* panes = new QGridLayout;
  for (int i = 0; i < 2; ++i) {
    captions_[i] = new QLabel(this);
    captions_[i]->setTextFormat(Qt::PlainText);
    panes_[i] = new HexPane(i == 0, this);
    panes->addWidget(captions_[i], 0, i);
    panes->addWidget(panes_[i], 1, i);
    captions_[i]->hide();
  }
  panes_[1]->hide();
  // Scrolled together: the same row count in both, so the same value means the same row.
  // Only while both show: the hidden one's range follows no layout and would clamp.
  for (int i = 0; i < 2; ++i) {
    connect(panes_[i]->verticalScrollBar(), &QScrollBar::valueChanged, this, [this, i](int value) {
      if (Comparing()) panes_[1 - i]->verticalScrollBar()->setValue(value);
    });
  }

  status_ = new QLabel(this);
  status_->setTextFormat(Qt::PlainText);
  previous_ = new QPushButton(QString::fromUtf8(kPreviousDifferenceText), this);
  next_ = new QPushButton(QString::fromUtf8(kNextDifferenceText), this);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(status_, 1);
  bottom->addWidget(previous_);
  bottom->addWidget(next_);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addLayout(panes, 1);
  layout->addLayout(bottom);

  connect(goTo_, &QLineEdit::returnPressed, this, &ImageView::OnGoTo);
  connect(compareChip_, &QPushButton::clicked, this, &ImageView::CompareWithChip);
  connect(compareFile_, &QPushButton::clicked, this, &ImageView::CompareWithFile);
  connect(previous_, &QPushButton::clicked, this, &ImageView::PreviousDifference);
  connect(next_, &QPushButton::clicked, this, &ImageView::NextDifference);
  UpdateButtons();
}

ImageView::~ImageView() = default;

void ImageView::ShowImage(DataImage image) {
  image_ = std::move(image);
  byteSum_ = image_.ByteSum();
  crc32_ = image_.Crc32();
  other_.reset();
  differences_ = DifferenceMarks();
  selected_ = -1;
  QString name = QFileInfo(QFile::decodeName(image_.Path.c_str())).fileName();
  setWindowTitle(QString::fromUtf8(kViewTitlePrefix) + name);
  captions_[0]->setText(name);
  for (int i = 0; i < 2; ++i) {
    captions_[i]->hide();
    panes_[i]->SetImage(i == 0 ? &image_ : nullptr, nullptr);
    panes_[i]->SetSelected(-1);
    panes_[i]->SetRowCount((image_.Size() + kBytesPerRow - 1) / kBytesPerRow);
  }
  panes_[1]->hide();
  panes_[0]->verticalScrollBar()->setValue(0);
  UpdateStatus();
  UpdateButtons();
  if (!isVisible()) FitWidth();
}

void ImageView::CompareWith(DataImage other, const QString& title) {
  other_ = std::move(other);
  differences_ = DifferenceMarks(std::min(image_.Size(), other_->Size()));
  CompareImages(image_, *other_,
                [this](const ImageDifference& d) { differences_.Mark(d.Address); });
  uint64_t rows = (std::max(image_.Size(), other_->Size()) + kBytesPerRow - 1) / kBytesPerRow;
  captions_[1]->setText(title);
  for (int i = 0; i < 2; ++i) {
    panes_[i]->SetImage(i == 0 ? &image_ : &*other_, &differences_);
    panes_[i]->SetSelected(selected_);
    panes_[i]->SetRowCount(rows);
    panes_[i]->show();
    captions_[i]->show();
  }
  // The second pane starts where the first one is.
  panes_[1]->verticalScrollBar()->setValue(panes_[0]->verticalScrollBar()->value());
  UpdateStatus();
  UpdateButtons();
  FitWidth();
}

void ImageView::CompareWithChip() {
  if (!sources_.ReadChip) return;
  DataImage chip;
  int result = sources_.ReadChip(chip);
  TakeBackFocus();
  // A failed read has said why; a refused or cancelled one read nothing.
  if (result != 0 || chip.Size() == 0) return;
  CompareWith(std::move(chip), QString::fromUtf8(kChipPaneTitle));
}

void ImageView::CompareWithFile() {
  if (!sources_.ChooseFile || !sources_.LoadFile) return;
  std::optional<std::string> path = sources_.ChooseFile();
  DataImage other;
  bool loaded = path && sources_.LoadFile(*path, other) == 0;
  TakeBackFocus();
  if (!loaded) return;
  CompareWith(std::move(other), QFileInfo(QFile::decodeName(path->c_str())).fileName());
}

void ImageView::SetCompareEnabled(bool enabled) {
  compareChip_->setEnabled(enabled && sources_.ReadChip);
  compareFile_->setEnabled(enabled && sources_.ChooseFile && sources_.LoadFile);
}

// The dialogs and boxes of a compare belong to the main window, which the window system
// activates when they close; the user goes on in the view.
void ImageView::TakeBackFocus() {
  if (!isVisible()) return;
  raise();
  activateWindow();
}

bool ImageView::GoTo(uint64_t address) {
  if (address >= image_.Size()) {
    QApplication::beep();
    return false;
  }
  SelectAndShow(static_cast<int64_t>(address));
  return true;
}

void ImageView::OnGoTo() {
  QString text = goTo_->text().trimmed();
  if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) text.remove(0, 2);
  bool ok = false;
  uint64_t address = text.toULongLong(&ok, 16);
  if (!ok) {
    QApplication::beep();
    return;
  }
  GoTo(address);
}

void ImageView::NextDifference() {
  if (differences_.Count() == 0) {
    QApplication::beep();
    return;
  }
  int64_t next = differences_.After(selected_);
  SelectAndShow(next >= 0 ? next : differences_.After(-1));
}

void ImageView::PreviousDifference() {
  if (differences_.Count() == 0) {
    QApplication::beep();
    return;
  }
  // Nothing selected, or nothing before the selection: from the end.
  int64_t previous = selected_ >= 0 ? differences_.Before(selected_) : -1;
  SelectAndShow(previous >= 0 ? previous : differences_.Before(INT64_MAX));
}

void ImageView::SelectAndShow(int64_t address) {
  selected_ = address;
  for (HexPane* pane : panes_) pane->SetSelected(address);
  panes_[0]->ScrollToRow(static_cast<uint64_t>(address) / kBytesPerRow);
}

uint64_t ImageView::TopRow() const {
  return panes_[0]->TopRow();
}

int ImageView::VisibleRows() const {
  return panes_[0]->VisibleRows();
}

QString ImageView::RowText(uint64_t row, int pane) const {
  return panes_[pane == 0 ? 0 : 1]->RowText(row);
}

CellState ImageView::StateOf(uint64_t row, int column, int pane) const {
  return panes_[pane == 0 ? 0 : 1]->StateAt(row * kBytesPerRow + column);
}

QString ImageView::StatusText() const {
  return status_->text();
}

void ImageView::UpdateStatus() {
  int64_t count = Comparing() ? static_cast<int64_t>(differences_.Count()) : -1;
  status_->setText(ImageStatusText(image_.Size(), image_.Format, byteSum_, crc32_, count));
}

void ImageView::UpdateButtons() {
  previous_->setEnabled(differences_.Count() != 0);
  next_->setEnabled(differences_.Count() != 0);
}

// As wide as the panes need, within the screen.
void ImageView::FitWidth() {
  QSize hint = sizeHint();
  QRect room = screen() != nullptr ? screen()->availableGeometry() : QRect(0, 0, 1 << 14, 1 << 14);
  int width = std::min(std::max(hint.width(), isVisible() ? this->width() : 0), room.width());
  int height = isVisible() ? this->height() : std::min(hint.height(), room.height() * 3 / 4);
  resize(width, height);
  if (isVisible() && frameGeometry().right() > room.right()) {
    move(std::max(room.left(), room.right() - frameGeometry().width()), y());
  }
}

}  // namespace pellory
