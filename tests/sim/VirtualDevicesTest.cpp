#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/VirtualDevices.h"

namespace fs = std::filesystem;

class VirtualDevices : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/ferrolux-vdev-XXXXXX";
    root = ::mkdtemp(pattern);
    ::setenv("XDG_RUNTIME_DIR", root.c_str(), 1);
  }
  void TearDown() override {
    ::unsetenv("XDG_RUNTIME_DIR");
    fs::remove_all(root);
  }
  static std::string Read(const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  std::string root;
};

TEST_F(VirtualDevices, AnnounceListWithdraw) {
  EXPECT_EQ(VirtualDeviceDirectory(), root + "/ferrolux/devices");
  EXPECT_TRUE(ListVirtualDevices().empty()) << "no directory yet";

  const std::string path = AnnounceVirtualDevice("SIM00001", "CAN-IF", "/dev/pts/7");
  EXPECT_EQ(path, root + "/ferrolux/devices/SIM00001.dev");
  EXPECT_EQ(Read(path), "description=CAN-IF\ntty=/dev/pts/7\npid=" + std::to_string(::getpid()) + "\n");
  struct stat info {};
  ASSERT_EQ(::stat(VirtualDeviceDirectory().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);

  AnnounceVirtualDevice("A2", "Tiny CAN", "/dev/pts/9");
  AnnounceVirtualDevice("SIM00001", "CAN-IF", "/dev/pts/8");  // replaced in place
  const auto devices = ListVirtualDevices();
  ASSERT_EQ(devices.size(), 2u);
  EXPECT_EQ(devices[0].Serial, "A2");
  EXPECT_EQ(devices[0].Description, "Tiny CAN");
  EXPECT_EQ(devices[1].Tty, "/dev/pts/8");
  EXPECT_EQ(std::distance(fs::directory_iterator(VirtualDeviceDirectory()), fs::directory_iterator{}), 2)
      << "no temporary files left behind";

  EXPECT_TRUE(WithdrawVirtualDevice("SIM00001"));
  EXPECT_FALSE(WithdrawVirtualDevice("SIM00001"));
  ASSERT_EQ(ListVirtualDevices().size(), 1u);
}

TEST_F(VirtualDevices, ForeignAndBrokenFilesAreLeftOut) {
  AnnounceVirtualDevice("GOOD", "CAN-IF", "/dev/pts/3");
  std::ofstream(VirtualDeviceDirectory() + "/NOTTY.dev") << "description=CAN-IF\n";
  std::ofstream(VirtualDeviceDirectory() + "/.half.dev") << "description=x\ntty=/dev/pts/4\n";
  std::ofstream(VirtualDeviceDirectory() + "/other.txt") << "tty=/dev/pts/5\n";
  const auto devices = ListVirtualDevices();
  ASSERT_EQ(devices.size(), 1u);
  EXPECT_EQ(devices[0].Serial, "GOOD");
}

TEST_F(VirtualDevices, UnsafeNamesAndTheFallbackDirectory) {
  EXPECT_THROW(AnnounceVirtualDevice("../x", "CAN-IF", "/dev/pts/1"), std::runtime_error);
  EXPECT_THROW(AnnounceVirtualDevice("", "CAN-IF", "/dev/pts/1"), std::runtime_error);
  EXPECT_THROW(AnnounceVirtualDevice("S1", "two\nlines", "/dev/pts/1"), std::runtime_error);
  EXPECT_FALSE(WithdrawVirtualDevice("../x"));
  ::setenv("XDG_RUNTIME_DIR", "", 1);
  EXPECT_EQ(VirtualDeviceDirectory(), "/tmp/ferrolux-" + std::to_string(::getuid()) + "/devices");
  ::unsetenv("XDG_RUNTIME_DIR");
  EXPECT_EQ(VirtualDeviceDirectory(), "/tmp/ferrolux-" + std::to_string(::getuid()) + "/devices");
}

TEST_F(VirtualDevices, AnAnnouncementLeftByADeadAnnouncerIsNotListed) {
  const std::string path = AnnounceVirtualDevice("SIMLIVE", "CAN-IF", "/dev/pts/97");
  EXPECT_NE(Read(path).find("pid=" + std::to_string(::getpid()) + "\n"), std::string::npos);

  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ASSERT_GT(child, 0);
  ::waitpid(child, nullptr, 0);  // reaped: its number belongs to nobody now
  const std::string directory = VirtualDeviceDirectory();
  std::ofstream(directory + "/SIMDEAD.dev") << "description=CAN-IF\ntty=/dev/pts/98\npid=" << child << "\n";
  std::ofstream(directory + "/SIMOLD.dev") << "description=CAN-IF\ntty=/dev/pts/99\n";  // no pid: listed as before

  std::vector<std::string> serials;
  for (const TVirtualDevice& device : ListVirtualDevices()) serials.push_back(device.Serial);
  EXPECT_EQ(serials, (std::vector<std::string>{"SIMLIVE", "SIMOLD"}));
}
