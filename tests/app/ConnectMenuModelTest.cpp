#include <QLocale>
#include <gtest/gtest.h>

#include "CanPackage/source/AdapterKinds.h"
#include "app/ConnectMenuModel.h"

TEST(ConnectMenu, VendorAdapterAlone) {
  const auto items = BuildConnectMenu({{"CANUSB", "A1B2C3"}}, {});
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].Name, "ItemUSBLAW0");
  EXPECT_EQ(items[0].Caption, "A1B2C3");
  EXPECT_EQ(items[0].Device->Description, AdapterKind::LawicelUsb);
  EXPECT_EQ(items[0].Device->SerialNr, "A1B2C3");
  EXPECT_EQ(items[0].Device->Manufacturer, "CANUSB");
}

TEST(ConnectMenu, SerialAdaptersFirstThenHidInListOrder) {
  const auto items = BuildConnectMenu({{"FT232R USB UART", "X"}, {"CAN-IF", "SIM00001"}, {"Tiny-CAN II", "T7"}},
                                      {{"Quillane CAN (0416:5020)", "Quillane CAN", "H1"},
                                       {"Quillane CAN (0483:5020)", "Quillane CAN", "H2"}});
  ASSERT_EQ(items.size(), 4u);
  EXPECT_EQ(items[0].Name, "ItemUSBAC1") << "numbered by position in the FTDI listing";
  EXPECT_EQ(items[0].Caption, "AC CAN-IF - SIM00001");
  EXPECT_EQ(items[1].Name, "ItemUSBMHS2");
  EXPECT_EQ(items[1].Caption, "Tiny-CAN II - T7");
  EXPECT_EQ(items[1].Device->Description, AdapterKind::MhsUsb);
  EXPECT_EQ(items[2].Name, "ItemHID0");
  EXPECT_EQ(items[3].Name, "ItemHID1");
  EXPECT_EQ(items[3].HidIndex, 1);
  EXPECT_EQ(items[3].Device->SerialNr, "H2");
  EXPECT_TRUE(items[3].Device->Manufacturer.isEmpty());
}

TEST(ConnectMenu, DescriptionTestsAreExactAndCaseSensitive) {
  EXPECT_TRUE(FtdiAdapterKinds("canusb").empty());
  EXPECT_TRUE(FtdiAdapterKinds("CAN-IF ").empty());
  EXPECT_TRUE(FtdiAdapterKinds("TINY").empty());
  EXPECT_EQ(FtdiAdapterKinds("MyTinyThing").size(), 1u);
  const auto items = BuildConnectMenu({{"canusb", "1"}}, {});
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].Name, "EmptyItem");
  EXPECT_EQ(items[0].Caption, "CANUSB adapter not found");
  EXPECT_EQ(items[0].Device, nullptr);
}

TEST(ConnectionTexts, BitRatePanel) {
  QLocale::setDefault(QLocale::c());
  EXPECT_EQ(BitRatePanelText(250, 0x80, 0xD8), "250 Kbit/s");
  EXPECT_EQ(BitRatePanelText(0, 0x00, 0x1C), "500.00 Kbit/s");
  EXPECT_EQ(BitRatePanelText(0x10000, 0x03, 0x1C), "125.00 Kbit/s") << "only the low 16 bits count";
}

TEST(ConnectionTexts, AdapterStateListsSetBitsOnly) {
  EXPECT_EQ(AdapterStateText(0x81), "Adapter state: \r\n--> RECEIVE_FIFO_FULL\r\n--> BUS_ERROR");
  EXPECT_EQ(AdapterStateText(0x110), "Adapter state: \r\n") << "bit 4 and bits above 7 add nothing";
  EXPECT_EQ(AdapterStateText(0x6E),
            "Adapter state: \r\n--> TRANSMIT_FIFO_FULL\r\n--> ERROR_WARNING\r\n--> DATA_OVERRUN\r\n"
            "--> ERROR_PASSIVE\r\n--> ARBITRATION_LOST\r\n");
}
