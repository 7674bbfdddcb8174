// tolva-cli: checks, converts and restores files from a terminal, through the same engine calls
// as the window's Run and Restore.
#include <unistd.h>

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "cli/arguments.h"
#include "cli/terminal_window.h"
#include "rewrite/change_frame_rate.h"
#include "rewrite/restore.h"

namespace {

using tolva::ChangeOutcome;
using tolva::cli::Action;

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

bool EndedNormally(ChangeOutcome outcome) {
  return outcome == ChangeOutcome::kConverted || outcome == ChangeOutcome::kCheckOnly ||
         outcome == ChangeOutcome::kAlreadyAtTarget;
}

// One file, as Run or Restore would take it; true when it ended normally.
bool ProcessFile(const tolva::cli::Command& command, tolva::cli::TerminalWindow& window,
                 const std::string& path) {
  window.BeginFile(path);
  bool ok = false;
  try {
    if (command.action == Action::kRestore) {
      ok = tolva::RestoreFrameRate(window) == tolva::RestoreOutcome::kRestored;
    } else {
      ok = EndedNormally(tolva::ChangeFrameRate(window, path));
    }
  } catch (const std::exception& e) {
    window.ReportError(e.what());
  }
  window.EndFile();
  return ok;
}

}  // namespace

int main(int argc, char* argv[]) {
  tolva::cli::Command command;
  try {
    command = tolva::cli::ParseArguments(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const tolva::cli::UsageError& e) {
    std::fprintf(stderr, "tolva-cli: %s\nTry 'tolva-cli --help'.\n", e.what());
    return kExitUsage;
  }
  if (command.action == Action::kHelp) {
    std::fputs(tolva::cli::HelpText().c_str(), stdout);
    return kExitOk;
  }
  if (command.action == Action::kVersion) {
    std::fputs(tolva::cli::VersionText().c_str(), stdout);
    return kExitOk;
  }

  tolva::cli::TerminalWindow window({.rate_code = command.rate_code,
                                     .check_only = command.action == Action::kCheck,
                                     .quiet = command.quiet,
                                     .name_files = command.files.size() > 1,
                                     .show_progress = ::isatty(STDERR_FILENO) != 0},
                                    stdout, stderr);

  int status = kExitOk;
  for (const std::string& path : command.files) {
    if (!ProcessFile(command, window, path)) status = kExitFailed;
  }
  return status;
}
