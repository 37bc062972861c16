#include <gtest/gtest.h>

#include "CanPackage/source/AsciiProtocol.h"
#include "CanPackage/source/SerialLineAssembler.h"

namespace {

std::vector<std::pair<std::string, bool>> Units(TSerialLineAssembler& lines) {
  std::vector<std::pair<std::string, bool>> out;
  while (auto unit = lines.Take()) out.emplace_back(unit->Text, unit->Refused);
  return out;
}

TEST(SerialLineAssembler, CutsAtCrAndBelAndKeepsThePartialLine) {
  TSerialLineAssembler lines;
  lines.Feed("\r\a", 0);
  lines.Feed("t12", 0);
  lines.Feed("30\rV1", 0);
  const std::vector<std::pair<std::string, bool>> expected{{"\r", false}, {"\a", true}, {"t1230\r", false}};
  EXPECT_EQ(Units(lines), expected);
  EXPECT_EQ(lines.Partial(), "V1");
}

TEST(SerialLineAssembler, LongestLegalLinePassesOneMoreCharacterOverflows) {
  TSerialLineAssembler lines;
  const std::string longest = "T1234567880011223344556677FFFF\r";
  ASSERT_EQ(longest.size(), AsciiProtocol::kMaxLineLength);
  lines.Feed(longest, 0);
  lines.Feed("T12345678800112233445566778FFFF\r\r", 0);  // one digit too many
  const std::vector<std::pair<std::string, bool>> expected{{longest, false}, {"\r", false}};
  EXPECT_EQ(Units(lines), expected);
  EXPECT_EQ(lines.Overflows(), 1u);
  // Skipping also ends at a BEL, which is swallowed with the garbage.
  lines.Feed(std::string(40, 'x') + "\at1\r", 0);
  EXPECT_EQ(Units(lines), (std::vector<std::pair<std::string, bool>>{{"t1\r", false}}));
  EXPECT_EQ(lines.Overflows(), 2u);
}

TEST(SerialLineAssembler, PartialLineIsDroppedWhenTakenDuringTheReadOrTooOld) {
  TSerialLineAssembler lines;
  lines.Feed("t12", 1000);
  lines.DropStalePartial(1499, 1001, 500);  // came before this read, still young
  EXPECT_EQ(lines.Partial(), "t12");
  lines.DropStalePartial(1500, 1001, 500);
  EXPECT_EQ(lines.Partial(), "");
  lines.Feed("t", 1000);
  lines.DropStalePartial(1400, 1000, 500);  // taken by this read
  EXPECT_EQ(lines.Partial(), "");
  // Tick wrap-around.
  lines.Feed("t", 0xFFFFFF00u);
  lines.DropStalePartial(0x10, 0xFFFFFFF0u, 500);
  EXPECT_EQ(lines.Partial(), "t");
  lines.DropStalePartial(0x10, 0xFFFFFE00u, 500);
  EXPECT_EQ(lines.Partial(), "");
}

}  // namespace
