#include "engine/recording_panel.h"

namespace tobiuo {

void RecordingPanel::SetChartRowCount(int rows) {
  rows_.assign(static_cast<size_t>(rows < 0 ? 0 : rows), RecordedRow{});
  current_row_ = rows > 0 ? 1 : 0;
}

RecordedRow* RecordingPanel::Current() {
  if (current_row_ < 1 || current_row_ > ChartRowCount()) return nullptr;
  return &rows_[static_cast<size_t>(current_row_ - 1)];
}

void RecordingPanel::SetChartRowLabel(std::string_view label) {
  if (RecordedRow* row = Current()) row->label = label;
}

void RecordingPanel::SetChartRowValue(std::string_view value) {
  if (RecordedRow* row = Current()) row->value = std::string(value);
}

}  // namespace tobiuo
