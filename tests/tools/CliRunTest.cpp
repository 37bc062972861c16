// ferrolux-cli run against a scripted adapter: answers to received frames, timer rows, the
// rows that must stay silent, and the trigger log written at the end.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <algorithm>

#include "platform/TickCount.h"
#include "storage/TreeFile.h"
#include "support/PtyAdapter.h"
#include "tools/CliProcess.h"
#include "tools/cli/CliOptions.h"
#include "transmit/PredefinedMessageList.h"
#include "transmit/TriggerLogList.h"

using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {

class CliRunTest : public ::testing::Test {
 protected:
  std::string Path(const char* name) const { return dir.filePath(QString::fromLatin1(name)).toStdString(); }

  void AddRow(TTriggerType type, const char* message, bool checked, const char* logText = nullptr,
              std::int32_t period = 0) {
    TPredefinedEdit edit;
    edit.TriggerType = static_cast<std::uint8_t>(type);
    edit.Message = ParseFrameText(message);
    edit.Period = period;
    edit.TriggerCode = ParseFrameText("100#11");
    edit.HotKey = 0x4041;
    edit.LogMessage = logText != nullptr;
    edit.LogText = logText ? QString::fromLatin1(logText) : QString();
    const std::size_t row = Messages.AddMessage();
    Messages.ApplyEdit(row, edit);
    Messages.SetRowChecked(row, checked);
  }
  // Two answers to 100#11 in list order, a 100 ms timer, and rows that must not send.
  std::string SaveMessages() {
    AddRow(TTriggerType::Message, "200#AA", true, "first");
    AddRow(TTriggerType::Timer, "300#01", true, nullptr, 100);
    AddRow(TTriggerType::Message, "2FF#EE", false, "unchecked");
    AddRow(TTriggerType::HotKey, "3FF#EE", true, "hot key");
    AddRow(TTriggerType::Message, "201#BB", true, "second");
    SaveTreeFile(QString::fromStdString(Path("m.pm1")), Messages);
    return Path("m.pm1");
  }
  std::vector<std::string> LoggedTexts() {
    TTriggerLogList log;
    LoadTreeFile(QString::fromStdString(Path("t.lm1")), log);
    std::vector<std::string> texts;
    for (std::size_t row = 0; row < log.RowCount(); ++row) texts.push_back(log.CellText(row, 1).toStdString());
    return texts;
  }

  TScopedRuntimeDir runtime;
  QTemporaryDir dir;
  TPredefinedMessageList Messages{{{}, {}, &GetTickCount}};
};

std::ptrdiff_t CountOf(const std::vector<std::string>& commands, const char* command) {
  return std::count(commands.begin(), commands.end(), command);
}

}  // namespace

TEST_F(CliRunTest, AnswersTriggersInListOrderSendsTimerRowsAndWritesTheTriggerLog) {
  TPtyAdapter adapter;
  // A trigger as soon as the adapter is open, a frame that matches nothing, then a second trigger.
  adapter.SetResponder([&](const std::string& command) {
    if (command == "O") return std::string("\rt100111\rt100122\r");
    return StandardReply(command);
  });
  TCliProcess cli(runtime.Path(), {"run", adapter.Serial(), "--messages", SaveMessages(), "--bitrate", "250",
                                   "--duration", "0.6", "--log", Path("t.lm1")});
  ASSERT_TRUE(adapter.WaitForCommands(8));
  adapter.Send("t100111\r");
  const TCliRun run = cli.Wait();
  ASSERT_EQ(run.ExitStatus, 0) << run.Err;

  const std::vector<std::string> commands = adapter.Commands();
  EXPECT_EQ(commands.front(), "S5");
  EXPECT_EQ(commands.back(), "C");
  // Each trigger is answered by both rows, the upper one first, before anything else is sent.
  std::vector<std::string> answers;
  for (const std::string& c : commands)
    if (c.rfind("t20", 0) == 0) answers.push_back(c);
  EXPECT_EQ(answers, (std::vector<std::string>{"t2001AA", "t2011BB", "t2001AA", "t2011BB"}));
  const auto first = std::find(commands.begin(), commands.end(), "t2001AA");
  ASSERT_NE(first, commands.end());
  EXPECT_EQ(*(first + 1), "t2011BB");
  // Due every 100 ms over 0.6 s: a handful, not one per tick.
  EXPECT_GE(CountOf(commands, "t300101"), 3);
  EXPECT_LE(CountOf(commands, "t300101"), 8);
  EXPECT_THAT(commands, Not(Contains("t2FF1EE")));
  EXPECT_THAT(commands, Not(Contains("t3FF1EE")));

  const std::vector<std::string> lines = Lines(run.Out);
  ASSERT_EQ(lines.size(), 3u) << run.Out;
  EXPECT_THAT(lines[0], HasSubstr(" PTY00001 100#11"));
  EXPECT_THAT(lines[1], HasSubstr(" PTY00001 100#22"));
  EXPECT_EQ(LoggedTexts(), (std::vector<std::string>{"first", "second", "first", "second"}));
}

TEST_F(CliRunTest, InterruptClosesTheAdapterAndStillWritesTheLog) {
  TPtyAdapter adapter;
  adapter.SetResponder([&](const std::string& command) {
    if (command == "O") return std::string("\rt100111\r");
    return StandardReply(command);
  });
  TCliProcess cli(runtime.Path(), {"run", adapter.Serial(), "--messages", SaveMessages(), "--log", Path("t.lm1")});
  ASSERT_TRUE(adapter.WaitForCommands(8));
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  cli.Signal(SIGTERM);
  const TCliRun run = cli.Wait();
  EXPECT_EQ(run.ExitStatus, 0) << run.Err;
  EXPECT_EQ(adapter.Commands().back(), "C");
  EXPECT_EQ(LoggedTexts(), (std::vector<std::string>{"first", "second"}));
}

// Nothing is opened for a list that cannot be read or a command line that is wrong.
TEST_F(CliRunTest, BadListsAndArgumentsExitWithStatusTwoBeforeOpening) {
  TPtyAdapter adapter;
  const std::string messages = SaveMessages();
  std::ofstream(Path("short.pm1"), std::ios::binary) << "\x01\x02";
  const std::vector<std::pair<std::vector<std::string>, const char*>> cases = {
      {{"run", adapter.Serial()}, "missing --messages"},
      {{"run", adapter.Serial(), "--messages", Path("m.tr1")}, "--messages takes a .pm1 file"},
      {{"run", adapter.Serial(), "--messages", Path("none.pm1")}, "none.pm1"},
      {{"run", adapter.Serial(), "--messages", Path("short.pm1")}, "short.pm1: Unable to load tree structure"},
      {{"run", adapter.Serial(), "--messages", messages, "--log", Path("t.csv")}, "--log takes a .lm1 file"},
      {{"run", adapter.Serial(), "--messages", messages, "--duration", "0"}, "--duration must be"},
  };
  for (const auto& [args, message] : cases) {
    const TCliRun run = TCliProcess(runtime.Path(), args).Wait();
    EXPECT_EQ(run.ExitStatus, 2) << ::testing::PrintToString(args);
    EXPECT_THAT(run.Err, HasSubstr(message)) << ::testing::PrintToString(args);
  }
  EXPECT_TRUE(adapter.Commands().empty());
  const TCliRun help = TCliProcess(runtime.Path(), {"run", "--help"}).Wait();
  EXPECT_EQ(help.ExitStatus, 0);
  EXPECT_THAT(help.Out, HasSubstr("--messages <FILE>"));
  EXPECT_THAT(help.Out, HasSubstr("--duration <SECONDS>"));
}
