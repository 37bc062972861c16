// ferrolux-cli as a separate process against scripted adapters on pseudo-terminals.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>

#include "support/PtyAdapter.h"
#include "support/SimProcess.h"
#include "tools/CliProcess.h"
#include "tools/cli/CliOptions.h"

using ::testing::Contains;
using ::testing::HasSubstr;

namespace {

class CliTest : public ::testing::Test {
 protected:
  TCliRun Run(const std::vector<std::string>& args, const TCliProcess::TEnvironment& env = {}) {
    return TCliProcess(runtime.Path(), args, env).Wait();
  }
  TScopedRuntimeDir runtime;
};

TEST_F(CliTest, BadArgumentsExitWithStatusTwoAndOneLine) {
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"frobnicate"},
      {"list", "extra"},
      {"dump"},
      {"dump", "S1", "--bitrate"},
      {"dump", "S1", "--bitrate", "500", "--btr", "001C"},
      {"dump", "S1", "--code", "12345678"},
      {"dump", "S1", "--count", "0"},
      {"dump", "S1", "--timeout", "soon"},
      {"send", "S1"},
      {"send", "S1", "1234#11"},
      {"send", "S1", "123#11", "--count", "2"},
      {"dump", "NOSUCHSERIAL", "--timeout", "1"},
      {"help", "frobnicate"},
  };
  for (const auto& args : cases) {
    const TCliRun run = Run(args);
    EXPECT_EQ(run.ExitStatus, 2) << ::testing::PrintToString(args);
    EXPECT_EQ(Lines(run.Err).size(), 1u) << run.Err;
    EXPECT_THAT(run.Err, HasSubstr("ferrolux-cli: "));
    EXPECT_TRUE(run.Out.empty());
  }
}

TEST_F(CliTest, HelpAndVersionGoToStandardOutputWithStatusZero) {
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"--help"}, {"-h"}, {"help"}, {"help", "dump"}, {"send", "--help"}, {"--version"}}) {
    const TCliRun run = Run(args);
    EXPECT_EQ(run.ExitStatus, 0) << ::testing::PrintToString(args);
    EXPECT_TRUE(run.Err.empty()) << run.Err;
    EXPECT_THAT(run.Out, HasSubstr("ferrolux-cli")) << ::testing::PrintToString(args);
  }
  EXPECT_THAT(Run({"--help"}).Out, HasSubstr("Usage: ferrolux-cli [options] COMMAND"));
  EXPECT_THAT(Run({"dump", "--help"}).Out, HasSubstr("--timeout <SECONDS>"));
}

TEST_F(CliTest, ListNamesKindSerialAndDescriptionOfEveryAdapter) {
  TPtyAdapter canIf("PTY00001", "CAN-IF");
  TPtyAdapter tiny("PTY00002", "USBtin Tiny");
  TPtyAdapter lawicel("PTY00003", "CANUSB");
  TPtyAdapter other("PTY00004", "FT232R USB UART");
  const TCliRun run = Run({"list"});
  EXPECT_EQ(run.ExitStatus, 0);
  EXPECT_EQ(Lines(run.Out), (std::vector<std::string>{"ACUSB\tPTY00001\tCAN-IF", "MHSUSB\tPTY00002\tUSBtin Tiny",
                                                       "LAWICELUSB\tPTY00003\tCANUSB"}));
}

TEST_F(CliTest, DumpPrintsCandumpLinesAndClosesAfterTheCount) {
  TPtyAdapter adapter;
  adapter.SetResponder([](const std::string& command) {
    if (command == "O") return std::string("\rt12321122" "04D2\rR18DAF1100\rt7FF0\r");
    return StandardReply(command);
  });
  const TCliRun run = Run({"dump", adapter.Serial(), "--bitrate", "125", "--code", "00000123", "--mask", "FFFF0000",
                           "--count", "2"});
  EXPECT_EQ(run.ExitStatus, 0) << run.Err;
  const std::vector<std::string> lines = Lines(run.Out);
  ASSERT_EQ(lines.size(), 2u) << run.Out;
  EXPECT_TRUE(std::regex_match(lines[0], std::regex(R"(\(\d+\.\d{6}\) PTY00001 123#1122)"))) << lines[0];
  EXPECT_TRUE(std::regex_match(lines[1], std::regex(R"(\(\d+\.\d{6}\) PTY00001 18DAF110#R)"))) << lines[1];
  const std::vector<std::string> commands = adapter.Commands();
  EXPECT_EQ(std::vector<std::string>(commands.begin(), commands.begin() + 3),
            (std::vector<std::string>{"S4", "M00000123", "mFFFF0000"}));
  EXPECT_EQ(commands.back(), "C");
}

