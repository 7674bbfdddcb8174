// Inputs nobody should give the program, and that it must survive without hanging, running out
// of memory or touching anything: odd paths, odd files, hand-made restore files.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>

#include "platform/errors.h"
#include "rewrite/change_frame_rate.h"
#include "rewrite/offset_list.h"
#include "rewrite/restore.h"
#include "tests/support/fake_main_window.h"
#include "tests/support/temp_dir.h"

namespace tolva::test {
namespace {

long PeakKib() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

TEST(AHostileVideoPath, endsWithAMessageOrAnErrorAndTouchesNothing) {
  TempDir dir;
  ::mkfifo(dir.File("pipe").c_str(), 0644);
  std::filesystem::create_directory(dir.File("folder"));
  std::filesystem::create_directory_symlink(dir.File("folder"), dir.File("link"));
  WriteText(dir.File("empty.m2v"), "");
  WriteFile(dir.File("seven.m2v"), Bytes{0x00, 0x00, 0x01, 0xB3, 0x2D, 0x01, 0xE0});
  for (const char* name : {"a movie.m2v", "映画 第1話.m2v", "-dash.m2v"}) {
    WriteFile(dir.File(name), SequenceHeader(4, 3));
  }

  // Without an outcome: the open error.
  const std::vector<std::pair<std::string, std::optional<ChangeOutcome>>> cases = {
      {dir.File("pipe"), std::nullopt},    // a FIFO: refused at once, never waited on
      {dir.File("folder"), std::nullopt},  // a folder
      {dir.File("link"), std::nullopt},    // a link to a folder
      {"/dev/zero", std::nullopt},         // a device without end
      {dir.File("missing.m2v"), std::nullopt},
      {dir.File("empty.m2v"), ChangeOutcome::kNoHeader},
      {dir.File("seven.m2v"), ChangeOutcome::kNoHeader},
      {dir.File("a movie.m2v"), ChangeOutcome::kConverted},
      {dir.File("映画 第1話.m2v"), ChangeOutcome::kConverted},
      {dir.File("-dash.m2v"), ChangeOutcome::kConverted},
  };
  for (const auto& [path, wanted] : cases) {
    SCOPED_TRACE(path);
    FakeMainWindow form;
    if (!wanted) {
      EXPECT_THROW(ChangeFrameRate(form, path), FileOpenError);
      continue;
    }
    EXPECT_EQ(ChangeFrameRate(form, path), *wanted);
  }
  EXPECT_EQ(ReadFile(dir.File("seven.m2v")).size(), 7u);
  EXPECT_TRUE(Exists(dir.File("映画 第1話(fps).ini")));
  EXPECT_TRUE(Exists(dir.File("-dash(fps).ini")));
}

TEST(AFileOfNothingButHeaders, fillsTheOffsetListAndIsLeftUntouched) {
  // Every 8 bytes a header: one more than the offset list holds.
  TempDir dir;
  const std::string video = dir.File("headers.m2v");
  {
    const Bytes header = SequenceHeader(4, 3);
    Bytes block;
    for (int i = 0; i < 1 << 16; ++i) block.insert(block.end(), header.begin(), header.end());
    std::ofstream out(video, std::ios::binary);
    for (int i = 0; i < kMaxOffsetLines / (1 << 16); ++i) {
      out.write(reinterpret_cast<const char*>(block.data()), static_cast<long>(block.size()));
    }
    out.write(reinterpret_cast<const char*>(header.data()), 8);
  }
  FakeMainWindow form;
  try {
    ChangeFrameRate(form, video);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "行を挿入できません");
  }
  EXPECT_EQ(form.OffsetLineCount(), kMaxOffsetLines);
  EXPECT_EQ(GetBytes(video, SizeOf(video) - 8, 8), SequenceHeader(4, 3));
  EXPECT_EQ(GetBytes(video, 7, 1), Bytes{0x34});
  EXPECT_FALSE(Exists(dir.File("headers(fps).ini")));
}

TEST(AHostileRestoreFile, neverWritesOutsideTheVideoNorRunsOutOfMemory) {
  struct Case {
    const char* what;
    std::function<void(const std::string&)> write;
    const char* error;  // empty: the restore completes
    std::vector<std::pair<uint64_t, uint8_t>> bytes;
  };
  const auto text = [](std::string content) {
    return [content](const std::string& path) { WriteText(path, content); };
  };
  const Case cases[] = {
      {"empty", text(""), "", {}},
      {"binary",
       text(std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)),
       "入力値が数値ではありません",
       {}},
      {"past the end",
       text("20\r\n7\r\n4096\r\n"),
       "'4096' はファイルの範囲外の位置です",
       {{7, 0x14}}},
      {"negative", text("20\r\n-7\r\n"), "'-7' はファイルの範囲外の位置です", {}},
      {"every bit set",
       text("20\r\n$FFFFFFFFFFFFFFFF\r\n"),
       "'$FFFFFFFFFFFFFFFF' はファイルの範囲外の位置です",
       {}},
      {"duplicated", text("20\r\n7\r\n7\r\n7\r\n"), "", {{7, 0x14}}},
      {"end mark in the middle",
       text("20\r\n7\r\n\x1a"
            "8\r\n"),
       "",
       {{7, 0x14}}},
      {"a 1 GiB line without a line end",
       [](const std::string& path) {
         WriteText(path, "20\r\n7");
         MakeSparse(path, (uint64_t{1} << 30) + 5);  // "7" and then a billion NUL bytes
       },
       "'7",
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    const std::string video = dir.File("movie.m2v");
    Bytes original(1000, 0x00);
    const Bytes header = SequenceHeader(4, 3);  // its byte 7, 0x34, at position 7
    std::copy(header.begin(), header.end(), original.begin());
    WriteFile(video, original);
    c.write(dir.File("movie(fps).ini"));
    FakeMainWindow form;
    form.current_path = video;
    const long peak_before = PeakKib();
    try {
      EXPECT_EQ(RestoreFrameRate(form), RestoreOutcome::kRestored);
      EXPECT_STREQ("", c.error);
    } catch (const Error& e) {
      EXPECT_EQ(std::string(e.what()).rfind(c.error, 0), 0u) << e.what();
    }
    EXPECT_LT(PeakKib() - peak_before, 64 * 1024);  // bounded, whatever the file holds
    EXPECT_EQ(SizeOf(video), 1000u);
    Bytes expected = original;
    for (const auto& [position, value] : c.bytes) expected[position] = value;
    EXPECT_EQ(ReadFile(video), expected);
  }
}

}  // namespace
}  // namespace tolva::test
