// Makes chosen file calls fail while it lives, as a full disk or a failing drive would.
#pragma once

#include <map>

#include "platform/fault_injection.h"

namespace tolva::test {

class ScopedFaults {
 public:
  using FileCall = platform::FileCall;

  ScopedFaults() {
    platform::SetFaultHook([this](FileCall call) { return Decide(call); });
  }
  ~ScopedFaults() { platform::SetFaultHook({}); }
  ScopedFaults(const ScopedFaults&) = delete;
  ScopedFaults& operator=(const ScopedFaults&) = delete;

  // The nth call (from 1) of that kind fails with `err`; with `and_after`, every later one too.
  void Fail(FileCall call, int nth, int err, bool and_after = false) {
    rules_[call] = {nth, err, and_after};
  }
  int Calls(FileCall call) const {
    const auto it = calls_.find(call);
    return it == calls_.end() ? 0 : it->second;
  }

 private:
  struct Rule {
    int nth;
    int err;
    bool and_after;
  };

  int Decide(FileCall call) {
    const int n = ++calls_[call];
    const auto it = rules_.find(call);
    if (it == rules_.end()) return 0;
    const Rule& rule = it->second;
    return n == rule.nth || (rule.and_after && n > rule.nth) ? rule.err : 0;
  }

  std::map<FileCall, Rule> rules_;
  std::map<FileCall, int> calls_;
};

}  // namespace tolva::test
