// SPDX-License-Identifier: GPL-3.0-or-later
// The window's modal questions to the player, behind small interfaces so that tests can answer
// them without a person: the error message box, and the save dialog with its create prompt.
#pragma once

#include <QFileDialog>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

namespace tobiuo::ui {

// Shows a modal message box with the critical icon, an OK button and the title "エラー".
class ErrorReporter {
 public:
  virtual ~ErrorReporter() = default;
  virtual void ShowError(QWidget* parent, const QString& text) = 0;
};

// How the save dialog opens: its filters in order, the one selected, the proposed file name.
struct SaveDialogSetup {
  QStringList filters;
  int selected_filter = 0;  // index into filters
  QString file_name;
  QString suffix;  // added to a name chosen without one ("csv"); none when empty
};

// Asks for the seed of a run to replay, the field holding `typed` (what the player typed before a
// refusal); nothing when the player cancels.
class SeedQuestion {
 public:
  virtual ~SeedQuestion() = default;
  virtual std::optional<QString> AskSeed(QWidget* parent, const QString& typed) = 0;
};

class QtSeedQuestion final : public SeedQuestion {
 public:
  std::optional<QString> AskSeed(QWidget* parent, const QString& typed) override;
};

class SaveDialog {
 public:
  virtual ~SaveDialog() = default;
  // The chosen path, or nothing when the player cancels. Opens the dialog set up afresh, or, with
  // `reopen`, as the player left it last time (its folder and typed name). A name in a folder that
  // does not exist is refused in the dialog. Does not ask before replacing a file.
  virtual std::optional<QString> ChooseFile(QWidget* parent, const SaveDialogSetup& setup,
                                            bool reopen) = 0;
  // Asked before a file that does not exist yet is created; false means do not create it.
  virtual bool ConfirmCreate(QWidget* parent, const QString& path) = 0;
};

// What every window's 保存 asks: the file, and, for a file that does not exist yet, whether to
// create it; declining returns to the dialog as the player left it. A name without a suffix gets
// the setup's. Nothing when cancelled.
std::optional<QString> AskFileToSave(SaveDialog& dialog, QWidget* parent,
                                     const SaveDialogSetup& setup);

// Qt's own file dialog (not the desktop's, which Qt's translations do not reach) in save mode,
// refusing a name whose folder does not exist before the dialog closes.
class SaveFileDialog : public QFileDialog {
  Q_OBJECT

 public:
  SaveFileDialog(QWidget* parent, ErrorReporter& errors);

 public slots:
  void accept() override;

 private:
  ErrorReporter& errors_;
};

// The platform's message box and file dialog.
class QtErrorReporter final : public ErrorReporter {
 public:
  void ShowError(QWidget* parent, const QString& text) override;
};

class QtSaveDialog final : public SaveDialog {
 public:
  explicit QtSaveDialog(ErrorReporter& errors) : errors_(errors) {}
  ~QtSaveDialog() override;
  std::optional<QString> ChooseFile(QWidget* parent, const SaveDialogSetup& setup,
                                    bool reopen) override;
  bool ConfirmCreate(QWidget* parent, const QString& path) override;

 private:
  ErrorReporter& errors_;
  QPointer<SaveFileDialog> dialog_;  // kept between reopenings of one save
};

}  // namespace tobiuo::ui
