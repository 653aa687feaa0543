// SPDX-License-Identifier: GPL-3.0-or-later
// What every window does as it builds its widgets: names each (its objectName, by which tests and
// the accessibility tree find it) as it is made, and turns the engine's UTF-8 texts into Qt's.
#pragma once

#include <QString>
#include <string>

namespace tobiuo::ui {

template <typename W>
W* Named(W* widget, const char* name) {
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

inline QString FromUtf8(const std::string& text) { return QString::fromStdString(text); }

}  // namespace tobiuo::ui
