#include "tests/support/fake_main_window.h"

#include <algorithm>

namespace tolva::test {

void FakeMainWindow::SetPanelText(int panel, const std::string& text) {
  panels.at(static_cast<size_t>(panel)) = text;
  if (panel == 0) panel0_log.push_back(text);
}

void FakeMainWindow::SetProgress(int percent) {
  progress = std::clamp(percent, 0, 100);
  progress_log.push_back(progress);
}

void FakeMainWindow::ShowMessage(const std::string& text) { messages.push_back(text); }

void FakeMainWindow::ProcessMessages() {
  ++pumps;
  if (on_pump) on_pump(*this);
}

}  // namespace tolva::test
