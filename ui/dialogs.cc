// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/dialogs.h"

#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>

namespace tobiuo::ui {

void QtErrorReporter::ShowError(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::Critical, QStringLiteral("エラー"), text, QMessageBox::Ok, parent);
  box.exec();
}

SaveFileDialog::SaveFileDialog(QWidget* parent, ErrorReporter& errors)
    : QFileDialog(parent), errors_(errors) {
  setAcceptMode(QFileDialog::AcceptSave);
  setFileMode(QFileDialog::AnyFile);
  setOption(QFileDialog::DontUseNativeDialog);
  setOption(QFileDialog::DontConfirmOverwrite);
}

void SaveFileDialog::accept() {
  const QStringList files = selectedFiles();
  if (!files.isEmpty()) {
    const QFileInfo chosen(files.constFirst());
    if (!chosen.isDir() && !chosen.absoluteDir().exists()) {
      errors_.ShowError(
          this, QStringLiteral("フォルダ「%1」が見つかりません。\nフォルダ名を確認してください。")
                    .arg(chosen.absolutePath()));
      return;
    }
  }
  QFileDialog::accept();
}

QtSaveDialog::~QtSaveDialog() { delete dialog_; }

std::optional<QString> QtSeedQuestion::AskSeed(QWidget* parent, const QString& typed) {
  bool ok = false;
  const QString seed = QInputDialog::getText(parent, QStringLiteral("シードを指定して実行"),
                                             QStringLiteral("シード (0～4294967295):"),
                                             QLineEdit::Normal, typed, &ok);
  if (!ok) return std::nullopt;
  return seed;
}

std::optional<QString> AskFileToSave(SaveDialog& dialog, QWidget* parent,
                                     const SaveDialogSetup& setup) {
  for (bool reopen = false;; reopen = true) {
    std::optional<QString> path = dialog.ChooseFile(parent, setup, reopen);
    if (!path || path->isEmpty()) return std::nullopt;
    if (!setup.suffix.isEmpty() && QFileInfo(*path).suffix().isEmpty()) {
      *path += QLatin1Char('.') + setup.suffix;
    }
    if (QFileInfo::exists(*path) || dialog.ConfirmCreate(parent, *path)) return path;
  }
}

std::optional<QString> QtSaveDialog::ChooseFile(QWidget* parent, const SaveDialogSetup& setup,
                                                bool reopen) {
  if (!reopen || !dialog_) {
    delete dialog_;
    dialog_ = new SaveFileDialog(parent, errors_);
    dialog_->setNameFilters(setup.filters);
    if (setup.selected_filter >= 0 && setup.selected_filter < setup.filters.size()) {
      dialog_->selectNameFilter(setup.filters[setup.selected_filter]);
    }
    dialog_->selectFile(setup.file_name);
  }
  if (dialog_->exec() != QDialog::Accepted || dialog_->selectedFiles().isEmpty()) {
    return std::nullopt;
  }
  return dialog_->selectedFiles().constFirst();
}

bool QtSaveDialog::ConfirmCreate(QWidget* parent, const QString& path) {
  const QString text =
      path + QStringLiteral("\nこのファイルは存在しません。\nファイルを作成しますか？");
  return QMessageBox::question(parent, QStringLiteral("名前を付けて保存"), text,
                               QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

}  // namespace tobiuo::ui
