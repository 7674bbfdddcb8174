// Reads a restore file leniently, so that a file edited by hand still restores: blanks before
// the first number, hexadecimal numbers, LF or CR LF line ends, 0x1A as the end of the file.
// Lines of any length are read in bounded memory.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/byte_source.h"

namespace tolva {

class RestoreFileReader {
 public:
  explicit RestoreFileReader(platform::ByteSource& source) : source_(source) {}

  // The number of line 1, cut to its low 8 bits; the rest of that line is passed over. An empty
  // file gives 0. Raises IoError(106) when the number is not a 32-bit integer.
  uint8_t ReadRestoreByte();

  // The next position line, or nothing at the end of the file. Raises ConversionError, naming
  // the line (its first 64 characters), when it does not hold exactly one 64-bit integer.
  std::optional<int64_t> NextPosition();

  // The text of the line NextPosition read last (its first 64 characters), for messages.
  const std::string& LastLine() const { return last_line_; }

 private:
  static constexpr int kEnd = -1;
  int Get();
  void SkipRestOfLine(int c);

  platform::ByteSource& source_;
  std::array<uint8_t, 64 * 1024> buffer_{};
  size_t fill_ = 0;
  size_t next_ = 0;
  bool ended_ = false;
  std::string last_line_;
};

}  // namespace tolva
