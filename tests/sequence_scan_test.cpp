#include <gtest/gtest.h>

#include "platform/errors.h"
#include "platform/exclusive_file.h"
#include "rewrite/change_frame_rate.h"
#include "rewrite/restore_file.h"
#include "rewrite/sequence_scan.h"
#include "tests/support/fake_main_window.h"
#include "tests/support/temp_dir.h"

namespace tolva::test {
namespace {

constexpr uint64_t kChunk = 10485760;
constexpr char kGettingRateInfo[] = "フレームレート情報取得中";

struct Placed {
  uint64_t position;
  Bytes bytes;
};

// A sparse file of `size` bytes with the given bytes written into it.
std::string MakeVideo(const TempDir& dir, uint64_t size, const std::vector<Placed>& placed) {
  const std::string path = dir.File("movie.m2v");
  MakeSparse(path, size);
  for (const Placed& p : placed) PutBytes(path, p.position, p.bytes);
  return path;
}

ScanResult Scan(FakeMainWindow& form, const std::string& path) {
  return ScanSequenceHeaders(form, path);
}

// Where headers sit relative to the 10 MiB passes, and which lines they give.
TEST(TheScan, listsEveryIdenticalHeaderOnceOrTwiceOnAChunkBoundary) {
  const Bytes h = SequenceHeader(4);
  const Bytes start_code = {0x00, 0x00, 0x01, 0xB3};
  struct Case {
    const char* what;
    uint64_t size;
    std::vector<Placed> placed;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"header at the first byte", 100, {{0, h}}, {"7"}},
      {"header at the last whole position", 100, {{92, h}}, {"99"}},
      {"header cut by the end of the file", 100, {{93, Bytes(h.begin(), h.end() - 1)}}, {}},
      {"start code in the last bytes", 100, {{96, start_code}}, {}},
      {"file shorter than a header", 7, {{0, Bytes(h.begin(), h.begin() + 7)}}, {}},
      {"header across the chunk boundary", kChunk + 100, {{kChunk - 3, h}}, {"10485764"}},
      {"header exactly on the boundary", kChunk + 100, {{kChunk, h}}, {"10485767", "10485767"}},
      {"first header before the boundary, twin on it",
       kChunk + 100,
       {{0, h}, {kChunk, h}},
       {"7", "10485767", "10485767"}},
      {"header reaching into a short final pass", kChunk + 5, {{kChunk - 3, h}}, {"10485764"}},
      // The final pass reads 3 bytes; the earlier pass left this header in the buffer's overlap.
      {"no stale bytes in a short final pass", 2 * kChunk + 3, {{kChunk + 8, h}}, {"10485775"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    FakeMainWindow form;
    const ScanResult result = Scan(form, MakeVideo(dir, c.size, c.placed));
    EXPECT_EQ(result.end, ScanEnd::kComplete);
    EXPECT_EQ(form.Lines(), c.lines);
    EXPECT_EQ(result.header_found, !c.lines.empty());
  }
}

TEST(TheScan, keepsOnlyHeadersIdenticalToTheFirst) {
  TempDir dir;
  FakeMainWindow form;
  const std::string path = MakeVideo(dir, 1000,
                                     {{0, SequenceHeader(4, 3, 720, 480)},
                                      {100, SequenceHeader(5, 3, 720, 480)},    // other rate
                                      {200, SequenceHeader(4, 2, 720, 480)},    // other aspect
                                      {300, SequenceHeader(4, 3, 704, 480)},    // other width
                                      {400, SequenceHeader(4, 3, 720, 576)},    // other height
                                      {500, SequenceHeader(4, 3, 720, 480)}});  // identical
  const ScanResult result = Scan(form, path);
  EXPECT_EQ(form.Lines(), (std::vector<std::string>{"7", "507"}));
  EXPECT_EQ(result.old_byte, 0x34);
  EXPECT_EQ(result.old_rate_name, "29.97fps");
  EXPECT_EQ(form.panels[0], kGettingRateInfo);
}

TEST(TheScan, movesTheGaugeAndPumpsEventsOncePerPass) {
  struct Case {
    uint64_t size;
    std::vector<int> gauge;
  };
  const Case cases[] = {
      {0, {100}},
      {kChunk, {50, 100}},
      {25 * 1024 * 1024, {33, 66, 100}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    TempDir dir;
    FakeMainWindow form;
    const ScanResult result = Scan(form, MakeVideo(dir, c.size, {}));
    EXPECT_EQ(result.end, ScanEnd::kComplete);
    EXPECT_EQ(form.progress_log, c.gauge);
    EXPECT_EQ(form.pumps, static_cast<int>(c.gauge.size()));
    EXPECT_TRUE(form.Lines().empty());
  }
}

TEST(TheScan, refusesFilesOfFourGibibytesAndMore) {
  TempDir dir;
  const std::string path = MakeVideo(dir, 4294967296ull, {{0, SequenceHeader(4)}});
  FakeMainWindow form;
  form.progress = 42;
  EXPECT_EQ(ChangeFrameRate(form, path), ChangeOutcome::kTooLarge);
  EXPECT_EQ(form.messages, std::vector<std::string>{"ファイルサイズが大きすぎて扱えません。"});
  EXPECT_TRUE(form.progress_log.empty());
  EXPECT_EQ(form.progress, 42);
  EXPECT_EQ(form.panels[0], "");
  EXPECT_TRUE(form.Lines().empty());
  EXPECT_EQ(GetBytes(path, 0, 8), SequenceHeader(4));
}

TEST(TheScan, reachesPositionsBeyondTwoGibibytesInTheLargestFile) {
  TempDir dir;
  const uint64_t size = 4294967295ull;
  const Bytes h = SequenceHeader(4);
  const std::string path = MakeVideo(dir, size, {{3000000000ull, h}, {size - 8, h}});
  FakeMainWindow form;
  const ScanResult result = Scan(form, path);
  EXPECT_EQ(result.end, ScanEnd::kComplete);
  EXPECT_EQ(form.Lines(), (std::vector<std::string>{"3000000007", "4294967294"}));
  EXPECT_EQ(form.pumps, 410);
  ASSERT_EQ(form.progress_log.size(), 410u);
  EXPECT_EQ(form.progress_log[3], 0);  // 4 * 100 / 410
  EXPECT_EQ(form.progress_log[4], 1);
  EXPECT_EQ(form.progress_log.back(), 100);
}

TEST(TheScan, endsAtTheFirstHeaderWhenOnlyCheckingTheRate) {
  struct Case {
    int code;
    const char* shown;
  };
  for (const Case& c : {Case{4, "29.97fps"}, Case{1, "23.976fps"}, Case{8, "その他"},
                        Case{0, "その他"}, Case{15, "その他"}}) {
    SCOPED_TRACE(c.code);
    TempDir dir;
    const std::string path = MakeVideo(dir, 100, {{10, SequenceHeader(c.code)}});
    FakeMainWindow form;
    form.check_only = true;  // with RadioButton1 checked: a code-1 file reports, not refuses
    EXPECT_EQ(ChangeFrameRate(form, path), ChangeOutcome::kCheckOnly);
    EXPECT_EQ(form.panels[1], c.shown);
    EXPECT_EQ(form.panels[0], "");
    EXPECT_EQ(form.progress, 0);
    EXPECT_TRUE(form.messages.empty());
    EXPECT_TRUE(form.Lines().empty());
    EXPECT_FALSE(Exists(RestoreFilePath(path)));
  }
}

TEST(TheScan, tellsWhenTheFileDeclaresTheChosenRateAlready) {
  TempDir dir;
  const std::string path = MakeVideo(dir, 100, {{0, SequenceHeader(3)}});
  FakeMainWindow form;
  form.ChooseRate(3);
  EXPECT_EQ(ChangeFrameRate(form, path), ChangeOutcome::kAlreadyAtTarget);
  EXPECT_EQ(form.messages, std::vector<std::string>{"この動画は25fpsになっています。"});
  EXPECT_EQ(form.progress, 0);
  EXPECT_EQ(form.panels[0], kGettingRateInfo);
  EXPECT_TRUE(form.Lines().empty());
  EXPECT_FALSE(Exists(RestoreFilePath(path)));
}

TEST(TheScan, asksTheOptionsAnewAtEveryHeader) {
  const Bytes h = SequenceHeader(4);
  TempDir dir;
  const std::string path = MakeVideo(dir, 2 * kChunk + 100, {{0, h}, {kChunk + 50, h}});
  {
    FakeMainWindow form;  // the box is ticked while the second pass starts
    form.on_pump = [](FakeMainWindow& f) { f.check_only = f.pumps == 2; };
    EXPECT_EQ(ChangeFrameRate(form, path), ChangeOutcome::kCheckOnly);
    EXPECT_EQ(form.Lines(), std::vector<std::string>{"7"});
    EXPECT_EQ(form.panels[1], "29.97fps");
  }
  {
    FakeMainWindow form;  // the file's own rate is chosen while the second pass starts
    form.on_pump = [](FakeMainWindow& f) {
      if (f.pumps == 2) f.ChooseRate(4);
    };
    EXPECT_EQ(ChangeFrameRate(form, path), ChangeOutcome::kAlreadyAtTarget);
    EXPECT_EQ(form.Lines(), std::vector<std::string>{"7"});
    EXPECT_EQ(form.messages, std::vector<std::string>{"この動画は29.97fpsになっています。"});
  }
  EXPECT_EQ(GetBytes(path, 0, 8), h);
}

TEST(TheScan, raisesTheOpenErrorBeforeTouchingAnything) {
  TempDir dir;
  const std::string path = MakeVideo(dir, 100, {{0, SequenceHeader(4)}});
  auto held = platform::ExclusiveFile::Open(path, platform::ExclusiveFile::Access::kRead);
  FakeMainWindow form;
  form.progress = 42;
  EXPECT_THROW(ChangeFrameRate(form, path), FileOpenError);
  EXPECT_THROW(ChangeFrameRate(form, dir.File("missing.m2v")), FileOpenError);
  EXPECT_EQ(form.progress, 42);
  EXPECT_TRUE(form.panel0_log.empty());
  EXPECT_EQ(form.pumps, 0);
}

TEST(TheScan, closesTheFileWhenTheOffsetListOverflows) {
  const Bytes h = SequenceHeader(4);
  TempDir dir;
  const std::string path = MakeVideo(dir, 100, {{0, h}, {20, h}, {40, h}});
  FakeMainWindow form;
  form.offsets = OffsetList(2);
  try {
    ChangeFrameRate(form, path);
    FAIL();
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "行を挿入できません");
  }
  EXPECT_NO_THROW(platform::ExclusiveFile::Open(path, platform::ExclusiveFile::Access::kReadWrite));
  EXPECT_EQ(GetBytes(path, 0, 8), h);
}

TEST(StartCodeSearch, findsEveryStartCodeUpToTheLastWindow) {
  // Each 0xB3 preceded by a partial start code must not hide the full one after it.
  const Bytes bytes = {0x00, 0x01, 0xB3, 0x00, 0x00, 0x01, 0xB3, 0x00, 0x00, 0x01,
                       0xB3, 0xB3, 0x00, 0x00, 0x01, 0xB3, 1,    2,    3,    4};
  std::vector<size_t> found;
  ForEachStartCode(bytes, 100, [&](size_t j) {
    found.push_back(j);
    return true;
  });
  EXPECT_EQ(found, (std::vector<size_t>{3, 7, 12}));  // 12 is the last whole window
  found.clear();
  ForEachStartCode(bytes, 11, [&](size_t j) {
    found.push_back(j);
    return true;
  });
  EXPECT_EQ(found, (std::vector<size_t>{3, 7}));
}

}  // namespace
}  // namespace tolva::test
