#include "platform/fault_injection.h"

#include <utility>

namespace tolva::platform {

namespace {
FaultHook& Hook() {
  static FaultHook hook;
  return hook;
}
}  // namespace

void SetFaultHook(FaultHook hook) { Hook() = std::move(hook); }

int InjectedFault(FileCall call) {
  const FaultHook& hook = Hook();
  return hook ? hook(call) : 0;
}

}  // namespace tolva::platform
