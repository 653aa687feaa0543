// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/main_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>
#include <QTimer>
#include <algorithm>

#include "base/number_text.h"
#include "engine/report.h"
#include "io/cp932.h"
#include "ui/about_dialog.h"
#include "ui/coin_chart.h"
#include "ui/dialogs.h"
#include "ui/enter_presses.h"
#include "ui/estimate_window.h"
#include "ui/input_widgets.h"
#include "ui/stats_window.h"
#include "ui/summary_label.h"
#include "ui/widget_helpers.h"

namespace tobiuo::ui {
namespace {

// Places a widget by its design position in pixels and gives it its name.
template <typename W>
W* Place(W* widget, const char* name, int left, int top, int width, int height) {
  widget->setGeometry(left, top, width, height);
  return Named(widget, name);
}

QLabel* Caption(const QString& text, QWidget* parent, const char* name, int left, int top,
                int width, int height) {
  return Place(new QLabel(text, parent), name, left, top, width, height);
}

// Shows a window of its own, or brings it back to the front when it is already open.
void BringToFront(QWidget* window) {
  window->show();
  window->raise();
  window->activateWindow();
}

// Wide enough for three full-width digits, the widest count the field takes.
int StockFieldWidth(const QLineEdit& field) {
  const int frame = field.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &field);
  return std::max(28,
                  field.fontMetrics().horizontalAdvance(QStringLiteral("８８８")) + 2 * frame + 6);
}

// Swallows the mouse presses and releases of one window while it is installed on the application.
class SwallowPresses final : public QObject {
 public:
  explicit SwallowPresses(QWidget* window) : QObject(window), window_(window) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease &&
        type != QEvent::MouseButtonDblClick) {
      return false;
    }
    const auto* widget = qobject_cast<QWidget*>(watched);
    return widget && widget->window() == window_;
  }

 private:
  QWidget* window_;
};

}  // namespace

template <typename W>
W* MainWindow::OwnWindow(W* window) {
  window->setParent(this, Qt::Window);  // a window of its own that goes with the main window
  return window;
}

std::unique_ptr<RandomSource> MainWindow::SeededRandom(uint32_t seed) {
  return std::make_unique<Mt19937Source>(seed);
}

MainWindow::MainWindow(ErrorReporter& errors, SaveDialog& save_dialog, RandomFactory make_random,
                       FileSystem& fs, SeedQuestion* seed_question)
    : errors_(errors),
      save_dialog_(save_dialog),
      make_random_(std::move(make_random)),
      fs_(fs),
      own_seed_question_(seed_question ? nullptr : std::make_unique<QtSeedQuestion>()),
      seed_question_(seed_question ? *seed_question : *own_seed_question_) {
  setObjectName(QStringLiteral("main"));
  setWindowTitle(QStringLiteral("トビウオ号 シュミレーター ver 1.0"));
  QIcon icon;
  for (const QString& size : QStringLiteral(TOBIUO_ICON_SIZES).split(QLatin1Char(','))) {
    icon.addFile(QStringLiteral(":/icons/%1/tobiuo.png").arg(size));
  }
  setWindowIcon(icon);
  press_guard_ = new SwallowPresses(this);
  BuildWidgets();
  BuildMenu();
  SetTabOrder();
  LoadDefaults();
  resize(minimumSizeHint());
  setting_box_->setFocus();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  for (QWidget* window :
       {static_cast<QWidget*>(stats_.data()), static_cast<QWidget*>(estimate_.data()),
        static_cast<QWidget*>(about_.data())}) {
    if (window) window->close();
  }
  QMainWindow::closeEvent(event);
}

MainWindow::~MainWindow() {
  if (about_) about_->close();
}

