#include "reports/RtfRenderer.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <string>

#include "model/ShortText.h"
#include "reports/OutputBuffer.h"

namespace {

// "\uN\'3f" for every UTF-16 unit below 128, the bulk of every export.
const std::array<std::string, 128>& AsciiEscapes() {
  static const std::array<std::string, 128> escapes = [] {
    std::array<std::string, 128> table;
    for (int c = 0; c < 128; ++c) table[static_cast<std::size_t>(c)] = "\\u" + std::to_string(c) + "\\'3f";
    return table;
  }();
  return escapes;
}

void AppendNumber(TOutputBuffer& out, long long value) {
  char digits[24];
  out.Append(digits, static_cast<std::size_t>(std::to_chars(digits, digits + sizeof digits, value).ptr - digits));
}

void AppendControl(TOutputBuffer& out, std::string_view word, long long value) {
  out.Append(word);
  AppendNumber(out, value);
}

std::string_view AlignWord(TTextAlign align) {
  switch (align) {
    case TTextAlign::Right: return "\\qr";
    case TTextAlign::Center: return "\\qc";
    default: return "\\ql";
  }
}

// Font and colour tables filled in order of first use, and the last font, colour and size
// written, so that a control word is only written when it changes.
class TRtfFormatter {
 public:
  // Registers what formatted text of this font and colour will use.
  void Note(const TReportFont& font, QRgb color) {
    FontIndex(font);
    ColorIndex(color);
  }

  void WriteTables(TOutputBuffer& out) const {
    out.Append("{\\fonttbl");
    for (std::size_t i = 0; i < FFonts.size(); ++i) {
      AppendControl(out, "{\\f", static_cast<long long>(i));
      out.Put(' ');
      for (QChar c : FFonts[i]) out.Put(ToWindows1252(c));
      out.Append(";}");
    }
    out.Append("}{\\colortbl;");
    for (QRgb color : FColors) {
      AppendControl(out, "\\red", qRed(color));
      AppendControl(out, "\\green", qGreen(color));
      AppendControl(out, "\\blue", qBlue(color));
      out.Put(';');
    }
    out.Put('}');
  }

  void WriteText(TOutputBuffer& out, std::u16string_view text, const TReportFont& font, QRgb color) {
    if (text.empty()) return;
    if (font.Underline) out.Append("\\ul");
    if (font.Italic) out.Append("\\i");
    if (font.Bold) out.Append("\\b");
    const int fontIndex = FontIndex(font);
    if (fontIndex != FLastFont) AppendControl(out, "\\f", FLastFont = fontIndex);
    const int colorIndex = ColorIndex(color);
    if (colorIndex != FLastColor) AppendControl(out, "\\cf", FLastColor = colorIndex);
    if (font.Size != FLastSize) AppendControl(out, "\\fs", 2LL * (FLastSize = font.Size));
    out.Put(' ');
    WriteCharacters(out, text);
    if (font.Underline) out.Append("\\ul0");
    if (font.Italic) out.Append("\\i0");
    if (font.Bold) out.Append("\\b0");
  }

 private:
  static void WriteCharacters(TOutputBuffer& out, std::u16string_view text) {
    const auto& ascii = AsciiEscapes();
    for (char16_t unit : text) {
      if (unit == u'\r') continue;
      if (unit == u'\n') {
        out.Append("{\\par}");
      } else if (unit < 128) {
        out.Append(ascii[unit]);
      } else {
        AppendControl(out, "\\u", static_cast<std::int16_t>(unit));
        out.Append("\\'3f");
      }
    }
  }

  int FontIndex(const TReportFont& font) {
    if (&font == FCachedFont) return FCachedFontIndex;
    auto it = std::find(FFonts.begin(), FFonts.end(), font.Name);
    if (it == FFonts.end()) it = FFonts.insert(FFonts.end(), font.Name);
    FCachedFont = &font;
    return FCachedFontIndex = static_cast<int>(it - FFonts.begin());
  }

  // Counted from 1: entry 0 of the table is the automatic colour.
  int ColorIndex(QRgb color) {
    color |= 0xFF000000;
    if (color == FCachedColor) return FCachedColorIndex;
    auto it = std::find(FColors.begin(), FColors.end(), color);
    if (it == FColors.end()) it = FColors.insert(FColors.end(), color);
    FCachedColor = color;
    return FCachedColorIndex = static_cast<int>(it - FColors.begin()) + 1;
  }

