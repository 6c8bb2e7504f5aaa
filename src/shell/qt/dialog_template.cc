#include "shell/qt/dialog_template.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>

namespace pellory {

namespace {

// a * b / c rounded half away from zero, for the non-negative values of a template.
int MulDiv(int a, int b, int c) {
  return (a * b + c / 2) / c;
}

// A group box as templates draw it: an etched frame whose top line runs through the middle
// of the caption, so the framed controls sit right below the caption.
class TemplateGroupBox : public QGroupBox {
 public:
  TemplateGroupBox(const QString& caption, QWidget* parent) : QGroupBox(caption, parent) {}

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    QFontMetrics metrics(font());
    QRect frame = rect().adjusted(0, metrics.height() / 2, -1, -1);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(frame.adjusted(0, 0, -1, -1));
    painter.setPen(palette().color(QPalette::Light));
    painter.drawRect(frame.adjusted(1, 1, 0, 0));
    int gap = metrics.averageCharWidth() / 2;
    QRect caption(2 * metrics.averageCharWidth(), 0, metrics.horizontalAdvance(title()) + 2 * gap,
                  metrics.height());
    painter.fillRect(caption, palette().window());
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    painter.drawText(caption, Qt::AlignCenter | Qt::TextSingleLine, title());
  }
};

QLabel* MakePicture(QWidget* parent, const char* resource, QSize room, bool framed) {
  auto* label = new QLabel(parent);
  label->setAlignment(Qt::AlignCenter);
  QPixmap picture(QString::fromUtf8(resource));
  if (framed) {
    label->setFrameShape(QFrame::Box);
    label->setLineWidth(1);
    room -= QSize(2, 2);
  }
  if (picture.width() > room.width() || picture.height() > room.height()) {
    picture = picture.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  }
  label->setPixmap(picture);
  return label;
}

QComboBox* MakeComboBox(QWidget* parent) {
  auto* combo = new QComboBox(parent);
  combo->setEditable(true);
  // Typing never adds to the list; the list is filled by the program.
  combo->setInsertPolicy(QComboBox::NoInsert);
  combo->setCompleter(nullptr);
  return combo;
}

QWidget* MakeControl(QWidget* parent, const TemplateControl& entry, QRect rect) {
  const QString caption = QString::fromUtf8(entry.Caption);
  switch (entry.Kind) {
    case ControlKind::kStatic: {
      auto* label = new QLabel(caption, parent);
      label->setTextFormat(Qt::PlainText);
      return label;
    }
    case ControlKind::kProgressBar: {
      auto* bar = new QProgressBar(parent);
      bar->setTextVisible(false);
      bar->setRange(0, 100);
      bar->setValue(0);
      return bar;
    }
    case ControlKind::kPushButton:
    case ControlKind::kDefaultButton: {
      auto* button = new QPushButton(caption, parent);
      button->setDefault(entry.Kind == ControlKind::kDefaultButton);
      return button;
    }
    case ControlKind::kReadOnlyEdit:
    case ControlKind::kEdit: {
      auto* edit = new QLineEdit(caption, parent);
      if (entry.Kind == ControlKind::kReadOnlyEdit) {
        edit->setReadOnly(true);
        QPalette palette = edit->palette();
        palette.setColor(QPalette::Base, palette.color(QPalette::Window));
        edit->setPalette(palette);
      }
      return edit;
    }
    case ControlKind::kComboBox:
      return MakeComboBox(parent);
    case ControlKind::kPicture:
    case ControlKind::kFramedPicture:
      return MakePicture(parent, entry.Caption, rect.size(),
                         entry.Kind == ControlKind::kFramedPicture);
    case ControlKind::kGroupBox:
      return new TemplateGroupBox(caption, parent);
    case ControlKind::kCheckBox:
      return new QCheckBox(caption, parent);
  }
  return nullptr;
}

// A template's combo box rectangle includes its dropped-down list; the field itself is as
// high as the font needs, and the list shows as many items as fit into the rest.
void PlaceComboBox(QComboBox* combo, QRect rect) {
  int fieldHeight = std::min(rect.height(), combo->sizeHint().height());
  int itemHeight = QFontMetrics(combo->font()).height() + 2;
  combo->setMaxVisibleItems(std::max(1, (rect.height() - fieldHeight) / itemHeight));
  combo->setGeometry(rect.x(), rect.y(), rect.width(), fieldHeight);
}

}  // namespace

QFont DialogFont() {
  QFont font;
  font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                    QStringLiteral("Sans Serif")});
  font.setStyleHint(QFont::SansSerif);
  font.setPointSize(8);
  return font;
}

DialogUnits DialogUnits::Of(const QFont& font) {
  QFontMetrics metrics(font);
  int letters = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  return DialogUnits((letters + 26) / 52, metrics.height());
}

int DialogUnits::ToPixelsX(int units) const {
  return MulDiv(units, baseX_, 4);
}
int DialogUnits::ToPixelsY(int units) const {
  return MulDiv(units, baseY_, 8);
}

QRect DialogUnits::ToPixels(int x, int y, int width, int height) const {
  return QRect(ToPixelsX(x), ToPixelsY(y), ToPixelsX(width), ToPixelsY(height));
}

std::map<int, QWidget*> BuildControls(QWidget* parent, std::span<const TemplateControl> table,
                                      const DialogUnits& units) {
  std::map<int, QWidget*> controls;
  for (const TemplateControl& entry : table) {
    QRect rect = units.ToPixels(entry.X, entry.Y, entry.Width, entry.Height);
    QWidget* control = MakeControl(parent, entry, rect);
    if (auto* combo = qobject_cast<QComboBox*>(control)) {
      PlaceComboBox(combo, rect);
    } else {
      control->setGeometry(rect);
    }
    control->setObjectName(QString::number(entry.Id));
    if (entry.Id != kNoControlId) controls[entry.Id] = control;
  }
  return controls;
}

}  // namespace pellory
