// SPDX-License-Identifier: GPL-3.0-or-later
// The window "設定判別": which setting is this machine, from the counts a player can take (the
// games, pure misses, and optionally BIG, REG and heaven-mode releases) under the stated start
// and prior. 判別 shows the posterior as a bar per setting, the most likely setting and
// P(設定4以上) and P(設定5・6). With releases, the simulated runs they are judged by are played off
// the event loop (progress bar, 中止) once per start and kept for the next 判別. 直前のランから
// fills the fields from the main window's last finished run.
#pragma once

#include <QWidget>
#include <functional>
#include <memory>

#include "analysis/estimate.h"
#include "engine/run.h"

class QChartView;
class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace tobiuo::ui {

class BackgroundWork;
class ErrorReporter;

class EstimateWindow : public QWidget {
  Q_OBJECT

 public:
  // `last_run` gives the main window's last finished run, or nothing.
  EstimateWindow(ErrorReporter& errors, std::function<const RunRecord*()> last_run);
  ~EstimateWindow() override;

  const std::optional<Posterior>& shown() const { return shown_; }
  int models_built() const { return models_built_; }

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

  void OnJudgeClicked();
  void OnFromLastRun();
  [[nodiscard]] Status ReadRequest(Request* request) const;
  void Judge(const Request& request);
  // `model_seed`: the seed of the simulated runs the releases were judged by, if they were.
  void Show(const Request& request, const Posterior& posterior, std::optional<uint32_t> model_seed);

  ErrorReporter& errors_;
  std::function<const RunRecord*()> last_run_;
  std::shared_ptr<ReleaseModel> model_;
  std::shared_ptr<ReleaseModel> building_;
  Request waiting_;  // judged once the model being built is ready
  std::optional<Posterior> shown_;
  int models_built_ = 0;
  BackgroundWork* work_;

  QLineEdit* games_field_;
  QLineEdit* pure_miss_field_;
  QLineEdit* big_field_;
  QLineEdit* reg_field_;
  QLineEdit* heaven_field_;
  QLineEdit* stock_field_;
  QCheckBox* setting_changed_box_;
  QLineEdit* prior_field_;
  QLineEdit* seed_field_;
  QPushButton* judge_button_;
  QProgressBar* progress_bar_;
  QChartView* chart_;
  QLabel* summary_label_;
};

}  // namespace tobiuo::ui
