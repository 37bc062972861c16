#include "TrafficFixture.h"

using CanIdDetailsTest = TrafficFixture;

TEST_F(CanIdDetailsTest, StartsWithRowNumbersAndFollowsTheFirstMonitorRow) {
  TRowModel& grid = Views.CanIdDetails().Model();
  ASSERT_EQ(grid.rowCount(), 8);
  EXPECT_EQ(Text(grid, 7, 0), QStringLiteral("07"));
  EXPECT_EQ(Text(grid, 7, 9), QStringLiteral("0"));
  EXPECT_EQ(Views.CanIdDetails().Caption(), QStringLiteral("CAN ID Details"));
  EXPECT_EQ(grid.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Bit 7"));
  EXPECT_EQ(grid.headerData(8, Qt::Horizontal).toString(), QStringLiteral("Bit 0"));
  EXPECT_EQ(grid.headerData(11, Qt::Horizontal).toString(), QString());

  Receive({Frame(0x300, 1, {0x01}), Frame(0x123, 1, {0x41, 0x00, 0xFF, 0x80, 0x00, 0x00, 0x00, 0x00})});
  EXPECT_EQ(Views.CanIdDetails().Caption(), QStringLiteral("123 CAN ID Details"));
  QStringList bits;
  for (int column = 1; column <= 8; ++column) bits << Text(grid, 0, column);
  EXPECT_EQ(bits.join(' '), QStringLiteral("0 1 0 0 0 0 0 1"));
  EXPECT_EQ(Text(grid, 0, 0), QStringLiteral("41"));
  EXPECT_EQ(Text(grid, 0, 9), QStringLiteral("65"));
  EXPECT_EQ(Text(grid, 0, 10), QStringLiteral("A"));
  EXPECT_EQ(grid.index(0, 11).data(Qt::UserRole).toInt(), 65);
  EXPECT_EQ(Text(grid, 2, 0), QStringLiteral("FF"));
  EXPECT_EQ(Text(grid, 2, 10), QStringLiteral("."));
  EXPECT_EQ(grid.index(2, 1).data(Qt::ForegroundRole).value<QColor>(), QColor(Qt::red));
  EXPECT_EQ(grid.index(1, 1).data(Qt::ForegroundRole).value<QColor>(), QColor(Qt::blue));
  EXPECT_TRUE(grid.index(0, 0).data(Qt::FontRole).value<QFont>().bold());
}

TEST_F(CanIdDetailsTest, SelectedRowWinsAllBytesShownAndEmptyMonitorKeepsTheGrid) {
  TCanMsgProg shortFrame = Frame(0x200, 1, {0x10, 0x20});
  shortFrame.Data[7] = 0x77;  // beyond the DLC, still shown
  Receive({Frame(0x100, 1, {0x01}), shortFrame});
  Views.Monitor().SelectRow(1);
  Views.CanIdDetails().RefreshCanIdDetails();
  TRowModel& grid = Views.CanIdDetails().Model();
  EXPECT_EQ(Views.CanIdDetails().Caption(), QStringLiteral("200 CAN ID Details"));
  EXPECT_EQ(Text(grid, 7, 0), QStringLiteral("77"));
  Views.Monitor().ClearLog();
  Receive({});
  EXPECT_EQ(Views.CanIdDetails().Caption(), QStringLiteral("200 CAN ID Details"));
  EXPECT_EQ(Text(grid, 1, 0), QStringLiteral("20"));
}
