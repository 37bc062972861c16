#pragma once
// The 256-byte text field of the list records: a length byte and up to 255 characters in
// Windows-1252, so list files read the same on every machine. Longer texts are cut to 255.

#include <QString>
#include <cstdint>

struct TShortText {
  std::uint8_t Length = 0;
  char Text[255] = {};

  void Set(const QString& text);
  // Writes ASCII bytes as they are (the caller guarantees 7-bit text); used on hot paths.
  void SetAscii(const char* text, std::size_t length);
  void Clear();
  [[nodiscard]] QString ToString() const;
  [[nodiscard]] bool Empty() const { return Length == 0; }
};

static_assert(sizeof(TShortText) == 256);
static_assert(alignof(TShortText) == 1);

// Windows-1252 conversion of one character; characters outside the code page become '?'.
[[nodiscard]] char ToWindows1252(QChar c);
[[nodiscard]] QChar FromWindows1252(char byte);