// The design's places in pixels: the chart and the log on the left take whatever room the window
// gains; the input column keeps its width; the progress bar spans the bottom.
void MainWindow::BuildWidgets() {
  auto* client = new QWidget(this);
  client->setMinimumSize(955, 641);  // 14325 x 9615 twips, the size at start-up
  setCentralWidget(client);

  chart_ = Named(new CoinChart(client), "Crt_data");
  chart_->setMinimumSize(757, 547);
  chart_->setFocusPolicy(Qt::NoFocus);  // nothing to type into: no invisible stop in the Tab cycle
  log_list_ = Named(new QListWidget(client), "lsb_data");
  log_list_->setMinimumSize(757, 64);
  log_list_->setUniformItemSizes(true);
  QPalette log_palette = log_list_->palette();
  log_palette.setColor(QPalette::Base, QApplication::palette("QMenu").color(QPalette::Window));
  log_list_->setPalette(log_palette);
  QSizePolicy keep_place = log_list_->sizePolicy();
  keep_place.setRetainSizeWhenHidden(true);  // the chart does not jump when the log appears
  log_list_->setSizePolicy(keep_place);
  log_list_->hide();
  progress_bar_ = Named(new QProgressBar(client), "Pb_Sts");
  progress_bar_->setFixedHeight(16);
  progress_bar_->setTextVisible(false);
  progress_bar_->setRange(0, 100);
  progress_bar_->setValue(0);
  auto* inputs = Named(new QGroupBox(QStringLiteral("設定"), client), "Frame1");
  inputs->setFixedWidth(184);
  BuildInputColumn(inputs);

  auto* grid = new QGridLayout(client);
  grid->setContentsMargins(6, 3, 0, 1);
  grid->setHorizontalSpacing(8);
  grid->setVerticalSpacing(5);
  grid->addWidget(chart_, 0, 0);
  grid->addWidget(log_list_, 1, 0);
  grid->addWidget(inputs, 0, 1, 2, 1);
  grid->addWidget(progress_bar_, 2, 0, 1, 2);
  grid->setRowStretch(0, 3);
  grid->setRowStretch(1, 1);
  grid->setColumnStretch(0, 1);
}

void MainWindow::BuildInputColumn(QWidget* frame) {
  Caption(QStringLiteral("設定"), frame, "Label1", 15, 18, 34, 13);
  setting_box_ = Place(DropDown(frame), "cmb_Settei", 60, 15, 52, 20);
  Caption(QStringLiteral("P数"), frame, "Label2", 15, 42, 31, 13);
  games_box_ = Place(DropDown(frame), "cmb_p", 60, 39, 61, 20);
  Caption(QStringLiteral("P"), frame, "Label6", 126, 42, 25, 16);
  Caption(QStringLiteral("換金率"), frame, "Label7", 12, 63, 43, 16);
  rate_box_ = Place(DropDown(frame), "cmb_kankin", 60, 63, 61, 20);
  rate_unit_label_ = Caption(QStringLiteral("枚交換"), frame, "Label9(0)", 123, 66, 43, 16);
  other_rate_field_ = Place(new QLineEdit(frame), "txt_kankin", 60, 87, 58, 18);
  other_rate_unit_label_ = Caption(QStringLiteral("枚交換"), frame, "Label9(1)", 123, 87, 43, 16);

  BuildDetailFrame(
      Place(new QGroupBox(QStringLiteral("詳細設定"), frame), "Frame2", 9, 108, 154, 82));

  run_button_ =
      Place(new QPushButton(QStringLiteral("実    行"), frame), "cmdJikkou", 9, 198, 169, 31);
  Caption(QStringLiteral("結  果"), frame, "Label8", 6, 243, 175, 16);
  summary_label_ = Place(new SummaryLabel(frame), "lbl_kekka", 6, 261, 175, 352);

  PressOnEnter(run_button_);
  connect(run_button_, &QPushButton::clicked, this, &MainWindow::OnRunClicked);
  connect(rate_box_, &QComboBox::currentIndexChanged, this, &MainWindow::OnRateChanged);
  connect(rate_box_, &QComboBox::editTextChanged, this, &MainWindow::OnRateChanged);
  rate_box_->installEventFilter(this);
}

