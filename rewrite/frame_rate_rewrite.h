// The second stage of a conversion: the new frame-rate code written at every collected position.
#pragma once

#include "rewrite/sequence_scan.h"

namespace tolva {

class MainWindowOperations;

enum class RewriteEnd {
  kNoHeader,   // the file holds no sequence header; nothing was opened for writing
  kReadOnly,   // refused with a message; nothing written
  kConverted,  // every position rewritten, with a restore file beside the video
};

// Rewrites the file that `scan` went through completely. The restore file is on the disk before
// the first byte changes; when it cannot be made, the video stays untouched and IoError is
// raised. Raises FileOpenError when the file cannot be opened for writing, and Error when it was
// replaced, resized or written since the scan.
RewriteEnd RewriteFrameRate(MainWindowOperations& form, const ScanResult& scan);

}  // namespace tolva
