// The panel: the window's inputs and outputs as the engine sees them.
//
// The engine reads the start fields through ReadInputs once, when a run starts (nothing can change
// them while it plays), and writes the event log, the summary, the coin chart and the progress bar
// through the other operations, in the order a run produces them. The window implements this
// interface; RecordingPanel keeps everything in memory for the command-line tool and the tests.
// A panel whose Listening() is false is told nothing, so a run formats no text for it.
#pragma once

#include <string>
#include <string_view>
#include <utility>

namespace tobiuo {

// The start fields as typed. `rate` is the text of whichever exchange-rate field counts: the
// free-entry field when "その他" is selected, the drop-down otherwise.
struct RunInputs {
  std::string setting = "6";
  std::string games = "6000";
  std::string rate = "5";
  std::string stock = "20";
  std::string quit = "0";
  bool setting_changed = false;
};

class Panel {
 public:
  virtual ~Panel() = default;

  virtual RunInputs ReadInputs() const = 0;

  // False for a panel that discards everything: the engine then skips all output calls.
  virtual bool Listening() const { return true; }

  // Event log.
  virtual void ClearLog() = 0;
  virtual void AppendLog(std::string_view line) = 0;
  virtual void ShowLog() = 0;

  // Result summary: the whole text, every line ending in CR LF. Enables the save command.
  virtual void SetSummary(std::string_view text) = 0;
  virtual void EnableFileMenu() = 0;

  // Coin chart: rows are numbered from 1; label and value apply to the current row.
  virtual void SetChartTitle(std::string_view title) = 0;
  virtual void SetChartRowCount(int rows) = 0;
  virtual int ChartRowCount() const = 0;
  virtual void SelectChartRow(int row) = 0;
  virtual int ChartRow() const = 0;
  virtual void SetChartRowLabel(std::string_view label) = 0;
  virtual void SetChartRowValue(std::string_view value) = 0;

  // Progress bar.
  virtual void SetProgressMaximum(double maximum) = 0;
  virtual void SetProgressValue(double value) = 0;
};

// A panel that discards every output; used for runs whose figures alone are wanted.
class SilentPanel final : public Panel {
 public:
  explicit SilentPanel(RunInputs inputs = {}) : inputs_(std::move(inputs)) {}
  RunInputs ReadInputs() const override { return inputs_; }
  bool Listening() const override { return false; }
  void ClearLog() override {}
  void AppendLog(std::string_view) override {}
  void ShowLog() override {}
  void SetSummary(std::string_view) override {}
  void EnableFileMenu() override {}
  void SetChartTitle(std::string_view) override {}
  void SetChartRowCount(int) override {}
  int ChartRowCount() const override { return 0; }
  void SelectChartRow(int) override {}
  int ChartRow() const override { return 0; }
  void SetChartRowLabel(std::string_view) override {}
  void SetChartRowValue(std::string_view) override {}
  void SetProgressMaximum(double) override {}
  void SetProgressValue(double) override {}

 private:
  RunInputs inputs_;
};

}  // namespace tobiuo
