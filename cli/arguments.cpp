#include "cli/arguments.h"

#include <array>
#include <utility>

namespace tolva::cli {

namespace {

struct RateSpelling {
  const char* text;
  int code;
};

// Each rate by its decimal name, and the three NTSC rates by their exact fractions too.
constexpr std::array<RateSpelling, 10> kRateSpellings = {{
    {"23.976", 1},
    {"24000/1001", 1},
    {"24", 2},
    {"25", 3},
    {"29.97", 4},
    {"30000/1001", 4},
    {"30", 5},
    {"50", 6},
    {"59.94", 7},
    {"60000/1001", 7},
}};

constexpr char kRateList[] = "23.976 24 25 29.97 30 50 59.94";

Command Only(Action action) {
  Command command;
  command.action = action;
  return command;
}

Action ActionOf(const std::string& word) {
  if (word == "check") return Action::kCheck;
  if (word == "convert") return Action::kConvert;
  if (word == "restore") return Action::kRestore;
  throw UsageError("unknown command '" + word + "' (check, convert or restore)");
}

void TakeRate(Command& command, const std::string& rate) {
  command.rate_code = RateCodeOf(rate);
  if (command.rate_code == 0) {
    throw UsageError("unknown rate '" + rate + "'; choose one of: " + kRateList);
  }
}

}  // namespace

int RateCodeOf(const std::string& rate) {
  for (const RateSpelling& spelling : kRateSpellings) {
    if (rate == spelling.text) return spelling.code;
  }
  return 0;
}

Command ParseArguments(const std::vector<std::string>& arguments) {
  Command command;
  bool have_action = false;
  bool options_ended = false;
  bool rate_given = false;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& arg = arguments[i];
    const bool is_option = !options_ended && arg.size() > 1 && arg[0] == '-';
    if (!is_option) {
      if (!have_action && !options_ended) {
        command.action = ActionOf(arg);
        have_action = true;
      } else {
        command.files.push_back(arg);
      }
    } else if (arg == "--") {
      options_ended = true;
    } else if (arg == "--help" || arg == "-h") {
      return Only(Action::kHelp);
    } else if (arg == "--version") {
      return Only(Action::kVersion);
    } else if (arg == "--quiet" || arg == "-q") {
      command.quiet = true;
    } else if (arg == "--rate" || arg == "-r") {
      if (i + 1 == arguments.size())
        throw UsageError("--rate needs a value: " + std::string(kRateList));
      TakeRate(command, arguments[++i]);
      rate_given = true;
    } else if (arg.rfind("--rate=", 0) == 0) {
      TakeRate(command, arg.substr(7));
      rate_given = true;
    } else {
      throw UsageError("unknown option '" + arg + "'");
    }
  }

  if (!have_action) throw UsageError("no command given (check, convert or restore)");
  if (command.action == Action::kConvert && !rate_given) {
    throw UsageError("convert needs --rate RATE, one of: " + std::string(kRateList));
  }
  if (command.action != Action::kConvert && rate_given) {
    throw UsageError("--rate belongs to convert");
  }
  if (command.files.empty()) throw UsageError("no FILE given");
  return command;
}

std::string HelpText() {
  return "Usage:\n"
         "  tolva-cli check FILE...                 report the rate the first sequence header "
         "declares\n"
         "  tolva-cli convert --rate RATE FILE...   rewrite the declared rate in place "
         "(restore file beside each)\n"
         "  tolva-cli restore FILE...               write the old byte back from each file's "
         "restore file\n"
         "  tolva-cli --help | --version\n"
         "\n"
         "RATE is one of 23.976 24 25 29.97 30 50 59.94 (also 24000/1001, 30000/1001, "
         "60000/1001).\n"
         "The restore file of movie.m2v is movie(fps).ini beside it.\n"
         "\n"
         "Options:\n"
         "  -r, --rate RATE   the rate to declare (convert)\n"
         "  -q, --quiet       print only errors, and the rates that check reports\n"
         "  --                every argument after it is a FILE, even one starting with '-'\n"
         "\n"
         "Exit status:\n"
         "  0  every file ended normally: converted, already at the rate, checked, restored\n"
         "  1  a file failed: an error, or a refusal (too large, read-only, no restore file,\n"
         "     no sequence header); the other files were still processed\n"
         "  2  the command line was wrong; nothing was done\n";
}

std::string VersionText() { return "tolva-cli 0.10\n"; }

}  // namespace tolva::cli
