// The about window "Dialog": the program's name and version, and an OK button that closes it.
// It is modeless and has no owner; the main window keeps at most one.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace tobiuo::ui {

class AboutDialog : public QDialog {
  Q_OBJECT

 public:
  AboutDialog();

 private:
  void OKButton_Click();

  QLabel* Label1;
  QPushButton* OKButton;
};

}  // namespace tobiuo::ui
