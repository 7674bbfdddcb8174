#include "app/Unit2.h"

#include <QDesktopServices>
#include <QMouseEvent>
#include <QUrl>
#include <algorithm>

#include "app/window_font.h"

TForm2* Form2 = nullptr;

namespace {
constexpr int kClientWidth = 351;
constexpr int kClientHeight = 100;
const QColor kNavy(0, 0, 128);
}  // namespace

void TClickLabel::mouseReleaseEvent(QMouseEvent* event) {
  QLabel::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
    emit clicked();
  }
}

TForm2::TForm2(QWidget* parent) : QWidget(parent, Qt::Window) {
  setWindowTitle(QStringLiteral("バージョン情報"));
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  setFont(WindowFont());
  setWindowIcon(QIcon(QStringLiteral(":/icons/about.xpm")));
  setFixedSize(kClientWidth, kClientHeight);

  Label1 = new QLabel(QStringLiteral("Tolva v0.10"), this);
  Label1->setFont(WindowFont(16));
  Label1->move(32, 8);
  Label2 = new QLabel(QStringLiteral("Tolva 開発チーム"), this);
  Label2->move(216, 40);
  Label3 = new TClickLabel(this);
  Label3->move(168, 64);
  for (QLabel* label : {Label1, Label2, static_cast<QLabel*>(Label3)}) {
    label->setTextFormat(Qt::PlainText);
    label->adjustSize();
  }
  connect(Label3, &TClickLabel::clicked, this, [this] { Label3Click(Label3); });
  FormCreate();
}

void TForm2::FormCreate() {
  Label3->setText(QString::fromUtf8(kHomePage));
  Label3->adjustSize();  // sizes itself to the address
  Label3->setAutoFillBackground(true);
  QPalette palette = Label3->palette();
  palette.setColor(QPalette::Window, palette.color(QPalette::HighlightedText));
  palette.setColor(QPalette::WindowText, kNavy);
  Label3->setPalette(palette);
  Label3->setCursor(Qt::PointingHandCursor);
}

void TForm2::Label3Click(QLabel* sender) {
  // Nothing is reported when no handler can open the address.
  QDesktopServices::openUrl(QUrl(sender->text()));
}

void TForm2::ShowFirstTimeCentredOver(const QWidget& main) {
  if (placed_) {
    show();
    return;
  }
  // The frame's size is known only once the window is shown: place it by its inner size first,
  // then again by its outer size.
  CentreOver(main);
  show();
  CentreOver(main);
  placed_ = true;
}

void TForm2::CentreOver(const QWidget& main) {
  const QRect outer = main.frameGeometry();
  const QSize own = frameGeometry().size();
  move(std::max(0, outer.left() + (outer.width() - own.width()) / 2),
       std::max(0, outer.top() + (outer.height() - own.height()) / 2));
}
