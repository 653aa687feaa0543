// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/menu_keys.h"

namespace tobiuo::ui {

int WindowsMenuKeysStyle::styleHint(StyleHint hint, const QStyleOption* option,
                                    const QWidget* widget, QStyleHintReturn* returned) const {
  if (hint == SH_MenuBar_AltKeyNavigation) return 1;
  return QProxyStyle::styleHint(hint, option, widget, returned);
}

}  // namespace tobiuo::ui
