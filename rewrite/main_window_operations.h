// What the engine may ask of the window that runs it: options, status texts, the gauge,
// messages, the event pump and the offset list. The desktop window and the terminal front end
// each implement it; the tests use a recording fake.
#pragma once

#include <string>

namespace tolva {

class MainWindowOperations {
 public:
  virtual ~MainWindowOperations() = default;

  // Status panel 0 carries the operation's status, panel 1 the rate a check found.
  virtual void SetPanelText(int panel, const std::string& text) = 0;
  // Gauge percentage; values outside 0..100 are clamped by the implementation.
  virtual void SetProgress(int percent) = 0;
  // A modal message; returns once the user has closed it.
  virtual void ShowMessage(const std::string& text) = 0;
  // Handles the events pending now and returns; never waits for new ones.
  virtual void ProcessMessages() = 0;

  // Whether the radio button of frame-rate code 1..7 is the selected one.
  virtual bool IsRateChecked(int code) const = 0;
  virtual bool IsCheckOnly() const = 0;
  // The current file, empty when none has been chosen.
  virtual std::string CurrentPath() const = 0;

  // The offset list: decimal text lines, in the order they were added or inserted.
  virtual void ClearOffsetList() = 0;
  // Raises Error("行を挿入できません") when the list cannot take another line.
  virtual void AddOffsetLine(const std::string& line) = 0;
  virtual int OffsetLineCount() const = 0;
  virtual std::string GetOffsetLine(int index) const = 0;
  // Inserts before the line at `index`; raises like AddOffsetLine.
  virtual void InsertOffsetLine(int index, const std::string& line) = 0;
};

}  // namespace tolva
