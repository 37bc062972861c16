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
#include "tools/soak/SoakRun.h"

namespace {

// The run gets a runtime folder (device announcements) and a settings folder of its own, so
// neither the user's adapters nor the user's settings take part.
bool UsePrivateFolders(const QTemporaryDir& dir) {
  if (!dir.isValid()) return false;
  for (const char* sub : {"runtime", "config", "sys-empty"}) QDir(dir.path()).mkpath(QString::fromLatin1(sub));
  // A runtime folder must be private to its user.
  QFile::setPermissions(dir.path() + QStringLiteral("/runtime"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  qputenv("XDG_RUNTIME_DIR", (dir.path() + QStringLiteral("/runtime")).toLocal8Bit());
  qputenv("XDG_CONFIG_HOME", (dir.path() + QStringLiteral("/config")).toLocal8Bit());
  FT_SetSysfsLayout({(dir.path() + QStringLiteral("/sys-empty")).toStdString(), "/dev"});
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
  QTemporaryDir folders;
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
  parser.addOptions({minutes, rate, sim});
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
  QuietSettings();
  TSoakRun run(options, std::cout);
  return run.Exec();
}
