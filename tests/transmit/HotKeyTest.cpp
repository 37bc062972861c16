// The shortcut values of hot keys: the table from Qt keys to virtual-key codes and back.

#include <gtest/gtest.h>

#include "transmit/HotKey.h"

TEST(HotKeyTest, KeysMapToTheirVirtualKeyCodesWithModifierBits) {
  struct Row {
    QKeyCombination combination;
    std::uint16_t value;
  };
  const Row rows[] = {
      {QKeyCombination(Qt::AltModifier, Qt::Key_A), 0x8041},
      {QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_F5), 0x6074},
      {QKeyCombination(Qt::NoModifier, Qt::Key_F24), 0x0087},
      {QKeyCombination(Qt::NoModifier, Qt::Key_9), 0x0039},
      {QKeyCombination(Qt::KeypadModifier, Qt::Key_9), 0x0069},
      {QKeyCombination(Qt::KeypadModifier, Qt::Key_Plus), 0x006B},
      {QKeyCombination(Qt::KeypadModifier, Qt::Key_Enter), 0x000D},
      {QKeyCombination(Qt::KeypadModifier, Qt::Key_Home), 0x0024},
      {QKeyCombination(Qt::NoModifier, Qt::Key_Plus), 0x00BB},
      {QKeyCombination(Qt::ShiftModifier, Qt::Key_Exclam), 0x2031},  // Shift+1 on a US layout
      {QKeyCombination(Qt::ShiftModifier, Qt::Key_Colon), 0x20BA},
      {QKeyCombination(Qt::ShiftModifier, Qt::Key_Backtab), 0x2009},
      {QKeyCombination(Qt::NoModifier, Qt::Key_Left), 0x0025},
      {QKeyCombination(Qt::NoModifier, Qt::Key_Delete), 0x002E},
      {QKeyCombination(Qt::NoModifier, Qt::Key_BracketRight), 0x00DD},
      // No code: refused.
      {QKeyCombination(Qt::ShiftModifier, Qt::Key_Shift), 0},
      {QKeyCombination(Qt::NoModifier, Qt::Key_Adiaeresis), 0},
      {QKeyCombination(Qt::NoModifier, Qt::Key_VolumeUp), 0},
  };
  for (const Row& row : rows)
    EXPECT_EQ(HotKeyFromKeyCombination(row.combination), row.value) << std::hex << row.value;
}

TEST(HotKeyTest, EveryCodeShownReadsBackToTheSameValue) {
  int known = 0;
  for (int code = 1; code < 256; ++code) {
    for (std::uint16_t mods : {0, 0x2000, 0x4000, 0x8000, 0xE000}) {
      const auto value = static_cast<std::uint16_t>(code | mods);
      const QKeyCombination combination = KeyCombinationFromHotKey(value);
      if (combination.key() == Qt::Key_unknown) {
        EXPECT_TRUE(HotKeyText(value).isEmpty());
        continue;
      }
      ++known;
      EXPECT_EQ(HotKeyFromKeyCombination(combination), value) << std::hex << value;
      EXPECT_FALSE(HotKeyText(value).isEmpty());
    }
  }
  EXPECT_GT(known, 5 * 100);
  EXPECT_EQ(HotKeyText(0x8041), QStringLiteral("Alt+A"));
  EXPECT_EQ(HotKeyText(0x6074), QStringLiteral("Ctrl+Shift+F5"));
  EXPECT_EQ(HotKeyText(0), QString());
}
