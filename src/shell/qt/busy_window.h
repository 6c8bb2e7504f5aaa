// BusyWindow: the small frameless pop-up shown while a hardware action runs, 50 x 50 dialog
// units with a raised dialog frame and the busy picture centred in a bordered picture
// control. Its title "Tarnwick" is never visible; between instances the busy marker of the
// same name does the signalling, the title only keeps the name in the window list.
//
// It cannot be closed by the user: only its owner destroys it.
#pragma once

#include <QDialog>

#include "shell/qt/dialog_template.h"

namespace pellory {

inline constexpr char kBusyWindowTitle[] = "Tarnwick";
inline constexpr int kBusyWindowUnits = 50;

class BusyWindow : public QDialog {
  Q_OBJECT

 public:
  explicit BusyWindow(QWidget* parent);
  // Puts the outer corner at (x, y) screen pixels, on top of the other windows.
  void PlaceAt(int x, int y);

 public slots:
  void reject() override {}

 protected:
  void closeEvent(QCloseEvent* event) override;
};

}  // namespace pellory
