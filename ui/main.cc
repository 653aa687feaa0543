// SPDX-License-Identifier: GPL-3.0-or-later
// tobiuo: the simulator's window.
#include <QApplication>
#include <cstdio>

#include "ui/dialogs.h"
#include "ui/main_window.h"
#include "ui/menu_keys.h"
#include "ui/qt_texts.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("tobiuo"));
  QApplication::setDesktopFileName(QStringLiteral("tobiuo"));
  QApplication::setStyle(new tobiuo::ui::WindowsMenuKeysStyle);  // owned by the application
  if (!tobiuo::ui::InstallJapaneseQtTexts(app)) {
    std::fprintf(stderr,
                 "tobiuo: Qt's Japanese translation (qt6-translations-l10n) is not "
                 "installed; Qt's own texts stay English\n");
  }
  tobiuo::ui::QtErrorReporter errors;
  tobiuo::ui::QtSaveDialog save_dialog(errors);
  tobiuo::ui::MainWindow window(errors, save_dialog);
  window.show();
  return QApplication::exec();
}
