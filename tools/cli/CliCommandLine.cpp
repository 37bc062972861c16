#include "tools/cli/CliCommandLine.h"

#include <QCommandLineParser>

namespace {

const QCommandLineOption kHelpOption({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help and exit."));
const QCommandLineOption kVersionOption(QStringLiteral("version"), QStringLiteral("Show the version and exit."));

QString CommandsText(const TCliProgramSpec& program) {
  QString text = QStringLiteral("\n\nCommands:\n");
  for (const TCliCommandSpec& command : program.Commands) {
    QString usage = QString::fromLatin1(command.Name);
    for (const TCliArgumentSpec& argument : command.Arguments) usage += QLatin1Char(' ') + QString::fromLatin1(argument.Name);
    text += QStringLiteral("  %1  %2\n").arg(usage, -24).arg(QString::fromLatin1(command.Summary));
  }
  text += QStringLiteral("  %1  %2").arg(QStringLiteral("help COMMAND"), -24).arg(QStringLiteral("Show the arguments and options of a command."));
  return text;
}

void SetUpProgramParser(QCommandLineParser& parser, const TCliProgramSpec& program) {
  parser.setApplicationDescription(QString::fromLatin1(program.Description) + CommandsText(program));
  parser.addOption(kHelpOption);
  parser.addOption(kVersionOption);
  parser.addPositionalArgument(QStringLiteral("COMMAND"), QStringLiteral("one of the commands above"),
                               QStringLiteral("COMMAND [ARGUMENTS] [OPTIONS]"));
  // Everything after the command belongs to the command's own parser.
  parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
}

QCommandLineOption MakeOption(const TCliOptionSpec& option) {
  return option.ValueName ? QCommandLineOption(QString::fromLatin1(option.Name), QString::fromLatin1(option.Description),
                                             QString::fromLatin1(option.ValueName))
                        : QCommandLineOption(QString::fromLatin1(option.Name), QString::fromLatin1(option.Description));
}

void SetUpCommandParser(QCommandLineParser& parser, const TCliCommandSpec& command) {
  parser.addOption(kHelpOption);
  for (const TCliOptionSpec& option : command.Options) parser.addOption(MakeOption(option));
  parser.addPositionalArgument(QString::fromLatin1(command.Name), QString::fromLatin1(command.Summary));
  for (const TCliArgumentSpec& argument : command.Arguments)
    parser.addPositionalArgument(QString::fromLatin1(argument.Name), QString::fromLatin1(argument.Description));
}

const TCliCommandSpec* FindCommand(const TCliProgramSpec& program, const QString& name) {
  for (const TCliCommandSpec& command : program.Commands)
    if (name == QLatin1String(command.Name)) return &command;
  return nullptr;
}

const TCliCommandSpec& KnownCommand(const TCliProgramSpec& program, const QString& name) {
  const TCliCommandSpec* command = FindCommand(program, name);
  if (!command) throw TUsageError("unknown command '" + name.toStdString() + "'");
  return *command;
}

// The parser wants the program name in front; it is not looked at.
QStringList WithProgramName(const TCliProgramSpec& program, const QStringList& arguments) {
  return QStringList{QString::fromLatin1(program.Name)} + arguments;
}

TCliRequest ParseCommand(const TCliProgramSpec& program, const TCliCommandSpec& command, const QStringList& arguments) {
  QCommandLineParser parser;
  SetUpCommandParser(parser, command);
  if (!parser.parse(WithProgramName(program, arguments))) throw TUsageError(parser.errorText().toStdString());
  if (parser.isSet(kHelpOption)) return {nullptr, {}, CommandHelpText(command)};

  TCliRequest request{&command, {}, {}};
  const QStringList positional = parser.positionalArguments().mid(1);  // the command name itself
  const std::size_t expected = command.Arguments.size();
  if (positional.size() < static_cast<qsizetype>(expected))
    throw TUsageError(std::string("missing ") + command.Arguments[static_cast<std::size_t>(positional.size())].Name);
  if (positional.size() > static_cast<qsizetype>(expected))
    throw TUsageError("unexpected argument '" + positional[static_cast<qsizetype>(expected)].toStdString() + "'");
  for (const QString& argument : positional) request.Args.Arguments.push_back(argument.toStdString());
  for (const TCliOptionSpec& option : command.Options) {
    const QString name = QString::fromLatin1(option.Name);
    if (!parser.isSet(name)) continue;
    request.Args.Values[option.Name] = option.ValueName ? parser.value(name).toStdString() : std::string();
    if (option.ValueName)
      for (const QString& value : parser.values(name)) request.Args.Repeated[option.Name].push_back(value.toStdString());
  }
  return request;
}

}  // namespace

QString ProgramHelpText(const TCliProgramSpec& program) {
  QCommandLineParser parser;
  SetUpProgramParser(parser, program);
  return parser.helpText();
}

QString CommandHelpText(const TCliCommandSpec& command) {
  QCommandLineParser parser;
  SetUpCommandParser(parser, command);
  return parser.helpText();
}

TCliRequest ParseCommandLine(const TCliProgramSpec& program, const QStringList& arguments) {
  QCommandLineParser parser;
  SetUpProgramParser(parser, program);
  if (!parser.parse(WithProgramName(program, arguments))) throw TUsageError(parser.errorText().toStdString());
  const QStringList positional = parser.positionalArguments();
  if (positional.isEmpty()) {
    if (parser.isSet(kHelpOption)) return {nullptr, {}, ProgramHelpText(program)};
    if (parser.isSet(kVersionOption))
      return {nullptr, {}, QStringLiteral("%1 %2\n").arg(QString::fromLatin1(program.Name), QString::fromLatin1(program.Version))};
    throw TUsageError("missing command");
  }
  if (parser.isSet(kHelpOption) || parser.isSet(kVersionOption))
    throw TUsageError("--help and --version go after the command or alone");
  if (positional.first() == QLatin1String("help")) {
    if (positional.size() == 1) return {nullptr, {}, ProgramHelpText(program)};
    if (positional.size() > 2) throw TUsageError("help takes one command");
    return {nullptr, {}, CommandHelpText(KnownCommand(program, positional[1]))};
  }
  return ParseCommand(program, KnownCommand(program, positional.first()), positional);
}
