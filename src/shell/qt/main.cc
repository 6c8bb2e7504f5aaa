// pellory: the desktop program. Placeholder window until the dialog template lands.
#include <QApplication>
#include <QDialog>

#include "shell/version_text.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QDialog window;
  window.setWindowTitle(QString::fromStdString(pellory::MainWindowTitle()));
  window.show();
  return app.exec();
}
