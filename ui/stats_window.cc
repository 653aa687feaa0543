// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/stats_window.h"

#include <QAreaSeries>
#include <QBuffer>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QGraphicsLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLegendMarker>
#include <QLineEdit>
#include <QLineSeries>
#include <QMenu>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <QValueAxis>
#include <cmath>

#include "base/number_text.h"
#include "engine/random_source.h"
#include "formats/batch_output.h"
#include "io/file_output.h"
#include "ui/background_work.h"
#include "ui/chart_axes.h"
#include "ui/coin_chart.h"
#include "ui/dialogs.h"
#include "ui/enter_presses.h"
#include "ui/input_widgets.h"
#include "ui/widget_helpers.h"

namespace tobiuo::ui {
namespace {

QString Clock(double seconds) {
  const auto s = static_cast<long>(std::lround(seconds));
  return QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
}

constexpr QSize kSavedChartSize(1200, 800);

// A saved CSV: a byte order mark (for spreadsheets on Japanese Windows), a first line of the
// conditions its batch was played under, then the figures with Japanese headers.
std::string Spreadsheet(const BatchOptions& options, std::string csv) {
  return "\xEF\xBB\xBF# " + BatchConditions(options) + "\n" + std::move(csv);
}

// How many labels a chart's axes hold along and up its plot at its size: the plot is the chart
// less its title, legend, axes and margins, and a label wants 64 pixels across, 28 up.
int LabelsAcross(const QChart* chart) {
  return std::max(3, static_cast<int>((chart->size().width() - 90) / 64));
}
int LabelsDown(const QChart* chart) {
  return std::max(3, static_cast<int>((chart->size().height() - 160) / 28));
}

QString SettingName(int setting) { return QStringLiteral("設定%1").arg(setting); }

// One colour per setting, the same in every chart.
QColor SettingColor(int setting) {
  static const QColor kColors[] = {QColor(0x1f, 0x77, 0xb4), QColor(0x2c, 0xa0, 0x2c),
                                   QColor(0xff, 0x7f, 0x0e), QColor(0x94, 0x67, 0xbd),
                                   QColor(0x8c, 0x56, 0x4b), QColor(0xd6, 0x27, 0x28)};
  return kColors[(setting - 1) % 6];
}

}  // namespace

struct StatsWindow::Pending {
  BatchOptions options;
  std::vector<SettingStats> stats;
};

StatsWindow::StatsWindow(ErrorReporter& errors, SaveDialog& save_dialog, FileSystem& fs)
    : errors_(errors), save_dialog_(save_dialog), fs_(fs) {
  setObjectName(QStringLiteral("stats"));
  setWindowTitle(QStringLiteral("設定別の統計"));
  setWindowFlag(Qt::Window);
  auto* layout = new QHBoxLayout(this);
  // as wide as its fields need (その他 and the rate typed beside it included), no wider
  auto* inputs = Named(new QGroupBox(QStringLiteral("条件"), this), "stats_inputs");
  inputs->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Preferred);
  BuildInputs(inputs);
  auto* results = new QWidget(this);
  BuildResults(results);
  layout->addWidget(inputs);
  layout->addWidget(results, 1);
  work_ = new BackgroundWork(this);
  connect(work_, &BackgroundWork::Progressed, this, &StatsWindow::OnProgressed);
  connect(work_, &BackgroundWork::Ended, this, &StatsWindow::OnEnded);
  resize(1100, 680);
}

StatsWindow::~StatsWindow() = default;

bool StatsWindow::running() const { return work_->running(); }

