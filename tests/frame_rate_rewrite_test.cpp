#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <optional>

#include "platform/errors.h"
#include "platform/exclusive_file.h"
#include "rewrite/change_frame_rate.h"
#include "rewrite/frame_rate_rewrite.h"
#include "rewrite/restore_file.h"
#include "tests/support/fake_main_window.h"
#include "tests/support/temp_dir.h"

namespace tolva::test {
namespace {

constexpr char kGettingRateInfo[] = "フレームレート情報取得中";
constexpr char kConverting[] = "29.97fpsを23.976fpsに変換中です";
constexpr char kConverted[] = "29.97fpsを23.976fpsに変換しました";
constexpr char kFinished[] = "終わりました";

// A small video: `count` identical headers with old byte 0x34, 100 bytes apart, noise between.
Bytes VideoWithHeaders(int count, const Bytes& header = SequenceHeader(4, 3)) {
  Bytes bytes;
  for (int i = 0; i < count; ++i) {
    bytes.insert(bytes.end(), header.begin(), header.end());
    for (int k = 0; k < 92; ++k) bytes.push_back(static_cast<uint8_t>(0x40 + k));
  }
  return bytes;
}

// A small video written into a folder of its own.
struct SmallVideo {
  explicit SmallVideo(int headers) : before(VideoWithHeaders(headers)) { WriteFile(path, before); }
  TempDir dir;
  std::string path = dir.File("movie.m2v");
  std::string restore_file = dir.File("movie(fps).ini");
  Bytes before;
};

std::vector<std::string> PositionLines(int count) {
  std::vector<std::string> lines;
  for (int i = 0; i < count; ++i) lines.push_back(std::to_string(i * 100 + 7));
  return lines;
}

TEST(TheRewrite, writesTheNewCodeAtEveryListedPositionAndNowhereElse) {
  const SmallVideo video(3);
  FakeMainWindow form;  // RadioButton1: 23.976

  EXPECT_EQ(ChangeFrameRate(form, video.path), ChangeOutcome::kConverted);

  Bytes expected = video.before;
  for (size_t p : {7, 107, 207}) expected[p] = 0x31;  // aspect bits kept, code 1
  EXPECT_EQ(ReadFile(video.path), expected);
  EXPECT_EQ(form.Lines(), (std::vector<std::string>{"52", "7", "107", "207"}));
  EXPECT_EQ(form.panel0_log, (std::vector<std::string>{kGettingRateInfo, kConverting, kConverted}));
  EXPECT_EQ(form.panels[1], "");
  EXPECT_EQ(form.messages, std::vector<std::string>{kFinished});
  EXPECT_EQ(ReadText(video.restore_file), "52\r\n7\r\n107\r\n207\r\n");
}

TEST(TheRewrite, movesTheGaugeBeforeEveryWrite) {
  struct Case {
    int count;
    std::vector<int> gauge;  // after the scan's single pass at 100
  };
  const Case cases[] = {
      {1, {100}},
      {3, {33, 66, 100}},
      {7, {14, 28, 42, 57, 71, 85, 100}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.count);
    const SmallVideo video(c.count);
    FakeMainWindow form;
    ChangeFrameRate(form, video.path);
    std::vector<int> gauge = c.gauge;
    gauge.insert(gauge.begin(), 100);
    EXPECT_EQ(form.progress_log, gauge);
  }
}

TEST(TheRewrite, keepsTheAspectBitsAndNamesOtherCodesAsOther) {
  TempDir dir;
  const std::string path = dir.File("movie.m2v");
  WriteFile(path, VideoWithHeaders(2, SequenceHeader(8, 0xF)));
  FakeMainWindow form;
  form.ChooseRate(7);
  EXPECT_EQ(ChangeFrameRate(form, path), ChangeOutcome::kConverted);
  EXPECT_EQ(GetBytes(path, 107, 1), Bytes{0xF7});
  EXPECT_EQ(form.panels[0], "その他を59.94fpsに変換しました");
  EXPECT_EQ(form.GetOffsetLine(0), "248");
}

TEST(TheRewrite, writesTwiceAPositionListedTwiceOnAChunkBoundary) {
  TempDir dir;
  const std::string path = dir.File("movie.m2v");
  MakeSparse(path, 10485760 + 100);
  PutBytes(path, 10485760, SequenceHeader(4));
  FakeMainWindow form;
  ChangeFrameRate(form, path);
  EXPECT_EQ(form.Lines(), (std::vector<std::string>{"52", "10485767", "10485767"}));
  EXPECT_EQ(GetBytes(path, 10485767, 1), Bytes{0x31});
  EXPECT_EQ(ReadText(dir.File("movie(fps).ini")), "52\r\n10485767\r\n10485767\r\n");
}

TEST(TheRewrite, refusesAReadOnlyOrVanishedFileAfterTheScan) {
  using Change = std::function<void(const std::string&)>;
  const std::pair<const char*, Change> cases[] = {
      {"read-only", [](const std::string& p) { ::chmod(p.c_str(), 0444); }},
      {"deleted", [](const std::string& p) { ::unlink(p.c_str()); }},
  };
  for (const auto& [what, change] : cases) {
    SCOPED_TRACE(what);
    const SmallVideo video(2);
    const std::string& path = video.path;
    const Bytes& before = video.before;
    FakeMainWindow form;
    form.on_pump = [&, change = change](FakeMainWindow&) { change(path); };
    EXPECT_EQ(ChangeFrameRate(form, path), ChangeOutcome::kReadOnly);
    EXPECT_EQ(form.messages,
              std::vector<std::string>{"読み取り専用になっています\r\n解除してください"});
    EXPECT_EQ(form.panels[0], "");
    EXPECT_EQ(form.panels[1], "");
    EXPECT_EQ(form.progress, 100);
    EXPECT_EQ(form.Lines(), PositionLines(2));
    if (Exists(path)) {
      EXPECT_EQ(ReadFile(path), before);
    }
    EXPECT_FALSE(Exists(video.restore_file));
  }
}

TEST(TheRewrite, leavesAFileHeldByAnotherProgramUntouched) {
  const SmallVideo video(2);
  const std::string& path = video.path;
  const Bytes& before = video.before;
  FakeMainWindow form;
  const ScanResult scan = ScanSequenceHeaders(form, path);
  // Another program takes the file between the scan and the rewrite.
  std::optional<platform::ExclusiveFile> other =
      platform::ExclusiveFile::Open(path, platform::ExclusiveFile::Access::kRead);
  EXPECT_THROW(RewriteFrameRate(form, scan), FileOpenError);
  other.reset();
  EXPECT_EQ(ReadFile(path), before);
  EXPECT_EQ(form.panels[0], kGettingRateInfo);
  EXPECT_EQ(form.Lines(), PositionLines(2));
  EXPECT_FALSE(Exists(video.restore_file));
}

TEST(TheRewrite, writesNothingWhenTheFileChangedAfterTheScan) {
  using Change = std::function<void(const std::string&, const Bytes&)>;
  const std::pair<const char*, Change> cases[] = {
      {"cut shorter", [](const std::string& p,
                         const Bytes& b) { WriteFile(p, Bytes(b.begin(), b.begin() + 150)); }},
      {"replaced by another file of the same size",
       [](const std::string& p, const Bytes& b) {
         WriteFile(p + ".new", b);
         std::filesystem::rename(p + ".new", p);
       }},
      {"written in place",
       [](const std::string& p, const Bytes&) {
         ::usleep(20000);  // a later modification time, at any timestamp granularity
         PutBytes(p, 50, Bytes{0x01});
       }},
  };
  for (const auto& [what, change] : cases) {
    SCOPED_TRACE(what);
    const SmallVideo video(2);
    const std::string& path = video.path;
    const Bytes& before = video.before;
    FakeMainWindow form;
    const ScanResult scan = ScanSequenceHeaders(form, path);
    change(path, before);
    const Bytes changed = ReadFile(path);
    EXPECT_THROW(RewriteFrameRate(form, scan), Error);
    EXPECT_EQ(ReadFile(path), changed);
    EXPECT_FALSE(Exists(video.restore_file));
    EXPECT_TRUE(form.messages.empty());
  }
}

TEST(TheRewrite, keepsAnExistingRestoreFileAndSaysSoAfterTheWrites) {
  const SmallVideo video(2);
  WriteText(video.restore_file, "99\r\n1\r\n");  // from another video, movie.mpv
  FakeMainWindow form;
  EXPECT_EQ(ChangeFrameRate(form, video.path), ChangeOutcome::kConverted);
  EXPECT_EQ(GetBytes(video.path, 107, 1), Bytes{0x31});
  EXPECT_EQ(ReadText(video.restore_file), "99\r\n1\r\n");
  EXPECT_EQ(form.messages, (std::vector<std::string>{"復元ファイルは存在します", kFinished}));
  EXPECT_EQ(form.panels[0], kConverted);
}

TEST(TheRewrite, leavesTheVideoByteIdenticalWhenNoRestoreFileCanBeMade) {
  const SmallVideo video(2);
  const std::string& path = video.path;
  const Bytes& before = video.before;
  std::filesystem::create_directory(video.restore_file);  // a folder takes the name
  FakeMainWindow form;
  try {
    ChangeFrameRate(form, path);
    FAIL();
  } catch (const IoError& e) {
    EXPECT_EQ(e.code(), kIoAccessDenied);
    EXPECT_STREQ(e.what(), "ファイルへのアクセスが拒否されました");
  }
  EXPECT_EQ(ReadFile(path), before);
  EXPECT_EQ(form.panels[0], kConverting);
  EXPECT_TRUE(form.messages.empty());
  EXPECT_EQ(form.Lines()[0], "52");
  // The video is closed again: another program may open it.
  EXPECT_NO_THROW(platform::ExclusiveFile::Open(path, platform::ExclusiveFile::Access::kReadWrite));
}

TEST(TheRewrite, writesNothingWhenTheOldByteFindsNoRoomInTheList) {
  const SmallVideo video(2);
  const std::string& path = video.path;
  const Bytes& before = video.before;
  FakeMainWindow form;
  form.offsets = OffsetList(2);
  EXPECT_THROW(ChangeFrameRate(form, path), Error);
  EXPECT_EQ(ReadFile(path), before);
  EXPECT_FALSE(Exists(video.restore_file));
}

TEST(TheRewrite, opensNothingForWritingWhenNoHeaderWasFound) {
  for (bool check_only : {false, true}) {
    TempDir dir;
    const std::string path = dir.File("movie.m2v");
    WriteText(path, "no video here");
    FakeMainWindow form;
    form.check_only = check_only;
    EXPECT_EQ(ChangeFrameRate(form, path), ChangeOutcome::kNoHeader);
    EXPECT_EQ(form.panels[0], "シーケンスヘッダが見つかりません");
    EXPECT_TRUE(form.messages.empty());
    EXPECT_TRUE(form.Lines().empty());
    EXPECT_FALSE(Exists(dir.File("movie(fps).ini")));
    EXPECT_EQ(ReadText(path), "no video here");
  }
}

TEST(TheRewrite, refusesToRunWithoutAChosenRate) {
  const SmallVideo video(1);
  const std::string& path = video.path;
  const Bytes& before = video.before;
  FakeMainWindow form;
  form.checked_rates = {};
  EXPECT_THROW(ChangeFrameRate(form, path), Error);
  EXPECT_EQ(ReadFile(path), before);
  EXPECT_FALSE(Exists(video.restore_file));
}

}  // namespace
}  // namespace tolva::test
