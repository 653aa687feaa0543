// SPDX-License-Identifier: GPL-3.0-or-later
// The main window as a player uses it: its fields, the run, the chart and log, saving, the about
// box and Qt's own texts.
#include <QCategoryAxis>
#include <QClipboard>
#include <QDialog>
#include <QFileInfo>
#include <QLineSeries>
#include <QMenuBar>
#include <QStyle>
#include <QValueAxis>

#include "base/number_text.h"
#include "engine/report.h"
#include "io/cp932.h"
#include "tests/ui/window_test.h"
#include "ui/coin_chart.h"
#include "ui/qt_texts.h"

namespace tobiuo::ui {

class MainWindowTest : public WindowTest {
  Q_OBJECT

 private slots:
  void StartUpStateMatchesTheDesign() {
    QCOMPARE(window_->windowTitle(), QStringLiteral("トビウオ号 シュミレーター ver 1.0"));
    // Drawn at every size a desktop asks for, not one small bitmap scaled up.
    const QList<QSize> sizes = window_->windowIcon().availableSizes();
    QVERIFY(sizes.contains(QSize(16, 16)) && sizes.contains(QSize(256, 256)));
    for (auto [name, text] :
         {std::pair{"cmb_Settei", "6"}, {"cmb_p", "6000"}, {"cmb_kankin", "5"}}) {
      QVERIFY(Find<QComboBox>(name)->isEditable());
      QCOMPARE(Find<QComboBox>(name)->currentText(), QString::fromUtf8(text));
    }
    for (auto [name, shown] : {std::pair{"Label9(0)", true},
                               {"Label9(1)", false},
                               {"txt_kankin", false},
                               {"txtYame", false},
                               {"Label3", false},
                               {"lsb_data", false}}) {
      QVERIFY2(Find<QWidget>(name)->isVisible() == shown, name);
    }
    QCOMPARE(Find<QLineEdit>("txt_st")->text(), QStringLiteral("20"));
    QCOMPARE(Find<QLineEdit>("txtYame")->text(), QStringLiteral("0"));
    QVERIFY(!Find<QCheckBox>("Chk_St")->isChecked() && !Find<QCheckBox>("chk_st2")->isChecked());
    QVERIFY(!Find<QMenu>("menu_file")->menuAction()->isEnabled());
    QVERIFY(Find<QLabel>("lbl_kekka")->text().isEmpty());
    QCOMPARE(Find<QProgressBar>("Pb_Sts")->value(), 0);
    QCOMPARE(Find<QComboBox>("cmb_p")->count(), 24);
    QCOMPARE(Find<QComboBox>("cmb_p")->itemText(10), QStringLiteral("1500"));
    QCOMPARE(window_->centralWidget()->size(), QSize(955, 641));
    QCOMPARE(Focused(), QStringLiteral("cmb_Settei"));
  }

  // Tab from the start goes round exactly the design's tab order, in each state of the window.
  void TabGoesRoundTheDesignedOrder() {
    const QStringList start = {"cmb_Settei", "cmdJikkou", "cmb_p", "cmb_kankin",
                               "Chk_St",     "chk_st2",   "txt_st"};
    QCOMPARE(TabCycle(), start);
    Click();
    QCOMPARE(TabCycle(), QStringList{"lsb_data"} + start);
    Find<QComboBox>("cmb_kankin")->setCurrentIndex(4);
    QStringList other = QStringList{"lsb_data"} + start;
    other.insert(4, QStringLiteral("txt_kankin"));
    QCOMPARE(TabCycle(), other);
  }

  void TypedGameCountsAreRunAsTyped() {
    for (auto [typed, last_label, rows] : {std::tuple{"50", "50", 2}, {"150", "150", 3}}) {
      Type(Find<QComboBox>("cmb_p")->lineEdit(), QString::fromLatin1(typed));
      Click();
      QVERIFY(errors_->messages.isEmpty());
      QCOMPARE(window_->shown_run()->plan.games_text, std::string(typed));
      auto* chart = Find<CoinChart>("Crt_data");
      QCOMPARE(chart->row_axis()->categoriesLabels().constLast(), QString::fromLatin1(last_label));
      QCOMPARE(chart->series()->count(), rows);
      // The value axis fits the short run and the last point is inside the plot.
      QVERIFY(chart->value_axis()->max() - chart->value_axis()->min() < 18000);
      QVERIFY(chart->row_axis()->max() > rows);
      QCOMPARE(chart->PointText(rows), QString::fromLatin1(last_label) +
                                           QStringLiteral("P\n差枚数:") +
                                           QString::number(chart->series()->at(rows - 1).y()));
    }
  }