void StatsWindow::BuildInputs(QWidget* column) {
  auto* form = new QFormLayout(column);
  runs_field_ = Named(new QLineEdit(QStringLiteral("1000"), column), "runs");
  form->addRow(QStringLiteral("プレイ回数"), runs_field_);
  games_box_ = Named(DropDown(column), "games");
  games_box_->addItems(GameCounts());
  games_box_->setCurrentIndex(kDefaultGamesIndex);
  form->addRow(QStringLiteral("P数"), games_box_);
  // 換金率 as the main window asks for it: 5 to 8 or a rate typed into the box, or その他 and a
  // rate typed beside it.
  const RateRow rate = MakeRateRow(column, "rate");
  rate_box_ = rate.box;
  other_rate_field_ = rate.other;
  form->addRow(QStringLiteral("換金率"), rate.row);
  stock_field_ = Named(new QLineEdit(QStringLiteral("20"), column), "stock");
  form->addRow(QStringLiteral("初期ストック数"), stock_field_);
  setting_changed_box_ =
      Named(new QCheckBox(QStringLiteral("設定変更あり"), column), "setting_changed");
  form->addRow(setting_changed_box_);
  auto* settings = new QWidget(column);
  auto* settings_grid = new QGridLayout(settings);
  settings_grid->setContentsMargins(0, 0, 0, 0);
  for (int s = 1; s <= 6; ++s) {
    auto* box = new QCheckBox(QString::number(s), settings);
    box->setObjectName(QStringLiteral("setting%1").arg(s));
    box->setChecked(true);
    setting_boxes_[static_cast<size_t>(s - 1)] = box;
    settings_grid->addWidget(box, (s - 1) / 3, (s - 1) % 3);
  }
  form->addRow(QStringLiteral("設定"), settings);
  seed_field_ = Named(new QLineEdit(column), "seed");
  seed_field_->setPlaceholderText(QStringLiteral("空欄: 毎回新しく"));
  seed_field_->setToolTip(QStringLiteral("プレイを作る乱数の番号。同じ番号なら同じ結果になります"));
  form->addRow(QStringLiteral("シード"), seed_field_);
  run_button_ = Named(new QPushButton(QStringLiteral("実行"), column), "run");
  PressOnEnter(run_button_);
  form->addRow(run_button_);
  progress_bar_ = Named(new QProgressBar(column), "progress");
  progress_bar_->setRange(0, 1);
  progress_bar_->setValue(0);
  form->addRow(progress_bar_);
  progress_label_ = Named(new QLabel(column), "progress_text");
  progress_label_->setTextInteractionFlags(Qt::TextSelectableByMouse);  // its seed can be copied
  progress_label_->setWordWrap(true);
  form->addRow(progress_label_);
  connect(run_button_, &QPushButton::clicked, this, &StatsWindow::OnRunClicked);
  // an input changed since the results shown is said beside them
  for (QLineEdit* field : {runs_field_, other_rate_field_, stock_field_, seed_field_}) {
    connect(field, &QLineEdit::textChanged, this, &StatsWindow::ShowConditions);
  }
  for (QComboBox* box : {games_box_, rate_box_}) {
    connect(box, &QComboBox::currentTextChanged, this, &StatsWindow::ShowConditions);
  }
  connect(setting_changed_box_, &QCheckBox::toggled, this, &StatsWindow::ShowConditions);
  for (QCheckBox* box : setting_boxes_) {
    connect(box, &QCheckBox::toggled, this, &StatsWindow::ShowConditions);
  }
}

void StatsWindow::ShowConditions() {
  if (results_.empty()) return;
  QString text = QStringLiteral("条件: ") + FromUtf8(BatchConditions(shown_options_));
  BatchOptions typed;
  if (ReadOptions(&typed).ok() && seed_field_->text().trimmed().isEmpty()) {
    typed.seed = shown_options_.seed;  // an empty seed asks for a new one, not a change
  }
  typed.threads = shown_options_.threads;
  if (BatchCommandLine(typed) != BatchCommandLine(shown_options_)) {
    text += QStringLiteral("\n（左の入力はこの結果のあとで変わっています。実行で反映されます）");
  }
  shown_seed_label_->setText(text);
}

