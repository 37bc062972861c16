#pragma once
// Hot keys as the predefined-message rows store them: a menu shortcut value with the
// virtual-key code of a US keyboard in the low byte and 0x2000 Shift, 0x4000 Ctrl,
// 0x8000 Alt above it. The stored value names the physical key, so a list file means the
// same key combination on every machine; Qt keys are translated through one table.

#include <QKeyCombination>
#include <QString>
#include <cstdint>

namespace HotKeyBits {
constexpr std::uint16_t Shift = 0x2000;
constexpr std::uint16_t Ctrl = 0x4000;
constexpr std::uint16_t Alt = 0x8000;
constexpr std::uint16_t KeyMask = 0x00FF;
}  // namespace HotKeyBits

// The shortcut value of a pressed key with its modifiers (a keypad key carries
// Qt::KeypadModifier), or 0 when the key has no virtual-key code (a modifier key alone,
// keys of other layouts).
[[nodiscard]] std::uint16_t HotKeyFromKeyCombination(QKeyCombination combination);
// The Qt combination a shortcut value stands for; Qt::Key_unknown for an unknown code.
[[nodiscard]] QKeyCombination KeyCombinationFromHotKey(std::uint16_t hotKey);
// The shortcut as menus write it ("Alt+A", "Ctrl+Shift+F5"); empty for 0 and unknown codes.
[[nodiscard]] QString HotKeyText(std::uint16_t hotKey);

constexpr std::uint16_t kDefaultHotKey = HotKeyBits::Alt | 0x41;  // Alt+A
