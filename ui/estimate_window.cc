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

// A count field: a whole number, or nothing when the field is empty and may be.
Status ReadCount(const QLineEdit* field, const char* name, InputField which, bool optional,
                 std::optional<int32_t>* value) {
  const std::string text = field->text().toStdString();
  if (optional && NormalizeNumberText(text).empty()) {
    value->reset();
    return Status::Ok();
  }
  const std::optional<double> real = ReadReal(text);
  if (!real || *real != std::floor(*real) || *real < 0 || *real > kMaxGames) {
    return Status::BadInput(which, std::string(name) + "は0～8000の整数で入力してください");
  }
  *value = static_cast<int32_t>(*real);
  return Status::Ok();
}

Status ReadPrior(const QString& text, Prior* prior) {
  const QStringList items = text.split(QLatin1Char(','));
  if (items.size() != 6)
    return Status::BadInput(InputField::kPrior,
                            "事前の重みは6つをカンマで区切って入力してください");
  for (qsizetype i = 0; i < 6; ++i) {
    const std::optional<double> weight = ReadReal(items[i].toStdString());
    if (!weight)
      return Status::BadInput(InputField::kPrior, "事前の重みは0以上の数で入力してください");
    (*prior)[static_cast<size_t>(i)] = *weight;
  }
  return NormalizePrior(prior);
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
  games_field_ = field("games", QStringLiteral("ゲーム数"), QStringLiteral("8000"));
  pure_miss_field_ = field("pure_misses", QStringLiteral("純ハズレ回数"), QString());
  big_field_ = field("big", QStringLiteral("BIG回数"), QString());
  reg_field_ = field("reg", QStringLiteral("REG回数"), QString());
  heaven_field_ = field("heaven", QStringLiteral("天国回数"), QString());
  stock_field_ = field("stock", QStringLiteral("初期ストック数"), QStringLiteral("20"));
  setting_changed_box_ =
      Named(new QCheckBox(QStringLiteral("設定変更あり"), inputs), "setting_changed");
  form->addRow(setting_changed_box_);
  prior_field_ = field("prior", QStringLiteral("事前の重み"), QStringLiteral("1,1,1,1,1,1"));
  auto* from_last =
      Named(new QPushButton(QStringLiteral("直前のランから"), inputs), "from_last_run");
  form->addRow(from_last);
  judge_button_ = Named(new QPushButton(QStringLiteral("判別"), inputs), "judge");
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
    if (!status.ok()) return;  // stopped: nothing half-built is kept
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
  std::optional<int32_t> games, pure_misses;
  if (Status s = ReadCount(games_field_, "ゲーム数", InputField::kGames, false, &games); !s.ok())
    return s;
  if (Status s =
          ReadCount(pure_miss_field_, "純ハズレ回数", InputField::kPureMisses, false, &pure_misses);
      !s.ok()) {
    return s;
  }
  r->counts.games = *games;
  r->counts.pure_misses = *pure_misses;
  if (Status s = ReadCount(big_field_, "BIG回数", InputField::kBig, true, &r->counts.big); !s.ok())
    return s;
  if (Status s = ReadCount(reg_field_, "REG回数", InputField::kReg, true, &r->counts.reg); !s.ok())
    return s;
  if (Status s = ReadCount(heaven_field_, "天国回数", InputField::kHeaven, true, &r->counts.heaven);
      !s.ok()) {
    return s;
  }
  if (Status s = CheckCounts(r->counts); !s.ok()) return s;
  const std::optional<double> stock = ReadReal(stock_field_->text().toStdString());
  if (!stock || *stock != std::floor(*stock) || *stock < 0 || *stock > kMaxInitialStock) {
    return Status::BadInput(InputField::kStock, "初期ストック数は0～255の範囲で入力してください");
  }
  r->start = {static_cast<int16_t>(*stock), setting_changed_box_->isChecked()};
  return ReadPrior(prior_field_->text(), &r->prior);
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
    const std::pair<InputField, QLineEdit*> fields[] = {
        {InputField::kGames, games_field_},   {InputField::kPureMisses, pure_miss_field_},
        {InputField::kBig, big_field_},       {InputField::kReg, reg_field_},
        {InputField::kHeaven, heaven_field_}, {InputField::kStock, stock_field_},
        {InputField::kPrior, prior_field_}};
    for (const auto& [which, widget] : fields) {
      if (s.field() == which) widget->setFocus();
    }
    return;
  }
  const bool needs_model = request.counts.big.has_value();
  if (!needs_model || (model_ && model_->key().start == request.start)) {
    Judge(request);
    return;
  }
  // The runs of every setting to 8000 games serve every G of this start.
  waiting_ = request;
  building_ = std::make_shared<ReleaseModel>();
  const ReleaseModel::Key key{request.start, kMaxGames, kModelRuns, ChooseRunSeed()};
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
  Show(Estimate(request.counts, request.prior, request.counts.big ? model_.get() : nullptr));
}

void EstimateWindow::Show(const Posterior& posterior) {
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
  if (posterior.unlike_any_run) {
    text += QStringLiteral("\n注意: この回数はどの設定のシミュレーションともかけ離れています");
  }
  summary_label_->setText(text);
  shown_ = posterior;
  emit Judged();
}

}  // namespace tobiuo::ui
