#pragma once
// Export of the monitor and the trace: their default column layout and their cells as the
// views show them. The trace writes its cells straight into the export buffers, since it
// may hold millions of rows, and has its own semicolon text layout.

#include "reports/ListExport.h"
#include "views/MonitorList.h"
#include "views/TraceList.h"

// Captions, default widths and look of the columns in their default order.
[[nodiscard]] TListLayout MonitorLayout();
[[nodiscard]] TListLayout TraceLayout();

class TTraceExport : public TRowListExport {
 public:
  TTraceExport(const TTraceList& trace, const TListLook& look);

  void AppendCellText(std::size_t row, int column, TCellText& text) const override;
  [[nodiscard]] TCellPaint CellPaint(std::size_t row, int column) const override;

 private:
  const TTraceList& FTrace;
  bool FShow8ByteMsg;
  // Colour and bold depend on the row and the column only by the bold first column.
  mutable std::size_t FPaintRow = static_cast<std::size_t>(-1);
  mutable TCellPaint FRowPaint;
  mutable TCellPaint FFirstColumnPaint;
};

// The trace's semicolon text: "sep=;", a fixed caption line, and per row the fields time,
// identifier, EXT, RTR, DLC, one field per data byte (two, "RTR" and "Frame", for a remote
// frame) and ASCII. Fields are taken by column, whatever order the view shows them in.
void WriteTraceCsv(const TExportList& trace, const std::vector<TExportColumn>& columns, QIODevice& device);

[[nodiscard]] TListExportJob TraceExportJob(const TTraceExport& trace, TListLayout layout);
