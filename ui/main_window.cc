#include "ui/main_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>

#include "engine/number_text.h"
#include "engine/report.h"
#include "ui/about_dialog.h"
#include "ui/coin_chart.h"
#include "ui/dialogs.h"
#include "ui/summary_label.h"

namespace tobiuo::ui {
namespace {

constexpr int kOtherRateIndex = 4;

QString Q(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }
std::string S(const QString& text) { return text.toStdString(); }

// Places a widget by its design position in pixels.
template <typename W>
W* Place(W* widget, const char* name, int left, int top, int width, int height) {
  widget->setObjectName(QString::fromLatin1(name));
  widget->setGeometry(left, top, width, height);
  return widget;
}

QComboBox* DropDown(QWidget* parent) {
  auto* combo = new QComboBox(parent);
  combo->setEditable(true);
  combo->setInsertPolicy(QComboBox::NoInsert);
  return combo;
}

}  // namespace

std::unique_ptr<RandomSource> MainWindow::FreshRandom() {
  return std::make_unique<Mt19937Source>(ChooseRunSeed());
}

MainWindow::MainWindow(ErrorReporter& errors, SaveDialog& save_dialog, RandomFactory make_random)
    : errors_(errors), save_dialog_(save_dialog), make_random_(std::move(make_random)) {
  setObjectName(QStringLiteral("main"));
  setWindowTitle(QStringLiteral("トビウオ号 シュミレーター ver 1.0"));
  setWindowIcon(QIcon(QStringLiteral(":/tobiuo.xpm")));
  BuildWidgets();
  BuildMenu();
  SetTabOrder();
  Form_Load();
}

MainWindow::~MainWindow() {
  if (about_) about_->close();
}

void MainWindow::BuildWidgets() {
  auto* client = new QWidget(this);
  client->setFixedSize(955, 641);  // 14325 x 9615 twips
  setCentralWidget(client);

  Crt_data = Place(new CoinChart(client), "Crt_data", 6, 3, 757, 547);
  lsb_data = Place(new QListWidget(client), "lsb_data", 6, 555, 760, 64);
  lsb_data->setUniformItemSizes(true);
  QPalette log_palette = lsb_data->palette();
  log_palette.setColor(QPalette::Base, QApplication::palette("QMenu").color(QPalette::Window));
  lsb_data->setPalette(log_palette);
  lsb_data->hide();
  Pb_Sts = Place(new QProgressBar(client), "Pb_Sts", 9, 624, 940, 16);
  Pb_Sts->setTextVisible(false);
  Pb_Sts->setRange(0, 100);
  Pb_Sts->setValue(0);

  Frame1 = Place(new QGroupBox(QStringLiteral("設定"), client), "Frame1", 771, 0, 184, 619);
  BuildInputColumn(Frame1);
}

void MainWindow::BuildInputColumn(QWidget* frame) {
  Label1 = Place(new QLabel(QStringLiteral("設定"), frame), "Label1", 15, 18, 34, 13);
  cmb_Settei = Place(DropDown(frame), "cmb_Settei", 60, 15, 52, 20);
  Label2 = Place(new QLabel(QStringLiteral("P数"), frame), "Label2", 15, 42, 31, 13);
  cmb_p = Place(DropDown(frame), "cmb_p", 60, 39, 61, 20);
  Label6 = Place(new QLabel(QStringLiteral("P"), frame), "Label6", 126, 42, 25, 16);
  Label7 = Place(new QLabel(QStringLiteral("換金率"), frame), "Label7", 12, 63, 43, 16);
  cmb_kankin = Place(DropDown(frame), "cmb_kankin", 60, 63, 61, 20);
  Label9[0] = Place(new QLabel(QStringLiteral("枚交換"), frame), "Label9(0)", 123, 66, 43, 16);
  txt_kankin = Place(new QLineEdit(frame), "txt_kankin", 60, 87, 58, 18);
  Label9[1] = Place(new QLabel(QStringLiteral("枚交換"), frame), "Label9(1)", 123, 87, 43, 16);

  Frame2 = Place(new QGroupBox(QStringLiteral("詳細設定"), frame), "Frame2", 9, 108, 154, 82);
  BuildDetailFrame(Frame2);

  cmdJikkou = Place(new QPushButton(QStringLiteral("実    行"), frame), "cmdJikkou", 9, 198, 169, 31);
  Label8 = Place(new QLabel(QStringLiteral("結  果"), frame), "Label8", 6, 243, 175, 16);
  lbl_kekka = Place(new SummaryLabel(frame), "lbl_kekka", 6, 261, 175, 352);

  connect(cmdJikkou, &QPushButton::clicked, this, &MainWindow::cmdJikkou_Click);
  connect(cmb_kankin, &QComboBox::currentIndexChanged, this, &MainWindow::cmb_kankin_Click);
  connect(cmb_kankin, &QComboBox::editTextChanged, this, &MainWindow::cmb_kankin_Click);
  cmb_kankin->installEventFilter(this);
}

void MainWindow::BuildDetailFrame(QWidget* frame) {
  Chk_St = Place(new QCheckBox(QStringLiteral("設定変更あり"), frame), "Chk_St", 15, 18, 130, 19);
  chk_st2 = Place(new QCheckBox(QStringLiteral("ストッククリア"), frame), "chk_st2", 15, 39, 130, 16);
  Label5 = Place(new QLabel(QStringLiteral("初期ストック数"), frame), "Label5", 15, 57, 82, 16);
  txt_st = Place(new QLineEdit(QStringLiteral("20"), frame), "txt_st", 102, 54, 28, 16);
  Label3 = Place(new QLabel(QStringLiteral("ボーナス終了後\nのヤメ時"), frame), "Label3", 3, 69, 97, 25);
  txtYame = Place(new QLineEdit(QStringLiteral("0"), frame), "txtYame", 87, 69, 49, 19);
  Label4 = Place(new QLabel(QStringLiteral("P"), frame), "Label4", 138, 72, 13, 16);
  for (QWidget* hidden : std::initializer_list<QWidget*>{Label3, txtYame, Label4}) hidden->hide();

  connect(chk_st2, &QCheckBox::stateChanged, this, &MainWindow::chk_st2_Click);
  txt_st->installEventFilter(this);
}

void MainWindow::BuildMenu() {
  menu_file = menuBar()->addMenu(QStringLiteral("ファイル"));
  menu_file->setObjectName(QStringLiteral("menu_file"));
  menu_file->menuAction()->setObjectName(QStringLiteral("menu_file_action"));
  menu_file->setEnabled(false);
  menu_file->menuAction()->setEnabled(false);
  menu_save = menu_file->addAction(QStringLiteral("データの保存"));
  menu_save->setObjectName(QStringLiteral("menu_save"));
  menu_aboout = menuBar()->addAction(QStringLiteral("その他"));
  menu_aboout->setObjectName(QStringLiteral("menu_aboout"));
  connect(menu_save, &QAction::triggered, this, &MainWindow::menu_save_Click);
  connect(menu_aboout, &QAction::triggered, this, &MainWindow::menu_aboout_Click);
}

void MainWindow::SetTabOrder() {
  const QWidget* order[] = {lsb_data, cmb_Settei, cmdJikkou, cmb_p, txt_kankin,
                            cmb_kankin, Chk_St, chk_st2, txt_st, txtYame};
  for (size_t i = 0; i + 1 < std::size(order); ++i) {
    setTabOrder(const_cast<QWidget*>(order[i]), const_cast<QWidget*>(order[i + 1]));
  }
}

void MainWindow::Form_Load() {
  state_.HeavenMode = 0;
  for (QComboBox* combo : {cmb_Settei, cmb_p, cmb_kankin}) combo->clear();
  Label9[1]->hide();
  txt_kankin->hide();
  {
    const QSignalBlocker block(cmb_kankin);  // the selection below raises the one Click
    for (int rate = 5; rate <= 8; ++rate) cmb_kankin->addItem(QString::number(rate));
    cmb_kankin->addItem(QStringLiteral("その他"));
    cmb_kankin->setCurrentIndex(-1);
  }
  for (int setting = 6; setting >= 1; --setting) cmb_Settei->addItem(QString::number(setting));
  for (int games = 100; games <= 1000; games += 100) cmb_p->addItem(QString::number(games));
  for (int games = 1500; games <= 8000; games += 500) cmb_p->addItem(QString::number(games));
  cmb_Settei->setCurrentIndex(0);
  cmb_kankin->setCurrentIndex(0);
  cmb_p->setCurrentIndex(19);
}

// ---- Handlers ----

void MainWindow::cmdJikkou_Click() {
  const std::unique_ptr<RandomSource> random = make_random_();
  // The run does not return to the event loop: draw its result once, not at every chart point.
  centralWidget()->setUpdatesEnabled(false);
  const RunOutcome outcome = StartRun(state_, *this, *random);
  Crt_data->Refresh();
  centralWidget()->setUpdatesEnabled(true);
  if (outcome.ok()) return;
  errors_.ShowError(this, Q(outcome.message));
  if (outcome.status == RunOutcome::Status::kBadInput) FocusField(outcome.field);
}

void MainWindow::chk_st2_Click() {
  if (chk_st2->checkState() == Qt::Checked) {
    int16_t stock = 0;
    if (ReadInt16(S(txt_st->text()), stock) == IntReading::kOk) state_.SavedInitialStock = stock;
    txt_st->setText(QStringLiteral("0"));
    txt_st->setEnabled(false);
  } else {
    txt_st->setEnabled(true);
    txt_st->setText(QString::number(state_.SavedInitialStock));
  }
}

void MainWindow::txt_st_LostFocus() {
  const std::optional<double> stock = ReadReal(S(txt_st->text()));
  QString message;
  if (!stock) {
    message = QStringLiteral("初期ストック数には数値を入力してください");
  } else if (*stock < 0) {
    message = QStringLiteral("マイナス値は不可");
  } else if (*stock > kMaxInitialStock) {
    message = QStringLiteral("最大ストック数は255");
  }
  if (message.isEmpty()) return;
  errors_.ShowError(this, message);
  txt_st->setFocus();
}

void MainWindow::cmb_kankin_Click() {
  const bool other = SelectedRateIndex() == kOtherRateIndex;
  Label9[0]->setVisible(!other);
  Label9[1]->setVisible(other);
  txt_kankin->setVisible(other);
}

void MainWindow::menu_save_Click() {
  const SaveDialogSetup setup{{QStringLiteral("すべてのファイル (*.*)"), QStringLiteral("テキスト ファイル (*.txt)")},
                              1,
                              QStringLiteral("tobiuodata.txt")};
  const std::optional<QString> path = save_dialog_.ChooseFile(this, setup);
  if (!path || path->isEmpty()) return;
  if (!QFileInfo::exists(*path) && !save_dialog_.ConfirmCreate(this, *path)) return;
  const Status saved = SaveReport(QFile::encodeName(*path).toStdString(), S(cmb_Settei->currentText()),
                                  LogLines(), summary_text_);
  if (!saved.ok) errors_.ShowError(this, Q(saved.message));
}

void MainWindow::menu_aboout_Click() {
  if (!about_) about_ = new AboutDialog;
  about_->show();
  about_->raise();
  about_->activateWindow();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusOut) {
    // Switching to another window or opening a menu is not leaving the field.
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
      if (watched == txt_st) txt_st_LostFocus();
      if (watched == cmb_kankin) cmb_kankin_Click();
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

// ---- Helpers ----

// The selected item, or -1 when the text typed into the box is not the selected item's.
int MainWindow::SelectedRateIndex() const {
  const int index = cmb_kankin->currentIndex();
  return index >= 0 && cmb_kankin->currentText() == cmb_kankin->itemText(index) ? index : -1;
}

void MainWindow::FocusField(InputField field) {
  switch (field) {
    case InputField::kSetting: cmb_Settei->setFocus(); break;
    case InputField::kGames: cmb_p->setFocus(); break;
    case InputField::kRate:
      (SelectedRateIndex() == kOtherRateIndex ? static_cast<QWidget*>(txt_kankin) : cmb_kankin)->setFocus();
      break;
    case InputField::kStock: txt_st->setFocus(); break;
    case InputField::kQuit: txtYame->setFocus(); break;
    case InputField::kNone: break;
  }
}

std::vector<std::string> MainWindow::LogLines() const {
  std::vector<std::string> lines;
  lines.reserve(static_cast<size_t>(lsb_data->count()));
  for (int i = 0; i < lsb_data->count(); ++i) lines.push_back(S(lsb_data->item(i)->text()));
  return lines;
}

// ---- Panel ----

RunInputs MainWindow::ReadInputs() const {
  RunInputs inputs;
  inputs.setting = S(cmb_Settei->currentText());
  inputs.games = S(cmb_p->currentText());
  inputs.rate = S(SelectedRateIndex() == kOtherRateIndex ? txt_kankin->text() : cmb_kankin->currentText());
  inputs.stock = S(txt_st->text());
  inputs.quit = S(txtYame->text());
  inputs.setting_changed = Chk_St->checkState() == Qt::Checked;
  return inputs;
}

void MainWindow::ClearLog() { lsb_data->clear(); }
void MainWindow::AppendLog(std::string_view line) { lsb_data->addItem(Q(line)); }
void MainWindow::ShowLog() { lsb_data->show(); }

void MainWindow::SetSummary(std::string_view text) {
  summary_text_ = text;
  lbl_kekka->setText(Q(text).remove(QLatin1Char('\r')));
}

void MainWindow::EnableFileMenu() {
  menu_file->setEnabled(true);
  menu_file->menuAction()->setEnabled(true);
}

void MainWindow::SetChartTitle(std::string_view title) { Crt_data->SetTitle(Q(title)); }
void MainWindow::SetChartRowCount(int rows) { Crt_data->SetRowCount(rows); }
int MainWindow::ChartRowCount() const { return Crt_data->RowCount(); }
void MainWindow::SelectChartRow(int row) { Crt_data->SelectRow(row); }
int MainWindow::ChartRow() const { return Crt_data->Row(); }
void MainWindow::SetChartRowLabel(std::string_view label) { Crt_data->SetLabel(Q(label)); }
void MainWindow::SetChartRowValue(std::string_view value) { Crt_data->SetValue(Q(value).toDouble()); }
void MainWindow::SetProgressMaximum(double maximum) { Pb_Sts->setMaximum(static_cast<int>(maximum)); }
void MainWindow::SetProgressValue(double value) { Pb_Sts->setValue(static_cast<int>(value)); }

}  // namespace tobiuo::ui
