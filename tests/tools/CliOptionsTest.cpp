#include <gtest/gtest.h>

#include "tools/cli/CliCommands.h"
#include "tools/cli/CliOptions.h"

namespace {

TEST(CliFrameText, ReadsTheCandumpForms) {
  const TCanMsgProg standard = ParseFrameText("123#11.22");
  EXPECT_EQ(standard.CanId, 0x123);
  EXPECT_FALSE(standard.Extended);
  EXPECT_EQ(standard.DLC, 2);
  EXPECT_EQ(standard.Data[1], 0x22);
  const TCanMsgProg extended = ParseFrameText("18daf110#");
  EXPECT_TRUE(extended.Extended);
  EXPECT_EQ(extended.CanId, 0x18DAF110);
  EXPECT_EQ(extended.DLC, 0);
  const TCanMsgProg remote = ParseFrameText("7FF#R4");
  EXPECT_TRUE(remote.RTR);
  EXPECT_EQ(remote.DLC, 4);
  for (const char* bad : {"123", "12#11", "800#", "20000000#", "123#1", "123#112233445566778899", "123#R9", "123#GG"})
    EXPECT_THROW((void)ParseFrameText(bad), TUsageError) << bad;
}

TEST(CliFrameText, WritesCandumpLogLines) {
  TCanMsgProg msg = ParseFrameText("00000007#0102030405060708");
  EXPECT_EQ(CandumpLine(msg, 1700000000, 42, "SIM00001"), "(1700000000.000042) SIM00001 00000007#0102030405060708");
  EXPECT_EQ(CandumpLine(ParseFrameText("07F#"), 1, 999999, "X"), "(1.999999) X 07F#");
  EXPECT_EQ(CandumpLine(ParseFrameText("123#R"), 0, 0, "X"), "(0.000000) X 123#R");
  EXPECT_EQ(CandumpLine(ParseFrameText("123#R3"), 0, 0, "X"), "(0.000000) X 123#R3");
  msg = ParseFrameText("123#AB");
  msg.Data[1] = 0xCD;  // bytes beyond the length are not written
  EXPECT_EQ(CandumpLine(msg, 0, 0, "X"), "(0.000000) X 123#AB");
}

TCliRequest Parse(const QStringList& args) { return ParseCommandLine(CliProgram(), args); }

TEST(CliCommandLine, ReadsAdapterOptionsInAnyOrder) {
  const TCliRequest dump = Parse({"dump", "--btr", "031c", "S1", "--code", "12345678", "--mask", "0000ffff",
                                  "--count", "5", "--timeout", "1.5"});
  ASSERT_NE(dump.Command, nullptr);
  EXPECT_STREQ(dump.Command->Name, "dump");
  const TCliOptions options = ReadAdapterOptions(dump.Args);
  EXPECT_EQ(options.Serial, "S1");
  EXPECT_EQ(options.BitRate, 0);
  EXPECT_EQ(options.Btr, 0x031C);
  EXPECT_EQ(options.Code, 0x12345678u);
  EXPECT_EQ(options.Mask, 0x0000FFFFu);
  EXPECT_EQ(options.Count, 5u);
  EXPECT_DOUBLE_EQ(options.TimeoutSeconds.value(), 1.5);
  const TCliOptions defaults = ReadAdapterOptions(Parse({"dump", "S1"}).Args);
  EXPECT_EQ(defaults.BitRate, 500);
  EXPECT_EQ(defaults.Mask, 0xFFFFFFFFu);
  EXPECT_FALSE(defaults.TimeoutSeconds);
  const TCliRequest send = Parse({"send", "S1", "123#11", "--bitrate", "250"});
  EXPECT_EQ(send.Args.Arguments, (std::vector<std::string>{"S1", "123#11"}));
  EXPECT_EQ(ReadAdapterOptions(send.Args).BitRate, 250);
}

TEST(CliCommandLine, RejectsWhatACommandDoesNotTake) {
  const std::vector<QStringList> bad = {
      {}, {"frobnicate"}, {"list", "extra"}, {"dump"}, {"send", "S1"}, {"dump", "S1", "--bitrate"},
      {"send", "S1", "123#11", "--count", "2"}, {"--bitrate", "500", "dump", "S1"}, {"help", "frobnicate"},
      {"help", "dump", "send"}, {"--help", "dump"}};
  for (const QStringList& args : bad) EXPECT_THROW((void)Parse(args), TUsageError) << args.join(' ').toStdString();
  // Values are checked when the command reads them.
  for (const QStringList& args : std::vector<QStringList>{{"dump", "S1", "--bitrate", "500", "--btr", "001C"},
                                                          {"dump", "S1", "--code", "12345678"},
                                                          {"dump", "S1", "--count", "0"},
                                                          {"dump", "S1", "--timeout", "soon"},
                                                          {"dump", "S1", "--btr", "12345"}})
    EXPECT_THROW((void)ReadAdapterOptions(Parse(args).Args), TUsageError) << args.join(' ').toStdString();
}

TEST(CliCommandLine, HelpAndVersionAreTextsNotCommands) {
  const TCliRequest help = Parse({"--help"});
  EXPECT_EQ(help.Command, nullptr);
  for (const TCliCommandSpec& command : CliProgram().Commands) {
    EXPECT_TRUE(help.Text.contains(QString::fromLatin1(command.Name))) << command.Name;
    // "help COMMAND" and "COMMAND --help" are the same text, naming every argument and option.
    const QString text = Parse({"help", command.Name}).Text;
    EXPECT_EQ(Parse({command.Name, "--help"}).Text, text);
    EXPECT_EQ(Parse({command.Name, "-h"}).Text, text);
    for (const TCliArgumentSpec& argument : command.Arguments) EXPECT_TRUE(text.contains(argument.Name)) << argument.Name;
    for (const TCliOptionSpec& option : command.Options)
      EXPECT_TRUE(text.contains(QStringLiteral("--") + option.Name)) << command.Name << " " << option.Name;
  }
  EXPECT_EQ(Parse({"help"}).Text, help.Text);
  EXPECT_EQ(Parse({"--version"}).Text, QStringLiteral("ferrolux-cli %1\n").arg(FERROLUX_VERSION));
  // Help on a command line that is otherwise wrong still helps.
  EXPECT_EQ(Parse({"send", "--help"}).Command, nullptr);
}

}  // namespace
