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

  Label1 = new QLabel(QStringLiteral("トビウオゴウシュミレーター Version 1.0"), this);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->setGeometry(6, 9, 340, 151);
  Label1->setAlignment(Qt::AlignCenter);

  OKButton = new QPushButton(QStringLiteral("OK"), this);
  OKButton->setObjectName(QStringLiteral("OKButton"));
  OKButton->setGeometry(3, 165, 345, 25);
  OKButton->setDefault(true);
  OKButton->setFocus();
  connect(OKButton, &QPushButton::clicked, this, &AboutDialog::OKButton_Click);
}

void AboutDialog::OKButton_Click() { close(); }

}  // namespace tobiuo::ui