  // Leaving a refused stock count by clicking Run: one message, no run, the focus back in the
  // field and the button not left pressed.
  void ClickingRunFromARefusedStockCountOnlyRefuses() {
    auto* stock = Find<QLineEdit>("txt_st");
    auto* run = Find<QPushButton>("cmdJikkou");
    Type(stock, QStringLiteral("300"));
    QTest::mouseClick(run, Qt::LeftButton);
    QCOMPARE(errors_->messages, QStringList{QStringLiteral("最大ストック数は255")});
    QVERIFY(window_->shown_run() == nullptr);
    QVERIFY(stock->hasFocus());
    QTRY_VERIFY(!run->isDown());
    QCOMPARE(errors_->messages.size(), 1);
    // Left by pressing a combo box or a check box (the message box takes the release): no list
    // stays open, no box stays drawn pressed, and the focus comes back to the field.
    auto* games = Find<QComboBox>("cmb_p");
    QTest::mousePress(games, Qt::LeftButton, {}, QPoint(games->width() - 6, games->height() / 2));
    QTRY_VERIFY(stock->hasFocus() && !games->view()->isVisible());
    auto* changed = Find<QCheckBox>("Chk_St");
    QTest::mousePress(changed, Qt::LeftButton);
    QTRY_VERIFY(stock->hasFocus() && !changed->isDown());
    QCOMPARE(errors_->messages.size(), 3);
  }

  void TheWindowGrowsInTheChartAndTheLog() {
    Click();
    auto* chart = Find<QWidget>("Crt_data");
    auto* log = Find<QWidget>("lsb_data");
    const QSize chart_before = chart->size(), log_before = log->size();
    window_->resize(window_->width() + 300, window_->height() + 400);
    QTRY_VERIFY(chart->height() > chart_before.height() &&
                log->height() > log_before.height() + 100);
    QVERIFY(chart->width() > chart_before.width());
    QCOMPARE(Find<QWidget>("Frame1")->width(), 184);
  }

  void TheStockFieldShowsThreeFullWidthDigits() {
    auto* stock = Find<QLineEdit>("txt_st");
    Type(stock, QStringLiteral("２５５"));
    const int frame = stock->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, stock);
    QVERIFY(stock->fontMetrics().horizontalAdvance(stock->text()) + 2 * frame + 4 <=
            stock->width());
  }

  void RunFillsLogSummaryChartAndProgress() {
    // Enter on the focused 実行 presses it, as a Windows player expects.
    Find<QPushButton>("cmdJikkou")->setFocus();
    QTest::keyClick(Find<QPushButton>("cmdJikkou"), Qt::Key_Return);
    QVERIFY(errors_->messages.isEmpty());
    const RunRecord expected = EngineRun(RunInputs{});
    QCOMPARE(LogLines(), expected.log);
    QCOMPARE(Summary(), expected.summary);
    const qsizetype lines =
        Find<QLabel>("lbl_kekka")->text().split(QLatin1Char(0x0a), Qt::SkipEmptyParts).size();
    QVERIFY(lines == 24 || lines == 25);
    QVERIFY(Find<QListWidget>("lsb_data")->isVisible());
    QVERIFY(Find<QMenu>("menu_file")->menuAction()->isEnabled());
    QCOMPARE(Find<QProgressBar>("Pb_Sts")->maximum(), 61);
    QCOMPARE(Find<QProgressBar>("Pb_Sts")->value(), 61);

    auto* chart = Find<CoinChart>("Crt_data");
    QCOMPARE(chart->chart()->title(), QStringLiteral("トビウオ号 設定:6"));
    QCOMPARE(chart->series()->count(), 61);
    QStringList labels;
    for (int row = 1; row <= 56; row += 5) labels << QString::number((row - 1) * 100);
    QCOMPARE(chart->row_axis()->categoriesLabels(), labels << QStringLiteral("6000"));
    QCOMPARE(chart->series()->at(60).y(), static_cast<double>(*expected.chart.back().coin_diff));
    for (const QPointF& p : chart->series()->points()) {  // never clipped, zero line in view
      QVERIFY(p.y() >= chart->value_axis()->min() && p.y() <= chart->value_axis()->max());
    }
    QVERIFY(chart->value_axis()->min() <= 0 && chart->value_axis()->max() >= 0);
  }

