#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fcntl.h>
#include <cerrno>
#include <filesystem>

#include "platform/byte_source.h"
#include "platform/errors.h"
#include "platform/exclusive_file.h"
#include "platform/file_attributes.h"
#include "platform/new_file.h"
#include "rewrite/error_report.h"
#include "tests/support/temp_dir.h"

namespace tolva::test {
namespace {

using platform::ExclusiveFile;
using Access = ExclusiveFile::Access;

void ExpectOpenFails(const std::string& path, Access access) {
  try {
    ExclusiveFile::Open(path, access);
    FAIL() << "opened " << path;
  } catch (const FileOpenError& e) {
    EXPECT_EQ(std::string(e.what()), "ファイル " + path + " は開けません");
  }
}

TEST(AnExclusiveFile, refusesASecondOpenWhileHeld) {
  TempDir dir;
  const std::string video = dir.File("movie.m2v");
  WriteText(video, "data");
  auto held = ExclusiveFile::Open(video, Access::kRead);
  ExpectOpenFails(video, Access::kRead);
  ExpectOpenFails(video, Access::kReadWrite);
  held.Close();
  EXPECT_NO_THROW(ExclusiveFile::Open(video, Access::kReadWrite));
}

TEST(AnExclusiveFile, refusesAFileAnotherProcessHoldsWithFlock) {
  TempDir dir;
  const std::string video = dir.File("movie.m2v");
  WriteText(video, "data");
  const int fd = ::open(video.c_str(), O_RDONLY);
  ASSERT_EQ(::flock(fd, LOCK_EX), 0);
  ExpectOpenFails(video, Access::kRead);
  ::close(fd);
}

TEST(AnExclusiveFile, opensOnlyRegularFilesAndNeverBlocks) {
  TempDir dir;
  const std::string fifo = dir.File("pipe");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  for (const std::string& path :
       {fifo, dir.path(), std::string("/dev/zero"), dir.File("missing")}) {
    SCOPED_TRACE(path);
    ExpectOpenFails(path, Access::kRead);
    ExpectOpenFails(path, Access::kReadWrite);
  }
}

TEST(AnExclusiveFile, refusesWritingAReadOnlyFileEvenForRoot) {
  TempDir dir;
  const std::string video = dir.File("movie.m2v");
  WriteText(video, "data");
  ASSERT_EQ(::chmod(video.c_str(), 0444), 0);
  EXPECT_TRUE(platform::IsReadOnly(video));
  EXPECT_NO_THROW(ExclusiveFile::Open(video, Access::kRead));
  ExpectOpenFails(video, Access::kReadWrite);
}

TEST(AnExclusiveFile, readsAndWritesPastTwoAndFourGibibytesExactly) {
  TempDir dir;
  const std::string video = dir.File("big.m2v");
  const uint64_t positions[] = {2147483647ull, 2147483648ull, 4294967295ull, 4294967296ull};
  MakeSparse(video, 4294967297ull);
  auto file = ExclusiveFile::Open(video, Access::kReadWrite);
  EXPECT_EQ(file.Size(), 4294967297ull);
  for (uint64_t position : positions) {
    ASSERT_TRUE(file.WriteByteAt(position, 0xA5));
    uint8_t byte = 0;
    ASSERT_EQ(file.ReadAt(position, std::span(&byte, 1)), 1u);
    EXPECT_EQ(byte, 0xA5) << position;
  }
  file.Close();
  EXPECT_EQ(GetBytes(video, 2147483646ull, 4), (Bytes{0, 0xA5, 0xA5, 0}));
  EXPECT_EQ(SizeOf(video), 4294967297ull);
}

TEST(AFileAttributeQuery, takesAMissingFileAsReadOnly) {
  TempDir dir;
  EXPECT_TRUE(platform::IsReadOnly(dir.File("missing")));
  EXPECT_FALSE(platform::FileExists(dir.path()));
  EXPECT_TRUE(platform::FolderExists(dir.path()));
}

TEST(AnIoError, carriesTheCodeAndTextOfTheFailure) {
  struct Case {
    int err;
    int code;
    const char* text;
  };
  const Case cases[] = {
      {ENOENT, 2, "ファイルが見つかりません"},
      {ENOTDIR, 3, "不正なファイル名です"},
      {ENAMETOOLONG, 3, "不正なファイル名です"},
      {EMFILE, 4, "オープンしたファイルが多すぎます"},
      {ENFILE, 4, "オープンしたファイルが多すぎます"},
      {EACCES, 5, "ファイルへのアクセスが拒否されました"},
      {EPERM, 5, "ファイルへのアクセスが拒否されました"},
      {EROFS, 5, "ファイルへのアクセスが拒否されました"},
      {ENOSPC, ENOSPC, "I/O エラー (28)"},
      {EIO, EIO, "I/O エラー (5)"},        // the OS's 5 is not "access denied"
      {EISCONN, 106, "I/O エラー (106)"},  // nor is its 106 "not a number"
  };
  for (const Case& c : cases) {
    const IoError error = IoErrorFromErrno(c.err);
    EXPECT_EQ(error.code(), c.code) << c.err;
    EXPECT_STREQ(error.what(), c.text) << c.err;
  }
  EXPECT_STREQ(IoError(kIoInvalidNumber).what(), "入力値が数値ではありません");
  EXPECT_STREQ(IoError(kIoDiskFull).what(), "ディスクがいっぱいです");
  EXPECT_STREQ(IoError(kIoReadPastEnd).what(), "ファイルの末尾以降を読み込みました");
}

TEST(TheErrorReport, addsAFullStopAfterLettersDigitsAndJapaneseOnly) {
  const std::pair<std::string, std::string> cases[] = {
      {"ファイル /a.m2v は開けません", "ファイル /a.m2v は開けません."},
      {"I/O エラー (28)", "I/O エラー (28)"},
      {"ends.", "ends."},
      {"abc", "abc."},
      {"7", "7."},
      {"", ""},
      {"a,", "a,"},  // "," comes before "."
  };
  for (const auto& [message, shown] : cases) EXPECT_EQ(ErrorReportText(message), shown);
}

TEST(ANewFile, appearsOnlyOnCommitAndNeverReplacesAFile) {
  TempDir dir;
  const std::string path = dir.File("movie(fps).ini");
  {
    platform::NewFile abandoned(path);
    abandoned.Write("20\r\n");
  }
  EXPECT_FALSE(Exists(path));

  platform::NewFile first(path);
  first.Write("20\r\n");
  EXPECT_EQ(first.Commit(), platform::NewFile::CommitResult::kCreated);
  platform::NewFile second(path);
  second.Write("99\r\n");
  EXPECT_EQ(second.Commit(), platform::NewFile::CommitResult::kAlreadyExists);
  EXPECT_EQ(ReadText(path), "20\r\n");
  // Nothing else is left in the folder: no temporary file survives.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(ASharedReadFile, letsOtherReadersInButNotAWriterHoldingALock) {
  TempDir dir;
  const std::string path = dir.File("movie(fps).ini");
  WriteText(path, "20\r\n");
  platform::SharedReadFile one(path);
  EXPECT_NO_THROW(platform::SharedReadFile two(path));
  one.Close();
  const int fd = ::open(path.c_str(), O_RDWR);
  ASSERT_EQ(::flock(fd, LOCK_EX), 0);
  EXPECT_THROW(platform::SharedReadFile three(path), IoError);
  ::close(fd);
  try {
    platform::SharedReadFile missing(dir.File("missing"));
    FAIL();
  } catch (const IoError& e) {
    EXPECT_EQ(e.code(), kIoFileNotFound);
  }
}

}  // namespace
}  // namespace tolva::test