void StatsWindow::BuildResults(QWidget* area) {
  auto* layout = new QVBoxLayout(area);
  layout->setContentsMargins(0, 0, 0, 0);
  // What a player needs to repeat the batch first: its seed and a button; the command line that
  // repeats it with tobiuo-sim under a disclosure, for those who want it.
  // the conditions the results were played under, marked when the inputs no longer match them
  shown_seed_label_ = Named(new QLabel(area), "shown_conditions");
  shown_seed_label_->setWordWrap(true);
  shown_seed_label_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  repeat_button_ =
      Named(new QPushButton(QStringLiteral("同じ条件・シードでもう一度"), area), "repeat");
  repeat_button_->setEnabled(false);
  auto* show_command = Named(new QToolButton(area), "show_command_line");
  show_command->setText(QStringLiteral("コマンドライン"));
  show_command->setCheckable(true);
  show_command->setArrowType(Qt::RightArrow);
  show_command->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  command_line_ = Named(new QLineEdit(area), "command_line");
  command_line_->setReadOnly(true);
  command_line_->setPlaceholderText(QStringLiteral("同じバッチを繰り返すコマンド"));
  command_line_->hide();
  connect(show_command, &QToolButton::toggled, this, [this, show_command](bool shown) {
    command_line_->setVisible(shown);
    show_command->setArrowType(shown ? Qt::DownArrow : Qt::RightArrow);
  });
  connect(repeat_button_, &QPushButton::clicked, this, [this] {
    if (!work_->running()) Start(shown_options_);
  });
  auto* repeat_row = new QHBoxLayout;
  repeat_row->addStretch(1);
  repeat_button_->setToolTip(
      QStringLiteral("表示している結果の条件とシードで、もう一度実行します"));
  repeat_row->addWidget(repeat_button_);
  repeat_row->addWidget(show_command);
  table_ = Named(new QTableWidget(area), "table");
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setTabKeyNavigation(false);  // one Tab in, one out: the arrows move between cells
  const std::vector<const FigureSpec*> columns = Columns(&FigureSpec::window_column);
  table_->setColumnCount(static_cast<int>(columns.size()));
  QStringList titles;
  for (const FigureSpec* column : columns) titles << QString::fromUtf8(column->title);
  table_->setHorizontalHeaderLabels(titles);
  for (size_t i = 0; i < columns.size(); ++i) {
    table_->horizontalHeaderItem(static_cast<int>(i))
        ->setToolTip(QString::fromUtf8(columns[i]->meaning));
  }
  table_->verticalHeader()->hide();
  table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
  table_->setMinimumHeight(4 * (table_->fontMetrics().height() + 6) + 8);
  table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);

  histogram_ = Named(new QChartView(area), "histogram");
  histogram_->setRenderHint(QPainter::Antialiasing);
  bands_ = Named(new QChartView(area), "bands");
  bands_->setRenderHint(QPainter::Antialiasing);

  auto* tabs = Named(new QTabWidget(area), "charts");
  tabs->addTab(histogram_, QStringLiteral("差枚数の分布"));
  tabs->addTab(bands_, QStringLiteral("差枚数の推移"));
  // the setting whose 推移 is drawn, beside the tabs rather than above the chart's plot
  band_setting_box_ = Named(new QComboBox(tabs), "band_setting");
  tabs->setCornerWidget(band_setting_box_);
  connect(tabs, &QTabWidget::currentChanged, band_setting_box_,
          [this](int tab) { band_setting_box_->setVisible(tab == 1); });
  band_setting_box_->hide();
  connect(band_setting_box_, &QComboBox::currentIndexChanged, this, &StatsWindow::ShowBands);

  save_button_ = Named(new QPushButton(QStringLiteral("保存"), area), "save");
  save_button_->setEnabled(false);
  auto* menu = new QMenu(save_button_);
  const QString csv = QStringLiteral("CSV ファイル (*.csv)"),
                png = QStringLiteral("PNG 画像 (*.png)");
  connect(menu->addAction(QStringLiteral("表 (CSV)...")), &QAction::triggered, this, [=, this] {
    Save(csv, QStringLiteral("tobiuo_table.csv"),
         Spreadsheet(shown_options_, StatsTableCsv(results_)));
  });
  connect(menu->addAction(QStringLiteral("分布 (CSV)...")), &QAction::triggered, this, [=, this] {
    Save(csv, QStringLiteral("tobiuo_histogram.csv"),
         Spreadsheet(shown_options_, HistogramCsv(results_)));
  });
  connect(menu->addAction(QStringLiteral("推移 (CSV)...")), &QAction::triggered, this, [=, this] {
    Save(csv, QStringLiteral("tobiuo_bands.csv"),
         Spreadsheet(shown_options_, BandsCsv(results_, CsvHeader::kJapanese)));
  });
  connect(menu->addAction(QStringLiteral("分布 (PNG)...")), &QAction::triggered, this,
          [=, this] { Save(png, QStringLiteral("tobiuo_histogram.png"), ChartPng(histogram_)); });
  connect(menu->addAction(QStringLiteral("推移 (PNG)...")), &QAction::triggered, this,
          [=, this] { Save(png, QStringLiteral("tobiuo_bands.png"), ChartPng(bands_)); });
  save_button_->setMenu(menu);

  // The conditions on a line of their own, then the table and the charts, sharing the height
  // through a splitter; a chart keeps room for its title, legend, plot and axes.
  tabs->setMinimumSize(32 * fontMetrics().height(), 22 * fontMetrics().height());
  auto* split = Named(new QSplitter(Qt::Vertical, area), "results_split");
  split->addWidget(table_);
  split->addWidget(tabs);
  split->setChildrenCollapsible(false);
  split->setStretchFactor(0, 2);
  split->setStretchFactor(1, 3);
  layout->addWidget(shown_seed_label_);
  layout->addLayout(repeat_row);
  layout->addWidget(command_line_);
  layout->addWidget(split, 1);
  layout->addWidget(save_button_, 0, Qt::AlignRight);
}

