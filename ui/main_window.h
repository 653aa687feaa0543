// The main window "main": the inputs of a run on the right, the coin chart, the event log and the
// progress bar on the left, the result summary under the Run button, and the menu bar.
//
// The window is the panel the engine writes to: the Run button hands it to StartRun, which reads
// the start fields through ReadInputs and fills the log, chart, progress bar and summary. Slots only
// translate widget values into engine calls and engine results into widgets. Bad inputs and failed
// saves are reported through ErrorReporter; the save dialog is a SaveDialog; both can be faked.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>

#include "engine/panel.h"
#include "engine/random_source.h"
#include "engine/run_command.h"
#include "engine/sim_state.h"

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

class MainWindow : public QMainWindow, public Panel {
  Q_OBJECT

 public:
  // Makes the random source of each run: by default a generator with a fresh run seed.
  using RandomFactory = std::function<std::unique_ptr<RandomSource>()>;
  static std::unique_ptr<RandomSource> FreshRandom();

  MainWindow(ErrorReporter& errors, SaveDialog& save_dialog, RandomFactory make_random = FreshRandom);
  ~MainWindow() override;

  // Panel.
  RunInputs ReadInputs() const override;
  void ClearLog() override;
  void AppendLog(std::string_view line) override;
  void ShowLog() override;
  void SetSummary(std::string_view text) override;
  void EnableFileMenu() override;
  void SetChartTitle(std::string_view title) override;
  void SetChartRowCount(int rows) override;
  int ChartRowCount() const override;
  void SelectChartRow(int row) override;
  int ChartRow() const override;
  void SetChartRowLabel(std::string_view label) override;
  void SetChartRowValue(std::string_view value) override;
  void SetProgressMaximum(double maximum) override;
  void SetProgressValue(double value) override;

  // The summary exactly as the engine wrote it, CR LF line ends included.
  const std::string& summary_text() const { return summary_text_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildWidgets();
  void BuildInputColumn(QWidget* frame);
  void BuildDetailFrame(QWidget* frame);
  void BuildMenu();
  void SetTabOrder();
  void Form_Load();

  void cmdJikkou_Click();
  void chk_st2_Click();
  void txt_st_LostFocus();
  void cmb_kankin_Click();
  void menu_save_Click();
  void menu_aboout_Click();

  int SelectedRateIndex() const;
  void FocusField(InputField field);
  std::vector<std::string> LogLines() const;

  ErrorReporter& errors_;
  SaveDialog& save_dialog_;
  RandomFactory make_random_;
  SimState state_;
  std::string summary_text_;
  QPointer<AboutDialog> about_;

  CoinChart* Crt_data;
  QListWidget* lsb_data;
  QProgressBar* Pb_Sts;
  QGroupBox* Frame1;
  QGroupBox* Frame2;
  QLabel* Label1;
  QComboBox* cmb_Settei;
  QLabel* Label2;
  QComboBox* cmb_p;
  QLabel* Label6;
  QLabel* Label7;
  QComboBox* cmb_kankin;
  std::array<QLabel*, 2> Label9;
  QLineEdit* txt_kankin;
  QCheckBox* Chk_St;
  QCheckBox* chk_st2;
  QLabel* Label5;
  QLineEdit* txt_st;
  QLabel* Label3;
  QLineEdit* txtYame;
  QLabel* Label4;
  QPushButton* cmdJikkou;
  QLabel* Label8;
  QLabel* lbl_kekka;
  QMenu* menu_file;
  QAction* menu_save;
  QAction* menu_aboout;
};

}  // namespace tobiuo::ui
