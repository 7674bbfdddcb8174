#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDropEvent>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>
#include <QtTest>
#include <functional>

#include "app/Unit1.h"
#include "app/Unit2.h"
#include "app/gauge.h"
#include "tests/support/temp_dir.h"

using tolva::test::Bytes;
using tolva::test::TempDir;

namespace {

struct Shown {
  QString title;
  QString text;
  QMessageBox::Icon icon;
  int buttons;
};

// Closes every modal window as soon as it opens, recording message boxes; file dialogs are
// answered by `on_file_dialog` (cancelled when it is empty).
class ModalCloser : public QObject {
 public:
  std::vector<Shown> shown;
  std::function<void(QFileDialog&)> on_file_dialog;

  ModalCloser() {
    connect(&timer_, &QTimer::timeout, this, [this] { CloseActive(); });
    timer_.start(5);
  }

 private:
  void CloseActive() {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      shown.push_back(
          {box->windowTitle(), box->text(), box->icon(), static_cast<int>(box->buttons().size())});
      // Esc closes every box, as its single button is also the cancel button.
      QTest::keyClick(box, Qt::Key_Escape);
      if (box->isVisible()) box->done(QMessageBox::Ok);
    } else if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
      if (on_file_dialog) {
        on_file_dialog(*dialog);
      } else {
        dialog->reject();
      }
    }
  }
  QTimer timer_;
};

Bytes Video() {
  Bytes bytes(1000, 0x55);
  for (size_t at : {0u, 500u}) {
    const Bytes header = tolva::test::SequenceHeader(4, 2);
    std::copy(header.begin(), header.end(), bytes.begin() + static_cast<long>(at));
  }
  return bytes;
}

void Drop(TForm1& form, const QList<QUrl>& urls) {
  QMimeData mime;
  mime.setUrls(urls);
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&form, &enter);
  QVERIFY(enter.isAccepted());
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&form, &drop);
}

}  // namespace

class AppTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    Form1 = new TForm1;
    Form2 = new TForm2;
    Form1->show();
  }
  void cleanup() {
    delete Form2;
    delete Form1;
    Form1 = nullptr;
    Form2 = nullptr;
  }

  void startsWithTheDesignedState() {
    QCOMPARE(Form1->windowTitle(), QString("Tolva"));
    QCOMPARE(Form1->centralWidget()->size() + QSize(0, Form1->StatusBar1->height()),
             QSize(434, 207));
    QVERIFY(Form1->RadioButton1->isChecked());
    for (int code = 2; code <= 7; ++code) QVERIFY(!Form1->IsRateChecked(code));
    QVERIFY(!Form1->IsCheckOnly());
    QCOMPARE(Form1->CurrentPath(), std::string());
    QCOMPARE(Form1->Gauge1->Progress(), 0);
    QCOMPARE(Form1->Button1->text(), QString("参照"));
    QCOMPARE(Form1->Button2->text(), QString("実行"));
    QCOMPARE(Form1->Button3->text(), QString("復元"));
    QCOMPARE(Form1->RadioButton4->text(), QString("29.97(30000/1001)"));
    QCOMPARE(Form1->CheckBox1->text(), QString("フレームレート確認のみ"));
    QCOMPARE(Form1->About1->text(), QString("バージョン情報"));
    QVERIFY(Form1->acceptDrops());
    QVERIFY(!Form2->isVisible());
  }

  void offersTheOperationsTheEngineCalls() {
    Form1->SetProgress(150);
    QCOMPARE(Form1->Gauge1->Progress(), 100);
    QCOMPARE(Form1->Gauge1->Text(), QString("100%"));
    Form1->SetProgress(-5);
    QCOMPARE(Form1->Gauge1->Text(), QString("0%"));

    Form1->AddOffsetLine("7");
    Form1->AddOffsetLine("907");
    Form1->InsertOffsetLine(0, "20");
    QCOMPARE(Form1->OffsetLineCount(), 3);
    QCOMPARE(Form1->GetOffsetLine(0), std::string("20"));
    QCOMPARE(Form1->GetOffsetLine(2), std::string("907"));

    QTest::mouseClick(Form1->RadioButton5, Qt::LeftButton);
    for (int code = 1; code <= 7; ++code) QCOMPARE(Form1->IsRateChecked(code), code == 5);

    Form1->SetPanelText(1, "25fps");
    QCOMPARE(Form1->PanelText(1), QString("25fps"));
  }

  void showsMessagesAndErrorsCaptionedTolva() {
    ModalCloser closer;
    Form1->ShowMessage("読み取り専用になっています\r\n解除してください");
    Form1->ShowErrorReport("ファイル /a.m2v は開けません");
    Form1->ShowErrorReport("I/O エラー (28)");
    QCOMPARE(closer.shown.size(), 3u);
    QCOMPARE(closer.shown[0].title, QString("Tolva"));
    QCOMPARE(closer.shown[0].text, QString("読み取り専用になっています\n解除してください"));
    QCOMPARE(closer.shown[0].icon, QMessageBox::NoIcon);
    QCOMPARE(closer.shown[0].buttons, 1);
    QCOMPARE(closer.shown[1].title, QString("Tolva"));
    QCOMPARE(closer.shown[1].text, QString("ファイル /a.m2v は開けません."));
    QCOMPARE(closer.shown[1].icon, QMessageBox::Critical);
    QCOMPARE(closer.shown[1].buttons, 1);
    QCOMPARE(closer.shown[2].text, QString("I/O エラー (28)"));
  }

  void runWithoutACurrentFileOnlyClears() {
    ModalCloser closer;
    Form1->AddOffsetLine("7");
    Form1->SetPanelText(0, "前");
    Form1->SetPanelText(1, "後");
    Form1->SetProgress(37);
    QTest::mouseClick(Form1->Button2, Qt::LeftButton);
    QCOMPARE(Form1->OffsetLineCount(), 0);
    QCOMPARE(Form1->PanelText(0), QString());
    QCOMPARE(Form1->PanelText(1), QString());
    QCOMPARE(Form1->Gauge1->Progress(), 37);
    QVERIFY(closer.shown.empty());
  }

  void takesTheFirstDroppedItemFileOrFolder() {
    TempDir dir;
    Drop(*Form1, {QUrl::fromLocalFile(QString::fromStdString(dir.File("a.m2v"))),
                  QUrl::fromLocalFile(QString::fromStdString(dir.File("b.m2v"))),
                  QUrl::fromLocalFile(QString::fromStdString(dir.File("c.m2v")))});
    QCOMPARE(Form1->CurrentPath(), dir.File("a.m2v"));
    Drop(*Form1, {QUrl::fromLocalFile(QString::fromStdString(dir.path()))});
    QCOMPARE(Form1->CurrentPath(), dir.path());
  }

  void browseKeepsTheFileWhenCancelledAndOffersTheLastChoice() {
    TempDir dir;
    tolva::test::WriteText(dir.File("movie.m2v"), "x");
    const QString chosen = QString::fromStdString(dir.File("movie.m2v"));
    ModalCloser closer;
    closer.on_file_dialog = [&](QFileDialog& dialog) {
      // As a user would: type the path into the name box and press Enter.
      auto* name = dialog.findChild<QLineEdit*>("fileNameEdit");
      name->setText(chosen);
      QTest::keyClick(name, Qt::Key_Return);
    };
    QTest::mouseClick(Form1->Button1, Qt::LeftButton);
    QCOMPARE(Form1->Label1->text(), chosen);

    QStringList offered;
    closer.on_file_dialog = [&](QFileDialog& dialog) {
      offered = dialog.selectedFiles();
      dialog.reject();
    };
    QTest::mouseClick(Form1->Button1, Qt::LeftButton);
    QCOMPARE(Form1->Label1->text(), chosen);
    QCOMPARE(offered, QStringList{chosen});
  }

  void convertsAndRestoresThroughTheWindow() {
    TempDir dir;
    const std::string video = dir.File("映画 movie.m2v");
    const Bytes before = Video();
    tolva::test::WriteFile(video, before);
    ModalCloser closer;
    Drop(*Form1, {QUrl::fromLocalFile(QString::fromStdString(video))});
    QTest::mouseClick(Form1->RadioButton5, Qt::LeftButton);
    QTest::mouseClick(Form1->Button2, Qt::LeftButton);

    Bytes after = before;
    after[7] = after[507] = 0x25;
    QCOMPARE(tolva::test::ReadFile(video), after);
    QCOMPARE(Form1->PanelText(0), QString("29.97fpsを30fpsに変換しました"));
    QCOMPARE(Form1->Gauge1->Progress(), 100);
    QCOMPARE(closer.shown.size(), 1u);
    QCOMPARE(closer.shown[0].text, QString("終わりました"));
    QVERIFY(Form1->Button2->isEnabled());

    QTest::mouseClick(Form1->Button3, Qt::LeftButton);
    QCOMPARE(tolva::test::ReadFile(video), before);
    QCOMPARE(Form1->PanelText(0), QString("復元終了"));
  }

  void convertsARealStreamAndRestoresIt() {
    TempDir dir;
    const std::string video = dir.File("real.m2v");
    const Bytes before =
        tolva::test::ReadFile(std::string(TOLVA_FIXTURES) + "/mpeg2_720x480_2997_16x9.m2v");
    tolva::test::WriteFile(video, before);
    ModalCloser closer;
    Form1->Label1->setText(QString::fromStdString(video));
    QTest::mouseClick(Form1->RadioButton3, Qt::LeftButton);
    QTest::mouseClick(Form1->Button2, Qt::LeftButton);
    QCOMPARE(Form1->PanelText(0), QString("29.97fpsを25fpsに変換しました"));
    QCOMPARE(Form1->GetOffsetLine(0), std::string("52"));  // 16:9 and 29.97: 0x34
    const Bytes after = tolva::test::ReadFile(video);
    QCOMPARE(after.size(), before.size());
    for (int i = 1; i < Form1->OffsetLineCount(); ++i) {
      const size_t position = std::stoul(Form1->GetOffsetLine(i));
      QCOMPARE(after[position], uint8_t{0x33});
    }
    QTest::mouseClick(Form1->Button3, Qt::LeftButton);
    QCOMPARE(tolva::test::ReadFile(video), before);
  }

  void checksTheRateOnly() {
    TempDir dir;
    const std::string video = dir.File("movie.m2v");
    tolva::test::WriteFile(video, Video());
    Form1->Label1->setText(QString::fromStdString(video));
    QTest::mouseClick(Form1->CheckBox1, Qt::LeftButton);
    QTest::mouseClick(Form1->Button2, Qt::LeftButton);
    QCOMPARE(Form1->PanelText(1), QString("29.97fps"));
    QCOMPARE(Form1->PanelText(0), QString());
    QCOMPARE(tolva::test::ReadFile(video), Video());
  }

  void reportsAnErrorAndGoesOn() {
    TempDir dir;
    const std::string video = dir.File("missing.m2v");
    ModalCloser closer;
    Form1->Label1->setText(QString::fromStdString(video));
    QTest::mouseClick(Form1->Button2, Qt::LeftButton);
    QCOMPARE(closer.shown.size(), 1u);
    QCOMPARE(closer.shown[0].text, QString::fromStdString("ファイル " + video + " は開けません."));
    QCOMPARE(closer.shown[0].icon, QMessageBox::Critical);
    QVERIFY(Form1->Button2->isEnabled());
    QVERIFY(Form1->Button3->isEnabled());
  }

  void startsNoSecondOperationWhileOneRuns() {
    TempDir dir;
    const std::string video = dir.File("movie.m2v");
    tolva::test::MakeSparse(video, 10485760 + 100);  // two passes: events are handled between
    ModalCloser closer;
    Form1->Label1->setText(QString::fromStdString(video));
    bool run_enabled = true;
    bool restore_enabled = true;
    QTimer::singleShot(0, [&] {
      run_enabled = Form1->Button2->isEnabled();
      restore_enabled = Form1->Button3->isEnabled();
    });
    QTest::mouseClick(Form1->Button2, Qt::LeftButton);
    QVERIFY(!run_enabled);
    QVERIFY(!restore_enabled);
    QVERIFY(Form1->Button2->isEnabled());
    QVERIFY(Form1->RadioButton1->isEnabled());
    QVERIFY(Form1->CheckBox1->isEnabled());
  }

  void showsTheAboutWindowOnceCentredThenWhereItWas() {
    Form1->move(300, 200);
    Form1->About1->trigger();
    QVERIFY(Form2->isVisible());
    QCOMPARE(Form2->windowTitle(), QString("バージョン情報"));
    QCOMPARE(Form2->size(), QSize(351, 100));
    QCOMPARE(Form2->Label1->text(), QString("Tolva v0.10"));
    QCOMPARE(Form2->Label3->text(), QString(kHomePage));
    QCOMPARE(Form2->Label3->cursor().shape(), Qt::PointingHandCursor);
    const QRect main = Form1->frameGeometry();
    const QPoint centred(main.left() + (main.width() - Form2->frameGeometry().width()) / 2,
                         main.top() + (main.height() - Form2->frameGeometry().height()) / 2);
    QCOMPARE(Form2->frameGeometry().topLeft(), centred);

    Form2->move(10, 20);
    const QPoint moved = Form2->pos();
    Form1->About1->trigger();  // visible already: nothing changes
    QCOMPARE(Form2->pos(), moved);
    Form2->close();
    QVERIFY(!Form2->isVisible());
    Form1->About1->trigger();
    QVERIFY(Form2->isVisible());
    QCOMPARE(Form2->pos(), moved);
  }

  void neverPlacesTheAboutWindowAtANegativePosition() {
    Form1->move(-400, -300);
    Form1->About1->trigger();
    QVERIFY(Form2->pos().x() >= 0);
    QVERIFY(Form2->pos().y() >= 0);
  }
};

QTEST_MAIN(AppTest)
#include "app_test.moc"
