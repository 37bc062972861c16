#pragma once
// What the exports need from a list: its rows' cell texts as the view shows them and how each
// cell is painted, plus the column layout and the look of the list. The renderers ask nothing
// else, and nothing of a widget: the window, the command line and the catalog window hand
// them the same lists.

#include <QColor>
#include <QString>
#include <cstddef>
#include <string>
#include <vector>

class TRowListBase;

enum class TTextAlign { Left, Right, Center };

struct TReportFont {
  QString Name;
  int Size = 9;  // points, or pixels when SizeInPixels
  bool SizeInPixels = false;
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
};

struct TExportColumn {
  int Column = 0;  // the list's own column index
  QString Caption;
  int Width = 0;  // pixels
  TTextAlign Align = TTextAlign::Left;
  TTextAlign CaptionAlign = TTextAlign::Left;
};

// Colours and sizes of a list as it is drawn.
struct TListLook {
  TReportFont Font;        // rows
  TReportFont HeaderFont;  // column captions
  QRgb TextColor = 0xFF000000;
  QRgb HeaderTextColor = 0xFF000000;
  QRgb Background = 0xFFFFFFFF;
  QRgb ButtonFace = 0xFFF0F0F0;  // the header cells
  int HeaderHeight = 21;
  int RowHeight = 18;
  int Margin = 4;
};

// The columns to export, in display order, and the list's look. A list's default layout
// holds all its columns in their default order and widths; a page replaces the columns with
// what the user arranged in the view.
struct TListLayout {
  TListLook Look;
  std::vector<TExportColumn> Columns;
};

// The monospaced look the traffic and log lists share.
[[nodiscard]] TListLook DefaultListLook();

// How the list's paint handler draws one cell.
struct TCellPaint {
  const TReportFont* Font = nullptr;
  QRgb Color = 0xFF000000;
  bool Changed = false;  // the cell's font or colour differs from the list's
};

// Cell text buffer, reused from cell to cell.
using TCellText = std::u16string;

class TExportList {
 public:
  virtual ~TExportList() = default;
  [[nodiscard]] virtual std::size_t ExportRowCount() const = 0;
  // Appends the text the view shows in the cell to `text`.
  virtual void AppendCellText(std::size_t row, int column, TCellText& text) const = 0;
  [[nodiscard]] virtual TCellPaint CellPaint(std::size_t row, int column) const = 0;
};

// Any list over the row store, exported through its own cell texts, colours and bold
// columns. Every row is exported, hidden ones included.
class TRowListExport : public TExportList {
 public:
  TRowListExport(const TRowListBase& list, const TListLook& look);

  [[nodiscard]] std::size_t ExportRowCount() const override;
  void AppendCellText(std::size_t row, int column, TCellText& text) const override;
  [[nodiscard]] TCellPaint CellPaint(std::size_t row, int column) const override;

 protected:
  // The paint for a given bold flag and colour (invalid: the list's text colour).
  [[nodiscard]] TCellPaint Paint(bool bold, const QColor& color) const;

 private:
  const TRowListBase& FList;
  TReportFont FFont;
  TReportFont FBoldFont;
  QRgb FTextColor;
};
