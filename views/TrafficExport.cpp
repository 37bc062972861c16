#include "views/TrafficExport.h"

#include <charconv>

#include "reports/DelimitedText.h"

namespace {
enum { kTraceTimeColumn = 6 };

TExportColumn Column(int column, const char* caption, int width) {
  return TExportColumn{column, QString::fromLatin1(caption), width, TTextAlign::Left, TTextAlign::Left};
}

void AppendAscii(TCellText& text, const char* begin, const char* end) { text.append(begin, end); }
}  // namespace

TListLayout MonitorLayout() {
  return TListLayout{DefaultListLook(),
                     {Column(0, "CAN ID", 110), Column(1, "EXT", 40), Column(2, "RTR", 40), Column(3, "DLC", 40),
                      Column(4, "MSG", 220), Column(5, "ASCII", 90), Column(6, "Period", 70), Column(7, "Count", 80),
                      Column(8, "Description", 200)}};
}

TListLayout TraceLayout() {
  return TListLayout{DefaultListLook(),
                     {Column(0, "CAN ID", 110), Column(1, "EXT", 40), Column(2, "RTR", 40), Column(3, "DLC", 40),
                      Column(4, "MSG", 220), Column(5, "ASCII", 90), Column(kTraceTimeColumn, "Time", 80)}};
}

TTraceExport::TTraceExport(const TTraceList& trace, const TListLook& look)
    : TRowListExport(trace, look), FTrace(trace), FShow8ByteMsg(trace.Show8ByteMsg()) {}

void TTraceExport::AppendCellText(std::size_t row, int column, TCellText& text) const {
  const TCanMsgProg& msg = FTrace.Row(row).Msg;
  char cell[kFrameCellMax];
  const char* end = column == kTraceTimeColumn ? std::to_chars(cell, cell + sizeof cell, msg.Time).ptr
                                               : WriteFrameCellText(cell, msg, column, FShow8ByteMsg);
  AppendAscii(text, cell, end);
}

TCellPaint TTraceExport::CellPaint(std::size_t row, int column) const {
  if (row != FPaintRow) {
    FPaintRow = row;
    FRowPaint = TRowListExport::CellPaint(row, 1);
    FFirstColumnPaint = TRowListExport::CellPaint(row, 0);
  }
  return column == 0 ? FFirstColumnPaint : FRowPaint;
}

void WriteTraceCsv(const TExportList& trace, const std::vector<TExportColumn>& /*columns*/, QIODevice& device) {
  TOutputBuffer16 out(device);
  WriteUtf16Bom(out);
  out.Append(u"sep=;\r\nTime;ID;EXT;RTR;DLC;D0;D1;D2;D3;D4;D5;D6;D7;ASCII\r\n");
  TCellText text;
  const auto field = [&](std::size_t row, int column) {
    text.clear();
    trace.AppendCellText(row, column, text);
  };
  const std::size_t rows = trace.ExportRowCount();
  for (std::size_t row = 0; row < rows; ++row) {
    field(row, kTraceTimeColumn);
    AppendDelimitedField(text, u';', out);
    for (int column : {fcCanId, fcExt, fcRtr, fcDlc}) {
      out.Put(u';');
      field(row, column);
      AppendDelimitedField(text, u';', out);
    }
    // The data bytes are separated by single blanks: one field each.
    field(row, fcMsg);
    std::u16string_view rest = text;
    for (std::size_t blank; (blank = rest.find(u' ')) != std::u16string_view::npos; rest.remove_prefix(blank + 1)) {
      out.Put(u';');
      AppendDelimitedField(rest.substr(0, blank), u';', out);
    }
    out.Put(u';');
    AppendDelimitedField(rest, u';', out);
    out.Put(u';');
    field(row, fcAscii);
    AppendDelimitedField(text, u';', out);
    out.Append(u"\r\n");
    out.Settle();
  }
  out.Flush();
}

TListExportJob TraceExportJob(const TTraceExport& trace, TListLayout layout) {
  return TListExportJob{trace, std::move(layout), WriteTraceCsv};
}
