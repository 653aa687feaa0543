// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/history_editor.h"

#include <QAbstractTableModel>
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
#include <QStyledItemDelegate>
#include <QTableView>
#include <set>

#include "base/fields.h"
#include "engine/run.h"
#include "ui/widget_helpers.h"

namespace tobiuo::ui {
namespace {

enum Column { kHamari, kGame, kBonus, kTrigger };

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

QString Label(Trigger trigger) {
  const std::string_view label = NameOf(trigger).label;
  return QString::fromUtf8(label.data(), static_cast<qsizetype>(label.size()));
}

// Edits a row's BIG/REG and 契機 with the same boxes as the entry line.
class ChoiceDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override {
    if (index.column() == kBonus) return BonusBox(parent);
    if (index.column() == kTrigger) return TriggerBox(parent);
    return QStyledItemDelegate::createEditor(parent, option, index);
  }
  void setEditorData(QWidget* editor, const QModelIndex& index) const override {
    auto* box = static_cast<QComboBox*>(editor);
    const int value = index.data(Qt::EditRole).toInt();
    box->setCurrentIndex(index.column() == kBonus ? value : box->findData(value));
  }
  void setModelData(QWidget* editor, QAbstractItemModel* model,
                    const QModelIndex& index) const override {
    auto* box = static_cast<QComboBox*>(editor);
    model->setData(index, index.column() == kBonus ? box->currentIndex() : box->currentData(),
                   Qt::EditRole);
  }
};

}  // namespace

// The rows as typed; the games are worked out from them after every change.
class HistoryModel : public QAbstractTableModel {
 public:
  struct Row {
    int32_t number = 0;    // as typed
    bool is_game = false;  // a game of the run, else a ハマり
    bool big = false;
    Trigger trigger = Trigger::kUnknown;
  };

  using QAbstractTableModel::QAbstractTableModel;
  int rowCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
  }
  int columnCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : 4;
  }
  QVariant data(const QModelIndex& index, int role) const override {
    const auto r = static_cast<size_t>(index.row());
    const Row& row = rows_[r];
    if (role == Qt::EditRole && index.column() == kBonus) return row.big ? 0 : 1;
    if (role == Qt::EditRole && index.column() == kTrigger) return static_cast<int>(row.trigger);
    if (role != Qt::DisplayRole) return {};
    switch (index.column()) {
      case kHamari:
        return games_[r] - (r == 0 ? 0 : games_[r - 1]);
      case kGame:
        return games_[r];
      case kBonus:
        return row.big ? QStringLiteral("BIG") : QStringLiteral("REG");
      default:
        return Label(row.trigger);
    }
  }
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (orientation == Qt::Vertical) {
      return role == Qt::DisplayRole ? QVariant(section + 1) : QVariant();
    }
    static const QString kTitles[] = {QStringLiteral("ハマり"), QStringLiteral("ゲーム"),
                                      QStringLiteral("ボーナス"), QStringLiteral("契機")};
    if (role == Qt::DisplayRole) return kTitles[section];
    if (role == Qt::ToolTipRole && section == kGame) {
      return QStringLiteral("プレイの何ゲーム目か（ハマりの合計）");
    }
    if (role == Qt::ToolTipRole && section == kHamari) {
      return QStringLiteral(
          "前のボーナスからのゲーム数（データカウンターと同じ数え方）。\n"
          "最初の解除だけは、メイン画面のログの「実際解除P」より1大きくなります\n"
          "（ログは最初の解除までを1つ少なく数えます）");
    }
    return {};
  }
  Qt::ItemFlags flags(const QModelIndex& index) const override {
    const Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    return index.column() >= kBonus ? flags | Qt::ItemIsEditable : flags;
  }
  bool setData(const QModelIndex& index, const QVariant& value, int role) override {
    if (role != Qt::EditRole || index.column() < kBonus) return false;
    Row& row = rows_[static_cast<size_t>(index.row())];
    if (index.column() == kBonus) {
      row.big = value.toInt() == 0;
    } else {
      row.trigger = static_cast<Trigger>(value.toInt());
    }
    emit dataChanged(index, index);
    return true;
  }

  std::vector<HistoryRelease> Releases() const {
    std::vector<HistoryRelease> releases;
    releases.reserve(rows_.size());
    for (size_t r = 0; r < rows_.size(); ++r) {
      releases.push_back({games_[r], rows_[r].big, rows_[r].trigger});
    }
    return releases;
  }
  int32_t LastGame() const { return games_.empty() ? 0 : games_.back(); }
  void Append(const std::vector<Row>& rows) {
    if (rows.empty()) return;
    const int first = rowCount();
    beginInsertRows({}, first, first + static_cast<int>(rows.size()) - 1);
    rows_.insert(rows_.end(), rows.begin(), rows.end());
    CountGames();
    endInsertRows();
  }
  void Reset(std::vector<Row> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    CountGames();
    endResetModel();
  }
  // Removes the rows (ascending, distinct) as one change.
  void Remove(const std::set<int>& rows) {
    std::vector<Row> kept;
    for (size_t r = 0; r < rows_.size(); ++r) {
      if (!rows.count(static_cast<int>(r))) kept.push_back(rows_[r]);
    }
    Reset(std::move(kept));
  }

 private:
  void CountGames() {
    games_.resize(rows_.size());
    int32_t game = 0;
    for (size_t r = 0; r < rows_.size(); ++r) {
      game = rows_[r].is_game ? rows_[r].number : game + rows_[r].number;
      games_[r] = game;
    }
  }

  std::vector<Row> rows_;
  std::vector<int32_t> games_;
};

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
  model_ = new HistoryModel(this);
  table_ = Named(new QTableView(this), "history");
  table_->setModel(model_);
  table_->setItemDelegate(new ChoiceDelegate(table_));
  table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setTabKeyNavigation(false);
  table_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                          QAbstractItemView::EditKeyPressed);
  table_->verticalHeader()->setVisible(true);

  auto* layout = new QGridLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  // the entry on two lines, so that the bars beside the editor keep their room
  layout->addWidget(hamari_field_, 0, 0, 1, 3);
  layout->addWidget(add, 0, 3);
  layout->addWidget(counted_as_, 1, 0);
  layout->addWidget(bonus_box_, 1, 1);
  layout->addWidget(trigger_box_, 1, 2, 1, 2);
  // why a ハマり typed or pasted was not added, where the player is looking
  message_ = Named(new QLabel(this), "hamari_message");
  message_->setWordWrap(true);
  message_->setStyleSheet(QStringLiteral("QLabel { color: #b00020; }"));
  message_->hide();
  layout->addWidget(message_, 2, 0, 1, 4);
  layout->addWidget(table_, 3, 0, 1, 4);
  layout->addWidget(remove, 4, 2);
  layout->addWidget(paste, 4, 3);
  layout->setColumnStretch(0, 1);

  connect(model_, &QAbstractItemModel::dataChanged, this, &HistoryEditor::Changed);
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

