// ferrolux-sim as the program meets it: announced in the device directory, a raw tty that
// answers the line protocol and reports the bus.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <thread>

#include "CanPackage/source/AsciiProtocol.h"
#include "CanPackage/source/Sja1000Filter.h"
#include "platform/VirtualDevices.h"
#include "support/SimProcess.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr const char* kSerial = "E2E00001";

int OpenRaw(const std::string& tty) {
  const int fd = ::open(tty.c_str(), O_RDWR | O_NOCTTY);
  termios settings{};
  if (fd < 0 || ::tcgetattr(fd, &settings) != 0) return -1;
  ::cfmakeraw(&settings);
  ::tcsetattr(fd, TCSANOW, &settings);
  ::tcflush(fd, TCIOFLUSH);
  return fd;
}

// Reply units as the driver sees them: a line up to its CR, or a lone BEL.
class LineReader {
 public:
  explicit LineReader(int fd) : FFd(fd) {}
  std::optional<std::string> Next(std::chrono::milliseconds timeout) {
    const auto end = Clock::now() + timeout;
    for (;;) {
      const std::size_t cut = FBuffer.find_first_of("\r\a");
      if (cut != std::string::npos) {
        std::string line = FBuffer.substr(0, cut + 1);
        FBuffer.erase(0, cut + 1);
        return line;
      }
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
      pollfd watch{FFd, POLLIN, 0};
      if (left <= 0 || ::poll(&watch, 1, static_cast<int>(left)) <= 0) return std::nullopt;
      char chunk[4096];
      const ssize_t n = ::read(FFd, chunk, sizeof chunk);
      if (n <= 0) return std::nullopt;
      FBuffer.append(chunk, static_cast<std::size_t>(n));
    }
  }
  std::string Exchange(const std::string& command) {
    const std::string line = AsciiProtocol::WithCR(command);
    EXPECT_EQ(::write(FFd, line.data(), line.size()), static_cast<ssize_t>(line.size()));
    return Next(1000ms).value_or("(no reply)");
  }
  // Lines until `reply` comes; the frame lines before it are returned, nullopt if it never came.
  std::optional<std::vector<std::string>> SendAndAwait(const std::string& command, const std::string& reply) {
    const std::string line = AsciiProtocol::WithCR(command);
    EXPECT_EQ(::write(FFd, line.data(), line.size()), static_cast<ssize_t>(line.size()));
    std::vector<std::string> before;
    while (auto next = Next(2000ms)) {
      if (*next == reply) return before;
      before.push_back(*next);
    }
    return std::nullopt;
  }
  std::vector<std::string> For(std::chrono::milliseconds span) {
    std::vector<std::string> lines;
    for (auto end = Clock::now() + span; Clock::now() < end;)
      if (auto line = Next(std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()))) lines.push_back(*line);
    return lines;
  }

 private:
  int FFd;
  std::string FBuffer;
};

std::vector<TCanMsgProg> DecodeAll(const std::vector<std::string>& lines) {
  std::vector<TCanMsgProg> frames;
  for (const std::string& line : lines) {
    const auto msg = AsciiProtocol::DecodeFrameLine(line);
    EXPECT_TRUE(msg) << "not a frame line: " << line;
    if (msg) frames.push_back(CanMsgToProg(*msg));
  }
  return frames;
}

class SimEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/ferrolux-e2e-XXXXXX";
    runtime = ::mkdtemp(pattern);
    ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    announcement = fs::path(VirtualDeviceDirectory()) / (std::string(kSerial) + ".dev");
  }
  void TearDown() override {
    ::unsetenv("XDG_RUNTIME_DIR");
    fs::remove_all(runtime);
  }
  std::string runtime;
  fs::path announcement;
};

}  // namespace

