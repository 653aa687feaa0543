// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/about_dialog.h"

#include <QLabel>
#include <QPushButton>

namespace tobiuo::ui {

AboutDialog::AboutDialog() {
  setObjectName(QStringLiteral("Dialog"));
  setWindowTitle(QStringLiteral("トビウオゴウシュミレーターについて"));
  setAttribute(Qt::WA_DeleteOnClose);
  setModal(false);
  setFixedSize(351, 195);

  auto* caption = new QLabel(QStringLiteral("トビウオゴウシュミレーター Version 1.0"), this);
  caption->setObjectName(QStringLiteral("Label1"));
  caption->setGeometry(6, 9, 340, 151);
  caption->setAlignment(Qt::AlignCenter);

  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("OKButton"));
  ok->setGeometry(3, 165, 345, 25);
  ok->setDefault(true);
  ok->setFocus();
  connect(ok, &QPushButton::clicked, this, &QDialog::close);
}

}  // namespace tobiuo::ui
