#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <functional>
#include <string>
#include <vector>

#include "rewrite/change_frame_rate.h"
#include "tests/support/fake_main_window.h"
#include "tests/support/temp_dir.h"

extern char** environ;

namespace tolva::test {
namespace {

struct CliRun {
  int status;
  std::string out;
  std::string err;
};

// Runs tolva-cli with `arguments`, its output caught in files of `dir`.
CliRun RunCli(const TempDir& dir, const std::vector<std::string>& arguments) {
  const std::string out = dir.File(".out");
  const std::string err = dir.File(".err");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addchdir_np(&actions, dir.path().c_str());
  std::vector<std::string> words = {TOLVA_CLI};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawn(&pid, TOLVA_CLI, &actions, nullptr, argv.data(), environ) != 0) {
    throw std::runtime_error("cannot start tolva-cli");
  }
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  ::waitpid(pid, &status, 0);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadText(out), ReadText(err)};
}

// A small video of 29.97 fps: three identical headers with 16:9 aspect bits.
Bytes Video(int code = 4) {
  Bytes bytes(3000, 0x55);
  for (size_t at : {0u, 1000u, 2000u}) {
    const Bytes header = SequenceHeader(code, 3);
    std::copy(header.begin(), header.end(), bytes.begin() + static_cast<long>(at));
  }
  return bytes;
}

TEST(TheCli, checksConvertsAndRestoresAFile) {
  TempDir dir;
  const std::string video = dir.File("movie.m2v");
  const Bytes before = Video();
  WriteFile(video, before);

  CliRun run = RunCli(dir, {"check", "movie.m2v"});
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("movie.m2v: 29.97fps\n"), std::string::npos) << run.out;

  run = RunCli(dir, {"convert", "--rate", "24000/1001", "movie.m2v"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "フレームレート情報取得中\n29.97fpsを23.976fpsに変換中です\n"
            "29.97fpsを23.976fpsに変換しました\n終わりました\n");
  EXPECT_EQ(run.err, "");  // no progress line when standard error is not a terminal
  EXPECT_EQ(GetBytes(video, 1007, 1), Bytes{0x31});
  EXPECT_EQ(SizeOf(video), before.size());

  run = RunCli(dir, {"restore", "movie.m2v"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "復元中\n復元終了\n");
  EXPECT_EQ(ReadFile(video), before);
}

TEST(TheCli, writesTheSameRestoreFileAsTheWindow) {
  TempDir dir;
  WriteFile(dir.File("cli.m2v"), Video());
  WriteFile(dir.File("window.m2v"), Video());
  ASSERT_EQ(RunCli(dir, {"convert", "-r", "50", "cli.m2v"}).status, 0);
  FakeMainWindow form;
  form.ChooseRate(6);
  ASSERT_EQ(ChangeFrameRate(form, dir.File("window.m2v")), ChangeOutcome::kConverted);
  EXPECT_EQ(ReadFile(dir.File("cli(fps).ini")), ReadFile(dir.File("window(fps).ini")));
  EXPECT_EQ(ReadFile(dir.File("cli.m2v")), ReadFile(dir.File("window.m2v")));
}

TEST(TheCli, goesOnAfterAFailedFileAndExitsWithOne) {
  TempDir dir;
  WriteFile(dir.File("a.m2v"), Video());
  WriteFile(dir.File("c.m2v"), Video());
  const CliRun run = RunCli(dir, {"--quiet", "convert", "--rate=25", "a.m2v", "b.m2v", "c.m2v"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "b.m2v: ファイル b.m2v は開けません.\n");
  EXPECT_EQ(GetBytes(dir.File("a.m2v"), 7, 1), Bytes{0x33});
  EXPECT_EQ(GetBytes(dir.File("c.m2v"), 7, 1), Bytes{0x33});
}

TEST(TheCli, namesEveryFileWhenGivenSeveral) {
  TempDir dir;
  WriteFile(dir.File("a.m2v"), Video(4));
  WriteFile(dir.File("b.m2v"), Video(8));
  const CliRun run = RunCli(dir, {"check", "--quiet", "a.m2v", "b.m2v"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "a.m2v: 29.97fps\nb.m2v: その他\n");
}

TEST(TheCli, exitsWithOneForEveryRefusal) {
  struct Case {
    const char* what;
    std::vector<std::string> arguments;
    std::function<void(const TempDir&)> prepare;
    int status;
    const char* shown;  // a line of standard output
  };
  const auto video = [](const TempDir& dir) { WriteFile(dir.File("movie.m2v"), Video()); };
  const Case cases[] = {
      {"already at the rate",
       {"convert", "--rate", "29.97", "movie.m2v"},
       video,
       0,
       "この動画は29.97fpsになっています。\n"},
      {"no sequence header",
       {"convert", "--rate", "25", "movie.m2v"},
       [](const TempDir& dir) { WriteText(dir.File("movie.m2v"), "text"); },
       1,
       "シーケンスヘッダが見つかりません\n"},
      {"no header to check",
       {"check", "movie.m2v"},
       [](const TempDir& dir) { WriteText(dir.File("movie.m2v"), "text"); },
       1,
       "シーケンスヘッダが見つかりません\n"},
      {"read-only",
       {"convert", "--rate", "25", "movie.m2v"},
       [&](const TempDir& dir) {
         video(dir);
         ::chmod(dir.File("movie.m2v").c_str(), 0444);
       },
       1,
       "読み取り専用になっています 解除してください\n"},
      {"no restore file",
       {"restore", "movie.m2v"},
       video,
       1,
       "復元ファイルがありません(movie(fps).ini)\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    c.prepare(dir);
    const CliRun run = RunCli(dir, c.arguments);
    EXPECT_EQ(run.status, c.status);
    EXPECT_NE(run.out.find(c.shown), std::string::npos) << run.out;
  }
}

TEST(TheCli, refusesABadCommandLineWithTwo) {
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"convert", "movie.m2v"},
      {"convert", "--rate", "60", "movie.m2v"},
      {"convert", "--rate"},
      {"check"},
      {"check", "--rate", "25", "movie.m2v"},
      {"resize", "movie.m2v"},
      {"check", "--force", "movie.m2v"},
      {"check", "-x.m2v"},
  };
  for (const auto& arguments : cases) {
    TempDir dir;
    WriteFile(dir.File("movie.m2v"), Video());
    const CliRun run = RunCli(dir, arguments);
    EXPECT_EQ(run.status, 2) << testing::PrintToString(arguments);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(ReadFile(dir.File("movie.m2v")), Video());
  }
  TempDir dir;
  EXPECT_NE(
      RunCli(dir, {"convert", "--rate", "60", "x"}).err.find("23.976 24 25 29.97 30 50 59.94"),
      std::string::npos);
}

TEST(TheCli, takesPathsAsGiven) {
  TempDir dir;
  for (const char* name : {"-x.m2v", "映画 の 1.m2v"}) WriteFile(dir.File(name), Video());
  const CliRun run = RunCli(dir, {"convert", "--rate", "59.94", "--", "-x.m2v", "映画 の 1.m2v"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(Exists(dir.File("-x(fps).ini")));
  EXPECT_TRUE(Exists(dir.File("映画 の 1(fps).ini")));
  EXPECT_NE(run.out.find("映画 の 1.m2v: 終わりました\n"), std::string::npos) << run.out;
}

TEST(TheCli, documentsItselfAndItsExitStatus) {
  TempDir dir;
  const CliRun help = RunCli(dir, {"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("Exit status"), std::string::npos);
  const CliRun version = RunCli(dir, {"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "tolva-cli 0.10\n");
}

}  // namespace
}  // namespace tolva::test
