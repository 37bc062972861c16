#pragma once
// The characters of DBC text with line and column, and the token readers of the grammar in
// DbcReader.h: names, numbers, "..." strings (Windows-1252 turned into UTF-8 unless the text
// starts with a UTF-8 byte-order mark) and the ';' that ends a statement. Every reader skips
// the white space before its token; a missing token ends the read with EDbcError,
// "FILE:LINE:COLUMN: expected ...".

#include <QString>
#include <charconv>
#include <cmath>
#include <string>
#include <string_view>

#include "model/ShortText.h"
#include "signals/DbcReader.h"

struct TDbcPos {
  int Line = 1;
  int Column = 1;
};

class TDbcScanner {
 public:
  static constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

  TDbcScanner(std::string_view text, const std::string& fileName) : FText(text), FFile(fileName) {
    if (FText.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
      FUtf8 = true;
      FPos = kUtf8Bom.size();
      FLineStart = FPos;
    }
  }

  bool AtEnd() {
    SkipSpace();
    return FPos >= FText.size();
  }
  char Peek() {
    SkipSpace();
    return FPos < FText.size() ? FText[FPos] : '\0';
  }
  // Whether the next token starts on the line where the last one ended.
  bool OnSameLine() {
    SkipSpace();
    return FPos < FText.size() && FLine == FTokenLine;
  }
  TDbcPos Position() {
    SkipSpace();
    return Here();
  }

  bool TryChar(char c) {
    if (Peek() != c) return false;
    ++FPos;
    FTokenLine = FLine;
    return true;
  }
  void Expect(char c) {
    if (!TryChar(c)) Fail(std::string("'") + c + "'");
  }

  bool PeekName() { return IsNameStart(Peek()); }
  std::string_view PeekNameText() {
    if (!PeekName()) return {};
    std::size_t end = FPos;
    while (end < FText.size() && IsNameChar(FText[end])) ++end;
    return FText.substr(FPos, end - FPos);
  }
  std::string_view Name(const char* what) {
    if (!PeekName()) Fail(what);
    const std::size_t start = FPos;
    while (FPos < FText.size() && IsNameChar(FText[FPos])) ++FPos;
    FTokenLine = FLine;
    return FText.substr(start, FPos - start);
  }
  bool TryKeyword(std::string_view keyword) {
    if (PeekNameText() != keyword) return false;
    FPos += keyword.size();
    FTokenLine = FLine;
    return true;
  }

  bool PeekNumber() {
    const char c = Peek();
    return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.';
  }
  std::uint64_t Unsigned(const char* what) {
    Peek();
    std::uint64_t value = 0;
    const char* first = FText.data() + FPos;
    const auto [end, error] = std::from_chars(first, FText.data() + FText.size(), value);
    if (error != std::errc() || end == first) Fail(what);
    Advance(end);
    return value;
  }
  // A value-table or attribute value: an integer that may be negative or up to 2^64 - 1; a
  // whole number written with a fraction ("3.0") is taken too.
  std::int64_t Integer(const char* what) {
    const TDbcPos at = Position();
    const std::string_view text = NumberText(what);
    std::int64_t value = 0;
    if (std::from_chars(text.data(), text.data() + text.size(), value).ptr == text.data() + text.size()) return value;
    std::uint64_t big = 0;
    if (std::from_chars(text.data(), text.data() + text.size(), big).ptr == text.data() + text.size())
      return static_cast<std::int64_t>(big);
    const double real = ToDouble(text, what, at);
    if (real != std::floor(real) || std::fabs(real) > 9.2e18) FailAt(at, what);
    return static_cast<std::int64_t>(real);
  }
  double Number(const char* what) {
    const TDbcPos at = Position();
    return ToDouble(NumberText(what), what, at);
  }

