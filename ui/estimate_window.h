// SPDX-License-Identifier: GPL-3.0-or-later
// The window "設定判別": which setting is this machine, under the stated start and prior, by one
// of two methods, each a tab. 解除履歴: from the bonus history a player notes (HistoryEditor) and
// optionally the pure misses, judged exactly; the bars follow every change, with no button, and
// the start may be 不明. 回数: from the counts a player can take (the games, pure misses, and
// optionally BIG, REG and heaven-mode releases); 判別 shows the posterior, and with releases the
// simulated runs they are judged by are played off the event loop (progress bar, 中止) once per
// start and kept for the next 判別. The history is judged on a thread of the pool, one judgement
// at a time: an edit made meanwhile waits for it and is judged next, and the answer of a judgement
// that an edit has made stale is dropped, so a long history never holds up typing. The bars show
// each setting's probability, the summary the most likely setting, P(設定4以上), P(設定5・6) and
// the method; under them, from the history, what playing on is worth (ValuePanel). 直前のプレイから
// fills both tabs from the main window's last finished run, with only what a player sees.
#pragma once

#include <QFutureWatcher>
#include <QWidget>
#include <functional>
#include <memory>

#include "analysis/estimate.h"
#include "analysis/history.h"
#include "engine/run.h"

class QChartView;
class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTabWidget;

namespace tobiuo::ui {

class BackgroundWork;
class ErrorReporter;
class HistoryEditor;
class ValuePanel;

class EstimateWindow : public QWidget {
  Q_OBJECT

 public:
  // The main window's last finished run and what a player saw of it, or nothing.
  struct LastRun {
    const RunRecord* record = nullptr;
    const History* history = nullptr;
  };
  EstimateWindow(ErrorReporter& errors, std::function<LastRun()> last_run);
  ~EstimateWindow() override;

  const std::optional<Posterior>& shown() const { return shown_; }
  // The method of the posterior shown.
  JudgedBy shown_method() const { return shown_method_; }
  int models_built() const { return models_built_; }
  const ValuePanel& value() const { return *value_; }

 signals:
  void Judged();  // a posterior is shown

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  struct Request {
    Counts counts;
    Prior prior{};
    EstimateStart start;
    std::optional<uint32_t> seed;  // of the simulated runs, when one is typed
  };

  // What the bars show and the summary says of it.
  struct Answer {
    Posterior posterior;
    JudgedBy method = JudgedBy::kPureMisses;
    int32_t games = 0;
    HistoryStart start;                  // assumed
    std::optional<uint32_t> model_seed;  // of the simulated runs the releases were judged by
  };

  void OnJudgeClicked();
  void OnFromLastRun();
  // A history with its start and prior, judged off the GUI thread.
  struct HistoryQuestion {
    History history;
    HistoryStart start;
    Prior prior{};
    uint64_t edit = 0;  // the edit it was asked at
  };
  struct HistoryAnswer {
    Status status;
    Posterior posterior;
    HiddenNow now;
    uint64_t edit = 0;
  };
  void JudgeHistory();  // from the history tab's inputs, as they stand
  void AskNext();
  void OnHistoryJudged();
  [[nodiscard]] Status ReadRequest(Request* request) const;
  [[nodiscard]] Status ReadHistoryRequest(History* history, HistoryStart* start,
                                          Prior* prior) const;
  void FocusRefused(const Status& s);
  void Judge(const Request& request);
  void Show(const Answer& answer);
  // Each bar's setting and percentage under it, with one decimal where the bar is wide enough to
  // read it in full, whole percents where it is not.
  void LabelBars();
  void ClearAnswer(const QString& why);
  bool JudgingHistory() const;

  ErrorReporter& errors_;
  std::function<LastRun()> last_run_;
  std::shared_ptr<ReleaseModel> model_;
  std::shared_ptr<ReleaseModel> building_;
  Request waiting_;  // judged once the model being built is ready
  std::optional<Posterior> shown_;
  JudgedBy shown_method_ = JudgedBy::kPureMisses;
  int models_built_ = 0;
  BackgroundWork* work_;
  uint64_t edits_ = 0;                            // of the history tab's inputs
  std::optional<HistoryQuestion> next_question_;  // asked while another was being judged
  std::optional<HistoryQuestion> asked_;          // being judged
  QFutureWatcher<HistoryAnswer>* history_watcher_;

  QLineEdit* games_field_;
  QLineEdit* watched_field_;
  QLineEdit* pure_miss_field_;
  QLineEdit* big_field_;
  QLineEdit* reg_field_;
  QLineEdit* heaven_field_;
  QLineEdit* stock_field_;
  QCheckBox* stock_unknown_box_;
  QCheckBox* setting_changed_box_;
  QCheckBox* changed_unknown_box_;
  QTabWidget* method_tabs_;
  HistoryEditor* history_;
  QLineEdit* prior_field_;
  QLineEdit* seed_field_;
  QPushButton* judge_button_;
  QProgressBar* progress_bar_;
  QChartView* chart_;
  QLabel* summary_label_;
  ValuePanel* value_;
};

}  // namespace tobiuo::ui
