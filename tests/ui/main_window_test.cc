#include "ui/main_window.h"

#include <QtCharts>
#include <QtTest>
#include <QtWidgets>

#include "engine/report.h"
#include "engine/run.h"
#include "tests/fakes.h"
#include "ui/about_dialog.h"
#include "ui/coin_chart.h"
#include "ui/dialogs.h"

namespace tobiuo::ui {
namespace {

constexpr uint32_t kSeed = 20261206;

class FakeErrors final : public ErrorReporter {
 public:
  void ShowError(QWidget*, const QString& text) override { messages << text; }
  QStringList messages;
};

class FakeSaveDialog final : public SaveDialog {
 public:
  std::optional<QString> ChooseFile(QWidget*, const SaveDialogSetup& setup) override {
    last_setup = setup;
    return answer;
  }
  bool ConfirmCreate(QWidget*, const QString& path) override {
    confirmed << path;
    return create;
  }
  std::optional<QString> answer;
  bool create = true;
  QStringList confirmed;
  SaveDialogSetup last_setup;
};

// The same run played by the engine alone, for comparison with the window.
RunRecord EngineRun(RunInputs inputs) {
  inputs.seed = std::to_string(kSeed);
  RunPlan plan;
  if (!ValidateInputs(inputs, &plan).ok()) qFatal("refused inputs");
  return PlayRun(plan, Keep::kRecord);
}

std::unique_ptr<RandomSource> FixedSeed(uint32_t) { return std::make_unique<Mt19937Source>(kSeed); }

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    errors_ = std::make_unique<FakeErrors>();
    save_ = std::make_unique<FakeSaveDialog>();
    files_ = std::make_unique<testing::FaultyFileSystem>();
    window_ = std::make_unique<MainWindow>(*errors_, *save_, FixedSeed, *files_);
    window_->show();
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
  }
  void cleanup() { window_.reset(); }

  void StartUpStateMatchesTheDesign() {
    QCOMPARE(window_->windowTitle(), QStringLiteral("トビウオ号 シュミレーター ver 1.0"));
    QVERIFY(!window_->windowIcon().isNull());
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
  }

  void RunFillsLogSummaryChartAndProgress() {
    Click();
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
    games->setEditText(QStringLiteral("9000"));
    Click();
    QCOMPARE(errors_->messages,
             QStringList{QStringLiteral("P数は1～8000の整数で入力してください")});
    QVERIFY(games->hasFocus() && games->currentText() == QStringLiteral("9000"));
    QVERIFY(LogLines() == log && Summary() == summary);
    games->setEditText(QStringLiteral("6000"));
    Find<QComboBox>("cmb_kankin")->setCurrentIndex(4);
    auto* free_rate = Find<QLineEdit>("txt_kankin");
    free_rate->setText(QStringLiteral("0"));
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
      stock->setText(QString::fromUtf8(text));
      stock->setFocus(Qt::OtherFocusReason);
      QVERIFY(stock->hasFocus());
      Find<QCheckBox>("Chk_St")->setFocus(Qt::TabFocusReason);
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
    free_rate->setText(QStringLiteral("10"));
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
    QVERIFY(ReportBytes(EngineRun(RunInputs{}), &bytes).ok());
    QCOMPARE(ReadAll(path), QByteArray::fromStdString(bytes));

    // The report is the shown run's, whatever the setting box holds when it is saved.
    for (const QString& typed : {QStringLiteral("1"), QStringLiteral("abc")}) {
      Find<QComboBox>("cmb_Settei")->setEditText(typed);
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
    save_->answer = dir.filePath(QStringLiteral("new.txt"));
    save_->create = false;  // the create prompt declined
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
  }

 private:
  template <typename W>
  W* Find(const char* name) {
    W* widget = window_->findChild<W*>(QString::fromLatin1(name));
    if (!widget) qFatal("no widget %s", name);
    return widget;
  }
  void Click() { QTest::mouseClick(Find<QPushButton>("cmdJikkou"), Qt::LeftButton); }
  std::vector<std::string> Summary() const {
    return window_->shown_run() ? window_->shown_run()->summary : std::vector<std::string>();
  }
  std::vector<std::string> LogLines() {
    auto* list = Find<QListWidget>("lsb_data");
    std::vector<std::string> lines;
    for (int i = 0; i < list->count(); ++i) lines.push_back(list->item(i)->text().toStdString());
    return lines;
  }
  static QList<AboutDialog*> AboutDialogs() {
    QList<AboutDialog*> found;
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (auto* d = qobject_cast<AboutDialog*>(w); d && d->isVisible()) found << d;
    }
    return found;
  }

  std::unique_ptr<FakeErrors> errors_;
  std::unique_ptr<FakeSaveDialog> save_;
  std::unique_ptr<testing::FaultyFileSystem> files_;
  std::unique_ptr<MainWindow> window_;
};

}  // namespace tobiuo::ui

QTEST_MAIN(tobiuo::ui::MainWindowTest)
#include "main_window_test.moc"
