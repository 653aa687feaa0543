// SPDX-License-Identifier: GPL-3.0-or-later
// 設定判別: the engine's posterior in a window, and the fields filled from the last run.
#include "ui/estimate_window.h"

#include "analysis/estimate.h"
#include "tests/ui/window_test.h"

namespace tobiuo::ui {

class EstimateWindowTest : public WindowTest {
  Q_OBJECT

 private slots:
  void TheEstimateWindowGivesTheEnginesPosterior() {
    auto* estimate = Open<EstimateWindow>("menu_estimate");
    Type(estimate->findChild<QLineEdit*>("games"), QStringLiteral("700"));
    Type(estimate->findChild<QLineEdit*>("pure_misses"), QStringLiteral("1"));
    Type(estimate->findChild<QLineEdit*>("prior"), QStringLiteral("1,0,0,0,0,1"));
    QTest::keyClick(estimate->findChild<QPushButton*>("judge"), Qt::Key_Enter);  // as a click
    QVERIFY(estimate->shown().has_value());
    QCOMPARE(estimate->shown()->probability,
             Estimate({700, 1}, {0.5, 0, 0, 0, 0, 0.5}, nullptr).probability);
    // The answer says how far to trust it, for this many games and this method.
    const QString summary = estimate->findChild<QLabel*>("summary")->text();
    QVERIFY(
        summary.contains(QStringLiteral("700P・この方法で最も可能性が高い設定が当たる割合: 約")));
    Type(estimate->findChild<QLineEdit*>("big"), QStringLiteral("3"));
    estimate->findChild<QPushButton*>("judge")->click();
    QCOMPARE(errors_->messages.takeLast(), QStringLiteral("BIGとREGは両方とも入力してください"));
    // 中止 while the simulated runs are played leaves no answer that no longer fits the inputs.
    Type(estimate->findChild<QLineEdit*>("reg"), QStringLiteral("2"));
    auto* judge = estimate->findChild<QPushButton*>("judge");
    judge->click();
    judge->click();
    QTRY_COMPARE(judge->text(), QStringLiteral("判別"));
    QVERIFY(!estimate->shown().has_value());
    QCOMPARE(estimate->findChild<QLabel*>("summary")->text(), QStringLiteral("中止しました"));
    QCOMPARE(estimate->focusWidget(), judge);
  }

  // 直前のランから takes the counts of the run on the main window; the simulated runs are played
  // once for a start and serve the next 判別.
  void TheEstimateWindowJudgesTheLastRun() {
    Click();
    auto* estimate = Open<EstimateWindow>("menu_estimate");
    estimate->findChild<QPushButton*>("from_last_run")->click();
    const RunRecord& run = *window_->shown_run();
    QCOMPARE(estimate->findChild<QLineEdit*>("games")->text(),
             QString::number(run.figures.GamesBet));
    QCOMPARE(estimate->findChild<QLineEdit*>("pure_misses")->text(),
             QString::number(run.pure_misses()));
    QCOMPARE(estimate->findChild<QLineEdit*>("heaven")->text(),
             QString::number(run.figures.HeavenModeCount));
    QSignalSpy judged(estimate, &EstimateWindow::Judged);
    estimate->findChild<QPushButton*>("judge")->click();
    QVERIFY(judged.wait(30000));
    QCOMPARE(estimate->models_built(), 1);
    estimate->findChild<QPushButton*>("judge")->click();
    QCOMPARE(judged.count(), 2);  // at once, with the same runs
    QCOMPARE(estimate->models_built(), 1);
    // The runs' seed is shown, and a seed typed gives the same runs, hence the same answer.
    auto* summary = estimate->findChild<QLabel*>("summary");
    QVERIFY(summary->text().contains(QStringLiteral("シミュレーションのシード: ")));
    Type(estimate->findChild<QLineEdit*>("seed"), QStringLiteral("7"));
    estimate->findChild<QPushButton*>("judge")->click();
    QVERIFY(judged.wait(30000));
    QCOMPARE(estimate->models_built(), 2);
    QVERIFY(summary->text().endsWith(QStringLiteral("シミュレーションのシード: 7")));
    const Posterior first = *estimate->shown();
    estimate->findChild<QPushButton*>("judge")->click();
    QCOMPARE(estimate->models_built(), 2);
    QCOMPARE(estimate->shown()->probability, first.probability);
  }
};

int RunEstimateWindowTests(int argc, char** argv) {
  EstimateWindowTest test;
  return QTest::qExec(&test, argc, argv);
}

}  // namespace tobiuo::ui

#include "estimate_window_test.moc"
