// The main window: the current file, the options, the gauge and status panels, and the handlers
// through which every user action enters the program. It implements the operations the engine
// calls, and never touches a file itself.
#pragma once

#include <QMainWindow>
#include <functional>
#include <string>

#include "rewrite/main_window_operations.h"
#include "rewrite/offset_list.h"

class QAction;
class QCheckBox;
class QFileDialog;
class QGroupBox;
class QLabel;
class QMimeData;
class QPushButton;
class QRadioButton;
class QStatusBar;
class TGauge;

class TForm1 : public QMainWindow, public tolva::MainWindowOperations {
  Q_OBJECT

 public:
  explicit TForm1(QWidget* parent = nullptr);

  // Components, named as in the window's design.
  QLabel* Label1;
  QPushButton* Button1;
  QFileDialog* OpenDialog1;
  QPushButton* Button2;
  TGauge* Gauge1;
  QGroupBox* GroupBox1;
  QRadioButton* RadioButton1;
  QRadioButton* RadioButton2;
  QRadioButton* RadioButton3;
  QCheckBox* CheckBox1;
  tolva::OffsetList ListBox1;  // the offset list; never shown
  QPushButton* Button3;
  QStatusBar* StatusBar1;
  QAction* About1;
  QRadioButton* RadioButton4;
  QRadioButton* RadioButton5;
  QRadioButton* RadioButton6;
  QRadioButton* RadioButton7;

  // Handlers. Each may raise; Dispatch shows what escapes in the error report.
  void FormCreate();
  void Button1Click();
  void Button2Click();
  void Button3Click();
  void About1Click();
  void WMDropFiles(const QMimeData& drop);

  // Runs a handler; an error that escapes it is shown in the error report.
  void Dispatch(const std::function<void()>& handler);
  // The message box of an error: caption "Tolva", stop icon, one OK button.
  void ShowErrorReport(const std::string& message);

  QString PanelText(int panel) const;

  // MainWindowOperations
  void SetPanelText(int panel, const std::string& text) override;
  void SetProgress(int percent) override;
  void ShowMessage(const std::string& text) override;
  void ProcessMessages() override;
  bool IsRateChecked(int code) const override;
  bool IsCheckOnly() const override;
  std::string CurrentPath() const override;
  void ClearOffsetList() override;
  void AddOffsetLine(const std::string& line) override;
  int OffsetLineCount() const override;
  std::string GetOffsetLine(int index) const override;
  void InsertOffsetLine(int index, const std::string& line) override;

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void CreateControls(QWidget* client);
  QRadioButton* RateButton(int code) const;
  // Run and Restore stay disabled while either runs: the offset list belongs to one operation.
  void RunExclusively(const std::function<void()>& operation);

  QLabel* panels_[2];
  QString last_chosen_file_;
};

// The program's main window.
extern TForm1* Form1;
