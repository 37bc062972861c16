#include "model/ShortText.h"

#include <algorithm>
#include <cstring>

namespace {
// Code points of bytes 0x80..0x9F; 0 marks the five bytes the code page leaves undefined.
constexpr char16_t kHighBlock[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
}  // namespace

char ToWindows1252(QChar c) {
  const char16_t u = c.unicode();
  if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) return static_cast<char>(u);
  if (u <= 0x9F && kHighBlock[u - 0x80] == 0) return static_cast<char>(u);
  for (int i = 0; i < 32; ++i)
    if (kHighBlock[i] != 0 && kHighBlock[i] == u) return static_cast<char>(0x80 + i);
  return '?';
}

QChar FromWindows1252(char byte) {
  const auto b = static_cast<std::uint8_t>(byte);
  if (b >= 0x80 && b <= 0x9F) {
    const char16_t u = kHighBlock[b - 0x80];
    return u != 0 ? QChar(u) : QChar(b);
  }
  return QChar(b);
}

void TShortText::Set(const QString& text) {
  Clear();
  const auto n = static_cast<std::size_t>(std::min<qsizetype>(text.size(), 255));
  for (std::size_t i = 0; i < n; ++i) Text[i] = ToWindows1252(text[static_cast<qsizetype>(i)]);
  Length = static_cast<std::uint8_t>(n);
}

void TShortText::SetAscii(const char* text, std::size_t length) {
  length = std::min<std::size_t>(length, 255);
  std::memcpy(Text, text, length);
  if (length < Length) std::memset(Text + length, 0, Length - length);
  Length = static_cast<std::uint8_t>(length);
}

void TShortText::Clear() {
  Length = 0;
  std::memset(Text, 0, sizeof Text);
}

QString TShortText::ToString() const {
  QString text(Length, Qt::Uninitialized);
  for (int i = 0; i < Length; ++i) text[i] = FromWindows1252(Text[i]);
  return text;
}
