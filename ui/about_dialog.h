// SPDX-License-Identifier: GPL-3.0-or-later
// The about window "Dialog": the program's name and version, and an OK button that closes it.
// It is modeless and has no owner; the main window keeps at most one.
#pragma once

#include <QDialog>

namespace tobiuo::ui {

class AboutDialog : public QDialog {
  Q_OBJECT

 public:
  AboutDialog();
};

}  // namespace tobiuo::ui
