// SPDX-License-Identifier: GPL-3.0-or-later
// The window's speed: wall time from a click on Run to the finished summary for 8000 games
// (including the redraw that follows), from a bonus added to 設定判別's history to its bars, and
// the time to build and show the main window, with Qt's Japanese texts loaded as the program
// loads them.
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QWindow>

#include "ui/dialogs.h"
#include "ui/estimate_window.h"
#include "ui/main_window.h"
#include "ui/qt_texts.h"

namespace tobiuo::ui {
namespace {

class NoErrors final : public ErrorReporter {
 public:
  void ShowError(QWidget*, const QString&) override {}
};

class NoSave final : public SaveDialog {
 public:
  std::optional<QString> ChooseFile(QWidget*, const SaveDialogSetup&, bool) override {
    return std::nullopt;
  }
  bool ConfirmCreate(QWidget*, const QString&) override { return false; }
};

void ShowAndWait(MainWindow& window) {
  window.show();
  while (!window.windowHandle() || !window.windowHandle()->isExposed())
    QCoreApplication::processEvents();
  QCoreApplication::processEvents();
}

void BM_RunClick8000(benchmark::State& state) {
  NoErrors errors;
  NoSave save;
  uint32_t seed = 1;
  MainWindow window(errors, save,
                    [&seed](uint32_t) { return std::make_unique<Mt19937Source>(seed++); });
  window.findChild<QComboBox*>(QStringLiteral("cmb_p"))->setCurrentIndex(23);
  ShowAndWait(window);
  auto* run = window.findChild<QPushButton*>(QStringLiteral("cmdJikkou"));
  for (auto _ : state) {
    run->click();
    window.repaint();
    QCoreApplication::processEvents();
  }
}
BENCHMARK(BM_RunClick8000)->Unit(benchmark::kMillisecond)->UseRealTime();

// 設定判別's history tab: a bonus added to an 8000-game history (the main window's run, as
// 直前のプレイから gives it) until its bars are drawn; the GUI thread must not block for 50 ms.
void BM_HistoryRowToBars(benchmark::State& state) {
  NoErrors errors;
  NoSave save;
  MainWindow window(errors, save, [](uint32_t) { return std::make_unique<Mt19937Source>(7); });
  window.findChild<QComboBox*>(QStringLiteral("cmb_p"))->setCurrentIndex(23);
  window.findChild<QPushButton*>(QStringLiteral("cmdJikkou"))->click();
  EstimateWindow estimate(errors, [&window] {
    return EstimateWindow::LastRun{window.shown_run(), window.shown_history()};
  });
  estimate.show();
  QCoreApplication::processEvents();
  estimate.findChild<QPushButton*>(QStringLiteral("from_last_run"))->click();
  auto* hamari = estimate.findChild<QLineEdit*>(QStringLiteral("hamari"));
  auto* remove = estimate.findChild<QPushButton*>(QStringLiteral("remove_release"));
  auto* table = estimate.findChild<QTableView*>(QStringLiteral("history"));
  // the answer comes from the pool: timed until it is drawn, the GUI thread free meanwhile
  const auto judged = [&estimate] {
    QEventLoop loop;
    QObject::connect(&estimate, &EstimateWindow::Judged, &loop, &QEventLoop::quit);
    loop.exec();
  };
  judged();
  for (auto _ : state) {
    hamari->setText(QStringLiteral("1"));
    emit hamari->returnPressed();  // adds the row: the bars are judged and drawn
    judged();
    estimate.repaint();
    QCoreApplication::processEvents();
    state.PauseTiming();
    table->selectRow(table->model()->rowCount() - 1);
    remove->click();
    judged();
    state.ResumeTiming();
  }
  state.counters["releases"] = table->model()->rowCount();
}
BENCHMARK(BM_HistoryRowToBars)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_WindowStartUp(benchmark::State& state) {
  NoErrors errors;
  NoSave save;
  for (auto _ : state) {
    MainWindow window(errors, save);
    ShowAndWait(window);
  }
}
BENCHMARK(BM_WindowStartUp)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace tobiuo::ui

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  tobiuo::ui::InstallJapaneseQtTexts(app);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
