// ferrolux-soak: the main window's receive path at full load from ferrolux-sim for a long
// time; see Usage().

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <iostream>

#include "platform/FtD2xx.h"
#include "platform/Registry.h"
#include "tools/soak/SoakKill.h"
#include "tools/soak/SoakRun.h"
#include "tools/soak/SoakSocketRun.h"

namespace {

// The run gets a runtime folder (device announcements), a settings folder and a home (the data
// folder, with the capture) of its own, so neither the user's adapters nor the user's settings
// and captures take part. A window process of the crash soak uses its parent's.
bool UsePrivateFolders(const QString& path) {
  if (path.isEmpty()) return false;
  for (const char* sub : {"runtime", "config", "sys-empty", "home"}) QDir(path).mkpath(QString::fromLatin1(sub));
  // A runtime folder must be private to its user.
  QFile::setPermissions(path + QStringLiteral("/runtime"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  qputenv("XDG_RUNTIME_DIR", (path + QStringLiteral("/runtime")).toLocal8Bit());
  qputenv("XDG_CONFIG_HOME", (path + QStringLiteral("/config")).toLocal8Bit());
  qputenv("HOME", (path + QStringLiteral("/home")).toLocal8Bit());
  qunsetenv("XDG_DOCUMENTS_DIR");
  FT_SetSysfsLayout({(path + QStringLiteral("/sys-empty")).toStdString(), "/dev"});
  return true;
}

// No start-up warning: nobody is there to answer it.
void QuietSettings() {
  TRegistry reg;
  if (reg.OpenKey(QStringLiteral("Software\\Tarvell\\Ferrolux"), true)) reg.WriteInteger(QStringLiteral("ShowWarningMessage"), 0);
}

}  // namespace

int main(int argc, char* argv[]) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QTemporaryDir temporary;
  const QString folders = qEnvironmentVariableIsSet("FERROLUX_SOAK_FOLDERS") ? qEnvironmentVariable("FERROLUX_SOAK_FOLDERS")
                                                                             : (temporary.isValid() ? temporary.path() : QString());
  if (!UsePrivateFolders(folders)) {
    std::cerr << "soak: cannot make a temporary folder" << std::endl;
    return 2;
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Ferrolux"));
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral(
      "Feeds the main window's receive path from ferrolux-sim with numbered frames at a fixed rate and checks at the end\n"
      "that every frame reached the trace once and in order, the trace's memory per row, and the drain tick's longest run."));
  parser.addHelpOption();
  QCommandLineOption minutes(QStringLiteral("minutes"), QStringLiteral("How long to run (default 60)."), QStringLiteral("N"),
                             QStringLiteral("60"));
  QCommandLineOption rate(QStringLiteral("rate"), QStringLiteral("Frames per second (default 20000)."), QStringLiteral("N"),
                          QStringLiteral("20000"));
  QCommandLineOption sim(QStringLiteral("sim"), QStringLiteral("The simulator program."), QStringLiteral("PATH"),
                         QStringLiteral(FERROLUX_SIM_PATH));
  QCommandLineOption killAfter(QStringLiteral("kill-after"),
                               QStringLiteral("Kill the window with SIGKILL after S seconds of capture, then check the capture it left behind."),
                               QStringLiteral("S"));
  QCommandLineOption reportRows(QStringLiteral("report-rows"), QStringLiteral("Print \"rows N\" after every drain tick."));
  reportRows.setFlags(QCommandLineOption::HiddenFromHelp);
  QCommandLineOption socketCan(QStringLiteral("socketcan"),
                               QStringLiteral("Connect the window to the kernel CAN interface IF instead, while a peer floods it with\n"
                                              "`cangen IF -I 5A5 -L 8 -D i`; ends once frames stop coming and checks that every frame\n"
                                              "that did not reach the trace was counted as dropped by the kernel."),
                               QStringLiteral("IF"));
  QCommandLineOption frames(QStringLiteral("frames"), QStringLiteral("With --socketcan: the frames the peer sends."), QStringLiteral("N"));
  parser.addOptions({minutes, rate, sim, killAfter, reportRows, socketCan, frames});
  parser.process(app);

  TSoakOptions options;
  bool minutesOk = false, rateOk = false;
  options.Minutes = parser.value(minutes).toDouble(&minutesOk);
  options.Rate = parser.value(rate).toLongLong(&rateOk);
  options.SimProgram = parser.value(sim);
  if (!minutesOk || options.Minutes <= 0 || !rateOk || options.Rate < 1 || options.Rate > 1'000'000) {
    std::cerr << "soak: --minutes needs a positive number and --rate a whole number from 1 to 1000000" << std::endl;
    return 2;
  }
  options.ReportRows = parser.isSet(reportRows);
  QuietSettings();
  if (parser.isSet(socketCan)) {
    TSocketSoakOptions socket{parser.value(socketCan), parser.value(frames).toLongLong(), 3, options.Minutes};
    return TSoakSocketRun(socket, std::cout).Exec();
  }
  if (parser.isSet(killAfter)) {
    bool killOk = false;
    const double seconds = parser.value(killAfter).toDouble(&killOk);
    if (!killOk || seconds <= 0) {
      std::cerr << "soak: --kill-after needs a positive number of seconds" << std::endl;
      return 2;
    }
    return TSoakKill(options, seconds, folders, std::cout).Exec();
  }
  TSoakRun run(options, std::cout);
  return run.Exec();
}