void MainWindow::BuildDetailFrame(QWidget* frame) {
  setting_changed_box_ =
      Place(new QCheckBox(QStringLiteral("設定変更あり"), frame), "Chk_St", 15, 18, 130, 19);
  stock_clear_box_ =
      Place(new QCheckBox(QStringLiteral("ストッククリア"), frame), "chk_st2", 15, 39, 130, 16);
  Caption(QStringLiteral("初期ストック数"), frame, "Label5", 15, 57, 82, 16);
  stock_field_ = Place(new QLineEdit(QStringLiteral("20"), frame), "txt_st", 102, 54, 28, 16);
  stock_field_->resize(StockFieldWidth(*stock_field_), stock_field_->height());
  // The quit threshold is kept, hidden, at its design place; the run reads it.
  Caption(QStringLiteral("ボーナス終了後\nのヤメ時"), frame, "Label3", 3, 69, 97, 25)->hide();
  quit_field_ = Place(new QLineEdit(QStringLiteral("0"), frame), "txtYame", 87, 69, 49, 19);
  quit_field_->hide();
  Caption(QStringLiteral("P"), frame, "Label4", 138, 72, 13, 16)->hide();

  connect(stock_clear_box_, &QCheckBox::stateChanged, this, &MainWindow::OnStockClearToggled);
  stock_field_->installEventFilter(this);
}

void MainWindow::BuildMenu() {
  file_menu_ = menuBar()->addMenu(QStringLiteral("ファイル"));
  file_menu_->setObjectName(QStringLiteral("menu_file"));
  file_menu_->menuAction()->setObjectName(QStringLiteral("menu_file_action"));
  file_menu_->setEnabled(false);
  file_menu_->menuAction()->setEnabled(false);
  save_action_ = file_menu_->addAction(QStringLiteral("データの保存"));
  save_action_->setObjectName(QStringLiteral("menu_save"));
  QMenu* analysis = menuBar()->addMenu(QStringLiteral("分析"));
  analysis->setObjectName(QStringLiteral("menu_analysis"));
  QAction* replay = analysis->addAction(QStringLiteral("シードを指定して実行..."));
  replay->setObjectName(QStringLiteral("menu_run_seed"));
  connect(replay, &QAction::triggered, this, &MainWindow::OnRunWithSeedTriggered);
  copy_seed_action_ = analysis->addAction(QStringLiteral("表示中のシードをコピー"));
  copy_seed_action_->setObjectName(QStringLiteral("menu_copy_seed"));
  copy_seed_action_->setEnabled(false);
  connect(copy_seed_action_, &QAction::triggered, this,
          [this] { QGuiApplication::clipboard()->setText(QString::number(shown_seed_)); });
  analysis->addSeparator();
  QAction* stats = analysis->addAction(QStringLiteral("設定別の統計..."));
  stats->setObjectName(QStringLiteral("menu_stats"));
  connect(stats, &QAction::triggered, this, &MainWindow::OnStatsTriggered);
  QAction* estimate = analysis->addAction(QStringLiteral("設定判別..."));
  estimate->setObjectName(QStringLiteral("menu_estimate"));
  connect(estimate, &QAction::triggered, this, &MainWindow::OnEstimateTriggered);
  about_action_ = menuBar()->addAction(QStringLiteral("その他"));
  about_action_->setObjectName(QStringLiteral("menu_aboout"));
  connect(save_action_, &QAction::triggered, this, &MainWindow::OnSaveTriggered);
  connect(about_action_, &QAction::triggered, this, &MainWindow::OnAboutTriggered);
  // F10 opens the menu bar at its first menu that can be used, as on Windows.
  auto* f10 = new QShortcut(QKeySequence(Qt::Key_F10), this);
  connect(f10, &QShortcut::activated, this, [this] {
    for (QAction* menu : menuBar()->actions()) {
      if (menu->isEnabled() && menu->menu()) {
        menuBar()->setActiveAction(menu);
        return;
      }
    }
  });
}

