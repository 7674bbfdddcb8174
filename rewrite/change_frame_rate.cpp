#include "rewrite/change_frame_rate.h"

#include "rewrite/frame_rate_rewrite.h"
#include "rewrite/sequence_scan.h"

namespace tolva {

ChangeOutcome ChangeFrameRate(MainWindowOperations& form, const std::string& path) {
  // The scan keeps its own copy of the path: choosing another file meanwhile changes nothing.
  const ScanResult scan = ScanSequenceHeaders(form, path);
  switch (scan.end) {
    case ScanEnd::kTooLarge:
      return ChangeOutcome::kTooLarge;
    case ScanEnd::kCheckOnly:
      return ChangeOutcome::kCheckOnly;
    case ScanEnd::kAlreadyAtTarget:
      return ChangeOutcome::kAlreadyAtTarget;
    case ScanEnd::kComplete:
      break;
  }
  switch (RewriteFrameRate(form, scan)) {
    case RewriteEnd::kNoHeader:
      return ChangeOutcome::kNoHeader;
    case RewriteEnd::kReadOnly:
      return ChangeOutcome::kReadOnly;
    case RewriteEnd::kConverted:
      break;
  }
  return ChangeOutcome::kConverted;
}

}  // namespace tolva
