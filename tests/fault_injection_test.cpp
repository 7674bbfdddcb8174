// Failures a disk or a drive can produce, injected below the engine: whatever fails, the video
// stays restorable, its length never changes, and the user is told in the system's own texts.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "platform/errors.h"
#include "rewrite/change_frame_rate.h"
#include "rewrite/restore.h"
#include "tests/support/fake_main_window.h"
#include "tests/support/scoped_faults.h"
#include "tests/support/temp_dir.h"

namespace tolva::test {
namespace {

using Call = platform::FileCall;

// Three identical headers (old byte 0x34) 100 bytes apart, noise between.
Bytes Video() {
  Bytes bytes(300, 0x55);
  for (size_t at : {0u, 100u, 200u}) {
    const Bytes header = SequenceHeader(4, 3);
    std::copy(header.begin(), header.end(), bytes.begin() + static_cast<long>(at));
  }
  return bytes;
}

size_t FilesIn(const std::string& folder) {
  return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(folder), {}));
}

TEST(AFailingRestoreFile, leavesTheVideoByteIdenticalAndNoFileBehind) {
  struct Case {
    const char* what;
    Call call;
    int err;
    int code;
    const char* text;
  };
  const Case cases[] = {
      {"cannot be created", Call::kCreate, EACCES, 5, "ファイルへのアクセスが拒否されました"},
      {"disk full while writing", Call::kWrite, ENOSPC, ENOSPC, "I/O エラー (28)"},
      {"sync fails", Call::kSync, EIO, EIO, "I/O エラー (5)"},
      {"cannot be named", Call::kLink, ENOSPC, ENOSPC, "I/O エラー (28)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    const std::string video = dir.File("movie.m2v");
    WriteFile(video, Video());
    FakeMainWindow form;
    {
      ScopedFaults faults;
      faults.Fail(c.call, 1, c.err);
      try {
        ChangeFrameRate(form, video);
        ADD_FAILURE() << "no error";
      } catch (const IoError& e) {
        EXPECT_EQ(e.code(), c.code);
        EXPECT_STREQ(e.what(), c.text);
      }
      EXPECT_EQ(faults.Calls(Call::kWriteByte), 0);
    }
    EXPECT_EQ(ReadFile(video), Video());
    EXPECT_EQ(FilesIn(dir.path()), 1u);  // no restore file, whole or partial
    EXPECT_TRUE(form.messages.empty());

    // Once the disk has room again, the same conversion goes through.
    FakeMainWindow again;
    EXPECT_EQ(ChangeFrameRate(again, video), ChangeOutcome::kConverted);
    EXPECT_EQ(ReadText(dir.File("movie(fps).ini")), "52\r\n7\r\n107\r\n207\r\n");
  }
}

TEST(AFailingPassRead, examinesOnlyWhatWasRead) {
  const uint64_t chunk = 10485760;
  const Bytes h = SequenceHeader(4, 3);
  struct Case {
    const char* what;
    std::vector<uint64_t> headers;
    std::vector<std::string> lines;
    ChangeOutcome outcome;
  };
  const Case cases[] = {
      {"headers before and after the lost pass",
       {100, chunk + 100, 2 * chunk + 100},
       {"52", "107", "20971627"},
       ChangeOutcome::kConverted},
      {"the only header in the lost pass", {chunk + 100}, {}, ChangeOutcome::kNoHeader},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    const std::string video = dir.File("movie.m2v");
    MakeSparse(video, 2 * chunk + 1000);
    for (uint64_t at : c.headers) PutBytes(video, at, h);
    FakeMainWindow form;
    ScopedFaults faults;
    faults.Fail(Call::kRead, 2, EIO);  // the second pass reads nothing
    EXPECT_EQ(ChangeFrameRate(form, video), c.outcome);
    EXPECT_EQ(form.Lines(), c.lines);
    EXPECT_EQ(SizeOf(video), 2 * chunk + 1000);
    if (c.outcome == ChangeOutcome::kNoHeader) {
      EXPECT_TRUE(form.messages.empty());
      EXPECT_EQ(GetBytes(video, chunk + 100, 8), h);
    }
  }
}

TEST(AFailingByteWrite, isPassedOverAndTheRestoreStillGivesTheOriginalBack) {
  TempDir dir;
  const std::string video = dir.File("movie.m2v");
  WriteFile(video, Video());
  FakeMainWindow form;
  form.current_path = video;
  {
    ScopedFaults faults;
    faults.Fail(Call::kWriteByte, 2, EIO);
    EXPECT_EQ(ChangeFrameRate(form, video), ChangeOutcome::kConverted);
  }
  EXPECT_EQ(GetBytes(video, 7, 1), Bytes{0x31});
  EXPECT_EQ(GetBytes(video, 107, 1), Bytes{0x34});  // the failed write
  EXPECT_EQ(GetBytes(video, 207, 1), Bytes{0x31});
  EXPECT_EQ(ReadText(dir.File("movie(fps).ini")), "52\r\n7\r\n107\r\n207\r\n");
  EXPECT_EQ(form.messages.back(), "終わりました");

  {
    ScopedFaults faults;  // a write of the restore fails too: that byte keeps the new code
    faults.Fail(Call::kWriteByte, 3, EIO);
    EXPECT_EQ(RestoreFrameRate(form), RestoreOutcome::kRestored);
    EXPECT_EQ(GetBytes(video, 207, 1), Bytes{0x31});
  }
  EXPECT_EQ(RestoreFrameRate(form), RestoreOutcome::kRestored);
  EXPECT_EQ(ReadFile(video), Video());
}

TEST(AFailingRestoreFileRead, endsTheRestoreBeforeAnyWrite) {
  TempDir dir;
  const std::string video = dir.File("movie.m2v");
  WriteFile(video, Video());
  WriteText(dir.File("movie(fps).ini"), "20\r\n7\r\n");
  FakeMainWindow form;
  form.current_path = video;
  ScopedFaults faults;
  faults.Fail(Call::kReadText, 1, EIO);
  EXPECT_THROW(RestoreFrameRate(form), IoError);
  EXPECT_EQ(faults.Calls(Call::kWriteByte), 0);
  EXPECT_EQ(ReadFile(video), Video());
  EXPECT_EQ(form.panels[0], "復元中");
}

TEST(AFailingOpenForWriting, leavesTheVideoAndNoRestoreFile) {
  TempDir dir;
  const std::string video = dir.File("movie.m2v");
  WriteFile(video, Video());
  FakeMainWindow form;
  ScopedFaults faults;
  faults.Fail(Call::kOpen, 2, EACCES);  // the scan's open succeeds, the rewrite's fails
  EXPECT_THROW(ChangeFrameRate(form, video), FileOpenError);
  EXPECT_EQ(ReadFile(video), Video());
  EXPECT_EQ(FilesIn(dir.path()), 1u);
}

}  // namespace
}  // namespace tolva::test
