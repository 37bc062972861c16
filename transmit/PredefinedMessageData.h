#pragma once
// One row of the predefined-message list: a frame the program sends by itself, on a timer,
// in answer to a matching received frame or on a hot key. Stored byte for byte in ".pm1"
// files and projects, so the layout is pinned down below.

#include <cstddef>
#include <cstdint>

#include "model/CanMsgProg.h"
#include "model/ShortText.h"

enum class TTriggerType : std::uint8_t { Timer = 0, Message = 1, HotKey = 2 };

struct TPredefinedMessageData {
  std::uint8_t Enabled = 0;  // mirrors the row's check box
  std::uint8_t TriggerType = 0;  // TTriggerType; files may hold other values
  std::uint8_t Pad1[2] = {};
  std::int32_t Period = 0;  // milliseconds, Timer rows
  TCanMsgProg Message;
  TCanMsgProg TriggerCode;
  TCanMsgProg TriggerMask;  // a 1 bit means "don't care"
  TShortText Description;
  std::uint16_t HotKey = 0;  // menu shortcut value: key code in the low byte, 0x2000 Shift, 0x4000 Ctrl, 0x8000 Alt
  std::uint8_t LogMessage = 0;
  TShortText LogText;
  std::uint8_t Pad2[5] = {};
  std::int64_t LastSendTick = 0;  // 32-bit millisecond tick of the last timer send or apply
};
static_assert(sizeof(TPredefinedMessageData) == 632);
static_assert(offsetof(TPredefinedMessageData, Enabled) == 0);
static_assert(offsetof(TPredefinedMessageData, TriggerType) == 1);
static_assert(offsetof(TPredefinedMessageData, Period) == 4);
static_assert(offsetof(TPredefinedMessageData, Message) == 8);
static_assert(offsetof(TPredefinedMessageData, TriggerCode) == 40);
static_assert(offsetof(TPredefinedMessageData, TriggerMask) == 72);
static_assert(offsetof(TPredefinedMessageData, Description) == 104);
static_assert(offsetof(TPredefinedMessageData, HotKey) == 360);
static_assert(offsetof(TPredefinedMessageData, LogMessage) == 362);
static_assert(offsetof(TPredefinedMessageData, LogText) == 363);
static_assert(offsetof(TPredefinedMessageData, LastSendTick) == 624);