TEST_F(CliTest, DumpEndsCleanlyAtTheTimeoutAndOnInterrupt) {
  TPtyAdapter adapter;
  const TCliRun quiet = Run({"dump", adapter.Serial(), "--timeout", "0.3"});
  EXPECT_EQ(quiet.ExitStatus, 0) << quiet.Err;
  EXPECT_TRUE(quiet.Out.empty());
  EXPECT_EQ(adapter.Commands().back(), "C");

  adapter.ClearCommands();
  TCliProcess endless(runtime.Path(), {"dump", adapter.Serial(), "--btr", "0014"});
  ASSERT_TRUE(adapter.WaitForCommands(6));  // opened
  EXPECT_EQ(adapter.Commands()[0], "s0014");
  endless.Signal(SIGINT);
  const TCliRun interrupted = endless.Wait();
  EXPECT_EQ(interrupted.ExitStatus, 0) << interrupted.Err;
  EXPECT_EQ(adapter.Commands().back(), "C");
}

TEST_F(CliTest, SendExitsZeroOnlyWhenTheAdapterAcknowledges) {
  TPtyAdapter adapter;
  const TCliRun sent = Run({"send", adapter.Serial(), "18DAF110#0102"});
  EXPECT_EQ(sent.ExitStatus, 0) << sent.Err;
  EXPECT_THAT(adapter.Commands(), Contains("T18DAF11020102"));
  EXPECT_EQ(adapter.Commands().back(), "C");

  adapter.SetResponder([](const std::string& command) { return command[0] == 'r' ? std::string("\a") : StandardReply(command); });
  const TCliRun refused = Run({"send", adapter.Serial(), "123#R"});
  EXPECT_EQ(refused.ExitStatus, 1);
  EXPECT_THAT(adapter.Commands(), Contains("r1230"));
}

TEST_F(CliTest, RefusedOpenExitsWithStatusTwo) {
  TPtyAdapter adapter;
  adapter.SetResponder([](const std::string& command) { return command == "Z1" ? std::string("\a") : StandardReply(command); });
  const TCliRun refused = Run({"send", adapter.Serial(), "123#"});
  EXPECT_EQ(refused.ExitStatus, 2);
  EXPECT_THAT(refused.Err, HasSubstr("cannot open adapter PTY00001"));
}

// A "CANUSB" adapter goes to the maker's library, here the stand-in that logs every call.
class CliVendorTest : public CliTest {
 protected:
  TCliProcess::TEnvironment Library(TCliProcess::TEnvironment more = {}) {
    more.emplace_back("LD_LIBRARY_PATH", FAKE_CANUSB_DIR);
    more.emplace_back("FAKE_CANUSB_LOG", log);
    return more;
  }
  std::vector<std::string> Calls() {
    std::ifstream in(log);
    std::vector<std::string> calls;
    for (std::string line; std::getline(in, line);)
      if (line != "Read 7") calls.push_back(line);  // the reader polls as often as it likes
    std::remove(log.c_str());
    return calls;
  }
  TPtyAdapter lawicel{"LAW00001", "CANUSB"};
  std::string log = runtime.Path() + "/canusb.log";
};

TEST_F(CliVendorTest, DumpAndSendReachTheLibrary) {
  const TCliRun dump = Run({"dump", lawicel.Serial(), "--bitrate", "250", "--code", "12345678", "--mask", "0000FFFF",
                            "--count", "2"},
                           Library({{"FAKE_CANUSB_READ_STATUS", "1"}}));
  EXPECT_EQ(dump.ExitStatus, 0) << dump.Err;
  const std::vector<std::string> lines = Lines(dump.Out);
  ASSERT_EQ(lines.size(), 2u) << dump.Out;
  for (const std::string& line : lines)
    EXPECT_TRUE(std::regex_match(line, std::regex(R"(\(\d+\.\d{6}\) LAW00001 18DAF110#010203)"))) << line;
  EXPECT_EQ(Calls(), (std::vector<std::string>{"load", "Open LAW00001 250 78563412 FFFF0000 1", "Flush 7 0", "Close 7",
                                               "unload"}));

  const TCliRun sent = Run({"send", lawicel.Serial(), "123#1122", "--btr", "031C"}, Library());
  EXPECT_EQ(sent.ExitStatus, 0) << sent.Err;
  EXPECT_EQ(Calls(), (std::vector<std::string>{"load", "Open LAW00001 3:28 00000000 FFFFFFFF 1",
                                               "Write 7 00000123 0 00 2 1122000000000000", "Flush 7 0", "Close 7",
                                               "unload"}));

  const TCliRun refused = Run({"send", lawicel.Serial(), "18DAF110#R"}, Library({{"FAKE_CANUSB_WRITE_STATUS", "-3"}}));
  EXPECT_EQ(refused.ExitStatus, 1);
  EXPECT_TRUE(lawicel.Commands().empty()) << "nothing went to the serial line";
}

