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

namespace tobiuo::ui {
namespace {

constexpr double kStartLow = -6000;
constexpr double kStartHigh = 12000;
constexpr double kStartStep = 3000;
constexpr double kMaxTicks = 9;
constexpr double kEdgeRoom = 0.02;  // of the axis span, beyond the outermost points

// The smallest of 1, 2 and 5 times a power of ten that cuts `span` into at most kMaxTicks - 1.
double RoundStep(double span) {
  const double raw = span / (kMaxTicks - 1);
  const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
  for (double m : {1.0, 2.0, 5.0}) {
    if (m * magnitude >= raw) return m * magnitude;
  }
  return 10 * magnitude;
}

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
  RefreshRowAxis();
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

void CoinChart::RefreshRowAxis() {
  const double last = std::max<double>(static_cast<double>(rows_.size()), 2);
  const double room = (last - 1) * kEdgeRoom;
  // The labels of a run of as many games as the last one are the same: keep them.
  QStringList labels;
  for (const ChartRow& row : rows_) {
    if (!row.label.empty()) labels << QString::fromStdString(row.label);
  }
  if (labels == row_axis_->categoriesLabels() && row_axis_->max() == last + room) return;
  for (const QString& label : row_axis_->categoriesLabels()) row_axis_->remove(label);
  row_axis_->setStartValue(1);
  for (size_t i = 0; i < rows_.size(); ++i) {
    if (!rows_[i].label.empty()) {
      row_axis_->append(QString::fromStdString(rows_[i].label), static_cast<double>(i + 1));
    }
  }
  row_axis_->setRange(1 - room, last + room);
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
  if (!any) {
    value_axis_->setRange(kStartLow, kStartHigh);
    value_axis_->setTickCount(static_cast<int>((kStartHigh - kStartLow) / kStartStep) + 1);
    return;
  }
  // Room for the extreme points' markers, then out to whole steps.
  const double span = std::max(high - low, 10.0);
  low -= low < 0 ? span * kEdgeRoom : 0;
  high += high > 0 ? span * kEdgeRoom : 0;
  const double step = RoundStep(high - low);
  low = std::floor(low / step) * step;
  high = std::max(std::ceil(high / step) * step, low + step);
  value_axis_->setRange(low, high);
  const int ticks = static_cast<int>(std::lround((high - low) / step)) + 1;
  if (value_axis_->tickCount() != ticks) value_axis_->setTickCount(ticks);
}

}  // namespace tobiuo::ui
