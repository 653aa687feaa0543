// SPDX-License-Identifier: GPL-3.0-or-later
// 設定別の統計: the engine's batch in a window, off the GUI thread, stopped and refused.
#include <QChartView>
#include <QElapsedTimer>
#include <QGraphicsTextItem>
#include <QImage>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>

#include "analysis/batch.h"
#include "base/number_text.h"
#include "tests/ui/window_test.h"

namespace tobiuo::ui {

class StatsWindowTest : public WindowTest {
  Q_OBJECT

 private slots:
  void TheStatisticsWindowShowsTheEnginesBatch() {
    StatsWindow* stats = OpenStats();
    Type(stats->findChild<QLineEdit*>("runs"), QStringLiteral("20"));
    Type(stats->findChild<QComboBox*>("games")->lineEdit(), QStringLiteral("1000"));
    Type(stats->findChild<QLineEdit*>("seed"), QStringLiteral("77"));
    for (int s : {2, 3, 4, 5})
      stats->findChild<QCheckBox*>(QStringLiteral("setting%1").arg(s))->click();
    RunStats(stats);
    BatchOptions options;
    options.plan.games = 1000;
    options.plan.games_text = "1000";
    options.settings = {1, 6};
    options.runs = 20;
    options.seed = 77;
    options.bands = true;
    Progress progress;
    std::vector<SettingStats> expected;
    QVERIFY(RunBatch(options, progress, &expected).ok());
    QCOMPARE(stats->results().size(), size_t{2});
    auto* table = stats->findChild<QTableWidget*>("table");
    for (size_t r = 0; r < 2; ++r) {
      const SettingStats& s = expected[r];
      QCOMPARE(stats->results()[r].Real(Figure::kPayoutRatio), s.Real(Figure::kPayoutRatio));
      QCOMPARE(stats->results()[r].bands.back().percentiles, s.bands.back().percentiles);
      const int row = static_cast<int>(r);
      QCOMPARE(table->item(row, 0)->text(), QString::number(s.setting));
      QCOMPARE(table->item(row, 1)->text(),
               QString::fromStdString(FormatFixed(100 * s.Real(Figure::kPayoutRatio), 1) + "%"));
      QCOMPARE(table->item(row, 8)->text(),
               QString::fromStdString(FormatMoney(std::llround(s.Real(Figure::kBalanceYenMean))) +
                                      "円"));
    }
    QCOMPARE(stats->findChild<QLineEdit*>("command_line")->text(),
             QStringLiteral("tobiuo-sim batch --runs 20 --settings 1,6 --games 1000 --rate 5 "
                            "--stock 20 --seed 77"));
    // A player sees the seed and a button that repeats the batch; the command line waits under
    // its disclosure.
    // The results say what they are: their runs, P数, 換金率, start and seed, and that the inputs
    // have changed since when they have.
    auto* conditions = stats->findChild<QLabel*>("shown_conditions");
    QCOMPARE(conditions->text(),
             QStringLiteral("条件: 20回・1000P・5枚交換・初期ストック20・設定変更なし・シード 77"));
    Type(stats->findChild<QLineEdit*>("runs"), QStringLiteral("100000"));
    QVERIFY(conditions->text().contains(QStringLiteral("変わっています")));
    Type(stats->findChild<QLineEdit*>("runs"), QStringLiteral("20"));
    QVERIFY(!conditions->text().contains(QStringLiteral("変わっています")));
    QVERIFY(stats->findChild<QLineEdit*>("command_line")->isHidden());
    QVERIFY(!table->horizontalHeaderItem(1)->toolTip().isEmpty());  // what 機械割 means
    // one Tab into the table and one out of it, as the arrows move between its cells
    table->setFocus();
    QTest::keyClick(table, Qt::Key_Tab);
    QVERIFY(stats->focusWidget() != table);
    stats->findChild<QToolButton*>("show_command_line")->click();
    QVERIFY(!stats->findChild<QLineEdit*>("command_line")->isHidden());
    Type(stats->findChild<QLineEdit*>("seed"), QString());  // the fields may change meanwhile
    QSignalSpy ended(stats, &StatsWindow::BatchEnded);
    stats->findChild<QPushButton*>("repeat")->click();
    QVERIFY(ended.wait(30000));
    QCOMPARE(stats->results()[1].Real(Figure::kPayoutRatio),
             expected[1].Real(Figure::kPayoutRatio));
    // 保存 > 表 (CSV) writes the table as UTF-8 with a byte order mark (for spreadsheets on
    // Japanese Windows), a header line and a line per setting. It asks what the main window's 保存
    // asks: a new file is created only when the player says so.
    QTemporaryDir dir;
    save_->answer = dir.filePath(QStringLiteral("table.csv"));
    save_->creates = {false};
    save_->reopened.clear();
    stats->findChild<QPushButton*>("save")->menu()->actions().at(0)->trigger();
    QCOMPARE(save_->reopened, (QList<bool>{false, true}));  // declined, then asked again
    const QList<QByteArray> lines = ReadAll(*save_->answer).split('\n');
    QVERIFY(lines.size() == 5 &&
            lines[0] == "\xEF\xBB\xBF# " +
                            QByteArray::fromStdString(BatchConditions(stats->shown_options())) &&
            lines[1].startsWith("設定,機械割(比),機械割の95%区間下限(比),機械割の95%"
                                "区間上限(比),勝率(比),") &&
            lines[3].startsWith("6,"));
    // The table's file gives what the window shows, in the unit its header names: 1/758 in the
    // window is 758.3 in 純ハズレ出現率(何ゲームに1回).
    const QList<QByteArray> header = lines[1].split(','), sixth = lines[3].split(',');
    const auto pure = header.indexOf(QByteArray("純ハズレ出現率(何ゲームに1回)"));
    QVERIFY(pure > 0 && header.contains(QByteArray("平均差枚(枚)")));
    QCOMPARE(QStringLiteral("1/%1").arg(std::lround(sixth[pure].toDouble())),
             table->item(1, static_cast<int>(pure) - 1)->text());  // the interval is two columns
    // A name typed without .csv gets it; a window's CSV has Japanese headers, the command line's
    // bands below them.
    save_->answer = dir.filePath(QStringLiteral("bands"));
    stats->findChild<QPushButton*>("save")->menu()->actions().at(2)->trigger();
    const QByteArray bands = ReadAll(dir.filePath(QStringLiteral("bands.csv")));
    QVERIFY(bands.contains("\n設定,行,ゲーム数,差枚数5%点(枚),"));
    QVERIFY(bands.endsWith(
        QByteArray::fromStdString(BandsCsv(stats->results()))
            .mid(QByteArray::fromStdString(BandsCsv(stats->results())).indexOf('\n'))));
    // 保存 > 推移 (PNG) before its tab was ever shown: the saved chart has its readable size.
    save_->answer = dir.filePath(QStringLiteral("bands.png"));
    stats->findChild<QPushButton*>("save")->menu()->actions().at(4)->trigger();
    QCOMPARE(QImage(*save_->answer).size(), QSize(1200, 800));
  }