void MainWindow::SetTabOrder() {
  QWidget* const order[] = {log_list_,         setting_box_, run_button_,          games_box_,
                            other_rate_field_, rate_box_,    setting_changed_box_, stock_clear_box_,
                            stock_field_,      quit_field_};
  for (size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);
}

void MainWindow::LoadDefaults() {
  for (QComboBox* combo : {setting_box_, games_box_, rate_box_}) combo->clear();
  other_rate_unit_label_->hide();
  other_rate_field_->hide();
  {
    const QSignalBlocker block(rate_box_);  // the selection below raises the one change
    rate_box_->addItems(RateItems());
    rate_box_->setCurrentIndex(-1);
  }
  for (int setting = 6; setting >= 1; --setting) setting_box_->addItem(QString::number(setting));
  games_box_->addItems(GameCounts());
  setting_box_->setCurrentIndex(0);
  rate_box_->setCurrentIndex(0);
  games_box_->setCurrentIndex(kDefaultGamesIndex);
}

// ---- Slots ----

void MainWindow::OnRunClicked() {
  // The click whose press took the focus out of a refused stock count is that refusal's, not a Run.
  if (stock_refused_) return;
  (void)Play({});  // a refusal has been said
}

void MainWindow::OnRunWithSeedTriggered() {
  // A refused seed is said, then asked again with the text as typed; other refusals end here.
  QString typed;
  while (const std::optional<QString> seed = seed_question_.AskSeed(this, typed)) {
    if (Play(seed->toStdString()).field() != kSeedField.key) return;
    typed = *seed;
  }
}

Status MainWindow::Play(const std::string& seed) {
  RunInputs inputs = ReadInputs();
  inputs.seed = seed;
  RunPlan plan;
  if (Status s = ValidateInputs(inputs, &plan); !s.ok()) {
    errors_.ShowError(this, FromUtf8(s.message()));
    if (s.field() != kSeedField.key) FocusField(s);
    return s;
  }
  const std::unique_ptr<RandomSource> random = make_random_(plan.seed);
  HistoryRecorder seen;
  const RunRecord record = PlayRun(plan, *random, Keep::kRecord, &seen);
  shown_history_ = seen.HistoryOver(record.figures.GamesBet);
  Render(record);
  if (!record.finished()) errors_.ShowError(this, FromUtf8(record.abort_message));
  return Status::Ok();
}

void MainWindow::OnStockClearToggled() {
  if (stock_clear_box_->checkState() == Qt::Checked) {
    if (const auto stock = ReadInt16(stock_field_->text().toStdString())) saved_stock_ = *stock;
    stock_field_->setText(QStringLiteral("0"));
    stock_field_->setEnabled(false);
  } else {
    stock_field_->setEnabled(true);
    stock_field_->setText(QString::number(saved_stock_));
  }
}

void MainWindow::OnStockFieldLeft() {
  const std::optional<double> stock = ReadReal(stock_field_->text().toStdString());
  QString message;
  if (!stock) {
    message = QStringLiteral("初期ストック数には数値を入力してください");
  } else if (*stock < 0) {
    message = QStringLiteral("マイナス値は不可");
  } else if (*stock > kMaxInitialStock) {
    message = QStringLiteral("最大ストック数は255");
  }
  if (message.isEmpty()) return;
  // The press that took the focus out of the field (on Run, a check box, a combo box's arrow) is
  // the refusal's: it must not go on to the control once the message box is closed (pressing Run,
  // opening a list, leaving a box drawn pressed, since the message box takes the release). Until
  // the event being handled is over, the window's mouse presses are swallowed.
  stock_refused_ = true;
  QApplication::instance()->installEventFilter(press_guard_);
  errors_.ShowError(this, message);
  stock_field_->setFocus();
  QTimer::singleShot(0, this, [this] {
    QApplication::instance()->removeEventFilter(press_guard_);
    run_button_->setDown(false);
    stock_refused_ = false;
  });
}

void MainWindow::OnRateChanged() {
  const bool other = OtherRateChosen(*rate_box_);
  rate_unit_label_->setVisible(!other);
  other_rate_unit_label_->setVisible(other);
  other_rate_field_->setVisible(other);
}

