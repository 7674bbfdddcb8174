// The command line of tolva-cli.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace tolva::cli {

enum class Action { kCheck, kConvert, kRestore, kHelp, kVersion };

struct Command {
  Action action = Action::kHelp;
  int rate_code = 0;  // convert only: frame_rate_code 1..7
  bool quiet = false;
  std::vector<std::string> files;
};

// A command line that does not parse; its text says why.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The rate code of "23.976", "24000/1001", "25" and so on; 0 for anything else.
int RateCodeOf(const std::string& rate);

// Parses the arguments after the program name. Raises UsageError.
Command ParseArguments(const std::vector<std::string>& arguments);

std::string HelpText();
std::string VersionText();

}  // namespace tolva::cli
