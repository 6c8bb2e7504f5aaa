// The GUI tests' main: one QApplication for all tests, on the offscreen platform unless the
// caller chose another, and never with a real parallel port.
#include <gtest/gtest.h>

#include <QApplication>
#include <QStyleFactory>

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  qputenv("PELLORY_NO_REAL_PORT", "1");
  testing::InitGoogleTest(&argc, argv);
  int qtArgc = 1;
  QApplication app(qtArgc, argv);
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  return RUN_ALL_TESTS();
}
