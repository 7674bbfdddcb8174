// A way for tests to make file calls fail as a full disk, a bad sector or a vanished file
// would, without such a disk. With no hook set (always, outside tests) every call runs.
#pragma once

#include <functional>

namespace tolva::platform {

enum class FileCall {
  kOpen,       // an exclusive open of a video
  kRead,       // a pass read of a video
  kWriteByte,  // a single-byte write into a video
  kCreate,     // creating a new file (the restore file)
  kWrite,      // writing a new file's bytes
  kSync,       // syncing a new file to the disk
  kLink,       // giving a new file its name
  kReadText,   // reading a text file (the restore file)
};

// Answers, for each call, the errno to fail it with, or 0 to let it run.
using FaultHook = std::function<int(FileCall)>;

// Sets the hook; an empty one removes it.
void SetFaultHook(FaultHook hook);

// The errno the hook chose for this call, or 0.
int InjectedFault(FileCall call);

}  // namespace tolva::platform
