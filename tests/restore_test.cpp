#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "platform/errors.h"
#include "platform/exclusive_file.h"
#include "rewrite/change_frame_rate.h"
#include "rewrite/restore.h"
#include "tests/support/fake_main_window.h"
#include "tests/support/temp_dir.h"

namespace tolva::test {
namespace {

constexpr char kRestoring[] = "復元中";
constexpr char kRestored[] = "復元終了";

// A 1000-byte video of noise with headers whose byte 7 is at 7, 907 and 999, beside its
// restore file.
struct RestoreSetup {
  TempDir dir;
  std::string video = dir.File("movie.m2v");
  std::string restore = dir.File("movie(fps).ini");
  Bytes before;
  FakeMainWindow form;

  explicit RestoreSetup(const std::string& restore_text) {
    for (int i = 0; i < 1000; ++i) before.push_back(static_cast<uint8_t>(i * 7));
    for (size_t at : {0, 900, 992}) {
      const Bytes header = SequenceHeader(4, 3);
      std::copy(header.begin(), header.end(), before.begin() + static_cast<long>(at));
    }
    WriteFile(video, before);
    WriteText(restore, restore_text);
    form.current_path = video;
  }
  Bytes With(std::initializer_list<std::pair<size_t, uint8_t>> changes) const {
    Bytes bytes = before;
    for (const auto& [position, value] : changes) bytes[position] = value;
    return bytes;
  }
};

TEST(TheRestore, writesTheOldByteAtEveryListedPosition) {
  struct Case {
    const char* what;
    std::string text;
    std::initializer_list<std::pair<size_t, uint8_t>> changes;
  };
  const Case cases[] = {
      {"the written format", "20\r\n7\r\n907\r\n", {{7, 0x14}, {907, 0x14}}},
      {"the old byte alone", "0\r\n", {}},
      {"a position twice", "20\r\n7\r\n7\r\n", {{7, 0x14}}},
      {"256 is 0x00", "256\r\n7\r\n", {{7, 0x00}}},
      {"no final line end", "20\r\n7\r\n907", {{7, 0x14}, {907, 0x14}}},
      {"CR alone is no line end", "20\r7\r907\r", {}},
      {"the last byte of the file", "20\r\n999\r\n", {{999, 0x14}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RestoreSetup s(c.text);
    EXPECT_EQ(RestoreFrameRate(s.form), RestoreOutcome::kRestored);
    EXPECT_EQ(ReadFile(s.video), s.With(c.changes));
    EXPECT_EQ(s.form.panel0_log, (std::vector<std::string>{kRestoring, kRestored}));
    EXPECT_EQ(s.form.pumps, 1);
    EXPECT_TRUE(s.form.messages.empty());
    EXPECT_EQ(ReadText(s.restore), c.text);  // never consumed
  }
}

TEST(TheRestore, stopsAtABadLineWithTheLinesBeforeItRestored) {
  struct Case {
    const char* what;
    std::string text;
    std::initializer_list<std::pair<size_t, uint8_t>> changes;
    std::string error;
  };
  const Case cases[] = {
      {"first line not a number", "abc\r\n7\r\n", {}, "入力値が数値ではありません"},
      {"trailing empty line", "20\r\n7\r\n\r\n", {{7, 0x14}}, "'' は整数ではありません"},
      {"past the end of the video",
       "20\r\n7\r\n1000\r\n907\r\n",
       {{7, 0x14}},
       "'1000' はファイルの範囲外の位置です"},
      {"negative", "20\r\n7\r\n-1\r\n", {{7, 0x14}}, "'-1' はファイルの範囲外の位置です"},
      {"not in a header",
       "20\r\n7\r\n500\r\n907\r\n",
       {{7, 0x14}},
       "'500' はシーケンスヘッダの位置ではありません"},
      {"before any header could end",
       "20\r\n3\r\n",
       {},
       "'3' はシーケンスヘッダの位置ではありません"},
      {"all bits set",
       "20\r\n$FFFFFFFFFFFFFFFF\r\n",
       {},
       "'$FFFFFFFFFFFFFFFF' はファイルの範囲外の位置です"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RestoreSetup s(c.text);
    try {
      RestoreFrameRate(s.form);
      ADD_FAILURE() << "no error";
    } catch (const Error& e) {
      EXPECT_EQ(e.what(), c.error);
    }
    EXPECT_EQ(ReadFile(s.video), s.With(c.changes));
    EXPECT_EQ(s.form.panels[0], kRestoring);
    EXPECT_EQ(SizeOf(s.video), 1000u);
    // Both files were closed on the way out.
    EXPECT_NO_THROW(
        platform::ExclusiveFile::Open(s.video, platform::ExclusiveFile::Access::kReadWrite));
  }
}

TEST(TheRestore, doesNothingWithoutACurrentFileAndTellsWhenNoRestoreFileIsThere) {
  RestoreSetup s("20\r\n7\r\n");
  s.form.current_path = "";
  EXPECT_EQ(RestoreFrameRate(s.form), RestoreOutcome::kNoCurrentFile);
  EXPECT_TRUE(s.form.messages.empty());
  EXPECT_TRUE(s.form.panel0_log.empty());

  std::filesystem::remove(s.restore);
  std::filesystem::create_directory(s.restore);  // a folder is no restore file
  s.form.current_path = s.video;
  s.form.panels[0] = "前の状態";
  EXPECT_EQ(RestoreFrameRate(s.form), RestoreOutcome::kNoRestoreFile);
  EXPECT_EQ(s.form.messages,
            std::vector<std::string>{"復元ファイルがありません(" + s.restore + ")"});
  EXPECT_EQ(s.form.panels[0], "前の状態");
  EXPECT_EQ(ReadFile(s.video), s.before);
}

TEST(TheRestore, cannotOpenAReadOnlyOrHeldVideo) {
  for (bool read_only : {true, false}) {
    RestoreSetup s("20\r\n7\r\n");
    std::optional<platform::ExclusiveFile> held;
    if (read_only) {
      ::chmod(s.video.c_str(), 0444);
    } else {
      held = platform::ExclusiveFile::Open(s.video, platform::ExclusiveFile::Access::kRead);
    }
    try {
      RestoreFrameRate(s.form);
      ADD_FAILURE();
    } catch (const FileOpenError& e) {
      EXPECT_EQ(e.what(), "ファイル " + s.video + " は開けません");
    }
    held.reset();
    EXPECT_EQ(ReadFile(s.video), s.before);
    EXPECT_EQ(s.form.panels[0], kRestoring);
  }
}

TEST(TheRestore, bringsBackTheOriginalAfterAConversionAndAgainAfterThat) {
  TempDir dir;
  const std::string video = dir.File("映画 1.m2v");
  MakeSparse(video, 2147483648ull + 4096);
  const std::vector<uint64_t> headers = {0, 1000, 10485760, 2147483648ull};
  for (uint64_t at : headers) PutBytes(video, at, SequenceHeader(4, 2));
  FakeMainWindow form;
  form.current_path = video;
  form.ChooseRate(6);
  ASSERT_EQ(ChangeFrameRate(form, video), ChangeOutcome::kConverted);
  for (uint64_t at : headers) EXPECT_EQ(GetBytes(video, at + 7, 1), Bytes{0x26}) << at;

  for (int round = 0; round < 2; ++round) {
    EXPECT_EQ(RestoreFrameRate(form), RestoreOutcome::kRestored);
    for (uint64_t at : headers) EXPECT_EQ(GetBytes(video, at, 8), SequenceHeader(4, 2)) << at;
    EXPECT_EQ(SizeOf(video), 2147483648ull + 4096);
  }
}

}  // namespace
}  // namespace tolva::test
