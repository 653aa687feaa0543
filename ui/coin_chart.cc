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
  Show(QString(), {});
}

void CoinChart::Show(const QString& title, const std::vector<ChartRow>& rows) {
  chart()->setTitle(title);
  QList<QPointF> points;
  for (size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].coin_diff) points.append(QPointF(static_cast<double>(i + 1), *rows[i].coin_diff));
  }
  series_->replace(points);
  const double last = std::max<double>(static_cast<double>(rows.size()), 2);
  zero_line_->replace({QPointF(1, 0), QPointF(last, 0)});
  RefreshRowAxis(rows);
  RefreshValueAxis(rows);
}

void CoinChart::RefreshRowAxis(const std::vector<ChartRow>& rows) {
  for (const QString& label : row_axis_->categoriesLabels()) row_axis_->remove(label);
  row_axis_->setStartValue(1);
  for (size_t i = 0; i < rows.size(); ++i) {
    if (!rows[i].label.empty()) {
      row_axis_->append(QString::fromStdString(rows[i].label), static_cast<double>(i + 1));
    }
  }
  row_axis_->setRange(1, std::max<double>(static_cast<double>(rows.size()), 2));
}

void CoinChart::RefreshValueAxis(const std::vector<ChartRow>& rows) {
  double low = kDefaultLow, high = kDefaultHigh;
  for (const ChartRow& row : rows) {
    if (!row.coin_diff) continue;
    const double value = *row.coin_diff;
    low = std::min(low, std::floor(value / kValueStep) * kValueStep);
    high = std::max(high, std::ceil(value / kValueStep) * kValueStep);
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