std::vector<HistoryRelease> HistoryEditor::Releases() const { return model_->Releases(); }

void HistoryEditor::SetReleases(const std::vector<HistoryRelease>& releases) {
  std::vector<HistoryModel::Row> rows;
  int32_t previous = 0;
  for (const HistoryRelease& r : releases) {
    rows.push_back({r.game - previous, false, r.big, r.trigger});
    previous = r.game;
  }
  model_->Reset(std::move(rows));
  emit Changed();
}

void HistoryEditor::Say(const QString& refusal) {
  message_->setText(refusal);
  message_->setVisible(!refusal.isEmpty());
  hamari_field_->setStyleSheet(
      refusal.isEmpty() ? QString() : QStringLiteral("QLineEdit { background: #ffe0e0; }"));
}

void HistoryEditor::AddTyped() {
  int64_t number = 0;
  const FieldName field{"hamari", counted_as_->currentIndex() == 0 ? "ハマり" : "ゲーム数"};
  const int32_t last = model_->LastGame();
  Status s = ReadWholeField(hamari_field_->text().toStdString(), field, 1, kMaxGames, &number);
  if (s.ok() && counted_as_->currentIndex() == 1) {
    if (number <= last) {
      s = Refuse(field,
                 "ゲーム数は前の解除（" + std::to_string(last) + "ゲーム目）より後にしてください");
    }
  }
  if (!s.ok()) {
    Say(QString::fromStdString(s.message()));
    return;
  }
  Say(QString());
  model_->Append({{static_cast<int32_t>(number), counted_as_->currentIndex() == 1,
                   bonus_box_->currentIndex() == 0, TriggerOf(trigger_box_)}});
  hamari_field_->clear();
  table_->scrollToBottom();
  emit Changed();
}

bool HistoryEditor::AddPasted(const QString& text) {
  static const QRegularExpression kSeparators(QStringLiteral("[\\s,，、]+"));
  static const QRegularExpression kToken(QStringLiteral("^(\\d+)(B|BIG|R|REG)?$"),
                                         QRegularExpression::CaseInsensitiveOption);
  std::vector<HistoryModel::Row> read;
  for (const QString& token :
       text.normalized(QString::NormalizationForm_KC).split(kSeparators, Qt::SkipEmptyParts)) {
    const QRegularExpressionMatch m = kToken.match(token);
    const int hamari = m.hasMatch() ? m.captured(1).toInt() : 0;
    if (hamari < 1 || hamari > kMaxGames) {
      Say(QStringLiteral("「%1」はハマりとして読めません。1～8000の数字（REGは「230R」、BIGは"
                         "「230B」）を空白か改行で区切って貼り付けてください。何も追加していません")
              .arg(token));
      return false;
    }
    const QString kind = m.captured(2).toUpper();
    read.push_back({hamari, false,
                    kind.isEmpty() ? bonus_box_->currentIndex() == 0 : kind[0] == 'B',
                    TriggerOf(trigger_box_)});
  }
  if (read.empty()) {
    Say(QStringLiteral("クリップボードにハマりがありません"));
    return false;
  }
  Say(QString());
  model_->Append(read);
  table_->scrollToBottom();
  emit Changed();
  return true;
}

void HistoryEditor::RemoveSelected() {
  std::set<int> rows;
  for (const QModelIndex& index : table_->selectionModel()->selectedRows())
    rows.insert(index.row());
  if (rows.empty()) return;
  model_->Remove(rows);
  emit Changed();
}

}  // namespace tobiuo::ui
