// SPDX-License-Identifier: GPL-3.0-or-later
// The axes that the coin chart and the statistics window's charts share: chart rows along the
// bottom, labelled as the rows' labels say, and a coin axis fitted to the values shown in round
// steps with zero always in view. Both leave a little room beyond the outermost points, so that no
// point is cut at an edge.
#pragma once

#include <vector>

#include "engine/run.h"

class QCategoryAxis;
class QValueAxis;

namespace tobiuo::ui {

// Labels the axis with the rows' labels at their rows (from 1); keeps the labels when they are
// already the same (a run of as many games as the last).
void SetRowAxis(QCategoryAxis* axis, const std::vector<ChartRow>& rows);

// Fits the axis to values from `low` to `high`, zero included.
void FitValueAxis(QValueAxis* axis, double low, double high);

}  // namespace tobiuo::ui
