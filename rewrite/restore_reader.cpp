#include "rewrite/restore_reader.h"

#include <limits>
#include <string>

#include "platform/errors.h"

namespace tolva {

namespace {

constexpr int kLineFeed = 0x0A;
constexpr int kCarriageReturn = 0x0D;
constexpr int kEndOfFileMark = 0x1A;  // a text file ends here, whatever follows
constexpr int kBlank = 0x20;          // bytes up to this one separate tokens
constexpr size_t kMaxTokenLength = 32;
constexpr size_t kShownLineLength = 64;

bool IsDecimalDigit(int c) { return c >= '0' && c <= '9'; }

int HexValue(int c) {
  if (IsDecimalDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Parses one signed integer byte by byte, so that a line of any length needs no memory:
// optional leading blanks, an optional sign, then decimal digits, or hexadecimal digits after
// "$", "0x" or "0X" (and a bare "x" or "X" where allowed).
class IntegerParser {
 public:
  struct Syntax {
    int bits;             // 32 or 64
    bool leading_blanks;  // spaces before the number
    bool bare_x_prefix;   // "x1F" as well as "0x1F"
  };

  explicit IntegerParser(Syntax syntax) : syntax_(syntax) {}

  void Feed(int c) {
    switch (state_) {
      case State::kStart:
        if (c == ' ' && syntax_.leading_blanks) return;
        if (c == '+' || c == '-') {
          negative_ = c == '-';
          state_ = State::kAfterSign;
          return;
        }
        [[fallthrough]];
      case State::kAfterSign:
        if (c == '$' || (syntax_.bare_x_prefix && (c == 'x' || c == 'X'))) {
          state_ = State::kAfterPrefix;
        } else if (c == '0') {
          state_ = State::kLeadingZero;
          AddDigit(0);
        } else {
          FeedDigit(c);
        }
        return;
      case State::kLeadingZero:
        if (c == 'x' || c == 'X') {
          state_ = State::kAfterPrefix;
          return;
        }
        FeedDigit(c);
        return;
      case State::kAfterPrefix:
        hex_ = true;
        FeedDigit(c);
        return;
      case State::kDigits:
        FeedDigit(c);
        return;
      case State::kInvalid:
        return;
    }
  }

  std::optional<int64_t> Result() const {
    if (state_ != State::kDigits && state_ != State::kLeadingZero) return std::nullopt;
    if (hex_) {
      // Hexadecimal digits give the bit pattern, which may read as negative.
      const int64_t pattern = syntax_.bits == 32
                                  ? static_cast<int32_t>(static_cast<uint32_t>(magnitude_))
                                  : static_cast<int64_t>(magnitude_);
      return negative_ ? static_cast<int64_t>(0 - static_cast<uint64_t>(pattern)) : pattern;
    }
    const uint64_t max_positive = (uint64_t{1} << (syntax_.bits - 1)) - 1;
    if (magnitude_ > max_positive + (negative_ ? 1 : 0)) return std::nullopt;
    return negative_ ? static_cast<int64_t>(0 - magnitude_) : static_cast<int64_t>(magnitude_);
  }

 private:
  enum class State { kStart, kAfterSign, kAfterPrefix, kLeadingZero, kDigits, kInvalid };

  void FeedDigit(int c) {
    const int value = hex_ ? HexValue(c) : (IsDecimalDigit(c) ? c - '0' : -1);
    if (value < 0) {
      state_ = State::kInvalid;
      return;
    }
    state_ = State::kDigits;
    AddDigit(value);
  }

  void AddDigit(int value) {
    const uint64_t base = hex_ ? 16 : 10;
    const uint64_t limit = syntax_.bits == 32 ? std::numeric_limits<uint32_t>::max()
                                              : std::numeric_limits<uint64_t>::max();
    if (magnitude_ > (limit - static_cast<uint64_t>(value)) / base) {
      state_ = State::kInvalid;  // too large for the type
      return;
    }
    magnitude_ = magnitude_ * base + static_cast<uint64_t>(value);
  }

  Syntax syntax_;
  State state_ = State::kStart;
  bool negative_ = false;
  bool hex_ = false;
  uint64_t magnitude_ = 0;
};

// The first characters of a line for an error text, never cutting a UTF-8 character in two.
class LineExcerpt {
 public:
  void Feed(int c) {
    if (text_.size() < kShownLineLength)
      text_.push_back(static_cast<char>(c));
    else
      cut_ = true;
  }
  std::string Text() const {
    if (!cut_) return text_;
    size_t end = text_.size();
    size_t lead = end;
    while (lead > 0 && (static_cast<uint8_t>(text_[lead - 1]) & 0xC0) == 0x80) --lead;
    if (lead > 0 && static_cast<uint8_t>(text_[lead - 1]) >= 0xC0) {
      const uint8_t first = static_cast<uint8_t>(text_[lead - 1]);
      const size_t length = first >= 0xF0 ? 4 : first >= 0xE0 ? 3 : 2;
      if (end - (lead - 1) < length) end = lead - 1;
    }
    return text_.substr(0, end);
  }

 private:
  std::string text_;
  bool cut_ = false;
};

}  // namespace

int RestoreFileReader::Get() {
  if (next_ == fill_) {
    fill_ = source_.Read(buffer_);
    next_ = 0;
    if (fill_ == 0) return kEnd;
  }
  return buffer_[next_++];
}

void RestoreFileReader::SkipRestOfLine(int c) {
  while (c != kLineFeed) {
    if (c == kEnd || c == kEndOfFileMark) {
      ended_ = true;
      return;
    }
    c = Get();
  }
}

uint8_t RestoreFileReader::ReadRestoreByte() {
  int c = Get();
  while (c != kEnd && c != kEndOfFileMark && c <= kBlank) c = Get();
  if (c == kEnd || c == kEndOfFileMark) {
    ended_ = true;
    return 0;  // nothing but blanks: no number, and no error
  }

  IntegerParser number({.bits = 32, .leading_blanks = false, .bare_x_prefix = true});
  for (size_t length = 0; c != kEnd && c > kBlank; c = Get(), ++length) {
    if (length < kMaxTokenLength) number.Feed(c);
  }
  SkipRestOfLine(c);

  const std::optional<int64_t> value = number.Result();
  if (!value) throw IoError(kIoInvalidNumber);
  return static_cast<uint8_t>(*value & 0xFF);
}

std::optional<int64_t> RestoreFileReader::NextPosition() {
  if (ended_) return std::nullopt;
  IntegerParser number({.bits = 64, .leading_blanks = true, .bare_x_prefix = false});
  LineExcerpt excerpt;
  bool line_started = false;
  bool empty = true;
  for (int c = Get();; c = Get()) {
    if (c == kEnd) {
      ended_ = true;
      if (!line_started) return std::nullopt;
      break;
    }
    line_started = true;
    if (c == kLineFeed) break;
    if (c == kCarriageReturn) continue;  // a CR is part of no line
    if (empty && c == kEndOfFileMark) {
      ended_ = true;
      return std::nullopt;
    }
    empty = false;
    number.Feed(c);
    excerpt.Feed(c);
  }
  last_line_ = excerpt.Text();
  const std::optional<int64_t> value = number.Result();
  if (!value) throw ConversionError(last_line_);
  return value;
}

}  // namespace tolva