  std::string String(const char* what) {
    if (Peek() != '"') Fail(what);
    ++FPos;
    std::string bytes;
    bool ascii = true;
    for (;;) {
      if (FPos >= FText.size()) Fail("'\"' closing the text");
      const char c = FText[FPos++];
      if (c == '"') break;
      if (c == '\\' && FPos < FText.size() && (FText[FPos] == '"' || FText[FPos] == '\\')) {
        bytes.push_back(FText[FPos++]);
        continue;
      }
      if (c == '\n') NewLine();
      ascii = ascii && static_cast<unsigned char>(c) < 0x80;
      bytes.push_back(c);
    }
    FTokenLine = FLine;
    return ascii || FUtf8 ? bytes : FromWindows1252Bytes(bytes);
  }

  // Past the ';' that ends the statement, strings included; false at the end of the text.
  bool SkipToSemicolon() {
    for (;;) {
      const char c = Peek();
      if (c == '\0') return false;
      if (c == ';') {
        ++FPos;
        FTokenLine = FLine;
        return true;
      }
      if (c == '"')
        (void)String("text");
      else
        ++FPos;
    }
  }

  [[noreturn]] void Fail(const std::string& expected) { FailAt(Position(), expected); }
  [[noreturn]] void FailAt(TDbcPos at, const std::string& expected) { throw EDbcError(Where(at) + "expected " + expected); }
  [[nodiscard]] std::string Where(TDbcPos pos) const {
    return FFile + ":" + std::to_string(pos.Line) + ":" + std::to_string(pos.Column) + ": ";
  }

 private:
  static bool IsNameStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
  static bool IsNameChar(char c) { return IsNameStart(c) || (c >= '0' && c <= '9'); }
  static bool IsNumberChar(char c) {
    return (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E';
  }

  void SkipSpace() {
    while (FPos < FText.size()) {
      const char c = FText[FPos];
      if (c == '\n') {
        ++FPos;
        NewLine();
      } else if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
        ++FPos;
      } else {
        break;
      }
    }
  }
  void NewLine() {
    ++FLine;
    FLineStart = FPos;
  }
  // Columns count characters: in UTF-8 the continuation bytes do not start one.
  // Counted on from the last position asked for on the same line, so that a file of one long
  // line costs no more than one of many.
  [[nodiscard]] TDbcPos Here() {
    if (FCountedLineStart != FLineStart || FCountedTo > FPos) {
      FCountedLineStart = FLineStart;
      FCountedTo = FLineStart;
      FCountedColumn = 1;
    }
    for (; FCountedTo < FPos && FCountedTo < FText.size(); ++FCountedTo)
      if (!FUtf8 || (static_cast<unsigned char>(FText[FCountedTo]) & 0xC0) != 0x80) ++FCountedColumn;
    return {FLine, FCountedColumn};
  }
  void Advance(const char* end) {
    FPos = static_cast<std::size_t>(end - FText.data());
    FTokenLine = FLine;
  }
  std::string_view NumberText(const char* what) {
    if (!PeekNumber()) Fail(what);
    const std::size_t start = FPos;
    std::size_t end = FPos;
    while (end < FText.size() && IsNumberChar(FText[end])) ++end;
    // Signs are part of the number only in front and after an exponent: "1+" in "@1+" is two tokens.
    std::size_t stop = start;
    for (std::size_t i = start; i < end; ++i) {
      const char c = FText[i];
      if ((c == '+' || c == '-') && i != start && FText[i - 1] != 'e' && FText[i - 1] != 'E') break;
      stop = i + 1;
    }
    FPos = stop;
    FTokenLine = FLine;
    std::string_view text = FText.substr(start, stop - start);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    return text;
  }
  double ToDouble(std::string_view text, const char* what, TDbcPos at) {
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) FailAt(at, what);
    return value;
  }
  static std::string FromWindows1252Bytes(const std::string& bytes) {
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    for (char c : bytes) text.append(FromWindows1252(c));
    return text.toStdString();
  }

  std::string_view FText;
  const std::string& FFile;
  std::size_t FPos = 0;
  std::size_t FLineStart = 0;
  int FLine = 1;
  int FTokenLine = 1;
  bool FUtf8 = false;
  std::size_t FCountedLineStart = static_cast<std::size_t>(-1);
  std::size_t FCountedTo = 0;
  int FCountedColumn = 1;
};
