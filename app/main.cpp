// Start-up: the application title, the main window, the hidden About window, the event loop.
#include <QApplication>
#include <QScreen>
#include <QStyle>

#include "app/Unit1.h"
#include "app/Unit2.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);  // the program reads no arguments of its own
  QApplication::setApplicationName(QStringLiteral("Tolva"));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/tolva.xpm")));

  Form1 = new TForm1;
  Form2 = new TForm2;

  // Centred on the desktop at its first show.
  Form1->adjustSize();
  const QRect desktop = QGuiApplication::primaryScreen()->availableGeometry();
  Form1->move(desktop.center() - Form1->rect().center());
  Form1->show();

  const int result = QApplication::exec();
  delete Form2;
  delete Form1;
  return result;
}