  void RefusedInputKeepsThePreviousRunAndFocusesTheField() {
    Click();
    const std::vector<std::string> log = LogLines();
    const std::vector<std::string> summary = Summary();
    auto* games = Find<QComboBox>("cmb_p");
    Type(games->lineEdit(), QStringLiteral("9000"));
    Click();
    QCOMPARE(errors_->messages,
             QStringList{QStringLiteral("P数は1～8000の整数で入力してください")});
    QVERIFY(games->hasFocus() && games->currentText() == QStringLiteral("9000"));
    QVERIFY(LogLines() == log && Summary() == summary);
    Type(games->lineEdit(), QStringLiteral("6000"));
    Find<QComboBox>("cmb_kankin")->setCurrentIndex(4);
    auto* free_rate = Find<QLineEdit>("txt_kankin");
    Type(free_rate, QStringLiteral("0"));
    Click();
    QCOMPARE(errors_->messages.size(), 2);
    QVERIFY(free_rate->hasFocus());
    QCOMPARE(LogLines(), log);
  }

  void OverflowIsReportedAndTheWindowGoesOn() {
    window_ = std::make_unique<MainWindow>(*errors_, *save_, [](uint32_t) {
      return std::make_unique<testing::ScriptedRandom>(
          testing::RealFor(12000, 65535));  // 10 coins a game
    });
    window_->show();
    Find<QComboBox>("cmb_p")->setCurrentIndex(23);
    Find<QCheckBox>("chk_st2")->setChecked(true);
    Click();
    QCOMPARE(errors_->messages.size(), 1);
    QVERIFY(errors_->messages[0].contains(QStringLiteral("オーバーフロー")));
    QVERIFY(window_->shown_run() == nullptr);
    QVERIFY(Find<QLabel>("lbl_kekka")->text().isEmpty());
    QVERIFY(!Find<QMenu>("menu_file")->menuAction()->isEnabled());
    QCOMPARE(Find<QListWidget>("lsb_data")->count(), 1);  // the log so far: the initial mode
  }

  void StockClearBoxSavesAndRestoresTheCount() {
    auto* stock = Find<QLineEdit>("txt_st");
    Find<QCheckBox>("chk_st2")->setChecked(true);
    QVERIFY(stock->text() == QStringLiteral("0") && !stock->isEnabled());
    Find<QCheckBox>("chk_st2")->setChecked(false);
    QVERIFY(stock->text() == QStringLiteral("20") && stock->isEnabled());
  }

  void LeavingTheStockFieldChecksItsRange() {
    const std::pair<const char*, const char*> cases[] = {{"-1", "マイナス値は不可"},
                                                         {"256", "最大ストック数は255"},
                                                         {"255", nullptr},
                                                         {"0", nullptr},
                                                         {"12.5", nullptr}};
    auto* stock = Find<QLineEdit>("txt_st");
    for (auto [text, message] : cases) {
      errors_->messages.clear();
      Type(stock, QString::fromUtf8(text));
      QTest::keyClick(stock, Qt::Key_Tab);
      if (message) {
        QCOMPARE(errors_->messages, QStringList{QString::fromUtf8(message)});
        QVERIFY(stock->hasFocus());
        QCOMPARE(stock->text(), QString::fromUtf8(text));
      } else {
        QVERIFY2(errors_->messages.isEmpty(), text);
      }
    }
  }

