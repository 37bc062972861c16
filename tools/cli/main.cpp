// ferrolux-cli: the adapter layer of the application on the command line.
#include <QCoreApplication>
#include <cstdio>

#include "tools/cli/CliCommands.h"

int main(int argc, char** argv) {
  constexpr int kExitUsage = 2;
  // The help text names the program as the user types it, not by the path it was started from.
  char programName[] = "ferrolux-cli";
  argv[0] = programName;
  QCoreApplication application(argc, argv);
  const TCliProgramSpec& program = CliProgram();
  const auto fail = [](const std::string& message) {
    std::fprintf(stderr, "ferrolux-cli: %s\n", message.c_str());
    return kExitUsage;
  };
  try {
    const TCliRequest request = ParseCommandLine(program, QCoreApplication::arguments().mid(1));
    if (!request.Command) {
      std::fputs(request.Text.toLocal8Bit().constData(), stdout);
      return 0;
    }
    return request.Command->Run(request.Args);
  } catch (const TUsageError& error) {
    return fail(std::string(error.what()) + " (see 'ferrolux-cli --help')");
  } catch (const TCliFailure& failure) {
    return fail(failure.Message);
  } catch (const std::exception& error) {
    return fail(error.what());
  }
}
