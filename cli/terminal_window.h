// The main-window operations on a terminal: messages and status texts become lines on standard
// output, progress one updating line on standard error when it is a terminal. Nothing waits for
// a key.
#pragma once

#include <cstdio>
#include <string>

#include "rewrite/offset_list.h"

namespace tolva::cli {

class TerminalWindow : public OffsetListWindow {
 public:
  struct Settings {
    int rate_code = 0;        // the "radio button" that is checked
    bool check_only = false;  // check: report the declared rate only
    bool quiet = false;       // only errors, and check's results
    bool name_files = false;  // start every line with the file's path
    bool show_progress = false;
  };

  TerminalWindow(Settings settings, std::FILE* out, std::FILE* err);

  // Starts on the next file: the state a Run or Restore starts from.
  void BeginFile(const std::string& path);
  // Ends the progress line of the file, if one was drawn.
  void EndFile();
  // The error report: the message with the full-stop rule, on standard error.
  void ReportError(const std::string& message);

  void SetPanelText(int panel, const std::string& text) override;
  void SetProgress(int percent) override;
  void ShowMessage(const std::string& text) override;
  void ProcessMessages() override {}
  bool IsRateChecked(int code) const override { return code == settings_.rate_code; }
  bool IsCheckOnly() const override { return settings_.check_only; }
  std::string CurrentPath() const override { return path_; }

 private:
  void PrintLine(std::FILE* stream, const std::string& text);
  void ClearProgressLine();

  Settings settings_;
  std::FILE* out_;
  std::FILE* err_;
  std::string path_;
  std::string panels_[2];
  int progress_ = -1;
  bool progress_drawn_ = false;
};

}  // namespace tolva::cli
