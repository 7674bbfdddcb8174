// Feeds arbitrary bytes to the restore-file reader. It must never crash or read past its input
// (the sanitizers watch), keep its error texts short, and every position it accepts must be the
// number its line spells.
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "platform/byte_source.h"
#include "platform/errors.h"
#include "rewrite/restore_reader.h"

namespace {

// The line's number by a second, simpler route: blanks, sign, "$"/"0x" hex or decimal.
std::optional<int64_t> ReferenceValue(std::string_view line) {
  while (!line.empty() && line.front() == ' ') line.remove_prefix(1);
  bool negative = false;
  if (!line.empty() && (line.front() == '+' || line.front() == '-')) {
    negative = line.front() == '-';
    line.remove_prefix(1);
  }
  int base = 10;
  if (line.starts_with("$")) {
    base = 16;
    line.remove_prefix(1);
  } else if (line.starts_with("0x") || line.starts_with("0X")) {
    base = 16;
    line.remove_prefix(2);
  }
  if (line.empty() || line.front() == '+' || line.front() == '-') return std::nullopt;
  uint64_t magnitude = 0;
  const auto [end, error] =
      std::from_chars(line.data(), line.data() + line.size(), magnitude, base);
  if (error != std::errc() || end != line.data() + line.size()) return std::nullopt;
  if (base == 10 && magnitude > (negative ? uint64_t{1} << 63 : (uint64_t{1} << 63) - 1)) {
    return std::nullopt;
  }
  const uint64_t value = negative ? 0 - magnitude : magnitude;
  return static_cast<int64_t>(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tolva::platform::MemoryByteSource source(
      std::string_view(reinterpret_cast<const char*>(data), size));
  tolva::RestoreFileReader reader(source);
  try {
    reader.ReadRestoreByte();
    while (const std::optional<int64_t> position = reader.NextPosition()) {
      const std::string& line = reader.LastLine();
      if (line.size() < 64 && ReferenceValue(line) != position) std::abort();
    }
  } catch (const tolva::Error& e) {
    // The line in a message is cut to 64 bytes; the rest of the text is fixed and short.
    if (std::string_view(e.what()).size() > 64 + 64) std::abort();
  }
  return 0;
}
