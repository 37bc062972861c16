#include "reports/HtmlReport.h"

#include <cstdio>
#include <string>

#include "reports/OutputBuffer.h"

namespace {

constexpr std::string_view kPageHead =
    "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0//EN\">\r\n"
    "<html>\r\n"
    "<head>\r\n"
    "  <meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\r\n"
    "  <title>CAN Report</title>\r\n"
    "</head>\r\n"
    "<body>\r\n"
    "<table style=\"text-align: left; width: 100%;\" border=\"0\" cellpadding=\"2\" cellspacing=\"1\">\r\n"
    "<tbody>\r\n"
    "<tr align=\"center\">\r\n"
    "<td style=\"width: 100%;\">\r\n"
    "<hr style=\"width: 100%; height: 1px;\"><big><big style=\"font-weight: bold;\">"
    "<span style=\"font-family: Helvetica,Arial,sans-serif;\">";
constexpr std::string_view kAfterTitle =
    "</span></big></big>\r\n"
    "<hr style=\"width: 100%; height: 1px;\"></td>\r\n"
    "</tr>\r\n"
    "<tr align=\"center\">\r\n"
    "<td style=\"width: 100%;\">\r\n"
    "<big style=\"font-weight: bold;\"><span style=\"font-family: Helvetica,Arial,sans-serif;\">";
constexpr std::string_view kAfterSubtitle =
    "</span></big>\r\n"
    "<hr style=\"width: 100%; height: 1px;\">\r\n";
constexpr std::string_view kPageFoot =
    "<hr style=\"width: 100%; height: 1px;\"></td>\r\n"
    "</tr>\r\n"
    "</tbody></table></body>\r\n"
    "</html>\r\n";

enum class TEscape { Markup, TextAndQuotes };

// UTF-8 of a UTF-16 text with &, <, > (and quotes) replaced by their entities. A lone
// surrogate becomes U+FFFD.
void AppendEscaped(TOutputBuffer& out, std::u16string_view text, TEscape escape) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    switch (c) {
      case u'&': out.Append("&amp;"); continue;
      case u'<': out.Append("&lt;"); continue;
      case u'>': out.Append("&gt;"); continue;
      case u'"':
        if (escape == TEscape::TextAndQuotes) { out.Append("&quot;"); continue; }
        break;
      case u'\'':
        if (escape == TEscape::TextAndQuotes) { out.Append("&#39;"); continue; }
        break;
      default: break;
    }
    if (c < 0x80) {
      out.Put(static_cast<char>(c));
      continue;
    }
    if (c >= 0xD800 && c <= 0xDFFF) {
      const bool pair = c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
      c = pair ? 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00) : 0xFFFD;
    }
    if (c < 0x800) {
      out.Put(static_cast<char>(0xC0 | (c >> 6)));
    } else if (c < 0x10000) {
      out.Put(static_cast<char>(0xE0 | (c >> 12)));
      out.Put(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    } else {
      out.Put(static_cast<char>(0xF0 | (c >> 18)));
      out.Put(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      out.Put(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    }
    out.Put(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

void AppendEscaped(TOutputBuffer& out, const QString& text, TEscape escape) {
  AppendEscaped(out, std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())),
                escape);
}

void AppendBytes(TOutputBuffer& out, const QByteArray& bytes) {
  out.Append(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

std::string_view AlignAttribute(TTextAlign align) {
  switch (align) {
    case TTextAlign::Right: return " align=right";
    case TTextAlign::Center: return " align=center";
    default: return " align=left";
  }
}

QByteArray PaddingText(int margin) { return QByteArray("padding-left: ") + QByteArray::number(margin) + "px; padding-right: " + QByteArray::number(margin) + "px;"; }

QByteArray StylePrologue(const TListLook& look) {
  const QByteArray padding = PaddingText(look.Margin);
  return QByteArray("<META http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\"><style type=\"text/css\">\r\n") +
         ".default{" + HtmlFontDescription(look.Font, look.TextColor) + "\r\n" +
         ".header{" + HtmlFontDescription(look.HeaderFont, look.HeaderTextColor) + "\r\n" +
         ".noborder{ border-bottom:1px; border-left: 0px; border-right: 0px; border-top: 1px;border-style:dotted;" + padding +
         "}\r\n" +
         ".normalborder {vertical-align: top; border-right: 1px; border-left: 1px; border-top: 1px; border-bottom: 1px; "
         "border-width: thin; border-style: dotted;" + padding + "}</style>\r\n";
}

void WriteHeaderRow(TOutputBuffer& out, const TListLayout& layout) {
  const TListLook& look = layout.Look;
  AppendBytes(out, "<tr class=\"header\" style=\"" + PaddingText(look.Margin) + "\">\r\n");
  for (const TExportColumn& column : layout.Columns) {
    AppendBytes(out, "<th height=\"" + QByteArray::number(look.HeaderHeight) + "px\"");
    out.Append(AlignAttribute(column.CaptionAlign));
    AppendBytes(out, " bgcolor=" + HtmlColor(look.ButtonFace) + " width=\"" + QByteArray::number(column.Width) + "px\">");
    AppendEscaped(out, column.Caption, TEscape::TextAndQuotes);
    out.Append("</th>");
  }
  out.Append("</tr>\r\n");
}

// The cell openings up to and with the alignment: plain per column, and with a font style
// for the paint last asked for (consecutive cells mostly share it).
class TCellOpenings {
 public:
  explicit TCellOpenings(const TListLayout& layout) : FRowHeight(" height=\"" + QByteArray::number(layout.Look.RowHeight) + "px\"") {
    for (const TExportColumn& column : layout.Columns)
      FPlain.push_back(" <td class=\"normalborder\" " + FRowHeight + QByteArray(AlignAttribute(column.Align).data()));
  }

  void Append(TOutputBuffer& out, std::size_t index, const TExportColumn& column, const TCellPaint& paint) {
    if (!paint.Changed) {
      AppendBytes(out, FPlain[index]);
      return;
    }
    if (paint.Font != FStyledFont || paint.Color != FStyledColor) {
      FStyledFont = paint.Font;
      FStyledColor = paint.Color;
      FStyled = " <td class=\"normalborder\"  style=\"{" + HtmlFontDescription(*paint.Font, paint.Color) + "\"" + FRowHeight;
    }
    AppendBytes(out, FStyled);
    out.Append(AlignAttribute(column.Align));
  }

 private:
  QByteArray FRowHeight;
  std::vector<QByteArray> FPlain;
  const TReportFont* FStyledFont = nullptr;
  QRgb FStyledColor = 0;
  QByteArray FStyled;
};

void WriteTable(TOutputBuffer& out, const TExportList& list, const TListLayout& layout) {
  AppendBytes(out, StylePrologue(layout.Look));
  AppendBytes(out, "<table class=\"default\" style=\"border-collapse: collapse;\" bgcolor=" + HtmlColor(layout.Look.Background) +
                       "  cellspacing=\"0\">\r\n");
  WriteHeaderRow(out, layout);
  TCellOpenings openings(layout);
  TCellText text;
  const std::size_t rows = list.ExportRowCount();
  for (std::size_t row = 0; row < rows; ++row) {
    out.Append(" <tr class=\"default\">\r\n");
    for (std::size_t i = 0; i < layout.Columns.size(); ++i) {
      const TExportColumn& column = layout.Columns[i];
      openings.Append(out, i, column, list.CellPaint(row, column.Column));
      out.Put('>');
      text.clear();
      list.AppendCellText(row, column.Column, text);
      AppendEscaped(out, text, TEscape::TextAndQuotes);
      out.Append("</td>");
    }
    out.Append(" </tr>\r\n");
    out.Settle();
  }
  out.Append("</table>");
}

}  // namespace

QByteArray HtmlColor(QRgb color) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02X%02X%02X", qRed(color), qGreen(color), qBlue(color));
  return QByteArray(text, 7);
}

QByteArray HtmlFontDescription(const TReportFont& font, QRgb color) {
  return "font-family: '" + font.Name.toUtf8() + "'; font-size: " + QByteArray::number(font.Size) +
         (font.SizeInPixels ? "px; " : "pt; ") + "font-style: " + (font.Italic ? "italic" : "normal") +
         "; font-weight: " + (font.Bold ? "bold" : "normal") + "; text-decoration: " + (font.Underline ? "underline" : "none") +
         "; color: " + HtmlColor(color) + ";}";
}

void WriteHtmlReport(const QString& title, const QString& subtitle, const TExportList& list, const TListLayout& layout,
                     QIODevice& device) {
  TOutputBuffer out(device);
  out.Append(kPageHead);
  AppendEscaped(out, title, TEscape::Markup);
  out.Append(kAfterTitle);
  AppendEscaped(out, subtitle, TEscape::TextAndQuotes);
  out.Append(kAfterSubtitle);
  WriteTable(out, list, layout);
  out.Append(kPageFoot);
  out.Flush();
}
