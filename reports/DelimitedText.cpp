#include "reports/DelimitedText.h"

#include <algorithm>
#include <bit>

static_assert(std::endian::native == std::endian::little, "semicolon text files are written as UTF-16LE");

namespace {
constexpr std::u16string_view kLineEnd = u"\r\n";

template <typename Char>
bool NeedsQuotes(std::basic_string_view<Char> text, Char separator) {
  return std::any_of(text.begin(), text.end(), [separator](Char c) { return c == separator || c == '"' || c == '\r' || c == '\n'; });
}

template <typename Char>
void AppendFieldOf(std::basic_string_view<Char> text, Char separator, TOutputBufferOf<Char>& out) {
  if (!NeedsQuotes(text, separator)) {
    out.Append(text);
    return;
  }
  out.Put('"');
  for (Char c : text) {
    if (c == '"') out.Put('"');
    out.Put(c);
  }
  out.Put('"');
}
}  // namespace

void AppendDelimitedField(std::u16string_view text, char16_t separator, TOutputBuffer16& out) {
  AppendFieldOf(text, separator, out);
}

// UTF-8 continuation and lead bytes are never ASCII, so the byte-wise test is exact.
void AppendDelimitedField(std::string_view text, char separator, TOutputBuffer& out) { AppendFieldOf(text, separator, out); }

void WriteDelimitedText(const TExportList& list, const std::vector<TExportColumn>& columns, char16_t separator,
                        TOutputBuffer16& out) {
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (i > 0) out.Put(separator);
    out.Append(reinterpret_cast<const char16_t*>(columns[i].Caption.utf16()), static_cast<std::size_t>(columns[i].Caption.size()));
  }
  out.Append(kLineEnd);
  TCellText text;
  const std::size_t rows = list.ExportRowCount();
  for (std::size_t row = 0; row < rows; ++row) {
    for (std::size_t i = 0; i < columns.size(); ++i) {
      if (i > 0) out.Put(separator);
      text.clear();
      list.AppendCellText(row, columns[i].Column, text);
      AppendDelimitedField(text, separator, out);
    }
    out.Append(kLineEnd);
    out.Settle();
  }
}

void WriteUtf16Bom(TOutputBuffer16& out) { out.Put(u'\xFEFF'); }

void WriteListCsv(const TExportList& list, const std::vector<TExportColumn>& columns, QIODevice& device) {
  TOutputBuffer16 out(device);
  WriteUtf16Bom(out);
  WriteDelimitedText(list, columns, u';', out);
  out.Append(kLineEnd);
  out.Flush();
}