TEST_F(CliVendorTest, MissingLibraryIsOneMessageLineAndStatusTwo) {
  const TCliRun run = Run({"dump", lawicel.Serial(), "--count", "1"}, {{"LD_LIBRARY_PATH", runtime.Path()}});
  EXPECT_EQ(run.ExitStatus, 2);
  EXPECT_EQ(Lines(run.Err), (std::vector<std::string>{
                                "LIBCANUSBDRV.SO not found or not loaded. Please install the \"CANUSB DLL driver\" from "
                                "the adapter maker's web site, to use this software.",
                                "ferrolux-cli: cannot open adapter LAW00001"}));
  EXPECT_TRUE(run.Out.empty());

  const TCliRun opened = Run({"dump", lawicel.Serial(), "--count", "1"}, Library({{"FAKE_CANUSB_OPEN_HANDLE", "0"}}));
  EXPECT_EQ(opened.ExitStatus, 2);
  EXPECT_EQ(Lines(opened.Err), (std::vector<std::string>{"ferrolux-cli: cannot open adapter LAW00001"}));
}
TEST_F(CliTest, DumpWithADatabasePrintsTheSignalsOfEachFrame) {
  TPtyAdapter adapter;
  adapter.SetResponder([](const std::string& command) {
    if (command == "O") return std::string("\rt12321122" "04D2\rt7FF0\rt1232FF01" "04D3\r");
    return StandardReply(command);
  });
  const std::string dbc = runtime.Path() + "/bus.dbc";
  std::ofstream(dbc) << "BO_ 291 Body: 2 X\n SG_ Door : 0|8@1+ (1,0) [0|0] \"\" X\n SG_ Lamp : 8|8@1- (2,0) [0|0] \"W\" X\n";
  const TCliRun run = Run({"dump", adapter.Serial(), "--dbc", dbc, "--count", "3"});
  EXPECT_EQ(run.ExitStatus, 0) << run.Err;
  EXPECT_EQ(run.Out,
            "Time;ID;Message;Signal;Value;Unit;Raw;Text\r\n"
            "1234;123;Body;Door;17;;17;\r\n1234;123;Body;Lamp;68;W;34;\r\n"
            "1235;123;Body;Door;255;;255;\r\n1235;123;Body;Lamp;2;W;1;\r\n");
}

// The cli against the real virtual adapter replaying a log.
TEST_F(CliTest, ListDumpAndSendWithTheSimulator) {
  const std::vector<TCanMsgProg> replay = ReplayFrames(60, {0x0A5, 0x18DAF110, 0x7FF});
  const std::string log = runtime.Path() + "/replay.log";
  WriteCandumpLog(log, replay, 2000);
  TSimProcess sim(FERROLUX_SIM_PATH, runtime.Path(), {"--serial", "SIM00007", "--replay", log});
  ASSERT_TRUE(sim.WaitForAnnouncement("SIM00007"));

  const TCliRun list = Run({"list"});
  EXPECT_EQ(list.ExitStatus, 0);
  EXPECT_EQ(Lines(list.Out), std::vector<std::string>{"ACUSB\tSIM00007\tCAN-IF"});

  const TCliRun dump = Run({"dump", "SIM00007", "--count", "25", "--timeout", "10"});
  EXPECT_EQ(dump.ExitStatus, 0) << dump.Err;
  std::vector<std::string> frames, expected;
  for (const std::string& line : Lines(dump.Out)) frames.push_back(line.substr(line.rfind(' ') + 1));
  for (std::size_t i = 0; i < 25; ++i) {
    const std::string line = CandumpLine(replay[i], 0, 0, "x");
    expected.push_back(line.substr(line.rfind(' ') + 1));
  }
  EXPECT_EQ(frames, expected);

  const TCliRun sent = Run({"send", "SIM00007", "18DAF110#0102"});
  EXPECT_EQ(sent.ExitStatus, 0) << sent.Err;
}

}  // namespace
