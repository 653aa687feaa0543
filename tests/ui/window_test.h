// SPDX-License-Identifier: GPL-3.0-or-later
// What the window tests share: fakes for the window's dialogs, the engine's own run for
// comparison, and a base that opens a fresh main window before each test (the other windows are
// opened from its menu, as a player opens them) and helpers that act as a player does.
#pragma once

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include "engine/run.h"
#include "tests/fakes.h"
#include "ui/about_dialog.h"
#include "ui/dialogs.h"
#include "ui/main_window.h"
#include "ui/stats_window.h"

namespace tobiuo::ui {

inline constexpr uint32_t kSeed = 20261206;

class FakeErrors final : public ErrorReporter {
 public:
  void ShowError(QWidget*, const QString& text) override { messages << text; }
  QStringList messages;
};

class FakeSeedQuestion final : public SeedQuestion {
 public:
  std::optional<QString> AskSeed(QWidget*, const QString& typed) override {
    offered << typed;
    return answers.isEmpty() ? std::nullopt : answers.takeFirst();
  }
  QList<std::optional<QString>> answers;  // one per question in turn; none left: cancelled
  QStringList offered;                    // the text each question opened with
};

class FakeSaveDialog final : public SaveDialog {
 public:
  std::optional<QString> ChooseFile(QWidget*, const SaveDialogSetup& setup, bool reopen) override {
    reopened << reopen;
    last_setup = setup;
    return answer;
  }
  bool ConfirmCreate(QWidget*, const QString& path) override {
    confirmed << path;
    return creates.isEmpty() || creates.takeFirst();
  }
  std::optional<QString> answer;
  QList<bool> creates;  // the create prompt's answers in turn; yes once they run out
  QList<bool> reopened;
  QStringList confirmed;
  SaveDialogSetup last_setup;
};

// The same run played by the engine alone, for comparison with the window.
inline RunRecord EngineRun(RunInputs inputs) {
  inputs.seed = std::to_string(kSeed);
  RunPlan plan;
  if (!ValidateInputs(inputs, &plan).ok()) qFatal("refused inputs");
  return PlayRun(plan, Keep::kRecord);
}

inline std::unique_ptr<RandomSource> FixedSeed(uint32_t) {
  return std::make_unique<Mt19937Source>(kSeed);
}

inline QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class WindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    errors_ = std::make_unique<FakeErrors>();
    save_ = std::make_unique<FakeSaveDialog>();
    files_ = std::make_unique<testing::FaultyFileSystem>();
    seed_ = std::make_unique<FakeSeedQuestion>();
    window_ = std::make_unique<MainWindow>(*errors_, *save_, FixedSeed, *files_, seed_.get());
    window_->show();
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
  }
  void cleanup() { window_.reset(); }

 protected:
  template <typename W>
  W* Find(const char* name) {
    W* widget = window_->findChild<W*>(QString::fromLatin1(name));
    if (!widget) qFatal("no widget %s", name);
    return widget;
  }
  void Click() { QTest::mouseClick(Find<QPushButton>("cmdJikkou"), Qt::LeftButton); }
  // Selects the field's text and types over it key by key, as a player does.
  static void Type(QWidget* field, const QString& text) {
    field->setFocus(Qt::TabFocusReason);
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    for (const QChar c : text) {  // a full-width character comes from the input method as text
      QTest::sendKeyEvent(QTest::Click, field,
                          c.unicode() < 0x80 ? Qt::Key(c.toUpper().unicode()) : Qt::Key_unknown,
                          QString(c), Qt::NoModifier);
    }
  }
  // The name of the focused control (a combo box's, when its edit field has the focus).
  static QString Focused() {
    QWidget* w = QApplication::focusWidget();
    if (w && qobject_cast<QComboBox*>(w->parentWidget())) w = w->parentWidget();
    return w ? w->objectName() : QString();
  }
  // The controls that Tab visits from the focused one until it comes back round.
  static QStringList TabCycle() {
    QStringList seen = {Focused()};
    for (int i = 0; i < 20; ++i) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      if (Focused() == seen.front()) break;
      seen << Focused();
    }
    // Start the list at 設定 or the log, whichever comes first in the order.
    const qsizetype first = std::max(seen.indexOf(QStringLiteral("lsb_data")), qsizetype{0});
    const qsizetype settei = seen.indexOf(QStringLiteral("cmb_Settei"));
    const qsizetype at = seen.contains(QStringLiteral("lsb_data")) ? first : settei;
    return seen.mid(at) + seen.mid(0, at);
  }
  // Opens a window of the 分析 menu; a second choice brings back the same window.
  template <typename W>
  W* Open(const char* action) {
    Find<QAction>(action)->trigger();
    Find<QAction>(action)->trigger();
    const QList<W*> all = window_->findChildren<W*>();
    if (all.size() != 1 || !all[0]->isVisible()) qFatal("not one window shown for %s", action);
    return all[0];
  }
  StatsWindow* OpenStats() { return Open<StatsWindow>("menu_stats"); }
  static void RunStats(StatsWindow* stats) {
    QSignalSpy ended(stats, &StatsWindow::BatchEnded);
    stats->findChild<QPushButton*>("run")->click();
    QVERIFY(ended.wait(20000));
  }
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
  std::unique_ptr<FakeSeedQuestion> seed_;
  std::unique_ptr<MainWindow> window_;
};

}  // namespace tobiuo::ui
