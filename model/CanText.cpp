#include "model/CanText.h"

#include <QLocale>
#include <algorithm>
#include <cctype>

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

int HexDigitValue(QChar c) {
  const char16_t u = c.unicode();
  if (u >= '0' && u <= '9') return u - '0';
  if (u >= 'A' && u <= 'F') return u - 'A' + 10;
  if (u >= 'a' && u <= 'f') return u - 'a' + 10;
  return -1;
}

int ClampByteCount(int n) { return n <= 0 ? 0 : (n > 8 ? 8 : n); }

template <typename Bytes>
char* WriteBytesHex(char* out, const Bytes& bytes, int n) {
  for (int i = 0; i < n; ++i) {
    if (i > 0) *out++ = ' ';
    *out++ = kHexDigits[bytes[i] >> 4];
    *out++ = kHexDigits[bytes[i] & 0x0F];
  }
  return out;
}

template <typename Bytes>
QString BytesToHex(const Bytes& bytes, int n) {
  if (n <= 0) return {};
  std::string text(static_cast<std::size_t>(n) * 3, ' ');
  const char* end = WriteBytesHex(text.data(), bytes, n);
  return QString::fromLatin1(text.data(), end - text.data());
}

QString FromAscii(const char* begin, const char* end) { return QString::fromLatin1(begin, end - begin); }

}  // namespace

bool IsBitSet(std::uint32_t value, int bit) { return ((value >> bit) & 1U) != 0; }
std::uint32_t SetBit(std::uint32_t value, int bit) { return value | (1U << bit); }
std::uint32_t ClearBit(std::uint32_t value, int bit) { return value & ~(1U << bit); }

std::array<bool, 8> ByteToBits(std::uint8_t byte) {
  std::array<bool, 8> bits{};
  for (int i = 0; i < 8; ++i) bits[i] = ((byte >> i) & 1) != 0;
  return bits;
}

QString BoolToText(bool flag) { return flag ? QStringLiteral("1") : QStringLiteral("0"); }

char* WriteCanIdText(char* out, bool extended, std::int64_t id) {
  auto value = static_cast<std::uint64_t>(id);
  int digits = 1;
  while (digits < 16 && (value >> (digits * 4)) != 0) ++digits;
  digits = std::max(digits, extended ? 8 : 3);
  for (int i = digits - 1; i >= 0; --i) *out++ = kHexDigits[(value >> (i * 4)) & 0x0F];
  return out;
}

QString CanIdToText(bool extended, std::int64_t id) {
  char text[16];
  return FromAscii(text, WriteCanIdText(text, extended, id));
}

char* WriteCanDataHex(char* out, const TCanData& data, int n) { return WriteBytesHex(out, data, ClampByteCount(n)); }

char* WriteCanDataAscii(char* out, const TCanData& data, int n) {
  n = ClampByteCount(n);
  for (int i = 0; i < n; ++i) *out++ = static_cast<char>(ByteToAsciiChar(data[i]).unicode());
  return out;
}

QString CanDataToHex(const TCanData& data) { return BytesToHex(data, 8); }
QString CanDataToHexN(const TCanData& data, int n) { return BytesToHex(data, ClampByteCount(n)); }

QChar ByteToAsciiChar(std::uint8_t byte) { return (byte >= 33 && byte <= 126) ? QChar(byte) : QChar('.'); }

QString CanDataToAsciiN(const TCanData& data, int n) {
  char text[8];
  return FromAscii(text, WriteCanDataAscii(text, data, n));
}
QString CanDataToAscii(const TCanData& data) { return CanDataToAsciiN(data, 8); }

QString ByteArrayToHex(const TKwpData& bytes, int n) {
  if (n > static_cast<int>(bytes.size())) n = static_cast<int>(bytes.size());
  return BytesToHex(bytes, n);
}

std::int64_t HexToInt64(const QString& text) {
  std::uint64_t value = 0;
  int significant = 0;
  for (QChar c : text) {
    const int digit = HexDigitValue(c);
    if (digit < 0) throw EConvertError("'" + text.toStdString() + "' is not a valid hexadecimal value");
    if (significant > 0 || digit != 0) ++significant;
    if (significant > 16) throw EConvertError("'" + text.toStdString() + "' is out of the 64-bit range");
    value = (value << 4) | static_cast<std::uint64_t>(digit);
  }
  return static_cast<std::int64_t>(value);
}

std::int64_t HexTextToInt(std::string_view text) {
  std::uint32_t acc = 0;
  for (char c : text) {
    const int digit = HexDigitValue(QChar::fromLatin1(c));
    if (digit >= 0) acc = (acc << 4) + static_cast<std::uint32_t>(digit);
  }
  return static_cast<std::int32_t>(acc);
}

// Characters outside Latin-1 become '?', which is skipped like any other non-digit.
std::int64_t HexTextToInt(const QString& text) {
  const QByteArray latin = text.toLatin1();
  return HexTextToInt(std::string_view(latin.constData(), static_cast<std::size_t>(latin.size())));
}

double BtrToBitRate(std::uint8_t btr0, std::uint8_t btr1) {
  const double tq = ((btr0 & 0x3F) + 1) * 0.125;
  const int tseg1 = (btr1 & 0x0F) + 1;
  const int tseg2 = ((btr1 >> 4) & 0x07) + 1;
  const double bitTime = tq + tseg1 * tq + tseg2 * tq;
  return 1000.0 / bitTime;
}

QString BtrToBitRateText(const QString& btr0Text, const QString& btr1Text) {
  const auto btr0 = static_cast<std::uint8_t>(HexTextToInt(btr0Text));
  const auto btr1 = static_cast<std::uint8_t>(HexTextToInt(btr1Text));
  QString text = QString::asprintf("%.2f", BtrToBitRate(btr0, btr1));
  return text.replace(QChar('.'), QLocale().decimalPoint());
}

namespace {
bool IsPasteSeparator(QChar c) { return c.isSpace() || c == u',' || c == u';' || c == u':' || c == u'-'; }
}  // namespace

std::vector<std::uint8_t> ParsePastedBytes(const QString& text) {
  std::vector<std::uint8_t> bytes;
  qsizetype i = 0;
  while (i < text.size()) {
    if (IsPasteSeparator(text[i])) {
      ++i;
      continue;
    }
    if (text[i] == u'0' && i + 1 < text.size() && (text[i + 1] == u'x' || text[i + 1] == u'X')) i += 2;
    const qsizetype start = i;
    while (i < text.size() && text[i].unicode() < 128 && std::isxdigit(text[i].unicode()) != 0) ++i;
    const qsizetype digits = i - start;
    if (digits == 0 || (digits > 2 && digits % 2 != 0) || (i < text.size() && !IsPasteSeparator(text[i]))) return {};
    for (qsizetype at = start; at < i; at += 2) {
      const qsizetype width = std::min<qsizetype>(2, i - at);
      bytes.push_back(static_cast<std::uint8_t>(text.mid(at, width).toUInt(nullptr, 16)));
    }
  }
  return bytes;
}

QString FrameRefusal(const TCanMsgProg& msg) {
  if (!msg.Extended && msg.CanId > 0x7FF) return QStringLiteral("A standard CAN ID is at most 7FF.");
  return {};
}
