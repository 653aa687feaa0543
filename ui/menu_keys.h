// SPDX-License-Identifier: GPL-3.0-or-later
// The menu bar's keys as players know them from Windows: Alt pressed and released alone opens
// the menu bar (F10 does too; the main window binds it), whatever style the desktop gives Qt.
#pragma once

#include <QProxyStyle>

namespace tobiuo::ui {

class WindowsMenuKeysStyle final : public QProxyStyle {
 public:
  int styleHint(StyleHint hint, const QStyleOption* option = nullptr,
                const QWidget* widget = nullptr,
                QStyleHintReturn* returned = nullptr) const override;
};

}  // namespace tobiuo::ui
