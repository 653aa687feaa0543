// tobiuo: the simulator's window.
#include <QApplication>

#include "ui/dialogs.h"
#include "ui/main_window.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("tobiuo"));
  QApplication::setDesktopFileName(QStringLiteral("tobiuo"));
  tobiuo::ui::QtErrorReporter errors;
  tobiuo::ui::QtSaveDialog save_dialog;
  tobiuo::ui::MainWindow window(errors, save_dialog);
  window.show();
  return QApplication::exec();
}
