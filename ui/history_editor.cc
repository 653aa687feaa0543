// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/history_editor.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QShortcut>
#include <QTableWidget>
#include <set>

#include "base/fields.h"
#include "engine/run.h"

namespace tobiuo::ui {
namespace {

enum Column { kHamari, kGame, kBonus, kTrigger };

template <typename W>
W* Named(W* widget, const char* name) {
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

QComboBox* BonusBox(QWidget* parent) {
  auto* box = new QComboBox(parent);
  box->addItems({QStringLiteral("BIG"), QStringLiteral("REG")});
  return box;
}

QComboBox* TriggerBox(QWidget* parent) {
  auto* box = new QComboBox(parent);
  for (const TriggerName& name : kTriggerNames) {
    box->addItem(QString::fromUtf8(name.label.data(), static_cast<qsizetype>(name.label.size())),
                 static_cast<int>(name.trigger));
  }
  box->setCurrentIndex(box->findData(static_cast<int>(Trigger::kUnknown)));
  return box;
}

Trigger TriggerOf(const QComboBox* box) { return static_cast<Trigger>(box->currentData().toInt()); }

}  // namespace

HistoryEditor::HistoryEditor(QWidget* parent) : QWidget(parent) {
  hamari_field_ = Named(new QLineEdit(this), "hamari");
  hamari_field_->setPlaceholderText(QStringLiteral("数字を入れてEnter"));
  counted_as_ = Named(new QComboBox(this), "counted_as");
  counted_as_->addItems({QStringLiteral("ハマり"), QStringLiteral("ゲーム数")});
  counted_as_->setToolTip(
      QStringLiteral("ハマり: 前のボーナスからのゲーム数（最初はプレイの始めから）\n"
                     "ゲーム数: プレイの何ゲーム目に解除されたか"));
  bonus_box_ = Named(BonusBox(this), "bonus");
  trigger_box_ = Named(TriggerBox(this), "trigger");
  trigger_box_->setToolTip(
      QStringLiteral("解除したゲームに見えたもの。\nチェリー: 払い出しのあったチェリー\n"
                     "なし: 何も見えなかった（規定ゲーム数での解除、払い出しのないチェリー解除）\n"
                     "不明: 見ていない"));
  auto* add = Named(new QPushButton(QStringLiteral("追加"), this), "add_release");
  auto* remove = Named(new QPushButton(QStringLiteral("削除"), this), "remove_release");
  auto* paste = Named(new QPushButton(QStringLiteral("ハマりを貼り付け"), this), "paste_hamari");
  paste->setToolTip(
      QStringLiteral("「123 45 230」や1行に1つのハマりの一覧を貼り付けます。\n"
                     "「230R」はREG、「230B」はBIG、数字だけなら上のボーナスと契機で"
                     "追加します"));
  table_ = Named(new QTableWidget(0, 4, this), "history");
  table_->setHorizontalHeaderLabels({QStringLiteral("ハマり"), QStringLiteral("ゲーム"),
                                     QStringLiteral("ボーナス"), QStringLiteral("契機")});
  table_->horizontalHeaderItem(kGame)->setToolTip(
      QStringLiteral("プレイの何ゲーム目か（ハマりの合計）"));
  table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->verticalHeader()->setVisible(true);

  auto* layout = new QGridLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(hamari_field_, 0, 0);
  layout->addWidget(counted_as_, 0, 1);
  layout->addWidget(bonus_box_, 0, 2);
  layout->addWidget(trigger_box_, 0, 3);
  layout->addWidget(add, 0, 4);
  layout->addWidget(table_, 1, 0, 1, 5);
  layout->addWidget(remove, 2, 3);
  layout->addWidget(paste, 2, 4);
  layout->setColumnStretch(0, 1);

  connect(hamari_field_, &QLineEdit::returnPressed, this, &HistoryEditor::AddTyped);
  connect(add, &QPushButton::clicked, this, &HistoryEditor::AddTyped);
  connect(remove, &QPushButton::clicked, this, &HistoryEditor::RemoveSelected);
  connect(paste, &QPushButton::clicked, this,
          [this] { AddPasted(QApplication::clipboard()->text()); });
  auto* del = new QShortcut(QKeySequence::Delete, table_, nullptr, nullptr, Qt::WidgetShortcut);
  connect(del, &QShortcut::activated, this, &HistoryEditor::RemoveSelected);
  auto* paste_keys =
      new QShortcut(QKeySequence::Paste, table_, nullptr, nullptr, Qt::WidgetShortcut);
  connect(paste_keys, &QShortcut::activated, this,
          [this] { AddPasted(QApplication::clipboard()->text()); });
}

std::vector<HistoryRelease> HistoryEditor::Releases() const {
  std::vector<HistoryRelease> releases;
  int32_t game = 0;
  for (int row = 0; row < table_->rowCount(); ++row) {
    game += table_->item(row, kHamari)->text().toInt();
    const auto* bonus = static_cast<QComboBox*>(table_->cellWidget(row, kBonus));
    const auto* trigger = static_cast<QComboBox*>(table_->cellWidget(row, kTrigger));
    releases.push_back({game, bonus->currentIndex() == 0, TriggerOf(trigger)});
  }
  return releases;
}

void HistoryEditor::SetReleases(const std::vector<HistoryRelease>& releases) {
  QSignalBlocker quiet(this);
  table_->setRowCount(0);
  int32_t previous = 0;
  for (const HistoryRelease& r : releases) {
    AddRow(r.game - previous, r.big, r.trigger);
    previous = r.game;
  }
  Renumber();
  quiet.unblock();
  emit Changed();
}

void HistoryEditor::AddTyped() {
  int64_t number = 0;
  const FieldName field{"hamari", counted_as_->currentIndex() == 0 ? "ハマり" : "ゲーム数"};
  const std::vector<HistoryRelease> releases = Releases();
  const int32_t last = releases.empty() ? 0 : releases.back().game;
  Status s = ReadWholeField(hamari_field_->text().toStdString(), field, 1, kMaxGames, &number);
  if (s.ok() && counted_as_->currentIndex() == 1) {
    if (number <= last) {
      s = Refuse(field,
                 "ゲーム数は前の解除（" + std::to_string(last) + "ゲーム目）より後にしてください");
    }
    number -= last;
  }
  if (!s.ok()) {
    hamari_field_->setToolTip(QString::fromStdString(s.message()));
    hamari_field_->setStyleSheet(QStringLiteral("QLineEdit { background: #ffe0e0; }"));
    return;
  }
  hamari_field_->setToolTip(QString());
  hamari_field_->setStyleSheet(QString());
  AddRow(static_cast<int>(number), bonus_box_->currentIndex() == 0, TriggerOf(trigger_box_));
  hamari_field_->clear();
  Renumber();
  table_->scrollToBottom();
  emit Changed();
}

bool HistoryEditor::AddPasted(const QString& text) {
  static const QRegularExpression kSeparators(QStringLiteral("[\\s,，、]+"));
  static const QRegularExpression kToken(QStringLiteral("^(\\d+)(B|BIG|R|REG)?$"),
                                         QRegularExpression::CaseInsensitiveOption);
  std::vector<std::pair<int, bool>> read;
  for (const QString& token :
       text.normalized(QString::NormalizationForm_KC).split(kSeparators, Qt::SkipEmptyParts)) {
    const QRegularExpressionMatch m = kToken.match(token);
    const int hamari = m.hasMatch() ? m.captured(1).toInt() : 0;
    if (hamari < 1 || hamari > kMaxGames) return false;
    const QString kind = m.captured(2).toUpper();
    read.emplace_back(hamari, kind.isEmpty() ? bonus_box_->currentIndex() == 0 : kind[0] == 'B');
  }
  if (read.empty()) return false;
  for (const auto& [hamari, big] : read) AddRow(hamari, big, TriggerOf(trigger_box_));
  Renumber();
  emit Changed();
  return true;
}

void HistoryEditor::AddRow(int hamari, bool big, Trigger trigger) {
  const int row = table_->rowCount();
  table_->insertRow(row);
  table_->setItem(row, kHamari, new QTableWidgetItem(QString::number(hamari)));
  table_->setItem(row, kGame, new QTableWidgetItem);
  auto* bonus = BonusBox(table_);
  bonus->setCurrentIndex(big ? 0 : 1);
  auto* trigger_box = TriggerBox(table_);
  trigger_box->setCurrentIndex(trigger_box->findData(static_cast<int>(trigger)));
  table_->setCellWidget(row, kBonus, bonus);
  table_->setCellWidget(row, kTrigger, trigger_box);
  connect(bonus, &QComboBox::currentIndexChanged, this, &HistoryEditor::Changed);
  connect(trigger_box, &QComboBox::currentIndexChanged, this, &HistoryEditor::Changed);
}

void HistoryEditor::RemoveSelected() {
  std::set<int> rows;
  for (const QModelIndex& index : table_->selectionModel()->selectedRows())
    rows.insert(index.row());
  if (rows.empty()) return;
  for (auto row = rows.rbegin(); row != rows.rend(); ++row) table_->removeRow(*row);
  Renumber();
  emit Changed();
}

void HistoryEditor::Renumber() {
  int game = 0;
  for (int row = 0; row < table_->rowCount(); ++row) {
    game += table_->item(row, kHamari)->text().toInt();
    table_->item(row, kGame)->setText(QString::number(game));
  }
}

}  // namespace tobiuo::ui
