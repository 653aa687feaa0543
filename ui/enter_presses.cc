// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/enter_presses.h"

#include <QKeyEvent>
#include <QPushButton>

namespace tobiuo::ui {
namespace {

class EnterPresses final : public QObject {
 public:
  explicit EnterPresses(QPushButton* button) : QObject(button), button_(button) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyPress) {
      const int key = static_cast<QKeyEvent*>(event)->key();
      if ((key == Qt::Key_Return || key == Qt::Key_Enter) && button_->isEnabled()) {
        button_->click();
        return true;
      }
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  QPushButton* button_;
};

}  // namespace

void PressOnEnter(QPushButton* button) { button->installEventFilter(new EnterPresses(button)); }

}  // namespace tobiuo::ui
