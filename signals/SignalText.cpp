#include "signals/SignalText.h"

#include <QStringList>
#include <array>
#include <algorithm>
#include <charconv>

#include "signals/SignalCodec.h"

std::string ShortestDouble(double value) {
  std::array<char, 32> text{};
  const auto end = std::to_chars(text.data(), text.data() + text.size(), value).ptr;
  return {text.data(), static_cast<std::size_t>(end - text.data())};
}

std::string RawDecimalText(const TSignalDef& signal, std::uint64_t raw) {
  if (signal.ValueType != TSignalValueType::Integer) return ShortestDouble(RawNumber(signal, raw));
  return signal.Signed ? std::to_string(static_cast<std::int64_t>(raw)) : std::to_string(raw);
}

QString RawHexText(const TSignalDef& signal, std::uint64_t raw) {
  const int digits = (signal.Length + 3) / 4;
  return QStringLiteral("0x") + QString::number(raw & SignalMask(signal), 16).toUpper().rightJustified(digits, QLatin1Char('0'));
}

namespace {

// Digits after the point that a scale factor or offset is written with: "0.25" 2, "1e-05" 5.
int DecimalsOf(double value) {
  const std::string text = ShortestDouble(value);
  const std::size_t exponent = text.find('e');
  const std::string mantissa = text.substr(0, exponent);
  const std::size_t point = mantissa.find('.');
  int decimals = point == std::string::npos ? 0 : static_cast<int>(mantissa.size() - point - 1);
  if (exponent != std::string::npos) decimals -= std::stoi(text.substr(exponent + 1));
  return std::clamp(decimals, 0, 17);
}

}  // namespace

QString DisplayNumber(const TSignalDef& signal, double value) {
  const int decimals = signal.ValueType == TSignalValueType::Integer ? std::max(DecimalsOf(signal.Factor), DecimalsOf(signal.Offset)) : 0;
  if (decimals == 0) return QString::fromStdString(ShortestDouble(value));
  return QString::number(value, 'f', decimals);
}

QString ValueWithUnit(const TSignalDef& signal, double value) {
  const QString number = DisplayNumber(signal, value);
  return signal.Unit.empty() ? number : number + QLatin1Char(' ') + QString::fromStdString(signal.Unit);
}

QString SignalValueText(const TSignalDef& signal, std::uint64_t raw, double value) {
  if (const std::string* text = ValueText(signal, raw)) return QString::fromStdString(*text);
  return ValueWithUnit(signal, value);
}

QString ReceiversText(const TSignalDef& signal) {
  QStringList names;
  for (const std::string& name : signal.Receivers) names << QString::fromStdString(name);
  return names.join(QStringLiteral(", "));
}
