// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/value_panel.h"

#include <QFormLayout>
#include <QHeaderView>
#include <QProgressBar>
#include <QTableWidget>
#include <QVBoxLayout>
#include <memory>

#include "base/fields.h"
#include "base/number_text.h"
#include "ui/background_work.h"
#include "ui/input_widgets.h"
#include "ui/widget_helpers.h"

namespace tobiuo::ui {
namespace {

constexpr uint32_t kSeed = 1;  // the same inputs show the same figures

QString Percent(double p) {
  return QString::fromStdString(FormatFixed(100 * p, 1)) + QLatin1Char('%');
}
// A sign before a positive figure, so that a gain and a loss read apart at once.
QString Sign(double x) { return x > 0 ? QStringLiteral("+") : QString(); }
QString Signed(double x) { return Sign(x) + QString::fromStdString(FormatFixed(x, 0)); }
QString Yen(double yen) {
  const auto whole = static_cast<int64_t>(std::llround(yen));
  return Sign(static_cast<double>(whole)) + QString::fromStdString(FormatMoney(whole)) +
         QStringLiteral("円");
}
QString Amount(double yen) {
  return QString::fromStdString(FormatMoney(std::llround(yen))) + QStringLiteral("円");
}
// A value with its standard error: "+88 ± 29", "+1,714円 ± 589円".
QString WithError(double value, double error, bool yen) {
  return yen ? Yen(value) + QStringLiteral(" ± ") + Amount(error)
             : Signed(value) + QStringLiteral(" ± ") +
                   QString::fromStdString(FormatFixed(error, 0));
}

}  // namespace

ValuePanel::ValuePanel(QWidget* parent) : QWidget(parent), work_(new BackgroundWork(this)) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* inputs = new QHBoxLayout;
  const RateRow rate = MakeRateRow(this, "value_rate");
  rate_box_ = rate.box;
  other_rate_field_ = rate.other;
  coins_field_ = Named(new QLineEdit(QStringLiteral("0"), this), "value_coins");
  games_left_field_ = Named(new QLineEdit(this), "value_games_left");
  games_left_field_->setPlaceholderText(QStringLiteral("8000まで"));
  games_left_field_->setToolTip(QStringLiteral("閉店までに打てるゲーム数。空欄: 8000ゲーム目まで"));
  inputs->addWidget(new QLabel(QStringLiteral("換金率"), this));
  inputs->addLayout(rate.row);
  inputs->addWidget(new QLabel(QStringLiteral("持ちコイン"), this));
  inputs->addWidget(coins_field_, 1);
  inputs->addWidget(new QLabel(QStringLiteral("閉店まで"), this));
  inputs->addWidget(games_left_field_, 1);
  layout->addLayout(inputs);
  hidden_label_ = Named(new QLabel(this), "value_hidden");
  layout->addWidget(hidden_label_);
  rules_ = Named(new QTableWidget(0, 5, this), "value_rules");
  rules_->setHorizontalHeaderLabels({QStringLiteral("ルール"), QStringLiteral("期待差枚"),
                                     QStringLiteral("期待収支"), QStringLiteral("プラス確率"),
                                     QStringLiteral("平均G")});
  rules_->horizontalHeaderItem(3)->setToolTip(QStringLiteral("収支がプラスで終わる確率"));
  rules_->horizontalHeaderItem(4)->setToolTip(QStringLiteral("打つゲーム数の平均"));
  rules_->verticalHeader()->hide();
  rules_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  rules_->setWordWrap(true);  // a long rule takes two lines rather than being cut
  // the figures in full, the rule's name in what is left
  rules_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
  for (int c = 1; c < 5; ++c) {
    rules_->horizontalHeader()->setSectionResizeMode(c, QHeaderView::ResizeToContents);
  }
  rules_->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  layout->addWidget(rules_, 1);
  progress_ = Named(new QProgressBar(this), "value_progress");
  progress_->setRange(0, kDefaultDraws);
  layout->addWidget(progress_);
  note_ = Named(new QLabel(this), "value_note");
  note_->setWordWrap(true);
  note_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->addWidget(note_);

  for (QLineEdit* e : {coins_field_, games_left_field_, other_rate_field_}) {
    connect(e, &QLineEdit::textChanged, this, &ValuePanel::Ask);
  }
  connect(rate_box_, &QComboBox::currentTextChanged, this, &ValuePanel::Ask);
  connect(work_, &BackgroundWork::Progressed, this,
          [this] { progress_->setValue(static_cast<int>(work_->done())); });
  connect(work_, &BackgroundWork::Ended, this, &ValuePanel::OnEnded);
  Clear(QStringLiteral("解除履歴を入れると、ここに打ち続けたときの期待値が出ます"));
}