  std::vector<QString> FFonts;
  std::vector<QRgb> FColors;
  const TReportFont* FCachedFont = nullptr;
  int FCachedFontIndex = -1;
  QRgb FCachedColor = 0;  // never a table colour: those are opaque
  int FCachedColorIndex = -1;
  int FLastFont = -1;
  int FLastColor = -1;
  int FLastSize = -1;
};

// Visits the non-empty texts in the order the document writes them: captions, then the
// cells row by row. `caption(column, text)`, `cell(column, text, paint)`, `rowEnd()`.
template <typename Caption, typename Cell, typename RowEnd>
void ForEachText(const TExportList& list, const TListLayout& layout, Caption caption, Cell cell, RowEnd rowEnd) {
  TCellText text;
  for (const TExportColumn& column : layout.Columns) {
    text.assign(reinterpret_cast<const char16_t*>(column.Caption.utf16()), static_cast<std::size_t>(column.Caption.size()));
    caption(column, text);
  }
  const std::size_t rows = list.ExportRowCount();
  for (std::size_t row = 0; row < rows; ++row) {
    for (const TExportColumn& column : layout.Columns) {
      text.clear();
      list.AppendCellText(row, column.Column, text);
      cell(column, text, row);
    }
    rowEnd();
  }
}

}  // namespace

TRtfPage RtfPageFor(const QLocale& locale) {
  TRtfPage page;
  page.Metric = locale.measurementSystem() != QLocale::ImperialUSSystem;
  return page;
}

long long PixelsToTwips(long long pixels, int pixelsPerInch) {
  const long long scaled = pixels * 1440;
  long long twips = scaled / pixelsPerInch;
  const long long twice = 2 * (scaled % pixelsPerInch);
  if (twice > pixelsPerInch || (twice == pixelsPerInch && (twips & 1) != 0)) ++twips;
  return twips;
}

void WriteRtf(const TExportList& list, const TListLayout& layout, const TRtfPage& page, QIODevice& device) {
  const TListLook& look = layout.Look;
  TRtfFormatter format;
  // The tables come first in the document, so a first pass finds what the body will use.
  ForEachText(
      list, layout,
      [&](const TExportColumn&, const TCellText& text) {
        if (!text.empty()) format.Note(look.HeaderFont, look.HeaderTextColor);
      },
      [&](const TExportColumn& column, const TCellText& text, std::size_t row) {
        if (text.empty()) return;
        const TCellPaint paint = list.CellPaint(row, column.Column);
        format.Note(*paint.Font, paint.Color);
      },
      [] {});

  TOutputBuffer out(device);
  out.Append("{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1043");
  format.WriteTables(out);
  out.Append(page.Metric ? "\\paperw16840\\paperh11907" : "\\paperw15840\\paperh12240");
  out.Append("\\margl720\\margr720\\margt720\\margb720");
  out.Append("\\uc1\\trowd\\trgaph70");
  long long edge = 0;
  for (const TExportColumn& column : layout.Columns) {
    edge += column.Width;
    AppendControl(out, "\\cellx", PixelsToTwips(edge, page.PixelsPerInch));
  }
  bool headerOpen = false;
  ForEachText(
      list, layout,
      [&](const TExportColumn& column, const TCellText& text) {
        if (!headerOpen) out.Append("\\pard\\intbl");
        headerOpen = true;
        out.Append(AlignWord(column.CaptionAlign));
        format.WriteText(out, text, look.HeaderFont, look.HeaderTextColor);
        out.Append("\\cell");
        if (&column == &layout.Columns.back()) out.Append("\\row");
      },
      [&](const TExportColumn& column, const TCellText& text, std::size_t row) {
        out.Append("\\pard\\intbl");
        if (column.Align != TTextAlign::Left) out.Append(AlignWord(column.Align));
        if (!text.empty()) {
          const TCellPaint paint = list.CellPaint(row, column.Column);
          format.WriteText(out, text, *paint.Font, paint.Color);
        }
        out.Append("\\cell");
      },
      [&] {
        out.Append("\\row\r\n");
        out.Settle();
      });
  out.Append("\\pard\\par}\r\n");
  out.Flush();
}