// ---- Running ----

Status StatsWindow::ReadOptions(BatchOptions* options) {
  BatchInputs inputs;
  inputs.runs = runs_field_->text().toStdString();
  inputs.run.games = games_box_->currentText().toStdString();
  inputs.run.rate = RateText(*rate_box_, *other_rate_field_);
  inputs.run.stock = stock_field_->text().toStdString();
  inputs.run.seed = seed_field_->text().toStdString();
  inputs.run.setting_changed = setting_changed_box_->isChecked();
  QStringList settings;
  for (size_t i = 0; i < setting_boxes_.size(); ++i) {
    if (setting_boxes_[i]->isChecked()) settings << QString::number(i + 1);
  }
  inputs.settings = settings.join(QLatin1Char(',')).toStdString();
  inputs.bands = true;
  return ValidateBatch(inputs, options);
}

void StatsWindow::OnRunClicked() {
  if (work_->running()) {
    work_->Stop();
    run_button_->setEnabled(false);  // until the workers have stopped, at their next check
    return;
  }
  BatchOptions options;
  if (Status s = ReadOptions(&options); !s.ok()) {
    errors_.ShowError(this, FromUtf8(s.message()));
    FocusRefusedField(s, {{kRunsField, runs_field_},
                          {kGamesField, games_box_},
                          {kRateField, RateWidget(rate_box_, other_rate_field_)},
                          {kStockField, stock_field_},
                          {kSeedField, seed_field_},
                          {kSettingsField, setting_boxes_[0]}});
    return;
  }
  Start(options);
}

void StatsWindow::Start(const BatchOptions& options) {
  auto pending = std::make_shared<Pending>();
  pending->options = options;
  const BatchOptions& o = pending->options;
  progress_bar_->setRange(0, static_cast<int>(o.runs * o.settings.size()));
  progress_bar_->setValue(0);
  progress_label_->setText(QStringLiteral("シード %1").arg(o.seed));
  pending_ = pending;
  work_->Start([pending](Progress& progress) {
    return RunBatch(pending->options, progress, &pending->stats);
  });
  run_button_->setText(QStringLiteral("中止"));
}

void StatsWindow::OnProgressed() {
  const uint64_t done = work_->done();
  const uint64_t total = pending_->options.runs * pending_->options.settings.size();
  progress_bar_->setValue(static_cast<int>(done));
  const double elapsed = work_->elapsed();
  const double left =
      done > 0 ? elapsed * static_cast<double>(total - done) / static_cast<double>(done) : 0;
  // One figure a line, so that no line breaks inside a word.
  progress_label_->setText(QStringLiteral("%1 / %2 回\n残り %3\nシード %4")
                               .arg(done)
                               .arg(total)
                               .arg(Clock(left))
                               .arg(pending_->options.seed));
}

void StatsWindow::OnEnded(const Status& status) {
  if (status.ok()) {
    results_ = std::move(pending_->stats);
    shown_options_ = pending_->options;
    ShowResults();
  } else {  // a clear state: the bar back to the start, the focus where the next batch starts
    progress_label_->setText(
        QStringLiteral("中止しました（シード %1）").arg(pending_->options.seed));
    progress_bar_->setValue(0);
  }
  pending_.reset();
  run_button_->setText(QStringLiteral("実行"));
  run_button_->setEnabled(true);
  if (!status.ok()) run_button_->setFocus();
  emit BatchEnded();
}

void StatsWindow::closeEvent(QCloseEvent* event) {
  work_->Stop();
  QWidget::closeEvent(event);
}

// ---- Results ----

