#include "cli/terminal_window.h"

#include <algorithm>

#include "rewrite/error_report.h"

namespace tolva::cli {

namespace {

// A message box's line break becomes a blank: one message, one line.
std::string OneLine(const std::string& text) {
  std::string line;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    line.push_back(text[i] == '\n' ? ' ' : text[i]);
  }
  return line;
}

}  // namespace

TerminalWindow::TerminalWindow(Settings settings, std::FILE* out, std::FILE* err)
    : settings_(settings), out_(out), err_(err) {}

void TerminalWindow::BeginFile(const std::string& path) {
  path_ = path;
  panels_[0].clear();
  panels_[1].clear();
  progress_ = -1;
  offsets.Clear();
}

void TerminalWindow::EndFile() { ClearProgressLine(); }

void TerminalWindow::PrintLine(std::FILE* stream, const std::string& text) {
  ClearProgressLine();
  if (settings_.name_files) std::fprintf(stream, "%s: ", path_.c_str());
  std::fprintf(stream, "%s\n", OneLine(text).c_str());
  std::fflush(stream);
}

void TerminalWindow::ClearProgressLine() {
  if (!progress_drawn_) return;
  std::fputs("\r\033[K", err_);
  std::fflush(err_);
  progress_drawn_ = false;
}

void TerminalWindow::ReportError(const std::string& message) {
  PrintLine(err_, ErrorReportText(message));
}

void TerminalWindow::SetPanelText(int panel, const std::string& text) {
  std::string& shown = panels_[panel == 0 ? 0 : 1];
  if (shown == text) return;
  shown = text;
  if (text.empty()) return;
  if (panel == 1) {
    // The rate a check found: the result of check, printed as "FILE: NAME" even under --quiet.
    ClearProgressLine();
    std::fprintf(out_, "%s: %s\n", path_.c_str(), text.c_str());
    std::fflush(out_);
  } else if (!settings_.quiet) {
    PrintLine(out_, text);
  }
}

void TerminalWindow::SetProgress(int percent) {
  percent = std::clamp(percent, 0, 100);
  if (percent == progress_) return;
  progress_ = percent;
  if (!settings_.show_progress || settings_.quiet) return;
  std::fprintf(err_, "\r\033[K%s %d%%", path_.c_str(), percent);
  std::fflush(err_);
  progress_drawn_ = true;
}

void TerminalWindow::ShowMessage(const std::string& text) {
  if (!settings_.quiet) PrintLine(out_, text);
}

}  // namespace tolva::cli
