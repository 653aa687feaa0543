// SPDX-License-Identifier: GPL-3.0-or-later
// The window "設定別の統計": what each setting pays over many runs, for players who will not open a
// terminal. Its inputs are read like the main window's fields (the same refusals); 実行 plays the
// batch of `tobiuo-sim batch` with the same options and seed on worker threads, with a progress
// bar and 中止, while both windows stay responsive. The results are a table per setting, a
// histogram of the final coin differences and the bands of the coin difference at every chart
// row, each of which can be saved (CSV or PNG); the command line that repeats the batch is shown
// for copying. A stopped batch shows nothing of itself: the previous results stay.
#pragma once

#include <QWidget>
#include <array>
#include <memory>
#include <vector>

#include "analysis/batch.h"
#include "io/file_system.h"

class QCheckBox;
class QChartView;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableWidget;
namespace tobiuo::ui {

class BackgroundWork;
class ErrorReporter;
class SaveDialog;

class StatsWindow : public QWidget {
  Q_OBJECT

 public:
  StatsWindow(ErrorReporter& errors, SaveDialog& save_dialog, FileSystem& fs = RealFileSystem());
  ~StatsWindow() override;

  bool running() const;
  // The results on show, with the options they were played with.
  const std::vector<SettingStats>& results() const { return results_; }
  const BatchOptions& shown_options() const { return shown_options_; }

 signals:
  void BatchEnded();  // finished or stopped

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  struct Pending;  // the batch on its way: options in, statistics out

  void BuildInputs(QWidget* column);
  void BuildResults(QWidget* area);
  void OnRunClicked();
  void Start(const BatchOptions& options);
  void OnProgressed();
  void OnEnded(const Status& status);
  [[nodiscard]] Status ReadOptions(BatchOptions* options);
  void ShowResults();
  void ShowConditions();  // of the results shown, and whether the inputs have changed since
  void ShowTable();
  void ShowHistogram();
  void ShowBands();
  void Save(const QString& filter, const QString& name, const std::string& bytes);
  std::string ChartPng(QChartView* chart) const;

  ErrorReporter& errors_;
  SaveDialog& save_dialog_;
  FileSystem& fs_;
  BackgroundWork* work_;
  std::shared_ptr<Pending> pending_;
  std::vector<SettingStats> results_;
  BatchOptions shown_options_;

  QLineEdit* runs_field_;
  QComboBox* games_box_;
  QComboBox* rate_box_;
  QLineEdit* other_rate_field_;
  QLineEdit* stock_field_;
  QCheckBox* setting_changed_box_;
  std::array<QCheckBox*, 6> setting_boxes_;
  QLineEdit* seed_field_;
  QPushButton* run_button_;
  QProgressBar* progress_bar_;
  QLabel* progress_label_;
  QLabel* shown_seed_label_;
  QPushButton* repeat_button_;
  QLineEdit* command_line_;
  QTableWidget* table_;
  QChartView* histogram_;
  QComboBox* band_setting_box_;
  QChartView* bands_;
  QPushButton* save_button_;
};

}  // namespace tobiuo::ui