void StatsWindow::ShowResults() {
  // What describes the results changes only with them: a stopped batch leaves both alone.
  command_line_->setText(FromUtf8(BatchCommandLine(shown_options_)));
  ShowConditions();
  repeat_button_->setEnabled(true);
  ShowTable();
  ShowHistogram();
  {
    const QSignalBlocker block(band_setting_box_);
    band_setting_box_->clear();
    for (const SettingStats& s : results_) band_setting_box_->addItem(SettingName(s.setting));
    band_setting_box_->setCurrentIndex(static_cast<int>(results_.size()) - 1);
  }
  ShowBands();
  save_button_->setEnabled(true);
}

void StatsWindow::ShowTable() {
  const std::vector<const FigureSpec*> columns = Columns(&FigureSpec::window_column);
  table_->setRowCount(static_cast<int>(results_.size()));
  for (size_t r = 0; r < results_.size(); ++r) {
    for (size_t c = 0; c < columns.size(); ++c) {
      auto* item = new QTableWidgetItem(FromUtf8(FigureText(results_[r], *columns[c])));
      if (c > 0) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      table_->setItem(static_cast<int>(r), static_cast<int>(c), item);
    }
  }
}

void StatsWindow::ShowHistogram() {
  const Distribution d = DistributionOf(results_);
  auto* chart = new QChart;
  chart->setTitle(QStringLiteral("最終差枚数の分布 (%1枚ごと)").arg(d.width));
  auto* x = new QValueAxis;
  x->setTitleText(QStringLiteral("差枚数（枚）"));
  x->setLabelFormat(QStringLiteral("%d"));
  auto* y = new QValueAxis;
  y->setTitleText(QStringLiteral("回数"));
  y->setLabelFormat(QStringLiteral("%d"));
  chart->addAxis(x, Qt::AlignBottom);
  chart->addAxis(y, Qt::AlignLeft);
  double most = 1;
  const size_t bars = d.counts.empty() ? 0 : d.counts[0].size();
  for (size_t i = 0; i < results_.size(); ++i) {
    auto* series = new QLineSeries;
    series->setName(SettingName(results_[i].setting));
    series->setColor(SettingColor(results_[i].setting));
    series->setPointsVisible(true);
    for (size_t bar = 0; bar < bars; ++bar) {
      const double middle = static_cast<double>(d.first_low) +
                            (static_cast<double>(bar) + 0.5) * static_cast<double>(d.width);
      series->append(middle, static_cast<double>(d.counts[i][bar]));
      most = std::max(most, static_cast<double>(d.counts[i][bar]));
    }
    chart->addSeries(series);
    series->attachAxis(x);
    series->attachAxis(y);
  }
  const auto low = static_cast<double>(std::min<int64_t>(d.first_low, 0));
  const auto high =
      static_cast<double>(std::max<int64_t>(d.first_low + static_cast<int64_t>(bars) * d.width, 0));
  // as many coin labels as the plot's width holds, again as it is resized
  // (counted from the chart's size, which the labels do not change)
  const auto fit = [x, y, low, high, most, chart] {
    FitValueAxis(x, low, high, LabelsAcross(chart));
    FitValueAxis(y, 0, most, LabelsDown(chart));
  };
  fit();
  connect(chart, &QChart::plotAreaChanged, x, fit);
  QChart* old = histogram_->chart();
  histogram_->setChart(chart);
  delete old;
}

