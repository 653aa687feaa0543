// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/chart_axes.h"

#include <QCategoryAxis>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

namespace tobiuo::ui {
namespace {

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

void SetRowAxis(QCategoryAxis* axis, const std::vector<ChartRow>& rows) {
  const double last = std::max<double>(static_cast<double>(rows.size()), 2);
  const double room = (last - 1) * kEdgeRoom;
  QStringList labels;
  for (const ChartRow& row : rows) {
    if (!row.label.empty()) labels << QString::fromStdString(row.label);
  }
  if (labels == axis->categoriesLabels() && axis->max() == last + room) return;
  for (const QString& label : axis->categoriesLabels()) axis->remove(label);
  axis->setStartValue(1);
  for (size_t i = 0; i < rows.size(); ++i) {
    if (!rows[i].label.empty()) {
      axis->append(QString::fromStdString(rows[i].label), static_cast<double>(i + 1));
    }
  }
  axis->setRange(1 - room, last + room);
}

void FitValueAxis(QValueAxis* axis, double low, double high) {
  low = std::min(low, 0.0);
  high = std::max(high, 0.0);
  // Room for the extreme points' markers, then out to whole steps.
  const double span = std::max(high - low, 10.0);
  low -= low < 0 ? span * kEdgeRoom : 0;
  high += high > 0 ? span * kEdgeRoom : 0;
  const double step = RoundStep(high - low);
  low = std::floor(low / step) * step;
  high = std::max(std::ceil(high / step) * step, low + step);
  axis->setRange(low, high);
  const int ticks = static_cast<int>(std::lround((high - low) / step)) + 1;
  if (axis->tickCount() != ticks) axis->setTickCount(ticks);
}

}  // namespace tobiuo::ui
