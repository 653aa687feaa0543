// SPDX-License-Identifier: GPL-3.0-or-later
// The coin chart "Crt_data": one row per 100 games plus the start and end rows, each with its
// label (empty labels show nothing) and, once the run has written it, its coin difference.
//
// Show draws a run's rows at once: the series and both axes are rebuilt from them. The value axis
// fits the run's values in round steps, zero always in view (before any run it spans -6000 to
// 12000 coins); a little room is left beyond the first and last rows and the extreme values so
// that no point is cut at an edge. Hovering a point shows its game count and coin difference.
#pragma once

#include <QChartView>
#include <vector>

#include "engine/run.h"

class QCategoryAxis;
class QLineSeries;
class QValueAxis;

namespace tobiuo::ui {

class CoinChart : public QChartView {
  Q_OBJECT

 public:
  explicit CoinChart(QWidget* parent = nullptr);

  // Shows a run's chart under `title`; rows are numbered from 1.
  void Show(const QString& title, const std::vector<ChartRow>& rows);

  // What hovering the point of a row (from 1) shows: its game count and coin difference.
  QString PointText(int row) const;

  QLineSeries* series() const { return series_; }
  QCategoryAxis* row_axis() const { return row_axis_; }
  QValueAxis* value_axis() const { return value_axis_; }

 private:
  void RefreshValueAxis();
  void OnPointHovered(const QPointF& point, bool entered);

  std::vector<ChartRow> rows_;

  QLineSeries* series_;
  QLineSeries* zero_line_;
  QCategoryAxis* row_axis_;
  QValueAxis* value_axis_;
};

// "ＭＳ Ｐゴシック" 9 pt where the system has it, else a Japanese system font.
QFont ChartFont();

}  // namespace tobiuo::ui
