#include <gtest/gtest.h>

#include "CanPackage/source/Sja1000Filter.h"

namespace {

TCanMsgProg Standard(std::int64_t id, bool rtr = false, int dlc = 1, std::uint8_t byte1 = 0) {
  TCanMsgProg m;
  m.CanId = id;
  m.RTR = rtr;
  m.DLC = dlc;
  m.Data[0] = byte1;
  return m;
}

TCanMsgProg Extended(std::int64_t id, bool rtr = false) {
  TCanMsgProg m = Standard(id, rtr, 8, 0x55);
  m.Extended = true;
  return m;
}

constexpr std::uint32_t Regs(std::uint8_t r0, std::uint8_t r1, std::uint8_t r2, std::uint8_t r3) {
  return std::uint32_t{r0} << 24 | std::uint32_t{r1} << 16 | std::uint32_t{r2} << 8 | r3;
}

struct Row {
  const char* what;
  std::uint32_t code, mask;
  TCanMsgProg msg;
  bool accepted;
};

}  // namespace

TEST(Sja1000DualFilter, StandardFramesByTable) {
  // Filter 1 takes 0x301 and 0x309 (ID3 don't care), filter 2 takes 0x308; RTR and data are
  // don't care in both.
  const std::uint32_t threeIds = Regs(0x60, 0x20, 0x61, 0x00), threeIdsMask = Regs(0x01, 0x1F, 0x00, 0x1F);
  // Filter 1: 0x123 data frames whose first data byte is 0xA5; filter 2: 0x7FF remote frames only.
  const std::uint32_t withData = Regs(0x24, 0x6A, 0xFF, 0xF5), withDataMask = Regs(0x00, 0x00, 0x00, 0x00);
  const Row rows[] = {
      {"filter 1, ID3 clear", threeIds, threeIdsMask, Standard(0x301), true},
      {"filter 1, ID3 set", threeIds, threeIdsMask, Standard(0x309), true},
      {"filter 2", threeIds, threeIdsMask, Standard(0x308), true},
      {"filter 1 remote, RTR don't care", threeIds, threeIdsMask, Standard(0x301, true, 0), true},
      {"ID0 differs in both", threeIds, threeIdsMask, Standard(0x300), false},
      {"ID1 differs", threeIds, threeIdsMask, Standard(0x30B), false},
      {"high bits differ", threeIds, threeIdsMask, Standard(0x701), false},
      {"data byte matches", withData, withDataMask, Standard(0x123, false, 3, 0xA5), true},
      {"data high nibble differs", withData, withDataMask, Standard(0x123, false, 3, 0xB5), false},
      {"data low nibble differs", withData, withDataMask, Standard(0x123, false, 3, 0xA4), false},
      {"no data byte: identifier decides", withData, withDataMask, Standard(0x123, false, 0, 0x00), true},
      {"remote frame, RTR compared as 0", withData, withDataMask, Standard(0x123, true, 0), false},
      {"filter 2 remote only", withData, withDataMask, Standard(0x7FF, true, 2), true},
      {"filter 2 data frame refused", withData, withDataMask, Standard(0x7FF, false, 1, 0xA5), false},
      {"all don't care", 0x00000000, 0xFFFFFFFF, Standard(0x5A5, true, 0), true},
      {"exact zero", 0x00000000, 0x00000000, Standard(0x000, false, 1, 0x00), true},
      {"exact zero, data byte differs, filter 2 still takes it", 0x00000000, 0x00000000,
       Standard(0x000, false, 1, 0x01), true},
      {"exact zero, other id", 0x00000000, 0x00000000, Standard(0x001), false},
  };
  for (const Row& row : rows) EXPECT_EQ(Sja1000DualFilterAccepts(row.code, row.mask, row.msg), row.accepted) << row.what;
}

TEST(Sja1000DualFilter, ExtendedFramesCompareId28ToId13) {
  // 0x18DAF110 >> 13 = 0xC6D7: filter 1 takes the identifiers 0x18DAE000..0x18DAFFFF.
  const std::uint32_t code = Regs(0xC6, 0xD7, 0x00, 0x00), mask = 0x00000000;
  const Row rows[] = {
      {"filter 1 exact", code, mask, Extended(0x18DAF110), true},
      {"ID12..ID0 are not compared", code, mask, Extended(0x18DAFFFF), true},
      {"RTR is not compared", code, mask, Extended(0x18DAE000, true), true},
      {"ID13 differs", code, mask, Extended(0x18DAD110), false},
      {"filter 2: ID28..ID13 all zero", code, mask, Extended(0x00001FFF), true},
      {"filter 2 misses", code, mask, Extended(0x00002000), false},
      {"all don't care", 0x12345678, 0xFFFFFFFF, Extended(0x1FFFFFFF, true), true},
      {"mask on filter 2 low byte", Regs(0, 0, 0x12, 0x00), Regs(0, 0, 0x00, 0xFF), Extended(0x025FFFFF), true},
  };
  for (const Row& row : rows) EXPECT_EQ(Sja1000DualFilterAccepts(row.code, row.mask, row.msg), row.accepted) << row.what;
}

TEST(Sja1000DualFilter, SameCodeReadsDifferentlyForStandardFrames) {
  // ACR0/ACR1 = C6 D7 is, for a standard frame, ID 0x636 with RTR set and data nibble 7.
  const std::uint32_t code = Regs(0xC6, 0xD7, 0xFF, 0xFF), mask = Regs(0x00, 0x00, 0x00, 0x00);
  EXPECT_TRUE(Sja1000DualFilterAccepts(code, mask, Standard(0x636, true, 0)));
  EXPECT_FALSE(Sja1000DualFilterAccepts(code, mask, Standard(0x636, false, 0)));
}
