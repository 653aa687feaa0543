#include "ui/coin_chart.h"

#include <QCategoryAxis>
#include <QChart>
#include <QLineSeries>
#include <QPen>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

namespace tobiuo::ui {
namespace {

constexpr double kDefaultLow = -6000;
constexpr double kDefaultHigh = 12000;
constexpr double kValueStep = 3000;

}  // namespace

QFont ChartFont() {
  QFont font;
  font.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
                    QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAPGothic")});
  font.setPointSize(9);
  return font;
}

CoinChart::CoinChart(QWidget* parent)
    : QChartView(parent),
      series_(new QLineSeries),
      zero_line_(new QLineSeries),
      row_axis_(new QCategoryAxis),
      value_axis_(new QValueAxis) {
  auto* chart = new QChart;
  chart->legend()->hide();
  chart->setTitleFont(ChartFont());
  chart->setMargins(QMargins(4, 4, 4, 4));
  chart->addSeries(zero_line_);
  chart->addSeries(series_);
  QPen zero_pen(Qt::gray);
  zero_pen.setStyle(Qt::DashLine);
  zero_line_->setPen(zero_pen);
  series_->setPointsVisible(true);

  row_axis_->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
  row_axis_->setLabelsFont(ChartFont());
  value_axis_->setTitleText(QStringLiteral("差枚数"));
  value_axis_->setTitleFont(ChartFont());
  value_axis_->setLabelsFont(ChartFont());
  value_axis_->setLabelFormat(QStringLiteral("%d"));
  chart->addAxis(row_axis_, Qt::AlignBottom);
  chart->addAxis(value_axis_, Qt::AlignLeft);
  for (QLineSeries* s : {series_, zero_line_}) {
    s->attachAxis(row_axis_);
    s->attachAxis(value_axis_);
  }
  setChart(chart);
  setRenderHint(QPainter::Antialiasing);
  Refresh();
}

void CoinChart::SetTitle(const QString& title) { chart()->setTitle(title); }

void CoinChart::SetRowCount(int rows) {
  rows_.assign(static_cast<size_t>(std::max(rows, 0)), RowData{});
  current_ = rows > 0 ? 1 : 0;
}

CoinChart::RowData* CoinChart::Current() {
  if (current_ < 1 || current_ > RowCount()) return nullptr;
  return &rows_[static_cast<size_t>(current_ - 1)];
}

void CoinChart::SetLabel(const QString& label) {
  if (RowData* row = Current()) row->label = label;
}

void CoinChart::SetValue(double value) {
  if (RowData* row = Current()) row->value = value;
}

QString CoinChart::Label(int row) const {
  return row >= 1 && row <= RowCount() ? rows_[static_cast<size_t>(row - 1)].label : QString();
}

std::optional<double> CoinChart::Value(int row) const {
  if (row < 1 || row > RowCount()) return std::nullopt;
  return rows_[static_cast<size_t>(row - 1)].value;
}

void CoinChart::Refresh() {
  QList<QPointF> points;
  for (size_t i = 0; i < rows_.size(); ++i) {
    if (rows_[i].value) points.append(QPointF(static_cast<double>(i + 1), *rows_[i].value));
  }
  series_->replace(points);
  const double last = std::max(RowCount(), 2);
  zero_line_->replace({QPointF(1, 0), QPointF(last, 0)});
  RefreshRowAxis();
  RefreshValueAxis();
}

void CoinChart::RefreshRowAxis() {
  for (const QString& label : row_axis_->categoriesLabels()) row_axis_->remove(label);
  row_axis_->setStartValue(1);
  for (size_t i = 0; i < rows_.size(); ++i) {
    if (!rows_[i].label.isEmpty()) row_axis_->append(rows_[i].label, static_cast<double>(i + 1));
  }
  row_axis_->setRange(1, std::max(RowCount(), 2));
}

void CoinChart::RefreshValueAxis() {
  double low = kDefaultLow, high = kDefaultHigh;
  for (const RowData& row : rows_) {
    if (!row.value) continue;
    low = std::min(low, std::floor(*row.value / kValueStep) * kValueStep);
    high = std::max(high, std::ceil(*row.value / kValueStep) * kValueStep);
  }
  // Ticks every 3000 coins, or every 6000 when that would crowd the axis.
  double step = kValueStep;
  if ((high - low) / step > 12) {
    step *= 2;
    if (std::fmod(high - low, step) != 0) high += kValueStep;
  }
  value_axis_->setRange(low, high);
  value_axis_->setTickCount(static_cast<int>((high - low) / step) + 1);
}

}  // namespace tobiuo::ui
