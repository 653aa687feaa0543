// SPDX-License-Identifier: GPL-3.0-or-later
// The main window "main": the inputs of a run on the right, the coin chart, the event log and the
// progress bar on the left, the result summary under the Run button, and the menu bar.
//
// Run reads the start fields into RunInputs, lets the engine validate them, and either shows the
// refusal (the focus back in the field) or plays the plan and renders the run's record into the
// log, chart, progress bar and summary. Save writes that same record, so the report always belongs
// to the run on the screen. Slots only translate widget values into engine calls and records into
// widgets. Bad inputs and failed saves are reported through ErrorReporter, the save dialog is a
// SaveDialog and files go through a FileSystem; all three can be faked.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "analysis/history.h"
#include "engine/random_source.h"
#include "engine/run.h"
#include "io/file_system.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QProgressBar;
class QPushButton;
class QAction;

namespace tobiuo::ui {

class AboutDialog;
class CoinChart;
class ErrorReporter;
class SaveDialog;
class SeedQuestion;
class StatsWindow;
class EstimateWindow;

class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  // Makes the random source of a run from its seed: by default the generator seeded with it.
  using RandomFactory = std::function<std::unique_ptr<RandomSource>(uint32_t seed)>;
  static std::unique_ptr<RandomSource> SeededRandom(uint32_t seed);

  // `seed_question` asks for the seed of シードを指定して実行; none: Qt's input dialog.
  MainWindow(ErrorReporter& errors, SaveDialog& save_dialog,
             RandomFactory make_random = SeededRandom, FileSystem& fs = RealFileSystem(),
             SeedQuestion* seed_question = nullptr);
  ~MainWindow() override;

  // The record of the run the window shows, if any.
  const RunRecord* shown_run() const { return shown_ ? &*shown_ : nullptr; }
  // What a player saw of it: its bonus history.
  const History* shown_history() const { return shown_ ? &shown_history_ : nullptr; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  // Closing the main window closes the program's other windows too (and stops their work), the
  // about box included: otherwise it alone would keep the program running.
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildWidgets();
  void BuildInputColumn(QWidget* frame);
  void BuildDetailFrame(QWidget* frame);
  void BuildMenu();
  void SetTabOrder();
  void LoadDefaults();

  void OnRunClicked();
  void OnRunWithSeedTriggered();
  // Plays the inputs on the window with the seed typed (empty: a fresh one) and shows the run;
  // a refusal is said and returned.
  Status Play(const std::string& seed);
  void OnStockClearToggled();
  void OnStockFieldLeft();
  void OnRateChanged();
  void OnSaveTriggered();
  void OnStatsTriggered();
  void OnEstimateTriggered();
  void OnAboutTriggered();

  template <typename W>
  W* OwnWindow(W* window);
  RunInputs ReadInputs() const;
  void Render(const RunRecord& record);
  void FocusField(const Status& refusal);

  ErrorReporter& errors_;
  SaveDialog& save_dialog_;
  RandomFactory make_random_;
  FileSystem& fs_;
  std::unique_ptr<SeedQuestion> own_seed_question_;  // when none is given
  SeedQuestion& seed_question_;
  QObject* press_guard_;  // swallows this window's presses while a refusal is handled
  std::optional<RunRecord> shown_;
  History shown_history_;
  int16_t saved_stock_ = 0;  // the initial stock to restore when ストッククリア is unticked
  bool stock_refused_ = false;  // while the refusal of a stock count is being shown
  QPointer<AboutDialog> about_;
  QPointer<StatsWindow> stats_;
  QPointer<EstimateWindow> estimate_;

  CoinChart* chart_;
  QListWidget* log_list_;
  QProgressBar* progress_bar_;
  QComboBox* setting_box_;
  QComboBox* games_box_;
  QComboBox* rate_box_;
  QLabel* rate_unit_label_;
  QLineEdit* other_rate_field_;
  QLabel* other_rate_unit_label_;
  QCheckBox* setting_changed_box_;
  QCheckBox* stock_clear_box_;
  QLineEdit* stock_field_;
  QLineEdit* quit_field_;
  QPushButton* run_button_;
  QLabel* summary_label_;
  QMenu* file_menu_;
  QAction* save_action_;
  QAction* copy_seed_action_;  // enabled once a run is shown
  uint32_t shown_seed_ = 0;
  QAction* about_action_;
};

}  // namespace tobiuo::ui
