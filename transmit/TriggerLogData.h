#pragma once
// One trigger-log entry: when a predefined message was sent and the text it leaves. Stored
// byte for byte in ".lm1" files and projects.

#include <cstddef>

#include "model/ShortText.h"

struct TTriggerLogData {
  double TimeStamp = 0;  // local date and time: days since 1899-12-30, the fraction the time of day
  TShortText Text;
};
static_assert(sizeof(TTriggerLogData) == 264);
static_assert(offsetof(TTriggerLogData, TimeStamp) == 0);
static_assert(offsetof(TTriggerLogData, Text) == 8);
