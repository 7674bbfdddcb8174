// Undoing a conversion: the old byte of the restore file written back at every position it lists.
#pragma once

namespace tolva {

class MainWindowOperations;

enum class RestoreOutcome {
  kNoCurrentFile,  // nothing to do
  kNoRestoreFile,  // the user was told; nothing changed
  kRestored,       // every listed position holds the old byte again
};

// Restores the current file. Raises FileOpenError when the video cannot be opened for writing,
// IoError when the restore file cannot be read or its first line is not a number, and an Error
// naming the line when a position line is not an integer, lies outside the video or is not
// byte 7 of a sequence header there; the lines before it stay restored.
RestoreOutcome RestoreFrameRate(MainWindowOperations& form);

}  // namespace tolva
