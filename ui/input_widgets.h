// SPDX-License-Identifier: GPL-3.0-or-later
// The inputs that more than one window asks for, built and read the same way everywhere: the
// drop-down combo box that takes a typed text exactly as typed, the list of game counts, and the
// exchange rate (5 to 8 枚交換, or その他 with a rate typed beside it); and the focus put on the
// field a refusal names.
#pragma once

#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QStringList>
#include <initializer_list>
#include <string>
#include <utility>

#include "base/fields.h"
#include "base/status.h"

namespace tobiuo::ui {

// Editable, with no inline completion turning "150" into "1500" and no typed item added.
QComboBox* DropDown(QWidget* parent);

// 100 to 1000 by 100, then 1500 to 8000 by 500; kDefaultGamesIndex is 6000.
QStringList GameCounts();
inline constexpr int kDefaultGamesIndex = 19;

// 5, 6, 7, 8 and その他, the last one asking for a rate typed in its own field.
QStringList RateItems();

// Whether その他 is chosen: selected and not overtyped with a rate.
bool OtherRateChosen(const QComboBox& rate_box);

// The rate as typed: the other field's text with その他 chosen, else the box's text.
std::string RateText(const QComboBox& rate_box, const QLineEdit& other_rate_field);

// Where the rate is typed: the other field with その他 chosen, else the box.
QWidget* RateWidget(QComboBox* rate_box, QLineEdit* other_rate_field);

// The rate as a form row: the box (objectName `name`), the その他 field beside it (`name`_other,
// shown and given the focus when その他 is chosen, room for five digits) and "枚交換".
struct RateRow {
  QComboBox* box;
  QLineEdit* other;
  QHBoxLayout* row;
};
RateRow MakeRateRow(QWidget* parent, const char* name);

// Puts the focus on the widget of the field a refusal names (Status::field), if it has one.
void FocusRefusedField(const Status& refusal,
                       std::initializer_list<std::pair<FieldName, QWidget*>> widgets);

}  // namespace tobiuo::ui