  void OtherRateSwitchesToTheFreeEntryField() {
    auto* free_rate = Find<QLineEdit>("txt_kankin");
    Find<QComboBox>("cmb_kankin")->setCurrentIndex(4);
    QVERIFY(free_rate->isVisible() && Find<QLabel>("Label9(1)")->isVisible() &&
            !Find<QLabel>("Label9(0)")->isVisible());
    Type(free_rate, QStringLiteral("10"));
    Click();
    QCOMPARE(Summary(), EngineRun(RunInputs{.rate = "10"}).summary);
    Find<QComboBox>("cmb_kankin")->setCurrentIndex(2);
    QVERIFY(!free_rate->isVisible() && Find<QLabel>("Label9(0)")->isVisible());
  }

  void SaveWritesTheReportWritersBytes() {
    Click();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tobiuodata.txt"));
    save_->answer = path;
    Find<QAction>("menu_save")->trigger();
    QCOMPARE(save_->last_setup.filters, (QStringList{QStringLiteral("すべてのファイル (*.*)"),
                                                     QStringLiteral("テキスト ファイル (*.txt)")}));
    QCOMPARE(save_->last_setup.selected_filter, 1);
    QCOMPARE(save_->last_setup.file_name, QStringLiteral("tobiuodata.txt"));
    QCOMPARE(save_->confirmed, QStringList{path});  // asked before creating

    std::string bytes;
    QVERIFY(EncodeCp932(ReportText(EngineRun(RunInputs{})), &bytes).ok());
    QCOMPARE(ReadAll(path), QByteArray::fromStdString(bytes));

    // The report is the shown run's, whatever the setting box holds when it is saved.
    for (const QString& typed : {QStringLiteral("1"), QStringLiteral("abc")}) {
      Type(Find<QComboBox>("cmb_Settei")->lineEdit(), typed);
      Find<QAction>("menu_save")->trigger();
      QCOMPARE(ReadAll(path), QByteArray::fromStdString(bytes));
    }
    QCOMPARE(save_->confirmed.size(), 1);  // replacing asks nothing
    QVERIFY(errors_->messages.isEmpty());
  }

  void CancelledDeclinedOrFailedSaveLeavesFilesAlone() {
    Click();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("old.txt"));
    QFile old_file(path);
    QVERIFY(old_file.open(QIODevice::WriteOnly) && old_file.write("old") == 3);
    old_file.close();
    save_->answer = std::nullopt;  // cancel: nothing written, nothing said
    Find<QAction>("menu_save")->trigger();
    QVERIFY(errors_->messages.isEmpty());

