// Helpers of the GUI tests: acting on a modal dialog from inside its own event loop.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QTimer>
#include <functional>

namespace pellory {

// Runs ACTION on the active modal widget once the next modal loop has started; a dialog
// that is not there fails the test through ACTION receiving null.
inline void WhenModal(std::function<void(QWidget*)> action) {
  QTimer::singleShot(0,
                     [action = std::move(action)] { action(QApplication::activeModalWidget()); });
}

// The button of WIDGET captioned TEXT, or null.
inline QAbstractButton* ButtonCaptioned(QWidget* widget, const QString& text) {
  if (widget == nullptr) return nullptr;
  for (QAbstractButton* button : widget->findChildren<QAbstractButton*>()) {
    if (button->text() == text) return button;
  }
  return nullptr;
}

}  // namespace pellory
