// The window's modal questions to the player, behind small interfaces so that tests can answer
// them without a person: the error message box, and the save dialog with its create prompt.
#pragma once

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
};

class SaveDialog {
 public:
  virtual ~SaveDialog() = default;
  // The chosen path, or nothing when the player cancels. Does not ask before replacing a file.
  virtual std::optional<QString> ChooseFile(QWidget* parent, const SaveDialogSetup& setup) = 0;
  // Asked before a file that does not exist yet is created; false means do not create it.
  virtual bool ConfirmCreate(QWidget* parent, const QString& path) = 0;
};

// The platform's message box and file dialog.
class QtErrorReporter final : public ErrorReporter {
 public:
  void ShowError(QWidget* parent, const QString& text) override;
};

class QtSaveDialog final : public SaveDialog {
 public:
  std::optional<QString> ChooseFile(QWidget* parent, const SaveDialogSetup& setup) override;
  bool ConfirmCreate(QWidget* parent, const QString& path) override;
};

}  // namespace tobiuo::ui