void MainWindow::OnSaveTriggered() {
  if (!shown_) return;
  const SaveDialogSetup setup{
      {QStringLiteral("すべてのファイル (*.*)"), QStringLiteral("テキスト ファイル (*.txt)")},
      1,
      QStringLiteral("tobiuodata.txt"),
      QString()};  // the name as the player typed it
  const std::optional<QString> path = AskFileToSave(save_dialog_, this, setup);
  if (!path) return;
  const Status saved = SaveCp932(fs_, QFile::encodeName(*path).toStdString(), ReportText(*shown_));
  if (!saved.ok()) errors_.ShowError(this, FromUtf8(saved.message()));
}

void MainWindow::OnStatsTriggered() {
  if (!stats_) stats_ = OwnWindow(new StatsWindow(errors_, save_dialog_, fs_));
  BringToFront(stats_);
}

void MainWindow::OnEstimateTriggered() {
  if (!estimate_)
    estimate_ = OwnWindow(new EstimateWindow(errors_, [this] {
      return EstimateWindow::LastRun{shown_run(), shown_history()};
    }));
  BringToFront(estimate_);
}

void MainWindow::OnAboutTriggered() {
  if (!about_) about_ = new AboutDialog;
  BringToFront(about_);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusOut) {
    // Switching to another window or opening a menu is not leaving the field.
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
      if (watched == stock_field_) OnStockFieldLeft();
      if (watched == rate_box_) OnRateChanged();
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

// ---- Helpers ----

RunInputs MainWindow::ReadInputs() const {
  RunInputs inputs;
  inputs.setting = setting_box_->currentText().toStdString();
  inputs.games = games_box_->currentText().toStdString();
  inputs.rate = RateText(*rate_box_, *other_rate_field_);
  inputs.stock = stock_field_->text().toStdString();
  inputs.quit = quit_field_->text().toStdString();
  inputs.setting_changed = setting_changed_box_->checkState() == Qt::Checked;
  return inputs;
}

// Shows a played run. An aborted run shows its log so far and its chart, but has no summary to
// show or save.
void MainWindow::Render(const RunRecord& record) {
  log_list_->clear();
  QStringList lines;
  lines.reserve(static_cast<qsizetype>(record.log.size()));
  for (const std::string& line : record.log) lines << FromUtf8(line);
  log_list_->addItems(lines);
  chart_->Show(QStringLiteral("トビウオ号 設定:") + QString::number(record.plan.setting),
               record.chart);
  progress_bar_->setMaximum(static_cast<int>(record.chart.size()));
  progress_bar_->setValue(record.LastChartRow());
  // The seed the run was played with, so that it can be replayed here or with tobiuo-sim run;
  // and every pure miss of the run, which the summary (counting those that released) leaves out
  // and 設定判別 asks for.
  progress_bar_->setFormat(QStringLiteral("シード %1　純ハズレ（解除しなかったものも含む） %2回")
                               .arg(record.plan.seed)
                               .arg(record.pure_misses()));
  progress_bar_->setTextVisible(true);
  shown_seed_ = record.plan.seed;
  copy_seed_action_->setEnabled(true);

  QString summary;
  for (const std::string& line : record.summary) summary += FromUtf8(line) + QLatin1Char('\n');
  summary_label_->setText(summary);
  if (record.finished()) {
    shown_ = record;
    log_list_->show();
  } else {
    shown_.reset();
  }
  file_menu_->setEnabled(shown_.has_value());
  file_menu_->menuAction()->setEnabled(shown_.has_value());
}

void MainWindow::FocusField(const Status& refusal) {
  FocusRefusedField(refusal, {{kSettingField, setting_box_},
                              {kGamesField, games_box_},
                              {kRateField, RateWidget(rate_box_, other_rate_field_)},
                              {kStockField, stock_field_},
                              {kQuitField, quit_field_}});
}

}  // namespace tobiuo::ui