void StatsWindow::ShowBands() {
  auto* chart = new QChart;
  const int index = band_setting_box_->currentIndex();
  if (index < 0 || results_.empty() || results_[static_cast<size_t>(index)].bands.empty()) {
    QChart* old = bands_->chart();
    bands_->setChart(chart);
    delete old;
    return;
  }
  const SettingStats& chosen = results_[static_cast<size_t>(index)];
  chart->setTitle(SettingName(chosen.setting) +
                  QStringLiteral("の差枚数の推移<br>細線は他の設定の中央値"));
  auto* x = new QCategoryAxis;
  x->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
  x->setTitleText(QStringLiteral("ゲーム数"));
  // as many game labels as the plot's width holds, again as it is resized
  const std::vector<ChartRow> rows = EmptyChart(shown_options_.plan);
  // (counted from the chart's width, which the labels do not change, so that a change of labels
  // cannot lay the chart out again for ever)
  const auto label_rows = [x, rows, chart] { SetRowAxis(x, rows, LabelsAcross(chart)); };
  label_rows();
  connect(chart, &QChart::plotAreaChanged, x, label_rows);
  auto* y = new QValueAxis;
  y->setTitleText(QStringLiteral("差枚数（枚）"));
  y->setLabelFormat(QStringLiteral("%d"));
  chart->addAxis(x, Qt::AlignBottom);
  chart->addAxis(y, Qt::AlignLeft);
  double low = 0, high = 0;
  const auto line = [&](const SettingStats& s, size_t k) {
    auto* series = new QLineSeries;
    for (const BandRow& band : s.bands) {
      series->append(band.row, band.percentiles[k]);
      low = std::min<double>(low, band.percentiles[k]);
      high = std::max<double>(high, band.percentiles[k]);
    }
    return series;
  };
  const auto add = [&](QAbstractSeries* series) {
    chart->addSeries(series);
    series->attachAxis(x);
    series->attachAxis(y);
  };
  const std::pair<size_t, size_t> areas[] = {{0, 4}, {1, 3}};
  // The chosen setting in its own colour, as in 分布: light for 90%, deeper for half.
  QColor wide = SettingColor(chosen.setting), middle = SettingColor(chosen.setting);
  wide.setAlpha(60);
  middle.setAlpha(120);
  const QColor shades[] = {wide, middle};
  const QString names[] = {QStringLiteral("90%のプレイ"), QStringLiteral("半分のプレイ")};
  for (size_t a = 0; a < 2; ++a) {
    auto* area = new QAreaSeries(line(chosen, areas[a].second), line(chosen, areas[a].first));
    area->setName(names[a]);
    area->setColor(shades[a]);
    area->setBorderColor(shades[a]);
    add(area);
  }
  for (const SettingStats& s : results_) {
    if (&s == &chosen) continue;
    QLineSeries* median = line(s, 2);
    median->setName(SettingName(s.setting));
    median->setPen(QPen(SettingColor(s.setting), 1));
    add(median);
    chart->legend()->markers(median).constFirst()->setVisible(false);  // its colour is 分布's
  }
  QLineSeries* median = line(chosen, 2);
  median->setName(QStringLiteral("中央値"));
  QPen pen(SettingColor(chosen.setting).darker(130));
  pen.setWidthF(2.5);
  median->setPen(pen);
  add(median);
  const auto fit_y = [y, low, high, chart] { FitValueAxis(y, low, high, LabelsDown(chart)); };
  fit_y();
  connect(chart, &QChart::plotAreaChanged, y, fit_y);
  QChart* old = bands_->chart();
  bands_->setChart(chart);
  delete old;
}

// ---- Saving ----

// A saved chart has one readable size, whatever the window shows (a tab never opened is tiny):
// the chart is laid out again at that size, drawn, and given back its place on the screen.
std::string StatsWindow::ChartPng(QChartView* view) const {
  QChart* chart = view->chart();
  const QRectF shown = chart->geometry();
  // the file carries its conditions under the title; the window says them above its results
  const QString title = chart->title();
  chart->setTitle(title + QStringLiteral("<br>") + FromUtf8(BatchConditions(shown_options_)));
  chart->setGeometry(QRectF(QPointF(0, 0), QSizeF(kSavedChartSize)));
  if (chart->layout()) chart->layout()->activate();
  QPixmap pixmap(kSavedChartSize);
  pixmap.fill(Qt::white);
  {
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    chart->scene()->render(&painter, QRectF(pixmap.rect()), chart->geometry());
  }
  chart->setTitle(title);
  chart->setGeometry(shown);
  if (chart->layout()) chart->layout()->activate();
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  pixmap.save(&buffer, "PNG");
  return bytes.toStdString();
}

void StatsWindow::Save(const QString& filter, const QString& name, const std::string& bytes) {
  const SaveDialogSetup setup{
      {filter, QStringLiteral("すべてのファイル (*.*)")}, 0, name, QFileInfo(name).suffix()};
  const std::optional<QString> path = AskFileToSave(save_dialog_, this, setup);
  if (!path) return;
  const Status saved = WriteFilesAtomically(fs_, {{QFile::encodeName(*path).toStdString(), bytes}});
  if (!saved.ok()) errors_.ShowError(this, FromUtf8(saved.message()));
}

}  // namespace tobiuo::ui
