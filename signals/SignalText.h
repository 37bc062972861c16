#pragma once
// The texts of signal values, shared by the Signals page, the trace's details and ferrolux-cli.

#include <QString>
#include <cstdint>
#include <string>

#include "signals/DbcDatabase.h"

// The shortest decimal text that reads back as the same double ("0.1", "1e+300", "-0").
[[nodiscard]] std::string ShortestDouble(double value);
// The raw value in decimal: unsigned or signed as the signal is, a float's or double's value
// written like ShortestDouble.
[[nodiscard]] std::string RawDecimalText(const TSignalDef& signal, std::uint64_t raw);
// The raw bits in upper-case hexadecimal, "0x" and as many digits as the length needs.
[[nodiscard]] QString RawHexText(const TSignalDef& signal, std::uint64_t raw);
// What a value cell shows: the value-table text when there is one, else the value and unit.
[[nodiscard]] QString SignalValueText(const TSignalDef& signal, std::uint64_t raw, double value);
// A physical value as the window shows it: an integer signal's with as many decimals as its
// factor and offset have (raw 14290 x 0.001 is "14.290", not "14.290000000000001"), others as
// ShortestDouble. The command line keeps the exact text.
[[nodiscard]] QString DisplayNumber(const TSignalDef& signal, double value);
// The displayed value with the signal's unit: "12.5 °C".
[[nodiscard]] QString ValueWithUnit(const TSignalDef& signal, double value);
// The receivers as one text, comma-separated.
[[nodiscard]] QString ReceiversText(const TSignalDef& signal);
