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
#include <QVBoxLayout>
#include <QValueAxis>
#include <cmath>
#include <sstream>
#include <thread>

#include "base/number_text.h"
#include "engine/random_source.h"
#include "ui/background_work.h"
#include "ui/dialogs.h"
#include "ui/enter_presses.h"

namespace tobiuo::ui {
namespace {

constexpr uint64_t kModelRuns = 1000;

template <typename W>
W* Named(W* widget, const char* name) {
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

QString Percent(double p) {
  return QString::fromStdString(FormatFixed(100 * p, 1)) + QLatin1Char('%');
}

}  // namespace

EstimateWindow::EstimateWindow(ErrorReporter& errors, std::function<const RunRecord*()> last_run)
    : errors_(errors), last_run_(std::move(last_run)), work_(new BackgroundWork(this)) {
  setObjectName(QStringLiteral("estimate"));
  setWindowTitle(QStringLiteral("設定判別"));
  setWindowFlag(Qt::Window);
  auto* inputs = new QWidget(this);
  inputs->setFixedWidth(240);
  auto* form = new QFormLayout(inputs);
  const auto field = [&](const char* name, const QString& label, const QString& text) {
    auto* edit = Named(new QLineEdit(text, inputs), name);
    form->addRow(label, edit);
    return edit;
  };
  games_field_ = field("games", QStringLiteral("P数"), QStringLiteral("8000"));
  pure_miss_field_ = field("pure_misses", QStringLiteral("純ハズレ回数"), QString());
  big_field_ = field("big", QStringLiteral("BIG回数"), QString());
  reg_field_ = field("reg", QStringLiteral("REG回数"), QString());
  heaven_field_ = field("heaven", QStringLiteral("天国回数"), QString());
  stock_field_ = field("stock", QStringLiteral("初期ストック数"), QStringLiteral("20"));
  setting_changed_box_ =
      Named(new QCheckBox(QStringLiteral("設定変更あり"), inputs), "setting_changed");
  form->addRow(setting_changed_box_);
  prior_field_ = field("prior", QStringLiteral("事前の重み"), QStringLiteral("1,1,1,1,1,1"));
  seed_field_ = field("seed", QStringLiteral("シード"), QString());
  seed_field_->setPlaceholderText(QStringLiteral("空欄: 新しく"));
  auto* from_last =
      Named(new QPushButton(QStringLiteral("直前のランから"), inputs), "from_last_run");
  form->addRow(from_last);
  judge_button_ = Named(new QPushButton(QStringLiteral("判別"), inputs), "judge");
  PressOnEnter(judge_button_);
  form->addRow(judge_button_);
  progress_bar_ = Named(new QProgressBar(inputs), "progress");
  progress_bar_->setRange(0, static_cast<int>(6 * kModelRuns));
  progress_bar_->setValue(0);
  form->addRow(progress_bar_);

  chart_ = Named(new QChartView(this), "posterior");
  chart_->setRenderHint(QPainter::Antialiasing);
  summary_label_ = Named(new QLabel(this), "summary");
  summary_label_->setWordWrap(true);
  auto* results = new QVBoxLayout;
  results->addWidget(chart_, 1);
  results->addWidget(summary_label_);
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(inputs);
  layout->addLayout(results, 1);
  resize(820, 460);

  connect(judge_button_, &QPushButton::clicked, this, &EstimateWindow::OnJudgeClicked);
  connect(from_last, &QPushButton::clicked, this, &EstimateWindow::OnFromLastRun);
  connect(work_, &BackgroundWork::Progressed, this,
          [this] { progress_bar_->setValue(static_cast<int>(work_->done())); });
  connect(work_, &BackgroundWork::Ended, this, [this](const Status& status) {
    judge_button_->setText(QStringLiteral("判別"));
    judge_button_->setEnabled(true);
    if (!status.ok()) {  // stopped: nothing half-built is kept, and no answer for other inputs
      progress_bar_->setValue(0);
      QChart* old = chart_->chart();
      chart_->setChart(new QChart);
      delete old;
      summary_label_->setText(QStringLiteral("中止しました"));
      shown_.reset();
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

Status EstimateWindow::ReadRequest(Request* r) const {
  const auto text = [](const QLineEdit* field) { return field->text().toStdString(); };
  const CountsInputs counts{text(games_field_), text(pure_miss_field_), text(big_field_),
                            text(reg_field_), text(heaven_field_)};
  if (Status s = ValidateCounts(counts, &r->counts); !s.ok()) return s;
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

void EstimateWindow::OnJudgeClicked() {
  if (work_->running()) {
    work_->Stop();
    judge_button_->setEnabled(false);  // until the runs have stopped, at their next check
    return;
  }
  Request request;
  if (Status s = ReadRequest(&request); !s.ok()) {
    errors_.ShowError(this, QString::fromStdString(s.message()));
    const std::pair<FieldName, QLineEdit*> fields[] = {
        {kCountGamesField, games_field_}, {kPureMissField, pure_miss_field_},
        {kBigField, big_field_},          {kRegField, reg_field_},
        {kHeavenField, heaven_field_},    {kStockField, stock_field_},
        {kPriorField, prior_field_},      {kSeedField, seed_field_}};
    for (const auto& [field, widget] : fields) {
      if (s.field() == field.key) widget->setFocus();
    }
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
  const unsigned threads = std::max(1u, std::thread::hardware_concurrency());
  std::shared_ptr<ReleaseModel> target = building_;
  progress_bar_->setValue(0);
  work_->Start([key, threads, target](Progress& progress) {
    return ReleaseModel::Build(key, threads, progress, target.get());
  });
  judge_button_->setText(QStringLiteral("中止"));
}

void EstimateWindow::OnFromLastRun() {
  const RunRecord* run = last_run_ ? last_run_() : nullptr;
  if (!run) {
    errors_.ShowError(this, QStringLiteral("終わったランがまだありません"));
    return;
  }
  const RunFigures& f = run->figures;
  games_field_->setText(QString::number(f.GamesBet));
  pure_miss_field_->setText(QString::number(run->pure_misses()));
  big_field_->setText(QString::number(f.BigReleases));
  reg_field_->setText(QString::number(f.RegReleases));
  heaven_field_->setText(QString::number(f.HeavenModeCount));
  stock_field_->setText(QString::number(run->plan.stock));
  setting_changed_box_->setChecked(run->plan.setting_changed);
}

void EstimateWindow::Judge(const Request& request) {
  const ReleaseModel* model = request.counts.big ? model_.get() : nullptr;
  Show(request, Estimate(request.counts, request.prior, model),
       model ? std::optional<uint32_t>(model->key().seed) : std::nullopt);
}

void EstimateWindow::Show(const Request& request, const Posterior& posterior,
                          std::optional<uint32_t> model_seed) {
  auto* chart = new QChart;
  chart->setTitle(QStringLiteral("各設定の確率"));
  chart->legend()->hide();
  auto* set = new QBarSet(QStringLiteral("確率"));
  QStringList settings;
  for (size_t s = 0; s < 6; ++s) {
    *set << 100 * posterior.probability[s];
    settings << QStringLiteral("設定%1").arg(s + 1);
  }
  auto* series = new QBarSeries;
  series->append(set);
  series->setLabelsVisible(true);
  series->setLabelsFormat(QStringLiteral("@value%"));
  series->setLabelsPrecision(3);
  series->setLabelsPosition(QAbstractBarSeries::LabelsOutsideEnd);
  chart->addSeries(series);
  set->setLabelColor(Qt::black);
  auto* x = new QBarCategoryAxis;
  x->append(settings);
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
  QString text =
      QStringLiteral("最も可能性が高い設定: %1 (%2)　設定4以上: %3　設定5・6: %4")
          .arg(posterior.most_likely)
          .arg(Percent(posterior.probability[static_cast<size_t>(posterior.most_likely - 1)]))
          .arg(Percent(posterior.p_4_or_more))
          .arg(Percent(posterior.p_5_or_6));
  // What the numbers mean for a player: they are calibrated, and the most likely setting is right
  // only so often at this many games.
  const double hit = HitRateForDefaultStart(request.counts.games, model_seed.has_value());
  text += QStringLiteral(
              "\n確率は較正されています（60%の答えは10回に4回外れます）。"
              "%1P・この方法で最も可能性が高い設定が当たる割合: 約%2%")
              .arg(request.counts.games)
              .arg(std::lround(100 * hit));
  if (!(request.start == EstimateStart{})) {
    text += QStringLiteral("（初期ストック20・設定変更なしの場合）");
  }
  if (posterior.unlike_any_run) {
    text += QStringLiteral("\n注意: この回数はどの設定のシミュレーションともかけ離れています");
  }
  if (model_seed) {  // the same seed gives the same answer for the same counts
    text += QStringLiteral("\nシミュレーションのシード: %1").arg(*model_seed);
  }
  summary_label_->setText(text);
  shown_ = posterior;
  emit Judged();
}

}  // namespace tobiuo::ui
