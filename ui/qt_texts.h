// SPDX-License-Identifier: GPL-3.0-or-later
// Qt's own texts (the file dialog, the buttons of message boxes, the context menus of text fields)
// in Japanese whatever the system's locale: the program's own texts are Japanese by design, and a
// player should meet no English ones. They come from Qt's translations (Debian's
// qt6-translations-l10n).
#pragma once

class QCoreApplication;

namespace tobiuo::ui {

// Installs Qt's Japanese translation into the application; false when it is not installed, in
// which case Qt's texts stay English.
bool InstallJapaneseQtTexts(QCoreApplication& app);

}  // namespace tobiuo::ui