  // 中止 ends a running batch at once and the previous results stay.
  void StoppingABatchKeepsThePreviousResults() {
    StatsWindow* stats = OpenStats();
    Type(stats->findChild<QLineEdit*>("runs"), QStringLiteral("10"));
    Type(stats->findChild<QComboBox*>("games")->lineEdit(), QStringLiteral("100"));
    RunStats(stats);
    const double before = stats->results().at(0).Real(Figure::kPayoutRatio);
    const QString command = stats->findChild<QLineEdit*>("command_line")->text();
    Type(stats->findChild<QLineEdit*>("runs"), QStringLiteral("100000"));
    Type(stats->findChild<QComboBox*>("games")->lineEdit(), QStringLiteral("8000"));
    auto* run = stats->findChild<QPushButton*>("run");
    run->click();
    QVERIFY(stats->running());
    QCOMPARE(run->text(), QStringLiteral("中止"));
    QElapsedTimer clock;
    clock.start();
    run->click();
    QTRY_VERIFY_WITH_TIMEOUT(!stats->running(), 1000);
    QVERIFY(clock.elapsed() < 500);
    QCOMPARE(stats->results().at(0).Real(Figure::kPayoutRatio), before);
    QCOMPARE(stats->findChild<QLineEdit*>("command_line")->text(), command);  // of what is shown
    QCOMPARE(run->text(), QStringLiteral("実行"));
    QCOMPARE(stats->findChild<QProgressBar*>("progress")->value(), 0);
    // the stopped batch's seed is said, the results shown keep their own conditions, marked
    // as no longer the inputs'
    QVERIFY(stats->findChild<QLabel*>("progress_text")
                ->text()
                .startsWith(QStringLiteral("中止しました（シード ")));
    QVERIFY(stats->findChild<QLabel*>("shown_conditions")
                ->text()
                .contains(QStringLiteral("変わっています")));
    QCOMPARE(stats->focusWidget(), run);
  }

