// The coin chart "Crt_data": one row per 100 games plus the start and end rows, each with its
// label (empty labels show nothing) and, once the run has written it, its coin difference.
//
// The setters only change the rows; Refresh redraws the series and the axes from them, so a run
// that writes many points redraws once. The value axis spans at least -6000 to 12000 coins and
// grows in whole steps to hold every value, so no run is clipped; a zero line is always drawn.
#pragma once

#include <QChartView>
#include <optional>
#include <vector>

class QCategoryAxis;
class QLineSeries;
class QValueAxis;

namespace tobiuo::ui {

class CoinChart : public QChartView {
  Q_OBJECT

 public:
  explicit CoinChart(QWidget* parent = nullptr);

  void SetTitle(const QString& title);
  void SetRowCount(int rows);
  int RowCount() const { return static_cast<int>(rows_.size()); }
  void SelectRow(int row) { current_ = row; }
  int Row() const { return current_; }
  void SetLabel(const QString& label);
  void SetValue(double value);
  void Refresh();

  QString Label(int row) const;
  std::optional<double> Value(int row) const;
  QLineSeries* series() const { return series_; }
  QCategoryAxis* row_axis() const { return row_axis_; }
  QValueAxis* value_axis() const { return value_axis_; }

 private:
  struct RowData {
    QString label;
    std::optional<double> value;
  };
  RowData* Current();
  void RefreshRowAxis();
  void RefreshValueAxis();

  std::vector<RowData> rows_;
  int current_ = 0;
  QLineSeries* series_;
  QLineSeries* zero_line_;
  QCategoryAxis* row_axis_;
  QValueAxis* value_axis_;
};

// "ＭＳ Ｐゴシック" 9 pt where the system has it, else a Japanese system font.
QFont ChartFont();

}  // namespace tobiuo::ui
