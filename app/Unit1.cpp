#include "app/Unit1.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QUrl>
#include <algorithm>
#include <exception>

#include "app/Unit2.h"
#include "app/gauge.h"
#include "app/window_font.h"
#include "rewrite/change_frame_rate.h"
#include "rewrite/error_report.h"
#include "rewrite/frame_rate_table.h"
#include "rewrite/restore.h"

TForm1* Form1 = nullptr;

namespace {

constexpr int kClientWidth = 434;
constexpr int kClientHeight = 207;
constexpr int kStatusBarHeight = 19;
constexpr int kPanelWidth = 200;
const QString kTitle = QStringLiteral("Tolva");

QString FromUtf8(const std::string& text) { return QString::fromStdString(text); }

// CR LF breaks the line in a message box.
QString MessageText(const std::string& text) {
  return FromUtf8(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

template <typename Widget, typename... Args>
Widget* Place(QWidget* parent, int left, int top, int width, int height, Args&&... args) {
  auto* widget = new Widget(std::forward<Args>(args)..., parent);
  widget->setGeometry(left, top, width, height);
  return widget;
}

}  // namespace

TForm1::TForm1(QWidget* parent) : QMainWindow(parent) {
  setWindowTitle(kTitle);
  setFont(WindowFont());
  setWindowIcon(QIcon(QStringLiteral(":/icons/tolva.xpm")));
  // Fixed size, no maximise button.
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

  auto* client = new QWidget(this);
  client->setFixedSize(kClientWidth, kClientHeight - kStatusBarHeight);
  setCentralWidget(client);
  CreateControls(client);

  About1 = menuBar()->addAction(QStringLiteral("バージョン情報"));
  connect(About1, &QAction::triggered, this, [this] { Dispatch([this] { About1Click(); }); });

  StatusBar1 = statusBar();
  StatusBar1->setSizeGripEnabled(false);
  StatusBar1->setFixedHeight(kStatusBarHeight);
  for (QLabel*& panel : panels_) {
    panel = new QLabel(StatusBar1);
    panel->setTextFormat(Qt::PlainText);
    panel->setFixedWidth(kPanelWidth);
    StatusBar1->addWidget(panel);
  }

  layout()->setSizeConstraint(QLayout::SetFixedSize);
  FormCreate();
}

void TForm1::CreateControls(QWidget* client) {
  Label1 = Place<QLabel>(client, 16, 16, 329, 17);
  Label1->setTextFormat(Qt::PlainText);  // a path is text, never markup
  Label1->setAutoFillBackground(true);
  QPalette label_palette = Label1->palette();
  label_palette.setColor(QPalette::Window, label_palette.color(QPalette::HighlightedText));
  Label1->setPalette(label_palette);

  Button1 = Place<QPushButton>(client, 352, 16, 75, 25, QStringLiteral("参照"));
  Button2 = Place<QPushButton>(client, 264, 56, 75, 25, QStringLiteral("実行"));
  GroupBox1 = Place<QGroupBox>(client, 24, 48, 145, 137, QStringLiteral("フレームレート"));

  const int rate_tops[] = {16, 32, 48, 64, 80, 96, 112};
  const int rate_widths[] = {121, 41, 33, 113, 41, 41, 113};
  QRadioButton* rates[7];
  for (const tolva::FrameRate& rate : tolva::kFrameRates) {
    const int i = rate.code - 1;
    rates[i] = Place<QRadioButton>(GroupBox1, 8, rate_tops[i], rate_widths[i], 17,
                                   QString::fromUtf8(rate.caption));
    // Fonts other than the designed one run wider: let a caption take the group's width
    // rather than be cut.
    const int room = GroupBox1->width() - 8 - 2;
    rates[i]->resize(std::clamp(rates[i]->sizeHint().width(), rate_widths[i], room), 17);
  }
  RadioButton1 = rates[0];
  RadioButton2 = rates[1];
  RadioButton3 = rates[2];
  RadioButton4 = rates[3];
  RadioButton5 = rates[4];
  RadioButton6 = rates[5];
  RadioButton7 = rates[6];
  RadioButton1->setChecked(true);

  CheckBox1 = Place<QCheckBox>(client, 184, 120, 161, 17, QStringLiteral("フレームレート確認のみ"));
  Button3 = Place<QPushButton>(client, 352, 56, 75, 25, QStringLiteral("復元"));
  Gauge1 = Place<TGauge>(client, 184, 96, 241, 17);

  for (QPushButton* button : {Button1, Button2, Button3}) button->setAutoDefault(false);
  QWidget::setTabOrder(Button1, Button2);
  QWidget::setTabOrder(Button2, RadioButton1);
  QWidget::setTabOrder(RadioButton7, CheckBox1);
  QWidget::setTabOrder(CheckBox1, Button3);

  OpenDialog1 = new QFileDialog(this);
  OpenDialog1->setFileMode(QFileDialog::ExistingFile);
  OpenDialog1->setOption(QFileDialog::DontUseNativeDialog);
  OpenDialog1->setWindowTitle(QString());

  connect(Button1, &QPushButton::clicked, this, [this] { Dispatch([this] { Button1Click(); }); });
  connect(Button2, &QPushButton::clicked, this, [this] { Dispatch([this] { Button2Click(); }); });
  connect(Button3, &QPushButton::clicked, this, [this] { Dispatch([this] { Button3Click(); }); });
}

void TForm1::FormCreate() { setAcceptDrops(true); }

void TForm1::Button1Click() {
  if (!last_chosen_file_.isEmpty()) OpenDialog1->selectFile(last_chosen_file_);
  if (OpenDialog1->exec() != QDialog::Accepted) return;
  const QStringList chosen = OpenDialog1->selectedFiles();
  if (chosen.isEmpty()) return;
  last_chosen_file_ = chosen.first();
  Label1->setText(last_chosen_file_);
}

void TForm1::Button2Click() {
  ClearOffsetList();
  SetPanelText(0, "");
  SetPanelText(1, "");
  const std::string path = CurrentPath();
  if (path.empty()) return;
  RunExclusively([&] { tolva::ChangeFrameRate(*this, path); });
}

void TForm1::Button3Click() {
  RunExclusively([this] { tolva::RestoreFrameRate(*this); });
}

void TForm1::About1Click() {
  if (Form2 == nullptr || Form2->isVisible()) return;  // also when minimised
  Form2->ShowFirstTimeCentredOver(*this);
}

void TForm1::WMDropFiles(const QMimeData& drop) {
  const QList<QUrl> urls = drop.urls();
  if (urls.isEmpty() || !urls.first().isLocalFile()) return;
  Label1->setText(urls.first().toLocalFile());  // a file of any type, or a folder
}

void TForm1::RunExclusively(const std::function<void()>& operation) {
  Button2->setEnabled(false);
  Button3->setEnabled(false);
  struct Reenable {
    TForm1* form;
    ~Reenable() {
      form->Button2->setEnabled(true);
      form->Button3->setEnabled(true);
    }
  } reenable{this};
  operation();
}

void TForm1::Dispatch(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& e) {
    ShowErrorReport(e.what());
  }
}

void TForm1::ShowErrorReport(const std::string& message) {
  QMessageBox box(QMessageBox::Critical, kTitle, MessageText(tolva::ErrorReportText(message)),
                  QMessageBox::Ok);
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event) {
  Dispatch([&] { WMDropFiles(*event->mimeData()); });
  event->acceptProposedAction();
}

void TForm1::closeEvent(QCloseEvent* event) {
  // Closing the main window ends the program, About window or not. An operation under way
  // finishes first: the event loop returns only once its handler has.
  event->accept();
  QCoreApplication::quit();
}

QString TForm1::PanelText(int panel) const { return panels_[panel]->text(); }

void TForm1::SetPanelText(int panel, const std::string& text) {
  const QString value = FromUtf8(text);
  if (panels_[panel]->text() != value) panels_[panel]->setText(value);
}

void TForm1::SetProgress(int percent) { Gauge1->SetProgress(percent); }

void TForm1::ShowMessage(const std::string& text) {
  QMessageBox box(QMessageBox::NoIcon, kTitle, MessageText(text), QMessageBox::Ok);
  box.setDefaultButton(QMessageBox::Ok);
  box.setEscapeButton(QMessageBox::Ok);
  box.setWindowModality(Qt::ApplicationModal);  // centred on the screen, like no parent
  box.exec();
}

void TForm1::ProcessMessages() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

QRadioButton* TForm1::RateButton(int code) const {
  QRadioButton* const buttons[] = {RadioButton1, RadioButton2, RadioButton3, RadioButton4,
                                   RadioButton5, RadioButton6, RadioButton7};
  return tolva::IsChoosableRate(code) ? buttons[code - 1] : nullptr;
}

bool TForm1::IsRateChecked(int code) const {
  const QRadioButton* button = RateButton(code);
  return button != nullptr && button->isChecked();
}

bool TForm1::IsCheckOnly() const { return CheckBox1->isChecked(); }

std::string TForm1::CurrentPath() const { return Label1->text().toStdString(); }

void TForm1::ClearOffsetList() { ListBox1.Clear(); }

void TForm1::AddOffsetLine(const std::string& line) { ListBox1.Add(line); }

int TForm1::OffsetLineCount() const { return ListBox1.Count(); }

std::string TForm1::GetOffsetLine(int index) const { return ListBox1.Get(index); }

void TForm1::InsertOffsetLine(int index, const std::string& line) { ListBox1.Insert(index, line); }