    save_->answer = path;
    files_->Fail("Write", 1, ENOSPC);
    Find<QAction>("menu_save")->trigger();
    QCOMPARE(ReadAll(path), QByteArray("old"));
    QCOMPARE(errors_->messages.size(), 1);
    QVERIFY(errors_->messages[0].contains(path));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("old.txt")});
  }

  // いいえ at the create prompt returns to the dialog as the player left it; the save goes on
  // from there.
  void DecliningToCreateReturnsToTheDialog() {
    Click();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("new.txt"));
    save_->answer = path;
    save_->creates = {false};
    Find<QAction>("menu_save")->trigger();
    QCOMPARE(save_->reopened, (QList<bool>{false, true}));
    QCOMPARE(save_->confirmed, (QStringList{path, path}));
    QVERIFY(QFileInfo::exists(path));
  }

  // The real dialog refuses a name in a folder that does not exist before it closes, so no
  // create prompt is asked for it.
  void TheSaveDialogRefusesAMissingFolder() {
    QTemporaryDir dir;
    SaveFileDialog dialog(window_.get(), *errors_);
    dialog.selectFile(dir.filePath(QStringLiteral("missing/r.txt")));
    dialog.open();
    dialog.accept();
    QCOMPARE(errors_->messages.size(), 1);
    QVERIFY(errors_->messages[0].contains(QStringLiteral("missing")));
    QVERIFY(dialog.isVisible());
    dialog.selectFile(dir.filePath(QStringLiteral("r.txt")));
    dialog.accept();
    QCOMPARE(dialog.result(), int{QDialog::Accepted});
    QCOMPARE(errors_->messages.size(), 1);
  }

  void QtsOwnTextsAreJapanese() {
    QVERIFY(InstallJapaneseQtTexts(*QCoreApplication::instance()));
    SaveFileDialog dialog(window_.get(), *errors_);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("名前を付けて保存"));
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "&Yes"), QStringLiteral("はい(&Y)"));
  }

  // 設定別の統計 plays the batch of `tobiuo-sim batch` with the same options and shows its figures.
  // A run shows its seed and can be replayed by it, here or with tobiuo-sim run --seed.
  void RunsShowTheirSeedAndReplayByIt() {
    auto* bar = Find<QProgressBar>("Pb_Sts");
    Click();
    QVERIFY(bar->isTextVisible() && bar->text().startsWith(QStringLiteral("シード ")));
    seed_->answers = {QStringLiteral("１２３")};  // typed with the input method's digits
    Find<QAction>("menu_run_seed")->trigger();
    QCOMPARE(bar->text(), QStringLiteral("シード 123　純ハズレ（解除しなかったものも含む） %1回")
                              .arg(window_->shown_run()->pure_misses()));
    QCOMPARE(window_->shown_run()->plan.seed, 123u);
    // the seed shown can be copied
    Find<QAction>("menu_copy_seed")->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("123"));
    // a refused seed is said and asked again with the text as typed; cancelling plays nothing
    seed_->answers = {QStringLiteral("12x3")};
    seed_->offered.clear();
    Find<QAction>("menu_run_seed")->trigger();
    QCOMPARE(errors_->messages.takeLast(),
             QStringLiteral("シードは0～4294967295の整数で入力してください"));
    QCOMPARE(seed_->offered, (QStringList{QString(), QStringLiteral("12x3")}));
    QVERIFY(bar->text().startsWith(QStringLiteral("シード 123　")));
    // corrected in the reopened question, it plays
    seed_->answers = {QStringLiteral("-1"), QStringLiteral("77")};
    Find<QAction>("menu_run_seed")->trigger();
    QCOMPARE(window_->shown_run()->plan.seed, 77u);
  }

  // F10 opens the menu bar at its first menu in use, as on Windows (ファイル waits for a run).
  void F10OpensTheMenuBar() {
    window_->activateWindow();
    QTest::keyClick(window_.get(), Qt::Key_F10);
    QTRY_VERIFY(window_->menuBar()->activeAction() != nullptr);
    QCOMPARE(window_->menuBar()->activeAction()->text(), QStringLiteral("分析"));
    QTest::keyClick(QApplication::activePopupWidget() ? QApplication::activePopupWidget()
                                                      : static_cast<QWidget*>(window_.get()),
                    Qt::Key_Escape);
  }

  void AboutBoxOpensOnceClosesAndLeavesTheWindowUsable() {
    const QString text = QStringLiteral("トビウオゴウシュミレーター Version 1.0");
    Find<QAction>("menu_aboout")->trigger();
    Find<QAction>("menu_aboout")->trigger();
    QCOMPARE(AboutDialogs().size(), 1);
    AboutDialog* about = AboutDialogs()[0];
    QCOMPARE(about->windowTitle(), QStringLiteral("トビウオゴウシュミレーターについて"));
    QCOMPARE(about->findChild<QLabel*>("Label1")->text(), text);
    QVERIFY(!about->isModal());
    Click();  // the main window works while the about box is open
    QVERIFY(Find<QListWidget>("lsb_data")->count() > 0);
    QTest::mouseClick(about->findChild<QPushButton*>("OKButton"), Qt::LeftButton);
    QTRY_COMPARE(AboutDialogs().size(), 0);
    Find<QAction>("menu_aboout")->trigger();
    QCOMPARE(AboutDialogs()[0]->findChild<QLabel*>("Label1")->text(), text);
    // Closing the main window closes the rest, the about box too: it would keep the program up.
    StatsWindow* stats = Open<StatsWindow>("menu_stats");
    window_->close();
    QTRY_COMPARE(AboutDialogs().size(), 0);
    QVERIFY(!stats->isVisible());
  }
};

int RunMainWindowTests(int argc, char** argv) {
  MainWindowTest test;
  return QTest::qExec(&test, argc, argv);
}

}  // namespace tobiuo::ui

#include "main_window_test.moc"
