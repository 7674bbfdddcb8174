#include <gtest/gtest.h>

#include "rewrite/change_frame_rate.h"
#include "rewrite/restore_file.h"
#include "tests/support/fake_main_window.h"
#include "tests/support/temp_dir.h"

namespace tolva::test {
namespace {

TEST(TheRestoreFilePath, dropsTheExtensionOnlyFromTheFileName) {
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\video\\movie.m2v", "C:\\video\\movie(fps).ini"},
      {"C:\\video\\movie.part1.mpg", "C:\\video\\movie.part1(fps).ini"},
      {"C:\\video\\movie.", "C:\\video\\movie(fps).ini"},
      {"C:\\clips.old\\movie", "C:\\clips.old\\movie(fps).ini"},
      {"C:\\video\\.mpg", "C:\\video\\(fps).ini"},
      {"C:movie", "C:movie(fps).ini"},
      {"/home/a.b/movie", "/home/a.b/movie(fps).ini"},
      {"/home/user/movie.m2v", "/home/user/movie(fps).ini"},
      {"/動画/映画.表.m2v", "/動画/映画.表(fps).ini"},
      {"movie", "movie(fps).ini"},
  };
  for (const auto& [video, restore] : cases) EXPECT_EQ(RestoreFilePath(video), restore);
}

TEST(TheRestoreFile, holdsTheOldByteThenEachPositionWithCrLf) {
  TempDir dir;
  const std::string path = dir.File("movie.m2v");
  MakeSparse(path, 2000);
  PutBytes(path, 0, SequenceHeader(4, 1));  // old byte 0x14
  PutBytes(path, 900, SequenceHeader(4, 1));
  FakeMainWindow form;
  ASSERT_EQ(ChangeFrameRate(form, path), ChangeOutcome::kConverted);
  EXPECT_EQ(ReadFile(dir.File("movie(fps).ini")),
            (Bytes{0x32, 0x30, 0x0D, 0x0A, 0x37, 0x0D, 0x0A, 0x39, 0x30, 0x37, 0x0D, 0x0A}));
}

TEST(TheRestoreFile, isWrittenOncePerNameWhateverTheExtension) {
  TempDir dir;
  FakeMainWindow form;
  form.offsets.Add("20");
  EXPECT_EQ(WriteRestoreFile(form, dir.File("movie.m2v")), RestoreFileWrite::kWritten);
  form.offsets.Add("7");
  EXPECT_EQ(WriteRestoreFile(form, dir.File("movie.mpv")), RestoreFileWrite::kAlreadyThere);
  EXPECT_EQ(ReadText(dir.File("movie(fps).ini")), "20\r\n");
}

}  // namespace
}  // namespace tolva::test
