// SPDX-License-Identifier: GPL-3.0-or-later
// What playing on is worth, under 設定判別's bars: the 換金率, 持ちコイン and 閉店まで a player
// gives, the hidden state now (exact, shown as soon as the history is judged) and a table of the
// stop rules (期待差枚, 期待収支, プラスで終わる確率, 平均ゲーム数), the best one marked, with a
// line on how one play spreads. The rules are simulated off the GUI thread with a progress bar; a
// history or an input changed meanwhile stops the work under way, and only the last one asked is
// shown. The draws are seeded alike every time, so that the same inputs show the same figures.
#pragma once

#include <QWidget>
#include <optional>

#include "analysis/value.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QTableWidget;

namespace tobiuo::ui {

class BackgroundWork;

class ValuePanel : public QWidget {
  Q_OBJECT

 public:
  explicit ValuePanel(QWidget* parent);

  // The history judged as typed, with its exact hidden state now; the rules follow off the thread.
  void SetHistory(const History& history, const HistoryStart& start, const Prior& prior,
                  const HiddenNow& now);
  // No history to judge: the panel says why and shows nothing.
  void Clear(const QString& why);

  const std::optional<ValueAnswer>& shown() const { return shown_; }
  // The question of the last answer asked for (its history, start, prior and the panel's inputs).
  const std::optional<ValueQuestion>& asked() const { return asked_; }

 signals:
  void Answered();  // the rules' table shows an answer

 private:
  void Ask();  // from the history held and the inputs as they stand
  void OnEnded(const Status& status);
  void ShowAnswer(const ValueQuestion& question, const ValueAnswer& answer);
  [[nodiscard]] Status ReadInputs(ValueQuestion* question) const;

  std::optional<ValueQuestion> history_;  // the history part of the next question
  std::optional<ValueQuestion> asked_;    // being simulated, or shown
  std::optional<ValueAnswer> shown_;
  std::shared_ptr<ValueAnswer> computing_;
  bool again_ = false;  // asked again while the work under way stops
  BackgroundWork* work_;

  QComboBox* rate_box_;
  QLineEdit* other_rate_field_;
  QLineEdit* coins_field_;
  QLineEdit* games_left_field_;
  QLabel* hidden_label_;
  QTableWidget* rules_;
  QProgressBar* progress_;
  QLabel* note_;
};

}  // namespace tobiuo::ui
