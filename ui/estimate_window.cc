// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/estimate_window.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QValueAxis>
#include <QtConcurrent/QtConcurrentRun>
#include <cmath>
#include <sstream>

#include "analysis/hit_rates.h"
#include "base/fields.h"
#include "base/number_text.h"
#include "engine/random_source.h"
#include "ui/background_work.h"
#include "ui/dialogs.h"
#include "ui/enter_presses.h"
#include "ui/history_editor.h"
#include "ui/input_widgets.h"
#include "ui/value_panel.h"
#include "ui/widget_helpers.h"

namespace tobiuo::ui {
namespace {

constexpr uint64_t kModelRuns = 1000;

QString Percent(double p) {
  return QString::fromStdString(FormatFixed(100 * p, 1)) + QLatin1Char('%');
}

}  // namespace

EstimateWindow::EstimateWindow(ErrorReporter& errors, std::function<LastRun()> last_run)
    : errors_(errors), last_run_(std::move(last_run)), work_(new BackgroundWork(this)) {
  setObjectName(QStringLiteral("estimate"));
  setWindowTitle(QStringLiteral("設定判別"));
  setWindowFlag(Qt::Window);
  auto* inputs = new QWidget(this);
  inputs->setFixedWidth(270);
  auto* form = new QFormLayout(inputs);
  const auto edit = [](QWidget* parent, const char* name, const QString& text) {
    return Named(new QLineEdit(text, parent), name);
  };
  const auto field = [&](const char* name, const QString& label, const QString& text) {
    auto* e = edit(inputs, name, text);
    form->addRow(label, e);
    return e;
  };
  const auto with_unknown = [&](QWidget* first, const char* name) {
    auto* row = new QHBoxLayout;
    auto* unknown = Named(new QCheckBox(QStringLiteral("不明"), inputs), name);
    unknown->setToolTip(QStringLiteral("わからないとき（解除履歴での判別のみ）"));
    row->addWidget(first, 1);
    row->addWidget(unknown);
    return std::pair{row, unknown};
  };
  games_field_ = field("games", QStringLiteral("ゲーム数（P数）"), QStringLiteral("6000"));
  games_field_->setToolTip(QStringLiteral("台のデータカウンターの総ゲーム数"));
  watched_field_ = field("watched_from", QStringLiteral("見始めたゲーム"), QString());
  watched_field_->setPlaceholderText(QStringLiteral("1（最初から）"));
  watched_field_->setToolTip(QStringLiteral(
      "途中から見始めたときのゲーム数。それより前の解除は契機を「不明」に、純ハズレ回数はここから"
      "数えたものを入れます（解除履歴のみ）"));
  pure_miss_field_ = field("pure_misses", QStringLiteral("純ハズレ回数"), QString());
  pure_miss_field_->setPlaceholderText(QStringLiteral("解除履歴では省略可"));
  pure_miss_field_->setToolTip(
      QStringLiteral("すべての純ハズレ: ボーナスを解除したものも、しなかったものも"));
  stock_field_ = edit(inputs, "stock", QStringLiteral("20"));
  stock_field_->setToolTip(QStringLiteral("解除履歴では範囲（0-30）や一覧（10,20,30）も書けます"));
  auto [stock_row, stock_unknown] = with_unknown(stock_field_, "stock_unknown");
  stock_unknown_box_ = stock_unknown;
  stock_unknown_box_->setToolTip(
      QStringLiteral("0～255のどれも同じ確からしさとします（解除履歴のみ）"));
  form->addRow(QStringLiteral("初期ストック数"), stock_row);
  setting_changed_box_ =
      Named(new QCheckBox(QStringLiteral("設定変更あり"), inputs), "setting_changed");
  auto [changed_row, changed_unknown] =
      with_unknown(setting_changed_box_, "setting_changed_unknown");
  changed_unknown_box_ = changed_unknown;
  changed_unknown_box_->setToolTip(QStringLiteral("変更ありとなしを半々とします（解除履歴のみ）"));
  form->addRow(changed_row);
  prior_field_ = field("prior", QStringLiteral("設定の見込み"), QStringLiteral("1,1,1,1,1,1"));
  prior_field_->setToolTip(QStringLiteral(
      "打つ前に思っている設定1～6のありそうさの比（6つをカンマで区切る）。\n"
      "わからなければ 1,1,1,1,1,1（どれも同じ）。高設定が少ない店なら 4,4,4,2,1,1 など"));
  auto* from_last =
      Named(new QPushButton(QStringLiteral("直前のプレイから"), inputs), "from_last_run");
  form->addRow(from_last);

  method_tabs_ = Named(new QTabWidget(this), "method");
  history_ = Named(new HistoryEditor(method_tabs_), "history_editor");
  method_tabs_->addTab(history_, QStringLiteral("解除履歴"));
  auto* counts = new QWidget(method_tabs_);
  auto* counts_form = new QFormLayout(counts);
  const auto counts_field = [&](const char* name, const QString& label) {
    auto* e = edit(counts, name, QString());
    counts_form->addRow(label, e);
    return e;
  };
  big_field_ = counts_field("big", QStringLiteral("BIG回数"));
  reg_field_ = counts_field("reg", QStringLiteral("REG回数"));
  heaven_field_ = counts_field("heaven", QStringLiteral("天国回数"));
  for (QLineEdit* optional : {big_field_, reg_field_, heaven_field_}) {
    optional->setPlaceholderText(QStringLiteral("省略可"));
  }
  seed_field_ = counts_field("seed", QStringLiteral("シード"));
  seed_field_->setPlaceholderText(QStringLiteral("空欄: 新しく"));
  seed_field_->setToolTip(
      QStringLiteral("比べるプレイを作る乱数の番号。同じ番号なら同じ答えになります"));
  judge_button_ = Named(new QPushButton(QStringLiteral("判別"), counts), "judge");
  PressOnEnter(judge_button_);
  counts_form->addRow(judge_button_);
  progress_bar_ = Named(new QProgressBar(counts), "progress");
  progress_bar_->setRange(0, static_cast<int>(6 * kModelRuns));
  progress_bar_->setValue(0);
  counts_form->addRow(progress_bar_);
  method_tabs_->addTab(counts, QStringLiteral("回数"));
  method_tabs_->setMinimumWidth(440);

  chart_ = Named(new QChartView(this), "posterior");
  chart_->setRenderHint(QPainter::Antialiasing);
  // the bars stay readable at the window's least size: whole percents there, a decimal from 1280
  // pixels wide
  chart_->setMinimumSize(35 * chart_->fontMetrics().height(), 16 * chart_->fontMetrics().height());
  summary_label_ = Named(new QLabel(this), "summary");
  summary_label_->setTextInteractionFlags(Qt::TextSelectableByMouse);  // the seed, to copy
  summary_label_->setWordWrap(true);
  // Below the bars, scrolling rather than overlapping them when the window is small.
  auto* summary_area = new QScrollArea(this);
  summary_area->setWidget(summary_label_);
  summary_area->setWidgetResizable(true);
  summary_area->setFrameShape(QFrame::NoFrame);
  summary_area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  summary_area->setMinimumHeight(4 * summary_label_->fontMetrics().lineSpacing());
  value_ = Named(new ValuePanel(this), "value");
  value_->setMinimumHeight(14 * summary_label_->fontMetrics().lineSpacing());
  // The bars, what they say and the value of playing on, one under the other: in a low window
  // the column scrolls rather than squeezing one over another.
  auto* column = new QWidget(this);
  auto* results = new QVBoxLayout(column);
  results->setContentsMargins(0, 0, 0, 0);
  results->addWidget(chart_, 3);
  results->addWidget(summary_area, 1);
  results->addWidget(value_, 3);
  auto* results_area = Named(new QScrollArea(this), "results");
  results_area->setWidget(column);
  results_area->setWidgetResizable(true);
  results_area->setFrameShape(QFrame::NoFrame);
  results_area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  // never narrower than the bars need: the column scrolls down, not sideways
  results_area->setMinimumWidth(column->minimumSizeHint().width() +
                                results_area->verticalScrollBar()->sizeHint().width());
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(inputs);
  // the bars take the larger share: each carries its setting and percentage in full
  layout->addWidget(method_tabs_, 2);
  layout->addWidget(results_area, 3);
  resize(1280, 800);

  // The history tab's bars follow every change of what it reads.
  const auto live = [this] {
    if (JudgingHistory()) {
      JudgeHistory();
    } else {
      ++edits_;  // a history answer still to come is no longer wanted
    }
  };
  for (QLineEdit* e :
       {games_field_, watched_field_, pure_miss_field_, stock_field_, prior_field_}) {
    connect(e, &QLineEdit::textChanged, this, live);
  }
  for (QCheckBox* box : {setting_changed_box_, stock_unknown_box_, changed_unknown_box_}) {
    connect(box, &QCheckBox::toggled, this, live);
  }
  connect(stock_unknown_box_, &QCheckBox::toggled, stock_field_, &QWidget::setDisabled);
  connect(changed_unknown_box_, &QCheckBox::toggled, setting_changed_box_, &QWidget::setDisabled);
  connect(history_, &HistoryEditor::Changed, this, live);
  connect(method_tabs_, &QTabWidget::currentChanged, this, live);
  connect(judge_button_, &QPushButton::clicked, this, &EstimateWindow::OnJudgeClicked);
  connect(from_last, &QPushButton::clicked, this, &EstimateWindow::OnFromLastRun);
  history_watcher_ = new QFutureWatcher<HistoryAnswer>(this);
  connect(history_watcher_, &QFutureWatcherBase::finished, this, &EstimateWindow::OnHistoryJudged);
  // it opens saying what it waits for, not blank
  summary_label_->setText(QStringLiteral("解除履歴を入れると、各設定の確率が出ます"));
  connect(work_, &BackgroundWork::Progressed, this,
          [this] { progress_bar_->setValue(static_cast<int>(work_->done())); });
  connect(work_, &BackgroundWork::Ended, this, [this](const Status& status) {
    judge_button_->setText(QStringLiteral("判別"));
    judge_button_->setEnabled(true);
    if (!status.ok()) {  // stopped: nothing half-built is kept, and no answer for other inputs
      progress_bar_->setValue(0);
      ClearAnswer(QStringLiteral("中止しました"));
      judge_button_->setFocus();
      return;
    }
    model_ = std::move(building_);
    ++models_built_;
    progress_bar_->setValue(progress_bar_->maximum());
    Judge(waiting_);
  });
}

EstimateWindow::~EstimateWindow() = default;

void EstimateWindow::closeEvent(QCloseEvent* event) {
  work_->Stop();
  QWidget::closeEvent(event);
}

bool EstimateWindow::JudgingHistory() const { return method_tabs_->currentWidget() == history_; }

Status EstimateWindow::ReadRequest(Request* r) const {
  const auto text = [](const QLineEdit* field) { return field->text().toStdString(); };
  const CountsInputs counts{text(games_field_), text(pure_miss_field_), text(big_field_),
                            text(reg_field_), text(heaven_field_)};
  if (Status s = ValidateCounts(counts, &r->counts); !s.ok()) return s;
  if (stock_unknown_box_->isChecked() || changed_unknown_box_->isChecked()) {
    return Refuse(stock_unknown_box_->isChecked() ? kStockField : FieldName{"setting_changed", ""},
                  "不明は解除履歴での判別だけで使えます");
  }
  ModelInputs inputs;
  inputs.stock = text(stock_field_);
  inputs.setting_changed = setting_changed_box_->isChecked();
  inputs.prior = text(prior_field_);
  inputs.seed = text(seed_field_);
  ModelPlan plan;
  if (Status s = ValidateModelInputs(inputs, &plan); !s.ok()) return s;
  r->start = plan.start;
  r->prior = plan.prior;
  if (!NormalizeNumberText(inputs.seed).empty()) r->seed = plan.seed;
  return Status::Ok();
}

Status EstimateWindow::ReadHistoryRequest(History* h, HistoryStart* start, Prior* prior) const {
  HistoryInputs form;
  form.games = games_field_->text().toStdString();
  form.watched_from = watched_field_->text().toStdString();
  form.pure_misses = pure_miss_field_->text().toStdString();
  form.stock = stock_field_->text().toStdString();
  form.stock_unknown = stock_unknown_box_->isChecked();
  form.setting_changed = setting_changed_box_->isChecked();
  form.setting_changed_unknown = changed_unknown_box_->isChecked();
  form.releases = history_->Releases();
  if (Status s = ValidateHistory(form, h, start); !s.ok()) return s;
  return ReadPrior(prior_field_->text().toStdString(), prior);
}

void EstimateWindow::FocusRefused(const Status& s) {
  FocusRefusedField(s, {{kCountGamesField, games_field_},
                        {kWatchedFromField, watched_field_},
                        {kPureMissField, pure_miss_field_},
                        {kBigField, big_field_},
                        {kRegField, reg_field_},
                        {kHeavenField, heaven_field_},
                        {kStockField, stock_field_},
                        {kPriorField, prior_field_},
                        {kSeedField, seed_field_},
                        {FieldName{"setting_changed", ""}, changed_unknown_box_}});
}

void EstimateWindow::OnJudgeClicked() {
  if (work_->running()) {
    work_->Stop();
    judge_button_->setEnabled(false);  // until the runs have stopped, at their next check
    return;
  }
  Request request;
  if (Status s = ReadRequest(&request); !s.ok()) {
    errors_.ShowError(this, QString::fromStdString(s.message()));
    FocusRefused(s);
    return;
  }
  const bool needs_model = request.counts.big.has_value();
  const bool same_runs = model_ && model_->key().start == request.start &&
                         (!request.seed || *request.seed == model_->key().seed);
  if (!needs_model || same_runs) {
    Judge(request);
    return;
  }
  // The runs of every setting to 8000 games serve every G of this start.
  waiting_ = request;
  building_ = std::make_shared<ReleaseModel>();
  const ReleaseModel::Key key{request.start, kMaxGames, kModelRuns,
                              request.seed.value_or(ChooseRunSeed())};
  const unsigned threads = AllCores();
  std::shared_ptr<ReleaseModel> target = building_;
  progress_bar_->setValue(0);
  work_->Start([key, threads, target](Progress& progress) {
    return ReleaseModel::Build(key, threads, progress, target.get());
  });
  judge_button_->setText(QStringLiteral("中止"));
}

// A history judged as typed: a refusal is said in the summary, not in a dialog, since the bars
// follow every key. The reading is immediate; the pass runs on the pool.
void EstimateWindow::JudgeHistory() {
  HistoryQuestion question;
  question.edit = ++edits_;
  if (games_field_->text().trimmed().isEmpty()) {  // nothing typed yet: not a refusal
    next_question_.reset();
    ClearAnswer(QStringLiteral("ゲーム数（P数）と解除履歴を入れると、各設定の確率が出ます"));
    return;
  }
  if (Status s = ReadHistoryRequest(&question.history, &question.start, &question.prior); !s.ok()) {
    next_question_.reset();
    ClearAnswer(QString::fromStdString(s.message()));
    return;
  }
  next_question_ = std::move(question);
  if (!asked_) AskNext();
}

void EstimateWindow::AskNext() {
  asked_ = std::move(next_question_);
  next_question_.reset();
  history_watcher_->setFuture(QtConcurrent::run([question = *asked_] {
    HistoryAnswer answer;
    answer.edit = question.edit;
    answer.status = EstimateFromHistory(question.history, question.start, question.prior,
                                        &answer.posterior, &answer.now);
    return answer;
  }));
}

void EstimateWindow::OnHistoryJudged() {
  const HistoryQuestion question = std::move(*asked_);
  asked_.reset();
  const HistoryAnswer answer = history_watcher_->result();
  if (next_question_) {
    AskNext();
  } else if (answer.edit == edits_) {  // else an edit since has refused what it asked
    if (!answer.status.ok()) {
      ClearAnswer(QString::fromStdString(answer.status.message()));
      return;
    }
    Show({answer.posterior, JudgedBy::kHistory, question.history.games, question.start,
          std::nullopt});
    value_->SetHistory(question.history, question.start, question.prior, answer.now);
  }
}

void EstimateWindow::OnFromLastRun() {
  const LastRun last = last_run_ ? last_run_() : LastRun{};
  const RunRecord* run = last.record;
  if (!run || !last.history) {
    errors_.ShowError(this, QStringLiteral("終わったプレイがまだありません"));
    return;
  }
  const RunFigures& f = run->figures;
  const QSignalBlocker quiet_games(games_field_), quiet_misses(pure_miss_field_),
      quiet_stock(stock_field_), quiet_changed(setting_changed_box_),
      quiet_unknown(stock_unknown_box_), quiet_changed_unknown(changed_unknown_box_),
      quiet_watched(watched_field_);
  games_field_->setText(QString::number(f.GamesBet));
  watched_field_->clear();
  pure_miss_field_->setText(QString::number(run->pure_misses()));
  big_field_->setText(QString::number(f.BigReleases));
  reg_field_->setText(QString::number(f.RegReleases));
  heaven_field_->setText(QString::number(f.HeavenModeCount));
  stock_field_->setText(QString::number(run->plan.stock));
  stock_field_->setEnabled(true);
  stock_unknown_box_->setChecked(false);
  setting_changed_box_->setChecked(run->plan.setting_changed);
  setting_changed_box_->setEnabled(true);
  changed_unknown_box_->setChecked(false);
  history_->SetReleases(last.history->releases);
}

void EstimateWindow::Judge(const Request& request) {
  ++edits_;  // this answer replaces any history answer to come
  const ReleaseModel* model = request.counts.big ? model_.get() : nullptr;
  const Posterior posterior = Estimate(request.counts, request.prior, model);
  value_->Clear(QStringLiteral("打ち続けたときの期待値は、解除履歴から出します"));
  Show({posterior, model && !posterior.unlike_any_run ? JudgedBy::kCounts : JudgedBy::kPureMisses,
        request.counts.games, HistoryStart{{request.start.stock}, request.start.setting_changed},
        model ? std::optional<uint32_t>(model->key().seed) : std::nullopt});
}

void EstimateWindow::ClearAnswer(const QString& why) {
  QChart* old = chart_->chart();
  chart_->setChart(new QChart);
  delete old;
  summary_label_->setText(why);
  shown_.reset();
  value_->Clear(QStringLiteral("解除履歴が読めると、ここに打ち続けたときの期待値が出ます"));
}

void EstimateWindow::LabelBars() {
  if (!shown_ || chart_->chart()->axes(Qt::Horizontal).isEmpty()) return;
  auto* axis = static_cast<QBarCategoryAxis*>(chart_->chart()->axes(Qt::Horizontal).first());
  // The axis cuts a label wider than about a seventh of the plot (the chart less its value axis
  // and margins: the chart's width, which the labels do not change), less the margins of its
  // text: two lines ("6<br>33.3%": rich text, where "\n" is no break) where they fit in full,
  // else one line of whole percents ("6 33%") in a smaller type.
  const qreal room = (chart_->chart()->size().width() - 90) / 7 - 12;
  QFont font = chart_->font();
  const bool fine = QFontMetricsF(font).horizontalAdvance(QStringLiteral("100.0%")) <= room;
  if (!fine) font.setPointSizeF(font.pointSizeF() * 0.85);
  QStringList labels;
  for (size_t s = 0; s < 6; ++s) {
    const double p = shown_->probability[s];
    labels << (fine ? QStringLiteral("%1<br>%2").arg(s + 1).arg(Percent(p))
                    : QStringLiteral("%1 %2%").arg(s + 1).arg(std::lround(100 * p)));
  }
  if (axis->labelsFont() != font) axis->setLabelsFont(font);
  if (axis->categories() != labels) {
    axis->clear();
    axis->append(labels);
  }
}

void EstimateWindow::Show(const Answer& answer) {
  const Posterior& posterior = answer.posterior;
  auto* chart = new QChart;
  chart->setTitle(QStringLiteral("各設定の確率"));
  chart->legend()->hide();
  auto* set = new QBarSet(QStringLiteral("確率"));
  for (size_t s = 0; s < 6; ++s) *set << 100 * posterior.probability[s];
  auto* series = new QBarSeries;
  series->append(set);
  chart->addSeries(series);
  auto* x = new QBarCategoryAxis;
  x->setTitleText(QStringLiteral("設定"));
  auto* y = new QValueAxis;
  y->setRange(0, 100);
  y->setLabelFormat(QStringLiteral("%d%%"));
  chart->addAxis(x, Qt::AlignBottom);
  chart->addAxis(y, Qt::AlignLeft);
  series->attachAxis(x);
  series->attachAxis(y);
  QChart* old = chart_->chart();
  chart_->setChart(chart);
  delete old;
  shown_ = posterior;
  LabelBars();
  connect(chart, &QChart::plotAreaChanged, this, &EstimateWindow::LabelBars);  // as it is resized
  static const QString kMethods[] = {QStringLiteral("純ハズレ回数"),
                                     QStringLiteral("純ハズレ・BIG・REG・天国の回数"),
                                     QStringLiteral("解除履歴（厳密な計算）")};
  QString text =
      QStringLiteral("最も可能性が高い設定: %1 (%2)　設定4以上: %3　設定5・6: %4\n判別方法: %5")
          .arg(posterior.most_likely)
          .arg(Percent(posterior.probability[static_cast<size_t>(posterior.most_likely - 1)]))
          .arg(Percent(posterior.p_4_or_more))
          .arg(Percent(posterior.p_5_or_6))
          .arg(kMethods[static_cast<int>(answer.method)]);
  // What the numbers mean for a player: they are calibrated, and the most likely setting is right
  // only so often at this many games, from this start.
  const HitRate hit = HitRateFor(answer.method, answer.games, answer.start);
  text += QStringLiteral(
              "\nこの確率は言葉どおりに受け取れます（60%と出た答えは10回に4回外れます）。"
              "%1ゲームでは、この方法でいちばんありそうとされた設定が本当の設定である割合は約%2%")
              .arg(answer.games)
              .arg(std::lround(100 * hit.rate));
  if (!hit.for_assumed)
    text += QStringLiteral("（%1の場合）").arg(QString::fromStdString(StartText(hit.start)));
  if (answer.method != JudgedBy::kPureMisses) {  // the pure misses know nothing of the start
    text += QStringLiteral("\n前提: %1").arg(QString::fromStdString(StartText(answer.start)));
  }
  if (answer.method == JudgedBy::kHistory && answer.start.stocks != UnknownStock()) {
    text += QStringLiteral("（ホールで初期ストックが分からなければ「不明」が正直な選び方です）");
  }
  if (posterior.unlike_any_run) {
    text += QStringLiteral(
        "\nBIG・REG・天国の回数は比べたどのプレイとも離れているため、純ハズレのみで判別しまし"
        "た");
  }
  if (answer.model_seed) {  // the same seed gives the same answer for the same counts
    text += QStringLiteral("\n比べたプレイのシード: %1").arg(*answer.model_seed);
  }
  summary_label_->setText(text);
  shown_method_ = answer.method;
  emit Judged();
}

}  // namespace tobiuo::ui
