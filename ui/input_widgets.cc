// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/input_widgets.h"

#include <QLabel>

namespace tobiuo::ui {

QComboBox* DropDown(QWidget* parent) {
  auto* combo = new QComboBox(parent);
  combo->setEditable(true);
  combo->setInsertPolicy(QComboBox::NoInsert);
  combo->setCompleter(nullptr);
  return combo;
}

QStringList GameCounts() {
  QStringList items;
  for (int games = 100; games <= 1000; games += 100) items << QString::number(games);
  for (int games = 1500; games <= 8000; games += 500) items << QString::number(games);
  return items;
}

QStringList RateItems() {
  QStringList items;
  for (int rate = 5; rate <= 8; ++rate) items << QString::number(rate);
  return items << QStringLiteral("その他");
}

bool OtherRateChosen(const QComboBox& rate_box) {
  const int index = rate_box.currentIndex();
  return index == rate_box.count() - 1 && rate_box.currentText() == rate_box.itemText(index);
}

std::string RateText(const QComboBox& rate_box, const QLineEdit& other_rate_field) {
  return (OtherRateChosen(rate_box) ? other_rate_field.text() : rate_box.currentText())
      .toStdString();
}

QWidget* RateWidget(QComboBox* rate_box, QLineEdit* other_rate_field) {
  return OtherRateChosen(*rate_box) ? static_cast<QWidget*>(other_rate_field) : rate_box;
}

RateRow MakeRateRow(QWidget* parent, const char* name) {
  RateRow r{DropDown(parent), new QLineEdit(parent), new QHBoxLayout};
  r.box->setObjectName(QString::fromLatin1(name));
  r.box->addItems(RateItems());
  r.other->setObjectName(QString::fromLatin1(name) + QStringLiteral("_other"));
  r.other->hide();
  r.other->setMinimumWidth(r.other->fontMetrics().horizontalAdvance(QStringLiteral("00000")) +
                           r.other->fontMetrics().height());
  r.row->addWidget(r.box);
  r.row->addWidget(r.other, 1);
  r.row->addWidget(new QLabel(QStringLiteral("枚交換"), parent));
  const auto changed = [box = r.box, other = r.other] {
    const bool chosen = OtherRateChosen(*box);
    const bool was_hidden = other->isHidden();
    other->setVisible(chosen);
    if (chosen && was_hidden) other->setFocus();
  };
  QObject::connect(r.box, &QComboBox::currentIndexChanged, r.box, changed);
  QObject::connect(r.box, &QComboBox::editTextChanged, r.box, changed);
  return r;
}

void FocusRefusedField(const Status& refusal,
                       std::initializer_list<std::pair<FieldName, QWidget*>> widgets) {
  for (const auto& [field, widget] : widgets) {
    if (refusal.field() == field.key) widget->setFocus();
  }
}

}  // namespace tobiuo::ui
