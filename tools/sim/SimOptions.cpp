#include "tools/sim/SimOptions.h"

#include <QCommandLineParser>
#include <QStringList>
#include <charconv>
#include <string>

namespace {

const QCommandLineOption kSerial(QStringLiteral("serial"), QStringLiteral("Serial number to announce (default SIM00001)."),
                                 QStringLiteral("TEXT"));
const QCommandLineOption kDescription(QStringLiteral("description"), QStringLiteral("Description to announce (default CAN-IF)."),
                                      QStringLiteral("TEXT"));
const QCommandLineOption kReplay(QStringLiteral("replay"),
                                 QStringLiteral("Play a log at its original pace instead of the demo: candump (.log), ASC (.asc),\n"
                                                "BLF (.blf), TRC (.trc) or SavvyCAN CSV (.csv)."),
                                 QStringLiteral("FILE"));
const QCommandLineOption kLoop(QStringLiteral("loop"), QStringLiteral("With --replay: start the log over when it ends."));
const QCommandLineOption kFlood(QStringLiteral("flood"), QStringLiteral("Send frames as fast as the line takes them (benchmarks)."));
const QCommandLineOption kRate(QStringLiteral("rate"),
                               QStringLiteral("With --flood: N frames per second (1 to 1000000). Flood frames carry their\n"
                                              "sequence number 0, 1, 2 ... as eight little-endian data bytes."),
                               QStringLiteral("N"));
const QCommandLineOption kVerbose(QStringLiteral("verbose"), QStringLiteral("Print the frames the program transmits."));
const QCommandLineOption kRecord(QStringLiteral("record"),
                                 QStringLiteral("Write the frames the program transmits to FILE as a candump log, time-stamped\n"
                                                "with this machine's clock when they arrive."),
                                 QStringLiteral("FILE"));
const QCommandLineOption kHelp({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help and exit."));
const QCommandLineOption kVersion(QStringLiteral("version"), QStringLiteral("Show the version and exit."));

void SetUp(QCommandLineParser& parser) {
  parser.setApplicationDescription(QStringLiteral(
      "A virtual USB-to-CAN adapter on a pseudo-terminal. It speaks the adapters' ASCII line protocol,\n"
      "announces itself to the Ferrolux device list and removes the announcement when it ends\n"
      "(also on SIGINT and SIGTERM).\n\n"
      "Traffic flows only while the channel is open (after a bit rate and \"O\"); the demo bus has\n"
      "periodic frames at 10 ms, 100 ms and 1 s and a diagnostic exchange every 5 s.\n"
      "The announcement is <serial>.dev in $XDG_RUNTIME_DIR/ferrolux/devices\n"
      "(/tmp/ferrolux-<uid>/devices without XDG_RUNTIME_DIR)."));
  parser.addOptions({kSerial, kDescription, kReplay, kLoop, kFlood, kRate, kVerbose, kRecord, kHelp, kVersion});
}

// A whole number of frames per second, 1 to 1000000; nothing else.
bool ParseRate(const QString& text, std::int64_t& rate) {
  const std::string digits = text.toStdString();
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (error != std::errc() || end != digits.data() + digits.size() || value < 1 || value > 1'000'000) return false;
  rate = value;
  return true;
}

}  // namespace

std::string SimUsage() {
  QCommandLineParser parser;
  SetUp(parser);
  return parser.helpText().toStdString();
}


std::variant<TSimOptions, TSimOptionsError> ParseSimOptions(int argc, const char* const argv[]) {
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  QCommandLineParser parser;
  SetUp(parser);
  if (!parser.parse(arguments)) return TSimOptionsError{parser.errorText().toStdString()};
  if (!parser.positionalArguments().isEmpty())
    return TSimOptionsError{"unexpected argument " + parser.positionalArguments().first().toStdString()};

  TSimOptions options;
  if (parser.isSet(kSerial)) options.Serial = parser.value(kSerial).toStdString();
  if (parser.isSet(kDescription)) options.Description = parser.value(kDescription).toStdString();
  options.ReplayFile = parser.value(kReplay).toStdString();
  options.Loop = parser.isSet(kLoop);
  options.Flood = parser.isSet(kFlood);
  options.Verbose = parser.isSet(kVerbose);
  if (parser.isSet(kRate) && !ParseRate(parser.value(kRate), options.FloodRate))
    return TSimOptionsError{"--rate needs a whole number of frames per second from 1 to 1000000"};
  options.RecordFile = parser.value(kRecord).toStdString();
  options.Help = parser.isSet(kHelp);
  options.Version = parser.isSet(kVersion);
  if (options.Serial.empty()) return TSimOptionsError{"--serial needs a serial number"};
  if (parser.isSet(kReplay) && options.ReplayFile.empty()) return TSimOptionsError{"--replay needs a file"};
  if (parser.isSet(kRecord) && options.RecordFile.empty()) return TSimOptionsError{"--record needs a file"};
  if (options.Flood && !options.ReplayFile.empty()) return TSimOptionsError{"--flood and --replay exclude each other"};
  if (options.FloodRate > 0 && !options.Flood) return TSimOptionsError{"--rate needs --flood"};
  if (options.Loop && options.ReplayFile.empty()) return TSimOptionsError{"--loop needs --replay"};
  return options;
}
