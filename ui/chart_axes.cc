// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/chart_axes.h"

#include <QCategoryAxis>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

namespace tobiuo::ui {
namespace {

constexpr int kMaxTicks = 9;
constexpr double kEdgeRoom = 0.02;  // of the axis span, beyond the outermost points

// The smallest of 1, 2 and 5 times a power of ten that cuts `span` into at most ticks - 1.
double RoundStep(double span, int ticks) {
  const double raw = span / std::max(ticks - 1, 1);
  const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
  for (double m : {1.0, 2.0, 5.0}) {
    if (m * magnitude >= raw) return m * magnitude;
  }
  return 10 * magnitude;
}

}  // namespace

void SetRowAxis(QCategoryAxis* axis, const std::vector<ChartRow>& rows, int most) {
  const double last = std::max<double>(static_cast<double>(rows.size()), 2);
  const double room = (last - 1) * kEdgeRoom;
  std::vector<size_t> labelled;
  for (size_t i = 0; i < rows.size(); ++i) {
    if (!rows[i].label.empty()) labelled.push_back(i);
  }
  // the fewest skipped that leaves at most `most` labels
  const auto most_labels = static_cast<size_t>(std::max(most, 1));
  size_t every = 1;
  for (size_t step : {size_t{1}, size_t{2}, size_t{5}, size_t{10}, size_t{20}, size_t{50}}) {
    every = step;
    if ((labelled.size() + step - 1) / step <= most_labels) break;
  }
  QStringList labels;
  std::vector<size_t> kept;
  for (size_t k = 0; k < labelled.size(); k += every) {
    kept.push_back(labelled[k]);
    labels << QString::fromStdString(rows[labelled[k]].label);
  }
  if (labels == axis->categoriesLabels() && axis->max() == last + room) return;
  for (const QString& label : axis->categoriesLabels()) axis->remove(label);
  axis->setStartValue(1);
  for (size_t k = 0; k < kept.size(); ++k) {
    axis->append(labels[static_cast<qsizetype>(k)], static_cast<double>(kept[k] + 1));
  }
  axis->setRange(1 - room, last + room);
}

void FitValueAxis(QValueAxis* axis, double low, double high, int most_ticks) {
  low = std::min(low, 0.0);
  high = std::max(high, 0.0);
  // Room for the extreme points' markers, then out to whole steps.
  const double span = std::max(high - low, 10.0);
  low -= low < 0 ? span * kEdgeRoom : 0;
  high += high > 0 ? span * kEdgeRoom : 0;
  const double step = RoundStep(high - low, std::min(most_ticks, kMaxTicks));
  low = std::floor(low / step) * step;
  high = std::max(std::ceil(high / step) * step, low + step);
  axis->setRange(low, high);
  const int ticks = static_cast<int>(std::lround((high - low) / step)) + 1;
  if (axis->tickCount() != ticks) axis->setTickCount(ticks);
}

}  // namespace tobiuo::ui
