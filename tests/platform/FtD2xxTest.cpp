// The D2XX calls over a prepared sysfs tree and over announced pseudo-terminals.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "ftdi/FTDI_D2XX.h"
#include "platform/FtD2xx.h"
#include "support/PtyAdapter.h"

namespace fs = std::filesystem;

namespace {

// A sysfs tree with two FTDI adapters on the usb-serial bus and one CDC adapter.
class FakeSysfs {
 public:
  explicit FakeSysfs(const std::string& root) : FRoot(root) {
    AddUsbSerial("ttyUSB10", "1-1.4", "CAN-IF", "AC000010", "0403", "6001", "0600");
    AddUsbSerial("ttyUSB2", "1-2", "USBtin Tiny", "TINY0002", "0403", "6015", "1000");
    const fs::path usb = fs::path(root) / "devices/usb1/1-3";
    Attributes(usb, "Quillane CDC", "ACM00001", "0483", "5740", "0200");
    fs::create_directories(usb / "1-3:1.0/tty/ttyACM0");
    fs::create_directories(fs::path(root) / "class/tty/ttyACM0");
    fs::create_directory_symlink(usb / "1-3:1.0", fs::path(root) / "class/tty/ttyACM0/device");
    fs::create_directories(fs::path(root) / "class/tty/tty0");  // a console: not listed
  }
  [[nodiscard]] TSysfsLayout Layout() const { return {FRoot, "/nonexistent-dev"}; }