void ValuePanel::SetHistory(const History& history, const HistoryStart& start, const Prior& prior,
                            const HiddenNow& now) {
  ValueQuestion q;
  q.history = history;
  q.start = start;
  q.prior = prior;
  history_ = std::move(q);
  hidden_label_->setText(QStringLiteral("いま: ストックが空の確率 %1　天国中の確率 %2（正確）")
                             .arg(Percent(now.stock_empty), Percent(now.heaven)));
  Ask();
}

void ValuePanel::Clear(const QString& why) {
  history_.reset();
  shown_.reset();
  hidden_label_->clear();
  rules_->setRowCount(0);
  note_->setText(why);
  if (work_->running()) work_->Stop();
  again_ = false;
}

Status ValuePanel::ReadInputs(ValueQuestion* q) const {
  if (Status s = ReadRoundedField(RateText(*rate_box_, *other_rate_field_), kRateField, 1,
                                  INT16_MAX, &q->rate);
      !s.ok()) {
    return s;
  }
  int64_t coins = 0;
  if (Status s = ReadWholeField(coins_field_->text().toStdString(), kCoinsField, 0,
                                kMostCoinsInHand, &coins);
      !s.ok()) {
    return s;
  }
  q->coins = static_cast<int16_t>(coins);
  const int32_t most = kMaxGames - q->history.games;
  std::optional<int64_t> left;
  if (Status s = ReadOptionalWholeField(games_left_field_->text().toStdString(), kGamesLeftField, 1,
                                        std::max(most, 1), &left);
      !s.ok()) {
    return s;
  }
  q->games_left = static_cast<int32_t>(left.value_or(most));
  q->seed = kSeed;
  q->threads = AllCores();
  return Status::Ok();
}

void ValuePanel::Ask() {
  if (!history_) return;
  ValueQuestion q = *history_;
  if (Status s = ReadInputs(&q); !s.ok()) {
    rules_->setRowCount(0);
    shown_.reset();
    note_->setText(QString::fromStdString(s.message()));
    if (work_->running()) work_->Stop();
    again_ = false;
    return;
  }
  asked_ = std::move(q);
  if (work_->running()) {  // it stops at its next draw, and this question is asked then
    again_ = true;
    work_->Stop();
    return;
  }
  computing_ = std::make_shared<ValueAnswer>();
  progress_->setValue(0);
  work_->Start([question = *asked_, target = computing_](Progress& progress) {
    return ValueOfPlaying(question, progress, target.get());
  });
}

void ValuePanel::OnEnded(const Status& status) {
  if (again_) {
    again_ = false;
    Ask();
    return;
  }
  if (status.code() == Status::Code::kStopped) return;
  progress_->setValue(progress_->maximum());
  if (!status.ok()) {
    rules_->setRowCount(0);
    shown_.reset();
    note_->setText(QString::fromStdString(status.message()));
    return;
  }
  ShowAnswer(*asked_, *computing_);
}

void ValuePanel::ShowAnswer(const ValueQuestion& q, const ValueAnswer& a) {
  rules_->setRowCount(static_cast<int>(a.rules.size()));
  for (size_t i = 0; i < a.rules.size(); ++i) {
    const RuleValue& r = a.rules[i];
    const bool exact = r.coins_se == 0 && r.mean_games == 0;  // stopping now, or not sitting
    const QStringList cells = {
        (i == a.best ? QStringLiteral("★ ") : QString()) + QString::fromStdString(RuleName(r, q)),
        exact ? QStringLiteral("0") : WithError(r.coins, r.coins_se, false),
        exact ? QStringLiteral("0円") : WithError(r.yen, r.yen_se, true), Percent(r.p_plus),
        QString::number(std::lround(r.mean_games))};
    for (int c = 0; c < cells.size(); ++c) {
      auto* item = new QTableWidgetItem(cells[c]);
      if (c > 0) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      if (i == a.best) {
        QFont bold = item->font();
        bold.setBold(true);
        item->setFont(bold);
      }
      rules_->setItem(static_cast<int>(i), c, item);
    }
  }
  const RuleValue& best = a.rules[a.best];
  note_->setText(
      QStringLiteral("最良: %1（期待収支 %2、次点より %3 ± %4）。期待値は同じ状態の台を何度も打った"
                     "ときの平均です。1回では、このルールの差枚は5%～95%が %5～%6枚に散らばります。"
                     "設定・ストックが空・天国中の確率は正確、差枚と収支は%7回の試行からの値です。")
          .arg(QString::fromStdString(RuleName(best, q)), Yen(best.yen), Yen(a.lead),
               Amount(a.lead_se), Signed(best.coins_p5), Signed(best.coins_p95))
          .arg(a.draws));
  shown_ = a;
  emit Answered();
}

}  // namespace tobiuo::ui
