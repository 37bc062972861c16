#pragma once
// A command-line program made of commands ("PROGRAM COMMAND ARGUMENTS [OPTIONS]"), parsed with
// QCommandLineParser. Each command is one table entry: its name, a summary, its positional
// arguments, its options and the function that runs it. The parser adds "--help", "--version",
// "help COMMAND" and "COMMAND --help" to every program built this way.

#include <QString>
#include <QStringList>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

// A bad command line; main prints it on one line and exits with status 2.
class TUsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct TCliOptionSpec {
  const char* Name;
  const char* ValueName;  // nullptr: a switch without value
  const char* Description;
};

struct TCliArgumentSpec {
  const char* Name;
  const char* Description;
};

// What one command was given: its positional arguments in order and the options that were set
// (a switch maps to an empty value; an option given several times to its last value, and to all
// of them in order in Repeated).
struct TCliArgs {
  std::vector<std::string> Arguments;
  std::map<std::string, std::string> Values;
  std::map<std::string, std::vector<std::string>> Repeated;

  [[nodiscard]] bool Has(const char* option) const { return Values.count(option) != 0; }
  [[nodiscard]] const std::string& Value(const char* option) const { return Values.at(option); }
  [[nodiscard]] std::vector<std::string> AllValues(const char* option) const {
    const auto found = Repeated.find(option);
    return found == Repeated.end() ? std::vector<std::string>() : found->second;
  }
};

struct TCliCommandSpec {
  const char* Name;
  const char* Summary;
  std::vector<TCliArgumentSpec> Arguments;
  std::vector<TCliOptionSpec> Options;
  int (*Run)(const TCliArgs&);
};

struct TCliProgramSpec {
  const char* Name;
  const char* Version;
  const char* Description;
  std::vector<TCliCommandSpec> Commands;
};

// The outcome of a command line that is not a usage error: either a command to run with its
// arguments, or a text (help or version) to print on standard output before exiting with 0.
struct TCliRequest {
  const TCliCommandSpec* Command = nullptr;
  TCliArgs Args;
  QString Text;
};

// arguments: the command line without the program name. Throws TUsageError.
[[nodiscard]] TCliRequest ParseCommandLine(const TCliProgramSpec& program, const QStringList& arguments);

[[nodiscard]] QString ProgramHelpText(const TCliProgramSpec& program);
[[nodiscard]] QString CommandHelpText(const TCliCommandSpec& command);
