#include "ui/dialogs.h"

#include <QFileDialog>
#include <QMessageBox>

namespace tobiuo::ui {

void QtErrorReporter::ShowError(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::Critical, QStringLiteral("エラー"), text, QMessageBox::Ok, parent);
  box.exec();
}

std::optional<QString> QtSaveDialog::ChooseFile(QWidget* parent, const SaveDialogSetup& setup) {
  QFileDialog dialog(parent);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  dialog.setNameFilters(setup.filters);
  if (setup.selected_filter >= 0 && setup.selected_filter < setup.filters.size()) {
    dialog.selectNameFilter(setup.filters[setup.selected_filter]);
  }
  dialog.selectFile(setup.file_name);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().constFirst();
}

bool QtSaveDialog::ConfirmCreate(QWidget* parent, const QString& path) {
  const QString text =
      path + QStringLiteral("\nこのファイルは存在しません。\nファイルを作成しますか?");
  return QMessageBox::question(parent, QStringLiteral("名前を付けて保存"), text,
                               QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

}  // namespace tobiuo::ui
