// A whole conversion, or a check of the declared rate, as Run starts it.
#pragma once

#include <string>

namespace tolva {

class MainWindowOperations;

enum class ChangeOutcome {
  kTooLarge,         // refused: 4 GiB or more
  kCheckOnly,        // the declared rate is shown in status panel 1
  kAlreadyAtTarget,  // the file declares the chosen rate already
  kNoHeader,         // no sequence header in the file
  kReadOnly,         // refused: the file is read-only
  kConverted,        // rewritten, with a restore file beside it
};

// Scans the file at `path` and, unless the scan ended the operation, rewrites its frame-rate
// code. Everything the user sees goes through `form`; errors are raised as tolva::Error.
ChangeOutcome ChangeFrameRate(MainWindowOperations& form, const std::string& path);

}  // namespace tolva
