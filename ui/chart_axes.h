// SPDX-License-Identifier: GPL-3.0-or-later
// The axes that the coin chart and the statistics window's charts share: chart rows along the
// bottom, labelled as the rows' labels say, and a coin axis fitted to the values shown in round
// steps with zero always in view. Both leave a little room beyond the outermost points, so that no
// point is cut at an edge.
#pragma once

#include <climits>
#include <vector>

#include "engine/run.h"

class QCategoryAxis;
class QValueAxis;

namespace tobiuo::ui {

// Labels the axis with the rows' labels at their rows (from 1), at most `most` of them (every
// second, fifth, ... labelled row, the first always); keeps the labels when they are already the
// same (a run of as many games as the last).
void SetRowAxis(QCategoryAxis* axis, const std::vector<ChartRow>& rows, int most = INT_MAX);

// Fits the axis to values from `low` to `high`, zero included, with at most `most_ticks` ticks
// (and never more than nine).
void FitValueAxis(QValueAxis* axis, double low, double high, int most_ticks = INT_MAX);

}  // namespace tobiuo::ui
