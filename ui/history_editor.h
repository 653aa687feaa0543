// SPDX-License-Identifier: GPL-3.0-or-later
// The bonus history as a player notes it at the machine: one row per bonus released, in order,
// with its ハマり (games since the previous bonus, the first counted from the start of the run, as
// the data counter shows them), BIG or REG, and its 契機 (純ハズレ, チェリー, なし or 不明). Rows
// are added from the keyboard (type the ハマり, or the game number when ゲーム数 is chosen, and
// press Enter), removed, and pasted as a list of ハマり ("123 45 230", or one per line; "230R" is a
// REG). A row keeps what was typed, its ハマり or its game number: removing a row before it leaves
// a typed game where it was. The rows are a model shown by a view, so that a history of thousands
// of bonuses is pasted and drawn at once. Changed() is emitted after every change of the rows.
#pragma once

#include <QWidget>
#include <vector>

#include "analysis/history.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QTableView;

namespace tobiuo::ui {

class HistoryModel;

class HistoryEditor : public QWidget {
  Q_OBJECT

 public:
  explicit HistoryEditor(QWidget* parent);

  // The releases by game of the run (the sums of the ハマり).
  std::vector<HistoryRelease> Releases() const;
  void SetReleases(const std::vector<HistoryRelease>& releases);
  // Adds the ハマり of a pasted text; false, with nothing added and the reason said under the
  // entry line, when a token is not one.
  bool AddPasted(const QString& text);

 signals:
  void Changed();

 private:
  void AddTyped();
  void RemoveSelected();
  void Say(const QString& refusal);  // under the entry line; empty: nothing to say

  QLineEdit* hamari_field_;
  QComboBox* counted_as_;  // ハマり or ゲーム数
  QComboBox* bonus_box_;
  QComboBox* trigger_box_;
  QLabel* message_;
  HistoryModel* model_;
  QTableView* table_;
};

}  // namespace tobiuo::ui
