#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <variant>

#include "platform/byte_source.h"
#include "platform/errors.h"
#include "rewrite/restore_reader.h"

namespace tolva::test {
namespace {

using std::string_literals::operator""s;

struct Read {
  uint8_t byte = 0;
  std::vector<int64_t> positions;
  std::string error;  // the text of the error that ended the reading, empty when none
};

Read ReadAll(const std::string& text) {
  platform::MemoryByteSource source(text);
  RestoreFileReader reader(source);
  Read read;
  try {
    read.byte = reader.ReadRestoreByte();
    while (const auto position = reader.NextPosition()) read.positions.push_back(*position);
  } catch (const Error& e) {
    read.error = e.what();
  }
  return read;
}

struct Case {
  const char* what;
  std::string text;
  uint8_t byte;
  std::vector<int64_t> positions;
  std::string error;
};

void Check(const Case& c) {
  SCOPED_TRACE(c.what);
  const Read read = ReadAll(c.text);
  EXPECT_EQ(read.error, c.error);
  EXPECT_EQ(read.byte, c.byte);
  EXPECT_EQ(read.positions, c.positions);
}

TEST(TheRestoreReader, readsTheFirstLineLeniently) {
  const std::string kNotANumber = "入力値が数値ではありません";
  const Case cases[] = {
      {"as written", "20\r\n7\r\n907\r\n", 20, {7, 907}, ""},
      {"empty file", "", 0, {}, ""},
      {"blanks only", " \t\r\n\r\n", 0, {}, ""},
      {"only the old byte", "0\r\n", 0, {}, ""},
      {"low 8 bits of 256", "256\r\n", 0, {}, ""},
      {"low 8 bits of -1", "-1\r\n", 0xFF, {}, ""},
      {"rest of the line ignored", "20 and more\r\n7\r\n", 20, {7}, ""},
      {"after empty lines", "\r\n\r\n  20\r\n7\r\n", 20, {7}, ""},
      {"dollar hexadecimal", "$14\n", 20, {}, ""},
      {"0x hexadecimal", "0x14\n", 20, {}, ""},
      {"bare x hexadecimal", "X14\n", 20, {}, ""},
      {"eight hex digits", "$FFFFFF14\n", 20, {}, ""},
      {"nine hex digits", "$1FFFFFF14\n", 0, {}, kNotANumber},
      {"largest 32-bit", "2147483647\n", 0xFF, {}, ""},
      {"past 32 bits", "2147483648\n", 0, {}, kNotANumber},
      {"smallest 32-bit", "-2147483648\n", 0, {}, ""},
      {"letters", "abc\r\n7\r\n", 0, {}, kNotANumber},
      {"digits then letters", "20abc\r\n", 0, {}, kNotANumber},
      {"sign alone", "+\r\n", 0, {}, kNotANumber},
      {"prefix alone", "$\r\n", 0, {}, kNotANumber},
      {"end mark before the number",
       "\x1A"
       "20\r\n7\r\n",
       0,
       {},
       ""},
      {"end mark after the number", "20\x1A\r\n7\r\n", 20, {}, ""},
      {"end mark later in line 1", "20 x\x1A\r\n7\r\n", 20, {}, ""},
      {"lines ended by CR alone are one line", "20\r7\r907\r", 20, {}, ""},
      {"a token cut at 32 characters", "20" + std::string(40, '0') + "\n", 0, {}, kNotANumber},
      {"NUL bytes are blanks",
       "\0\0"
       "20\n"s,
       20,
       {},
       ""},
  };
  for (const Case& c : cases) Check(c);
}

TEST(TheRestoreReader, takesExactlyOneIntegerFromEachPositionLine) {
  const auto bad = [](const std::string& line) { return "'" + line + "' は整数ではありません"; };
  const Case cases[] = {
      {"LF line ends", "20\n7\n907\n", 20, {7, 907}, ""},
      {"last line without a line end", "20\r\n7\r\n907", 20, {7, 907}, ""},
      {"lone CR dropped from a line", "20\r\n9\r07\r\n", 20, {907}, ""},
      {"leading spaces", "20\r\n   7\r\n", 20, {7}, ""},
      {"plus sign", "20\r\n+7\r\n", 20, {7}, ""},
      {"negative", "20\r\n-7\r\n", 20, {-7}, ""},
      {"hexadecimal", "20\r\n$10\r\n0x10\r\n0X1f\r\n", 20, {16, 16, 31}, ""},
      {"64-bit hexadecimal wraps", "20\r\n$FFFFFFFFFFFFFFFF\r\n", 20, {-1}, ""},
      {"positions past 2 and 4 GiB",
       "20\r\n2147483655\r\n4294967295\r\n",
       20,
       {2147483655, 4294967295},
       ""},
      {"largest 64-bit", "20\r\n9223372036854775807\r\n", 20, {INT64_MAX}, ""},
      {"past 64 bits", "20\r\n7\r\n9223372036854775808\r\n", 20, {7}, bad("9223372036854775808")},
      {"trailing empty line", "20\r\n7\r\n\r\n", 20, {7}, bad("")},
      {"empty line in the middle", "20\r\n7\r\n\r\n907\r\n", 20, {7}, bad("")},
      {"blank after the digits", "20\r\n7 \r\n", 20, {}, bad("7 ")},
      {"tab before the digits", "20\r\n\t7\r\n", 20, {}, bad("\t7")},
      {"bare x is no prefix here", "20\r\nx10\r\n", 20, {}, bad("x10")},
      {"two numbers", "20\r\n7 907\r\n", 20, {}, bad("7 907")},
      {"end mark at a line start",
       "20\r\n7\r\n\x1A"
       "907\r\n",
       20,
       {7},
       ""},
      {"end mark inside a line", "20\r\n7\x1A\r\n", 20, {}, bad("7\x1A")},
      {"same position twice", "20\r\n7\r\n7\r\n", 20, {7, 7}, ""},
  };
  for (const Case& c : cases) Check(c);
}

TEST(TheRestoreReader, namesAtMostTheFirst64CharactersOfAnEndlessLine) {
  const std::string long_line = std::string(62, '9') + "表" + std::string(3'000'000, 'z');
  const Read read = ReadAll("20\r\n" + long_line);
  // The cut falls inside the three bytes of 表, which is dropped whole.
  EXPECT_EQ(read.error, "'" + std::string(62, '9') + "' は整数ではありません");
  const Read short_enough = ReadAll("20\r\n" + std::string(61, '9') + "表x");
  EXPECT_EQ(short_enough.error, "'" + std::string(61, '9') + "表' は整数ではありません");
}

}  // namespace
}  // namespace tolva::test
