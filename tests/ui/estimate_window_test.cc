// SPDX-License-Identifier: GPL-3.0-or-later
// 設定判別: the engine's posterior in a window, from the counts or the history as typed, and the
// fields filled from the last run.
#include "ui/estimate_window.h"

#include <QChartView>
#include <QClipboard>
#include <QComboBox>
#include <QGraphicsTextItem>
#include <QRegularExpression>
#include <QScrollArea>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>

#include "analysis/estimate.h"
#include "analysis/history.h"
#include "analysis/value.h"
#include "base/number_text.h"
#include "tests/ui/window_test.h"
#include "ui/history_editor.h"
#include "ui/value_panel.h"

namespace tobiuo::ui {

class EstimateWindowTest : public WindowTest {
  Q_OBJECT

 private slots:
  void TheEstimateWindowGivesTheEnginesPosterior() {
    auto* estimate = Open<EstimateWindow>("menu_estimate");
    estimate->findChild<QTabWidget*>("method")->setCurrentIndex(1);  // 回数
    Type(estimate->findChild<QLineEdit*>("games"), QStringLiteral("700"));
    Type(estimate->findChild<QLineEdit*>("pure_misses"), QStringLiteral("1"));
    Type(estimate->findChild<QLineEdit*>("prior"), QStringLiteral("1,0,0,0,0,1"));
    QTest::keyClick(estimate->findChild<QPushButton*>("judge"), Qt::Key_Enter);  // as a click
    QVERIFY(estimate->shown().has_value());
    QCOMPARE(estimate->shown()->probability,
             Estimate({700, 1}, {0.5, 0, 0, 0, 0, 0.5}, nullptr).probability);
    // The answer says how far to trust it, for this many games and this method.
    const QString summary = estimate->findChild<QLabel*>("summary")->text();
    QVERIFY(summary.contains(QStringLiteral(
        "700ゲームでは、この方法でいちばんありそうとされた設定が本当の設定である割合は約")));
    QVERIFY(!summary.contains(QStringLiteral("前提")));  // the pure misses know nothing of it
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

  // 直前のプレイから takes the counts of the run on the main window; the simulated runs are played
  // once for a start and serve the next 判別.
  void TheEstimateWindowJudgesTheLastRun() {
    Click();
    auto* estimate = Open<EstimateWindow>("menu_estimate");
    estimate->findChild<QTabWidget*>("method")->setCurrentIndex(1);  // 回数
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
    QVERIFY(summary->text().contains(QStringLiteral("比べたプレイのシード: ")));
    Type(estimate->findChild<QLineEdit*>("seed"), QStringLiteral("7"));
    estimate->findChild<QPushButton*>("judge")->click();
    QVERIFY(judged.wait(30000));
    QCOMPARE(estimate->models_built(), 2);
    QVERIFY(summary->text().endsWith(QStringLiteral("比べたプレイのシード: 7")));
    const Posterior first = *estimate->shown();
    estimate->findChild<QPushButton*>("judge")->click();
    QCOMPARE(estimate->models_built(), 2);
    QCOMPARE(estimate->shown()->probability, first.probability);
  }

  // The history tab: rows typed key by key (a ハマり, or a game number), pasted and removed; the
  // bars follow each change with the exact posterior of what is in the table.
  void TheHistoryTabJudgesEveryChangeExactly() {
    auto* estimate = Open<EstimateWindow>("menu_estimate");
    // it opens saying what it waits for, not blank, and says so again when P数 is emptied
    auto* summary = estimate->findChild<QLabel*>("summary");
    QVERIFY(summary->text().contains(QStringLiteral("解除履歴を入れると")));
    auto* games = estimate->findChild<QLineEdit*>("games");
    games->setFocus();
    QTest::keyClick(games, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(games, Qt::Key_Delete);
    QVERIFY2(summary->text().contains(QStringLiteral("ゲーム数（P数）")),
             qPrintable(summary->text()));
    auto* editor = estimate->findChild<HistoryEditor*>("history_editor");
    auto* hamari = estimate->findChild<QLineEdit*>("hamari");
    const auto add = [&](const QString& number, Trigger trigger) {
      auto* box = estimate->findChild<QComboBox*>("trigger");
      box->setCurrentIndex(box->findData(static_cast<int>(trigger)));
      Type(hamari, number);
      QTest::keyClick(hamari, Qt::Key_Return);
    };
    Type(estimate->findChild<QLineEdit*>("games"), QStringLiteral("1000"));
    add(QStringLiteral("77"), Trigger::kCherry);
    add(QStringLiteral("８２"), Trigger::kNone);
    add(QStringLiteral("0"), Trigger::kNone);  // refused: not a ハマり
    // a refusal is said under the entry line, not only in a tooltip: a pasted typo adds nothing
    auto* message = estimate->findChild<QLabel*>("hamari_message");
    QVERIFY(!message->isHidden() && message->text().contains(QStringLiteral("ハマり")));
    QGuiApplication::clipboard()->setText(QStringLiteral("123 23OR"));
    estimate->findChild<QPushButton*>("paste_hamari")->click();
    QVERIFY(!message->isHidden());
    QVERIFY2(message->text().contains(QStringLiteral("「23OR」")), qPrintable(message->text()));
    QCOMPARE(editor->Releases().size(), size_t{2});
    QGuiApplication::clipboard()->setText(QStringLiteral("123\n45R"));
    estimate->findChild<QPushButton*>("paste_hamari")->click();
    QVERIFY(message->isHidden());
    estimate->findChild<QComboBox*>("counted_as")->setCurrentIndex(1);  // ゲーム数
    add(QStringLiteral("300"), Trigger::kPureMiss);  // not after the last release, at 327
    QVERIFY(message->text().contains(QStringLiteral("327ゲーム目")));
    hamari->clear();
    add(QStringLiteral("400"), Trigger::kPureMiss);
    QVERIFY(message->isHidden());
    const std::vector<HistoryRelease> typed = {{77, true, Trigger::kCherry},
                                               {159, true, Trigger::kNone},
                                               {282, true, Trigger::kNone},
                                               {327, false, Trigger::kNone},
                                               {400, true, Trigger::kPureMiss}};
    QCOMPARE(editor->Releases(), typed);
    const auto exact = [](const History& h, const HistoryStart& start) {
      Posterior p;
      if (!EstimateFromHistory(h, start, {1.0 / 6, 1.0 / 6, 1.0 / 6, 1.0 / 6, 1.0 / 6, 1.0 / 6}, &p)
               .ok()) {
        qFatal("refused");
      }
      return p.probability;
    };
    QTRY_VERIFY(estimate->shown().has_value());
    QCOMPARE(estimate->shown_method(), JudgedBy::kHistory);
    QTRY_COMPARE(estimate->shown()->probability, exact({1000, typed, std::nullopt}, {{20}, false}));
    QVERIFY(estimate->findChild<QLabel*>("summary")->text().contains(
        QStringLiteral("判別方法: 解除履歴")));
    // removing the first row keeps what was typed: the later ハマり move down, the game typed
    // as one (400) stays
    auto* table = estimate->findChild<QTableView*>("history");
    table->selectRow(0);
    estimate->findChild<QPushButton*>("remove_release")->click();
    std::vector<HistoryRelease> left(typed.begin() + 1, typed.end());
    for (size_t r = 0; r + 1 < left.size(); ++r) left[r].game -= 77;
    QCOMPARE(editor->Releases(), left);
    QCOMPARE(table->model()->index(3, 0).data().toInt(), 400 - 250);  // its ハマり grew
    // a row's 契機 is corrected in place
    table->model()->setData(table->model()->index(0, 3), static_cast<int>(Trigger::kPureMiss));
    left[0].trigger = Trigger::kPureMiss;
    QCOMPARE(editor->Releases(), left);
    QTest::mouseClick(estimate->findChild<QCheckBox*>("stock_unknown"), Qt::LeftButton);
    Type(estimate->findChild<QLineEdit*>("pure_misses"), QStringLiteral("3"));
    QTRY_COMPARE(estimate->shown()->probability, exact({1000, left, 3}, {UnknownStock(), false}));
    // what no setting can produce is said where the answer stands, with no answer
    Type(estimate->findChild<QLineEdit*>("pure_misses"), QStringLiteral("0"));
    QTRY_VERIFY(!estimate->shown().has_value());
    QVERIFY(estimate->findChild<QLabel*>("summary")->text().contains(QStringLiteral("純ハズレ")));
  }

  // Under the bars, what playing on is worth, from the history as typed: the hidden state now as
  // the exact pass gives it, and the rules' figures as the analysis gives them for the same
  // question; an input typed meanwhile is the one answered, and a refused one is said.
  void ThePanelUnderTheBarsIsTheValueOfPlayingOn() {
    auto* estimate = Open<EstimateWindow>("menu_estimate");
    const ValuePanel& panel = estimate->value();
    Type(estimate->findChild<QLineEdit*>("games"), QStringLiteral("2000"));
    Type(estimate->findChild<QLineEdit*>("watched_from"), QStringLiteral("400"));
    auto* hamari = estimate->findChild<QLineEdit*>("hamari");
    for (const char* typed : {"350", "600"}) {
      Type(hamari, QString::fromLatin1(typed));
      QTest::keyClick(hamari, Qt::Key_Return);
    }
    auto* coins = estimate->findChild<QLineEdit*>("value_coins");
    Type(coins, QStringLiteral("120"));
    Type(estimate->findChild<QLineEdit*>("value_games_left"), QStringLiteral("600"));
    QTRY_VERIFY_WITH_TIMEOUT(panel.shown().has_value() && panel.asked()->games_left == 600, 20000);
    const ValueQuestion asked = *panel.asked();
    QCOMPARE(asked.coins, int16_t{120});
    QCOMPARE(asked.history.watched_from, 400);
    const std::vector<HistoryRelease> seen = {{350, true, Trigger::kUnknown},
                                              {950, true, Trigger::kUnknown}};
    QCOMPARE(asked.history.releases, seen);
    ValueAnswer direct;
    Progress progress;
    QVERIFY(ValueOfPlaying(asked, progress, &direct).ok());
    QCOMPARE(panel.shown()->rules.size(), direct.rules.size());
    auto* table = estimate->findChild<QTableWidget*>("value_rules");
    QCOMPARE(table->rowCount(), static_cast<int>(direct.rules.size()));
    for (size_t i = 0; i < direct.rules.size(); ++i) {
      QCOMPARE(panel.shown()->rules[i].coins, direct.rules[i].coins);
      QCOMPARE(panel.shown()->rules[i].yen, direct.rules[i].yen);
      QCOMPARE(table->item(static_cast<int>(i), 0)->text().startsWith(QStringLiteral("★")),
               i == direct.best);
    }
    QVERIFY(table->item(1, 0)->text().contains(QStringLiteral("あと100G")));
    QVERIFY(table->item(0, 1)->text() == QStringLiteral("0"));
    QVERIFY(estimate->findChild<QLabel*>("value_hidden")
                ->text()
                .contains(QString::fromStdString(FormatFixed(100 * direct.now.heaven, 1)) + '%'));
    QVERIFY(estimate->findChild<QLabel*>("value_note")->text().contains(QStringLiteral("最良")));
    // a refused input is said in the panel, with no table
    Type(coins, QStringLiteral("-5"));
    QTRY_COMPARE(table->rowCount(), 0);
    QVERIFY(
        estimate->findChild<QLabel*>("value_note")->text().contains(QStringLiteral("持ちコイン")));
    Type(coins, QStringLiteral("0"));
    QTRY_VERIFY_WITH_TIMEOUT(panel.shown().has_value() && panel.asked()->coins == 0, 20000);
  }

  // A long pasted history is judged off the GUI thread: the paste returns before the answer, and
  // of the answers to a burst of edits only the last edit's is shown.
  void ALongHistoryIsJudgedOffTheGuiThread() {
    auto* estimate = Open<EstimateWindow>("menu_estimate");
    auto* games = estimate->findChild<QLineEdit*>("games");
    Type(games, QStringLiteral("8000"));
    QStringList hamari;
    for (int i = 0; i < 3000; ++i) hamari << QString::number(1 + i % 3);
    QGuiApplication::clipboard()->setText(hamari.join(QLatin1Char('\n')));
    QSignalSpy judged(estimate, &EstimateWindow::Judged);
    estimate->findChild<QPushButton*>("paste_hamari")->click();
    QCOMPARE(judged.count(), 0);  // the answer comes through the event loop
    QVERIFY(!estimate->shown().has_value());
    Type(estimate->findChild<QLineEdit*>("pure_misses"), QStringLiteral("10"));
    auto* editor = estimate->findChild<HistoryEditor*>("history_editor");
    QCOMPARE(editor->Releases().size(), size_t{3000});
    Posterior exact;
    QVERIFY(EstimateFromHistory({8000, editor->Releases(), 10}, {{20}, false},
                                {1.0 / 6, 1.0 / 6, 1.0 / 6, 1.0 / 6, 1.0 / 6, 1.0 / 6}, &exact)
                .ok());
    QTRY_VERIFY_WITH_TIMEOUT(estimate->shown().has_value(), 20000);
    QCOMPARE(estimate->shown()->probability, exact.probability);
    QTest::qWait(200);  // no stale answer comes after it
    QCOMPARE(estimate->shown()->probability, exact.probability);
  }

  // Each bar's setting and percentage read in full under it: with a decimal in a 1280-pixel-wide
  // window, low or tall, as whole percents at the least size; the summary never covers the bars.
  // Screenshots for a look in the test's folder.
  void EveryBarsPercentageReadsInFull() {
    Click();
    auto* estimate = Open<EstimateWindow>("menu_estimate");
    estimate->findChild<QPushButton*>("from_last_run")->click();
    QTRY_VERIFY(estimate->shown().has_value());
    auto* view = estimate->findChild<QChartView*>("posterior");
    auto* summary = estimate->findChild<QLabel*>("summary");
    QVERIFY(estimate->minimumSizeHint().width() < 1280);
    const QSize least = estimate->minimumSizeHint();
    for (const QSize size : {least, QSize(1280, 520), QSize(1280, 900)}) {
      estimate->resize(size);
      QTest::qWait(50);
      const bool small = size == least;
      estimate->grab().save(
          small ? QStringLiteral("estimate_least.png")
                : QStringLiteral("estimate_%1x%2.png").arg(size.width()).arg(size.height()));
      QStringList labels;
      for (QGraphicsItem* item : view->scene()->items()) {
        if (auto* text = dynamic_cast<QGraphicsTextItem*>(item)) labels << text->toPlainText();
      }
      for (int s = 1; s <= 6; ++s) {
        const QString pattern = small ? QStringLiteral("^%1\\s*\\d+(\\.\\d)?%$")
                                      : QStringLiteral("^%1\\s*\\d+\\.\\d%$");
        const qsizetype at = labels.indexOf(QRegularExpression(pattern.arg(s)));
        QVERIFY2(at >= 0, qPrintable(labels.join(QLatin1Char('|'))));
      }
      // the column of answers scrolls down, never cutting the bars at the side
      QVERIFY(view->width() <= estimate->findChild<QScrollArea*>("results")->viewport()->width());
      const QRect bars(view->mapTo(estimate, QPoint()), view->size());
      const QRect shown(summary->parentWidget()->mapTo(estimate, QPoint()),
                        summary->parentWidget()->size());
      QVERIFY(!bars.intersects(shown));
    }
  }

  // 直前のプレイから fills the history with what a player saw of the run.
  void TheHistoryOfTheLastRunIsWhatAPlayerSaw() {
    Click();
    auto* estimate = Open<EstimateWindow>("menu_estimate");
    estimate->findChild<QPushButton*>("from_last_run")->click();
    const RunRecord& run = *window_->shown_run();
    QCOMPARE(estimate->findChild<HistoryEditor*>("history_editor")->Releases(),
             window_->shown_history()->releases);
    QVERIFY(!window_->shown_history()->releases.empty());
    QCOMPARE(*window_->shown_history()->pure_misses, run.pure_misses());
    QTRY_VERIFY2(estimate->shown().has_value(),
                 qPrintable(estimate->findChild<QLabel*>("summary")->text()));
    QCOMPARE(estimate->shown_method(), JudgedBy::kHistory);
  }
};

int RunEstimateWindowTests(int argc, char** argv) {
  EstimateWindowTest test;
  return QTest::qExec(&test, argc, argv);
}

}  // namespace tobiuo::ui

#include "estimate_window_test.moc"
