#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/VirtualDevices.h"
#include "support/PtyAdapter.h"

namespace {

TEST(VirtualDevices, AnnouncementFileFormatListingAndWithdrawal) {
  TScopedRuntimeDir runtime;
  EXPECT_EQ(VirtualDeviceDirectory(), runtime.Path() + "/ferrolux/devices");
  EXPECT_TRUE(ListVirtualDevices().empty());

  const std::string file = AnnounceVirtualDevice("SIM00002", "CAN-IF", "/dev/pts/7");
  EXPECT_EQ(file, runtime.Path() + "/ferrolux/devices/SIM00002.dev");
  std::ifstream in(file);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_EQ(text.str(), "description=CAN-IF\ntty=/dev/pts/7\n");

  AnnounceVirtualDevice("SIM00001", "USBtin Tiny=2", "/dev/pts/8");
  std::ofstream(runtime.Path() + "/ferrolux/devices/BROKEN.dev") << "description=no tty\n";
  std::ofstream(runtime.Path() + "/ferrolux/devices/notes.txt") << "description=x\ntty=/dev/null\n";
  const std::vector<TVirtualDevice> devices = ListVirtualDevices();
  ASSERT_EQ(devices.size(), 2u);
  EXPECT_EQ(devices[0].SerialNumber, "SIM00001");
  EXPECT_EQ(devices[0].Description, "USBtin Tiny=2");
  EXPECT_EQ(devices[1].TtyPath, "/dev/pts/7");

  EXPECT_TRUE(WithdrawVirtualDevice("SIM00002"));
  EXPECT_FALSE(WithdrawVirtualDevice("SIM00002"));
  EXPECT_EQ(ListVirtualDevices().size(), 1u);
  EXPECT_EQ(AnnounceVirtualDevice("../escape", "x", "/dev/null"), "");
}

TEST(VirtualDevices, WithoutRuntimeDirectoryTheUserTmpFolderIsUsed) {
  TScopedRuntimeDir runtime;  // restores the variable afterwards
  unsetenv("XDG_RUNTIME_DIR");
  EXPECT_EQ(VirtualDeviceDirectory(), "/tmp/ferrolux-" + std::to_string(getuid()) + "/devices");
}

}  // namespace
