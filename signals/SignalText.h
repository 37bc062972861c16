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
// A physical value with the signal's unit: "12.5 °C".
[[nodiscard]] QString ValueWithUnit(const TSignalDef& signal, double value);
// The receivers as one text, comma-separated.
[[nodiscard]] QString ReceiversText(const TSignalDef& signal);