  // 100 runs of every setting: the distribution has as many bars as the runs fill, and no axis
  // label of either chart is cut short, at 1280x520 or at the least size. Screenshots of both
  // tabs for a look in the test's folder.
  void TheChartsReadAtEverySize() {
    StatsWindow* stats = OpenStats();
    Type(stats->findChild<QLineEdit*>("runs"), QStringLiteral("100"));
    Type(stats->findChild<QComboBox*>("games")->lineEdit(), QStringLiteral("3000"));
    for (int s = 1; s <= 6; ++s)
      stats->findChild<QCheckBox*>(QStringLiteral("setting%1").arg(s))->setChecked(true);
    RunStats(stats);
    QVERIFY(DistributionOf(stats->results()).width > kBinCoins);
    auto* tabs = stats->findChild<QTabWidget*>("charts");
    for (const QSize size : {stats->minimumSizeHint(), QSize(1280, 520)}) {
      stats->resize(size);
      for (int tab = 0; tab < 2; ++tab) {
        tabs->setCurrentIndex(tab);
        QTest::qWait(50);
        stats->grab().save(QStringLiteral("stats_%1_%2x%3.png")
                               .arg(tab == 0 ? "histogram" : "bands")
                               .arg(stats->width())
                               .arg(stats->height()));
        auto* view = stats->findChild<QChartView*>(tab == 0 ? "histogram" : "bands");
        for (QGraphicsItem* item : view->scene()->items()) {
          if (auto* text = dynamic_cast<QGraphicsTextItem*>(item)) {
            const QString shown = text->toPlainText();
            QVERIFY2(!shown.contains(QStringLiteral("…")) && !shown.contains(QStringLiteral("...")),
                     qPrintable(shown));
          }
        }
      }
    }
  }

  void TheStatisticsWindowRefusesAsTheMainWindowDoes() {
    StatsWindow* stats = OpenStats();
    const std::tuple<const char*, QString, QString> cases[] = {
        {"runs", QStringLiteral("0"),
         QStringLiteral("プレイ回数は1～100000000の整数で入力してください")},
        {"stock", QStringLiteral("256"),
         QStringLiteral("初期ストック数は0～255の範囲で入力してください")},
    };
    for (const auto& [name, typed, message] : cases) {
      auto* field = stats->findChild<QLineEdit*>(name);
      const QString old = field->text();
      Type(field, typed);
      stats->findChild<QPushButton*>("run")->click();
      QCOMPARE(errors_->messages.takeLast(), message);
      QVERIFY(stats->focusWidget() == field && !stats->running());
      Type(field, old);
    }
    // 換金率 その他 is typed in its own field, as in the main window, and refused there.
    auto* rate = stats->findChild<QComboBox*>("rate");
    rate->setCurrentIndex(rate->count() - 1);
    auto* other = stats->findChild<QLineEdit*>("rate_other");
    QVERIFY(!other->isHidden());
    Type(other, QStringLiteral("0"));
    stats->findChild<QPushButton*>("run")->click();
    QCOMPARE(errors_->messages.takeLast().left(3), QStringLiteral("換金率"));
    QVERIFY(stats->focusWidget() == other && !stats->running());
    // ... and a rate typed over the list is read as typed, as the main window reads it
    rate->setCurrentIndex(0);
    Type(rate->lineEdit(), QStringLiteral("0"));
    QVERIFY(other->isHidden());
    stats->findChild<QPushButton*>("run")->click();
    QCOMPARE(errors_->messages.takeLast().left(3), QStringLiteral("換金率"));
    QVERIFY(stats->focusWidget() == rate && !stats->running());
    rate->setCurrentIndex(rate->count() - 1);
    // その他 and the rate typed beside it are not clipped, at the window's size or its least
    for (const QSize size : {QSize(1100, 680), stats->minimumSizeHint()}) {
      stats->resize(size);
      QTest::qWait(20);
      QVERIFY2(rate->width() >= rate->sizeHint().width(),
               qPrintable(QString::number(rate->width())));
      QVERIFY(other->width() >= other->fontMetrics().horizontalAdvance(QStringLiteral("00000")));
    }
    rate->setCurrentIndex(0);
    for (int s = 1; s <= 6; ++s)
      stats->findChild<QCheckBox*>(QStringLiteral("setting%1").arg(s))->setChecked(false);
    stats->findChild<QPushButton*>("run")->click();
    QCOMPARE(errors_->messages.takeLast(), QStringLiteral("比較する設定を1つ以上選んでください"));
    QVERIFY(!stats->running());
  }
};

int RunStatsWindowTests(int argc, char** argv) {
  StatsWindowTest test;
  return QTest::qExec(&test, argc, argv);
}

}  // namespace tobiuo::ui

#include "stats_window_test.moc"
