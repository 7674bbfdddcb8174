// The offset list as both front ends hold it: ordered text lines with a fixed capacity, so that
// a file made of nothing but headers cannot exhaust memory.
#pragma once

#include <string>
#include <vector>

#include "rewrite/main_window_operations.h"

namespace tolva {

// 16,777,216 lines: ample for any real video (a header every few hundred kilobytes), and at most
// a few hundred megabytes of memory for a hostile one.
inline constexpr int kMaxOffsetLines = 1 << 24;

class OffsetList {
 public:
  explicit OffsetList(int capacity = kMaxOffsetLines) : capacity_(capacity) {}
  void Clear() { lines_.clear(); }
  void Add(const std::string& line);
  void Insert(int index, const std::string& line);
  int Count() const { return static_cast<int>(lines_.size()); }
  const std::string& Get(int index) const { return lines_.at(static_cast<size_t>(index)); }
  const std::vector<std::string>& Lines() const { return lines_; }

 private:
  void RequireRoom() const;
  int capacity_;
  std::vector<std::string> lines_;
};

// The offset-list operations of MainWindowOperations for a window that holds its list as an
// OffsetList; the rest is the window's own.
class OffsetListWindow : public MainWindowOperations {
 public:
  void ClearOffsetList() override { offsets.Clear(); }
  void AddOffsetLine(const std::string& line) override { offsets.Add(line); }
  int OffsetLineCount() const override { return offsets.Count(); }
  std::string GetOffsetLine(int index) const override { return offsets.Get(index); }
  void InsertOffsetLine(int index, const std::string& line) override {
    offsets.Insert(index, line);
  }

  OffsetList offsets;
};

}  // namespace tolva
