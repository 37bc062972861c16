#include "transmit/HotKey.h"

#include <QKeySequence>
#include <array>

namespace {

struct TKeyCode {
  Qt::Key Key;
  std::uint8_t Code;
  bool Keypad;  // the key as it comes from the numeric keypad
};

// The keys with a virtual-key code. Where one physical key produces several Qt keys (the
// shifted characters of a US layout), the first entry is the one shown.
constexpr TKeyCode kKeys[] = {
    {Qt::Key_Backspace, 0x08, false}, {Qt::Key_Tab, 0x09, false}, {Qt::Key_Backtab, 0x09, false},
    {Qt::Key_Clear, 0x0C, false}, {Qt::Key_Return, 0x0D, false}, {Qt::Key_Enter, 0x0D, true},
    {Qt::Key_Enter, 0x0D, false}, {Qt::Key_Pause, 0x13, false}, {Qt::Key_CapsLock, 0x14, false},
    {Qt::Key_Escape, 0x1B, false}, {Qt::Key_Space, 0x20, false}, {Qt::Key_PageUp, 0x21, false},
    {Qt::Key_PageDown, 0x22, false}, {Qt::Key_End, 0x23, false}, {Qt::Key_Home, 0x24, false},
    {Qt::Key_Left, 0x25, false}, {Qt::Key_Up, 0x26, false}, {Qt::Key_Right, 0x27, false},
    {Qt::Key_Down, 0x28, false}, {Qt::Key_Print, 0x2C, false}, {Qt::Key_Insert, 0x2D, false},
    {Qt::Key_Delete, 0x2E, false}, {Qt::Key_Help, 0x2F, false},
    // Shifted digits of a US layout: the digit's key.
    {Qt::Key_ParenRight, 0x30, false}, {Qt::Key_Exclam, 0x31, false}, {Qt::Key_At, 0x32, false},
    {Qt::Key_NumberSign, 0x33, false}, {Qt::Key_Dollar, 0x34, false}, {Qt::Key_Percent, 0x35, false},
    {Qt::Key_AsciiCircum, 0x36, false}, {Qt::Key_Ampersand, 0x37, false}, {Qt::Key_Asterisk, 0x38, false},
    {Qt::Key_ParenLeft, 0x39, false},
    {Qt::Key_Menu, 0x5D, false},
    {Qt::Key_Asterisk, 0x6A, true}, {Qt::Key_Plus, 0x6B, true}, {Qt::Key_Comma, 0x6C, true},
    {Qt::Key_Minus, 0x6D, true}, {Qt::Key_Period, 0x6E, true}, {Qt::Key_Slash, 0x6F, true},
    {Qt::Key_NumLock, 0x90, false}, {Qt::Key_ScrollLock, 0x91, false},
    // Punctuation of a US layout, unshifted first.
    {Qt::Key_Semicolon, 0xBA, false}, {Qt::Key_Colon, 0xBA, false}, {Qt::Key_Equal, 0xBB, false},
    {Qt::Key_Plus, 0xBB, false}, {Qt::Key_Comma, 0xBC, false}, {Qt::Key_Less, 0xBC, false},
    {Qt::Key_Minus, 0xBD, false}, {Qt::Key_Underscore, 0xBD, false}, {Qt::Key_Period, 0xBE, false},
    {Qt::Key_Greater, 0xBE, false}, {Qt::Key_Slash, 0xBF, false}, {Qt::Key_Question, 0xBF, false},
    {Qt::Key_QuoteLeft, 0xC0, false}, {Qt::Key_AsciiTilde, 0xC0, false}, {Qt::Key_BracketLeft, 0xDB, false},
    {Qt::Key_BraceLeft, 0xDB, false}, {Qt::Key_Backslash, 0xDC, false}, {Qt::Key_Bar, 0xDC, false},
    {Qt::Key_BracketRight, 0xDD, false}, {Qt::Key_BraceRight, 0xDD, false}, {Qt::Key_Apostrophe, 0xDE, false},
    {Qt::Key_QuoteDbl, 0xDE, false},
};

// The ranges that map one to one: digits, letters, keypad digits, function keys.
struct TKeyRange {
  Qt::Key First;
  int Count;
  std::uint8_t FirstCode;
  bool Keypad;
};
constexpr TKeyRange kRanges[] = {
    {Qt::Key_0, 10, 0x30, false},
    {Qt::Key_A, 26, 0x41, false},
    {Qt::Key_0, 10, 0x60, true},
    {Qt::Key_F1, 24, 0x70, false},
};

std::uint8_t CodeOfKey(int key, bool keypad) {
  for (const TKeyRange& range : kRanges)
    if (range.Keypad == keypad && key >= range.First && key < range.First + range.Count)
      return static_cast<std::uint8_t>(range.FirstCode + (key - range.First));
  for (const TKeyCode& entry : kKeys)
    if (entry.Key == key && entry.Keypad == keypad) return entry.Code;
  // A keypad key without a code of its own (Home, arrows with NumLock off) is the main key.
  return keypad ? CodeOfKey(key, false) : 0;
}

struct TKeyOfCode {
  Qt::Key Key = Qt::Key_unknown;
  bool Keypad = false;
};

TKeyOfCode KeyOfCode(std::uint8_t code) {
  for (const TKeyRange& range : kRanges)
    if (code >= range.FirstCode && code < range.FirstCode + range.Count)
      return {static_cast<Qt::Key>(range.First + (code - range.FirstCode)), range.Keypad};
  for (const TKeyCode& entry : kKeys)
    if (entry.Code == code) return {entry.Key, entry.Keypad};
  return {};
}

}  // namespace

std::uint16_t HotKeyFromKeyCombination(QKeyCombination combination) {
  const Qt::KeyboardModifiers mods = combination.keyboardModifiers();
  const std::uint8_t code = CodeOfKey(combination.key(), mods.testFlag(Qt::KeypadModifier));
  if (code == 0) return 0;
  std::uint16_t value = code;
  if (mods.testFlag(Qt::ShiftModifier)) value |= HotKeyBits::Shift;
  if (mods.testFlag(Qt::ControlModifier)) value |= HotKeyBits::Ctrl;
  if (mods.testFlag(Qt::AltModifier)) value |= HotKeyBits::Alt;
  return value;
}

QKeyCombination KeyCombinationFromHotKey(std::uint16_t hotKey) {
  const TKeyOfCode key = KeyOfCode(static_cast<std::uint8_t>(hotKey & HotKeyBits::KeyMask));
  if (key.Key == Qt::Key_unknown) return QKeyCombination(Qt::Key_unknown);
  Qt::KeyboardModifiers mods;
  if (hotKey & HotKeyBits::Shift) mods |= Qt::ShiftModifier;
  if (hotKey & HotKeyBits::Ctrl) mods |= Qt::ControlModifier;
  if (hotKey & HotKeyBits::Alt) mods |= Qt::AltModifier;
  if (key.Keypad) mods |= Qt::KeypadModifier;
  return QKeyCombination(mods, key.Key);
}

QString HotKeyText(std::uint16_t hotKey) {
  const QKeyCombination combination = KeyCombinationFromHotKey(hotKey);
  if (combination.key() == Qt::Key_unknown) return {};
  return QKeySequence(combination).toString(QKeySequence::PortableText);
}