TEST_F(SimEndToEnd, AnnouncedAdapterAnswersReportsFiltersAndWithdraws) {
  TSimProcess sim(FERROLUX_SIM_PATH, runtime, {"--serial", kSerial, "--description", "CAN-IF"});
  ASSERT_TRUE(sim.Started());
  ASSERT_TRUE(sim.WaitForAnnouncement(kSerial)) << "no announcement";
  const auto devices = ListVirtualDevices();
  ASSERT_EQ(devices.size(), 1u);
  EXPECT_EQ(devices[0].Serial, kSerial);
  EXPECT_EQ(devices[0].Description, "CAN-IF");

  int fd = OpenRaw(devices[0].Tty);
  ASSERT_GE(fd, 0);
  LineReader port(fd);
  EXPECT_EQ(port.Exchange("O"), "\a") << "no bit rate yet";
  EXPECT_EQ(port.Exchange("S6"), "\r");
  EXPECT_EQ(port.Exchange("M00000000"), "\r");
  EXPECT_EQ(port.Exchange("mFFFFFFFF"), "\r");
  EXPECT_EQ(port.Exchange("Z1"), "\r");
  EXPECT_EQ(port.Exchange("V"), "V1013\r");
  EXPECT_EQ(port.Exchange("O"), "\r");

  const auto frames = DecodeAll(port.For(1600ms));
  std::set<std::int64_t> ids;
  for (const auto& frame : frames) ids.insert(frame.CanId);
  EXPECT_GT(frames.size(), 100u);
  for (std::int64_t id : {0x0A5, 0x1D0, 0x3B4, 0x18FEF100, 0x6F1, 0x640}) EXPECT_TRUE(ids.count(id)) << std::hex << id;
  ASSERT_FALSE(frames.empty());
  const int span = (frames.back().Time - frames.front().Time + 60000) % 60000;
  EXPECT_GT(span, 1000) << "time stamps in milliseconds";
  EXPECT_LT(span, 3000);

  // Transmits are acknowledged between the frame lines, with z for standard and Z for extended.
  EXPECT_TRUE(port.SendAndAwait("t12321122", "z\r"));
  EXPECT_TRUE(port.SendAndAwait("T18DAF1101AB", "Z\r"));

  // The program closes and reopens the port while the channel stays open: no hang-up.
  ::close(fd);
  std::this_thread::sleep_for(100ms);
  fd = OpenRaw(devices[0].Tty);
  ASSERT_GE(fd, 0);
  LineReader reopened(fd);
  EXPECT_FALSE(reopened.For(300ms).empty()) << "still reporting after a reopen";
  const auto beforeClose = reopened.SendAndAwait("C", "\r");
  ASSERT_TRUE(beforeClose);
  DecodeAll(*beforeClose);
  EXPECT_TRUE(reopened.For(300ms).empty()) << "no frames once closed";

  // Only standard 0x0A5 data frames pass both filters.
  const std::uint32_t code = 0x14A014A0, mask = 0x000F000F;
  EXPECT_EQ(reopened.Exchange("M14A014A0"), "\r");
  EXPECT_EQ(reopened.Exchange("m000F000F"), "\r");
  EXPECT_EQ(reopened.Exchange("O"), "\r");
  const auto filtered = DecodeAll(reopened.For(600ms));
  EXPECT_GT(filtered.size(), 20u);
  for (const auto& frame : filtered) {
    EXPECT_EQ(frame.CanId, 0x0A5);
    EXPECT_FALSE(frame.Extended);
    EXPECT_TRUE(Sja1000DualFilterAccepts(code, mask, frame));
  }
  EXPECT_TRUE(reopened.SendAndAwait("C", "\r"));
  ::close(fd);

  const int status = sim.Stop(SIGTERM);
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_FALSE(fs::exists(announcement)) << "announcement withdrawn";
}

TEST_F(SimEndToEnd, InterruptWithdrawsTheAnnouncementToo) {
  TSimProcess sim(FERROLUX_SIM_PATH, runtime, {"--serial", kSerial, "--flood"});
  ASSERT_TRUE(sim.Started());
  ASSERT_TRUE(sim.WaitForAnnouncement(kSerial));
  const int fd = OpenRaw(ListVirtualDevices().at(0).Tty);
  ASSERT_GE(fd, 0);
  LineReader port(fd);
  EXPECT_EQ(port.Exchange("S8"), "\r");
  EXPECT_EQ(port.Exchange("O"), "\r");
  // Flooding: the reply to a transmit must still come through quickly.
  EXPECT_TRUE(port.SendAndAwait("t7FF0", "z\r"));
  EXPECT_GT(DecodeAll(port.For(200ms)).size(), 1000u);
  ::close(fd);  // the program goes away without closing the channel
  const int status = sim.Stop(SIGINT);
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_FALSE(fs::exists(announcement));
}
