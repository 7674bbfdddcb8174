// The About window: name and version, a credit line, and a link to the project's home page.
// Modeless; closing it hides it.
#pragma once

#include <QLabel>
#include <QWidget>

class TForm1;

// A label that reports clicks, for the link.
class TClickLabel : public QLabel {
  Q_OBJECT

 public:
  using QLabel::QLabel;

 signals:
  void clicked();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
};

class TForm2 : public QWidget {
  Q_OBJECT

 public:
  explicit TForm2(QWidget* parent = nullptr);

  QLabel* Label1;
  QLabel* Label2;
  TClickLabel* Label3;

  void FormCreate();
  void Label3Click(QLabel* sender);

  // Shows the window; the first time centred over `main`, never at a negative position, and
  // afterwards where it was last.
  void ShowFirstTimeCentredOver(const QWidget& main);

 private:
  void CentreOver(const QWidget& main);
  bool placed_ = false;
};

// The About window, created hidden at start-up.
extern TForm2* Form2;

inline constexpr char kHomePage[] = "https://example.com/tolva";
