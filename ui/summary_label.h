// SPDX-License-Identifier: GPL-3.0-or-later
// The result label "lbl_kekka": a plain-text label that fits the summary's 25 lines into its
// height by tightening the line spacing when the font's own spacing would not fit them.
#pragma once

#include <QLabel>

namespace tobiuo::ui {

class SummaryLabel : public QLabel {
  Q_OBJECT

 public:
  explicit SummaryLabel(QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace tobiuo::ui
