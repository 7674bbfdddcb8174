// A main window for tests: records what the engine shows and answers the options it is given.
#pragma once

#include <array>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "rewrite/offset_list.h"

namespace tolva::test {

class FakeMainWindow : public OffsetListWindow {
 public:
  // Options, as a user set them.
  std::set<int> checked_rates = {1};
  bool check_only = false;
  std::string current_path;

  // What the engine showed.
  std::array<std::string, 2> panels;
  int progress = 0;
  std::vector<int> progress_log;
  std::vector<std::string> messages;
  std::vector<std::string> panel0_log;  // every text panel 0 was given, in order
  int pumps = 0;

  // Runs inside ProcessMessages, as a user's action would.
  std::function<void(FakeMainWindow&)> on_pump;

  void ChooseRate(int code) { checked_rates = {code}; }
  std::vector<std::string> Lines() const { return offsets.Lines(); }

  void SetPanelText(int panel, const std::string& text) override;
  void SetProgress(int percent) override;
  void ShowMessage(const std::string& text) override;
  void ProcessMessages() override;
  bool IsRateChecked(int code) const override { return checked_rates.count(code) != 0; }
  bool IsCheckOnly() const override { return check_only; }
  std::string CurrentPath() const override { return current_path; }
};

}  // namespace tolva::test
