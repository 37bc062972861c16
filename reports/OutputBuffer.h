#pragma once
// Large-buffer output for the exports: text is collected in one buffer and handed to the
// device in chunks of about a megabyte, so a million-row export never holds its whole text.

#include <QIODevice>
#include <stdexcept>
#include <string>
#include <string_view>

// A failed write or open of an export; the text is the platform's error.
class EExportError : public std::runtime_error {
 public:
  explicit EExportError(const QString& text) : std::runtime_error(text.toStdString()) {}
};

template <typename Char>
class TOutputBufferOf {
 public:
  explicit TOutputBufferOf(QIODevice& device) : FDevice(device) { FText.reserve(kChunk + kChunk / 4); }
  TOutputBufferOf(const TOutputBufferOf&) = delete;
  TOutputBufferOf& operator=(const TOutputBufferOf&) = delete;

  void Put(Char c) { FText.push_back(c); }
  void Append(std::basic_string_view<Char> text) { FText.append(text); }
  void Append(const Char* text, std::size_t length) { FText.append(text, length); }
  // Call between rows: hands the text over once a chunk has gathered.
  void Settle() {
    if (FText.size() >= kChunk) Flush();
  }
  void Flush() {
    const auto bytes = static_cast<qint64>(FText.size() * sizeof(Char));
    if (bytes > 0 && FDevice.write(reinterpret_cast<const char*>(FText.data()), bytes) != bytes)
      throw EExportError(FDevice.errorString());
    FText.clear();
  }

 private:
  static constexpr std::size_t kChunk = std::size_t{1} << 20;
  QIODevice& FDevice;
  std::basic_string<Char> FText;
};

using TOutputBuffer = TOutputBufferOf<char>;
// UTF-16 in the machine's byte order, which is little-endian on every platform we build for.
using TOutputBuffer16 = TOutputBufferOf<char16_t>;
