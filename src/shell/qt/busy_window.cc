#include "shell/qt/busy_window.h"

#include <QCloseEvent>
#include <QFrame>

namespace pellory {

namespace {

constexpr char kBusyPictureResource[] = ":/bitmaps/138.png";

constexpr TemplateControl kControls[] = {
    {kNoControlId, ControlKind::kFramedPicture, kBusyPictureResource, 2, 2, 46, 46},
};

}  // namespace

BusyWindow::BusyWindow(QWidget* parent) : QDialog(parent, Qt::Tool | Qt::FramelessWindowHint) {
  setAttribute(Qt::WA_ShowWithoutActivating);
  setWindowTitle(QString::fromUtf8(kBusyWindowTitle));
  setFont(DialogFont());
  DialogUnits units = DialogUnits::Of(font());
  setFixedSize(units.ToPixelsX(kBusyWindowUnits), units.ToPixelsY(kBusyWindowUnits));
  // Without a title bar the dialog frame is drawn by the window itself.
  auto* frame = new QFrame(this);
  frame->setFrameStyle(QFrame::Panel | QFrame::Raised);
  frame->setLineWidth(2);
  frame->setGeometry(rect());
  BuildControls(this, kControls, units);
}

void BusyWindow::PlaceAt(int x, int y) {
  move(x, y);
  raise();
}

void BusyWindow::closeEvent(QCloseEvent* event) {
  event->ignore();
}

}  // namespace pellory
