// The first stage of a conversion: find the first MPEG video sequence header of a file and every
// later header identical to it, reading the file in 10 MiB passes.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "platform/exclusive_file.h"
#include "rewrite/frame_rate_table.h"
#include "rewrite/start_code_search.h"

namespace tolva {

class MainWindowOperations;

inline constexpr uint64_t kChunkSize = 10 * 1024 * 1024;
// Each pass but the final one reads this much past its chunk, so that a header starting in the
// last bytes of a chunk is read whole.
inline constexpr size_t kOverlap = 16;
inline constexpr size_t kHeaderSize = 8;  // start code, picture size, aspect ratio, rate code
inline constexpr size_t kRateByte = 7;    // aspect ratio (high nibble) and frame_rate_code (low)
inline constexpr std::array<uint8_t, 4> kStartCode = {0x00, 0x00, 0x01, 0xB3};
// Positions are recorded as 32-bit values by design: larger files are refused.
inline constexpr uint64_t kMaxFileSize = 0xFFFFFFFF;

// Calls visit(j) for every window start j in 0..last_window (and no further than a whole window
// fits in `bytes`) whose first four bytes are the start code, in increasing order, until visit
// returns false. Returns false when visit stopped it.
template <typename Visit>
bool ForEachStartCode(std::span<const uint8_t> bytes, size_t last_window, Visit&& visit) {
  if (bytes.size() < kHeaderSize) return true;
  const size_t last = std::min(last_window, bytes.size() - kHeaderSize);
  for (size_t j = NextStartCode(bytes.data(), 0, last); j != kNoStartCode;
       j = NextStartCode(bytes.data(), j + 1, last)) {
    if (!visit(j)) return false;
  }
  return true;
}

// How the scan ended.
enum class ScanEnd {
  kTooLarge,         // 4 GiB or more: refused with a message
  kCheckOnly,        // the rate was reported in status panel 1
  kAlreadyAtTarget,  // the file declares the chosen rate already
  kComplete,         // every pass done; the offset list holds the matched positions
};

struct ScanResult {
  ScanEnd end = ScanEnd::kComplete;
  std::string path;
  uint64_t size = 0;
  platform::FileIdentity identity;  // the file as the scan read it
  bool header_found = false;
  uint8_t old_byte = 0;
  std::string old_rate_name;  // empty when no header was found
  TargetSelection target;
};

// Scans the file at `path`, appending to the offset list the position of byte 7 of every
// header identical to the first. Raises FileOpenError when the file cannot be opened.
ScanResult ScanSequenceHeaders(MainWindowOperations& form, const std::string& path);

}  // namespace tolva
