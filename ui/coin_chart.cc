// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/coin_chart.h"

#include <QCategoryAxis>
#include <QChart>
#include <QCursor>
#include <QFontDatabase>
#include <QLineSeries>
#include <QPen>
#include <QToolTip>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

#include "ui/chart_axes.h"

namespace tobiuo::ui {
namespace {

constexpr double kStartLow = -6000;
constexpr double kStartHigh = 12000;
constexpr double kStartStep = 3000;
}  // namespace

QFont ChartFont() {
  // Resolved once: a list of families, most of them missing, would be looked up again each time
  // the axes' labels change.
  static const QString family = [] {
    for (const char* name : {"ＭＳ Ｐゴシック", "MS PGothic", "Noto Sans CJK JP", "IPAPGothic"}) {
      if (QFontDatabase::hasFamily(QString::fromUtf8(name))) return QString::fromUtf8(name);
    }
    return QFont().family();
  }();
  QFont font(family);
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
  connect(series_, &QLineSeries::hovered, this, &CoinChart::OnPointHovered);

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
  rows_ = rows;
  QList<QPointF> points;
  for (size_t i = 0; i < rows_.size(); ++i) {
    if (rows_[i].coin_diff) points.append(QPointF(static_cast<double>(i + 1), *rows_[i].coin_diff));
  }
  series_->replace(points);
  const double last = std::max<double>(static_cast<double>(rows_.size()), 2);
  zero_line_->replace({QPointF(1, 0), QPointF(last, 0)});
  SetRowAxis(row_axis_, rows_);
  RefreshValueAxis();
}

QString CoinChart::PointText(int row) const {
  if (row < 1 || row > static_cast<int>(rows_.size())) return {};
  const ChartRow& point = rows_[static_cast<size_t>(row - 1)];
  const QString games = row == static_cast<int>(rows_.size())
                            ? QString::fromStdString(point.label)
                            : QString::number((row - 1) * kGamesPerChartRow);
  const QString diff = point.coin_diff ? QString::number(*point.coin_diff) : QStringLiteral("-");
  return games + QStringLiteral("P\n差枚数:") + diff;
}

void CoinChart::OnPointHovered(const QPointF& point, bool entered) {
  if (entered) {
    QToolTip::showText(QCursor::pos(), PointText(static_cast<int>(std::lround(point.x()))), this);
  } else {
    QToolTip::hideText();
  }
}

void CoinChart::RefreshValueAxis() {
  bool any = false;
  double low = 0, high = 0;
  for (const ChartRow& row : rows_) {
    if (!row.coin_diff) continue;
    any = true;
    low = std::min<double>(low, *row.coin_diff);
    high = std::max<double>(high, *row.coin_diff);
  }
  if (any) {
    FitValueAxis(value_axis_, low, high);
  } else {
    value_axis_->setRange(kStartLow, kStartHigh);
    value_axis_->setTickCount(static_cast<int>((kStartHigh - kStartLow) / kStartStep) + 1);
  }
}

}  // namespace tobiuo::ui