 private:
  static void Attributes(const fs::path& usb, const char* product, const char* serial, const char* vendor,
                         const char* productId, const char* bcd) {
    fs::create_directories(usb);
    std::ofstream(usb / "product") << product << "\n";
    std::ofstream(usb / "serial") << serial << "\n";
    std::ofstream(usb / "idVendor") << vendor << "\n";
    std::ofstream(usb / "idProduct") << productId << "\n";
    std::ofstream(usb / "bcdDevice") << bcd << "\n";
    std::ofstream(usb / "busnum") << "1\n";
    std::ofstream(usb / "devnum") << "7\n";
  }
  void AddUsbSerial(const char* tty, const char* port, const char* product, const char* serial, const char* vendor,
                    const char* productId, const char* bcd) {
    const fs::path usb = fs::path(FRoot) / "devices/usb1" / port;
    Attributes(usb, product, serial, vendor, productId, bcd);
    const fs::path node = usb / (std::string(port) + ":1.0") / tty;
    fs::create_directories(node);
    fs::create_directories(fs::path(FRoot) / "bus/usb-serial/devices");
    fs::create_directory_symlink(node, fs::path(FRoot) / "bus/usb-serial/devices" / tty);
  }
  std::string FRoot;
};

class FtD2xxTest : public ::testing::Test {
 protected:
  void SetUp() override { FT_SetSysfsLayout({runtime.Path() + "/sys-empty", "/dev"}); }
  void TearDown() override { FT_SetSysfsLayout({}); }
  TScopedRuntimeDir runtime;
};

TEST_F(FtD2xxTest, ListsUsbSerialDevicesFromSysfsThenAnnouncedOnes) {
  FakeSysfs sysfs(runtime.Path() + "/sys");
  FT_SetSysfsLayout(sysfs.Layout());
  TPtyAdapter virtualAdapter("SIM00001", "CAN-IF");

  TFTDI_D2XX ftdi;
  const TFT_Device_Info_List list = ftdi.ListDevices();
  ASSERT_EQ(list.size(), 4u);
  EXPECT_STREQ(list[0].Description, "Quillane CDC");  // ttyACM0
  EXPECT_EQ(list[0].DeviceType, FT_DEVICE_UNKNOWN);
  EXPECT_STREQ(list[1].SerialNumber, "TINY0002");   // ttyUSB2 before ttyUSB10
  EXPECT_EQ(list[1].DeviceType, 9u);                 // X series
  EXPECT_STREQ(list[2].Description, "CAN-IF");
  EXPECT_EQ(list[2].DeviceType, 5u);                 // FT232R
  EXPECT_EQ(list[2].ID, 0x04036001u);
  EXPECT_EQ(list[2].LocID, 0x00010007u);
  EXPECT_STREQ(list[3].SerialNumber, "SIM00001");
  EXPECT_EQ(ftdi.GetDevicesCount(), 4u);
  EXPECT_EQ(ftdi.GetDeviceDescription(1), "USBtin Tiny");

  // A listed USB device whose node is missing cannot be opened.
  FT_HANDLE handle = nullptr;
  EXPECT_EQ(FT_OpenEx(const_cast<char*>("AC000010"), FT_OPEN_BY_SERIAL_NUMBER, &handle), FT_DEVICE_NOT_FOUND);
}

TEST_F(FtD2xxTest, NoDeviceGivesAnEmptyListAndUnknownSerialIsNotFound) {
  TFTDI_D2XX ftdi;
  EXPECT_TRUE(ftdi.ListDevices().empty());
  FT_HANDLE handle = nullptr;
  EXPECT_EQ(FT_OpenEx(const_cast<char*>("NOSUCH"), FT_OPEN_BY_SERIAL_NUMBER, &handle), FT_DEVICE_NOT_FOUND);
  EXPECT_EQ(handle, nullptr);
  DWORD count = 0;
  EXPECT_EQ(FT_GetQueueStatus(nullptr, &count), FT_INVALID_HANDLE);
  EXPECT_EQ(FT_Close(reinterpret_cast<FT_HANDLE>(0x1234)), FT_INVALID_HANDLE);
}

TEST_F(FtD2xxTest, OpenedTerminalMovesBytesAndReportsAHangUp) {
  TPtyAdapter adapter("PTY00009", "CAN-IF");
  FT_HANDLE handle = nullptr;
  ASSERT_EQ(FT_OpenEx(const_cast<char*>("PTY00009"), FT_OPEN_BY_SERIAL_NUMBER, &handle), FT_OK);
  EXPECT_EQ(FT_SetBaudRate(handle, 57600), FT_OK);
  EXPECT_EQ(FT_SetBaudRate(handle, 250000), FT_OK);  // not a standard terminal rate
  EXPECT_EQ(FT_SetDataCharacteristics(handle, FT_BITS_8, FT_STOP_BITS_1, 0), FT_OK);
  EXPECT_EQ(FT_SetDataCharacteristics(handle, 9, FT_STOP_BITS_1, 0), FT_INVALID_PARAMETER);
  // Listed as opened; chip-level calls are refused.
  DWORD n = 0;
  FT_CreateDeviceInfoList(&n);
  TFT_Device_Info_Node node;
  ASSERT_EQ(n, 1u);
  FT_GetDeviceInfoList(&node, &n);
  EXPECT_EQ(node.Flags & FT_FLAGS_OPENED, FT_FLAGS_OPENED);
  UCHAR mode = 0;
  EXPECT_EQ(FT_GetBitMode(handle, &mode), FT_NOT_SUPPORTED);
  EXPECT_EQ(FT_EEPROM_Read(handle, nullptr, 0, nullptr, nullptr, nullptr, nullptr), FT_NOT_SUPPORTED);

  // Bytes out arrive as a command; the reply comes back in.
  DWORD written = 0;
  ASSERT_EQ(FT_Write(handle, "V\r", 2, &written), FT_OK);
  EXPECT_EQ(written, 2u);
  ASSERT_TRUE(adapter.WaitForCommands(1));
  EXPECT_EQ(FT_WaitForInput(handle, 2000), FT_OK);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  DWORD waiting = 0;
  ASSERT_EQ(FT_GetQueueStatus(handle, &waiting), FT_OK);
  EXPECT_EQ(waiting, 6u);
  char buffer[16] = {};
  DWORD read = 0;
  ASSERT_EQ(FT_Read(handle, buffer, sizeof buffer, &read), FT_OK);
  EXPECT_EQ(std::string(buffer, read), "V1013\r");
  EXPECT_EQ(FT_Read(handle, buffer, sizeof buffer, &read), FT_OK);  // nothing waiting: no block
  EXPECT_EQ(read, 0u);

  adapter.Hangup();
  EXPECT_EQ(FT_WaitForInput(handle, 2000), FT_IO_ERROR);
  EXPECT_EQ(FT_GetQueueStatus(handle, &waiting), FT_IO_ERROR);
  EXPECT_EQ(FT_Write(handle, "C\r", 2, &written), FT_IO_ERROR);
  EXPECT_EQ(FT_Close(handle), FT_OK);
  EXPECT_EQ(FT_Close(handle), FT_INVALID_HANDLE);
}

}  // namespace
