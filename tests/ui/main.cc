// SPDX-License-Identifier: GPL-3.0-or-later
// The window tests: one test class per window, run in turn under one QApplication.
#include <QApplication>

namespace tobiuo::ui {
int RunMainWindowTests(int argc, char** argv);
int RunStatsWindowTests(int argc, char** argv);
int RunEstimateWindowTests(int argc, char** argv);
}  // namespace tobiuo::ui

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  app.setAttribute(Qt::AA_Use96Dpi, true);
  int failed = 0;
  for (auto* run : {tobiuo::ui::RunMainWindowTests, tobiuo::ui::RunStatsWindowTests,
                    tobiuo::ui::RunEstimateWindowTests}) {
    failed += run(argc, argv);
  }
  return failed == 0 ? 0 : 1;
}
