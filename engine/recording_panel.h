// A panel that keeps in memory everything the engine writes: the log lines, the summary text, the
// chart rows with their labels and values, and the progress bar. The command-line tool prints and
// saves from it; the tests read it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/panel.h"

namespace tobiuo {

struct RecordedRow {
  std::string label;
  std::optional<std::string> value;  // empty until the run writes the row
};

class RecordingPanel : public Panel {
 public:
  explicit RecordingPanel(RunInputs inputs = {}) : inputs_(std::move(inputs)) {}

  RunInputs& inputs() { return inputs_; }
  const std::vector<std::string>& log() const { return log_; }
  const std::string& summary() const { return summary_; }
  bool log_shown() const { return log_shown_; }
  bool file_menu_enabled() const { return file_menu_enabled_; }
  const std::string& chart_title() const { return chart_title_; }
  const std::vector<RecordedRow>& chart_rows() const { return rows_; }
  double progress_maximum() const { return progress_maximum_; }
  double progress_value() const { return progress_value_; }

  RunInputs ReadInputs() const override { return inputs_; }
  void ClearLog() override { log_.clear(); }
  void AppendLog(std::string_view line) override { log_.emplace_back(line); }
  void ShowLog() override { log_shown_ = true; }
  void SetSummary(std::string_view text) override { summary_ = text; }
  void EnableFileMenu() override { file_menu_enabled_ = true; }
  void SetChartTitle(std::string_view title) override { chart_title_ = title; }
  void SetChartRowCount(int rows) override;
  int ChartRowCount() const override { return static_cast<int>(rows_.size()); }
  void SelectChartRow(int row) override { current_row_ = row; }
  int ChartRow() const override { return current_row_; }
  void SetChartRowLabel(std::string_view label) override;
  void SetChartRowValue(std::string_view value) override;
  void SetProgressMaximum(double maximum) override { progress_maximum_ = maximum; }
  void SetProgressValue(double value) override { progress_value_ = value; }

 private:
  RecordedRow* Current();

  RunInputs inputs_;
  std::vector<std::string> log_;
  std::string summary_;
  bool log_shown_ = false;
  bool file_menu_enabled_ = false;
  std::string chart_title_;
  std::vector<RecordedRow> rows_;
  int current_row_ = 0;
  double progress_maximum_ = 0;
  double progress_value_ = 0;
};

}  // namespace tobiuo
