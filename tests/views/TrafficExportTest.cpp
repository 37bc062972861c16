#include <QBuffer>

#include "TrafficFixture.h"
#include "reports/DelimitedText.h"
#include "reports/HtmlReport.h"
#include "views/TrafficExport.h"

namespace {
class TrafficExportTest : public TrafficFixture {
 protected:
  // The semicolon texts after their byte-order mark.
  QString TraceCsv() {
    return Written([this](QIODevice& device) {
      WriteTraceCsv(TTraceExport(Views.Trace(), DefaultListLook()), TraceLayout().Columns, device);
    });
  }
  QString MonitorCsv() {
    return Written([this](QIODevice& device) {
      WriteListCsv(TRowListExport(Views.Monitor(), DefaultListLook()), MonitorLayout().Columns, device);
    });
  }
  static QString Written(const std::function<void(QIODevice&)>& write) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    write(buffer);
    return Utf16(buffer.data());
  }
  static QString Utf16(const QByteArray& bytes) {
    EXPECT_TRUE(bytes.startsWith("\xFF\xFE"));
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData() + 2), (bytes.size() - 2) / 2);
  }
  static QString Lines(std::initializer_list<const char*> lines) {
    QString text;
    for (const char* line : lines) text += QString::fromLatin1(line) + QStringLiteral("\r\n");
    return text;
  }
};

const char* const kTraceHead[] = {"sep=;", "Time;ID;EXT;RTR;DLC;D0;D1;D2;D3;D4;D5;D6;D7;ASCII"};
}  // namespace

TEST_F(TrafficExportTest, EmptyListsGiveTheirCaptionLines) {
  EXPECT_EQ(TraceCsv(), Lines({kTraceHead[0], kTraceHead[1]}));
  EXPECT_EQ(MonitorCsv(), Lines({"CAN ID;EXT;RTR;DLC;MSG;ASCII;Period;Count;Description", ""}));
}

TEST_F(TrafficExportTest, TraceLinesAreTimeFirstWithOneFieldPerDataByte) {
  Receive({Frame(0x123, 1234, {0x01, 0x02}), Frame(0x18DAF110, 7, {0x41}, true), Frame(0x7FF, 9, {}, false, true)});
  EXPECT_EQ(TraceCsv(), Lines({kTraceHead[0], kTraceHead[1], "1234;123;0;0;2;01;02;..", "7;18DAF110;1;0;1;01;A",
                               "9;7FF;0;1;0;RTR;Frame;........"})
                            .replace("1;01;A", "1;41;A"));
  Show8 = true;
  EXPECT_EQ(TraceCsv(), Lines({kTraceHead[0], kTraceHead[1], "1234;123;0;0;2;01;02;00;00;00;00;00;00;........",
                               "7;18DAF110;1;0;1;41;00;00;00;00;00;00;00;A.......", "9;7FF;0;1;0;RTR;Frame;........"}));
}

// A data text with ";" or a quote stays one quoted field, so every line keeps its cells.
TEST_F(TrafficExportTest, TraceAsciiFieldWithSeparatorOrQuoteIsQuoted) {
  Receive({Frame(0x100, 5, {0x3B, 0x22, 0x41})});
  EXPECT_EQ(TraceCsv(), Lines({kTraceHead[0], kTraceHead[1], "5;100;0;0;3;3B;22;41;\";\"\"A\""}));
}

// Rows hidden by a search are exported too; a user's column order does not move the fields.
TEST_F(TrafficExportTest, TraceExportTakesEveryRowAndFieldsByColumn) {
  Receive({Frame(0x7F0, 1, {}), Frame(0x100, 2, {})});
  ASSERT_TRUE(Views.Trace().Search("7F", 0));
  ASSERT_EQ(Views.Trace().Model().rowCount(), 1);
  std::vector<TExportColumn> reversed = TraceLayout().Columns;
  std::reverse(reversed.begin(), reversed.end());
  const QString csv = Written([&](QIODevice& device) { WriteTraceCsv(TTraceExport(Views.Trace(), DefaultListLook()), reversed, device); });
  EXPECT_EQ(csv, Lines({kTraceHead[0], kTraceHead[1], "1;7F0;0;0;0;;", "2;100;0;0;0;;"}));
}

// The trace writes its cells itself for speed; they must be the very texts the view shows.
TEST_F(TrafficExportTest, TraceExportCellsAndPaintAreTheViewsOwn) {
  TCanMsgProg odd = Frame(0x1FFFFFFF, -5, {0xFF, 0x20, 0x7E, 0x80}, true);
  odd.DLC = 12;
  Receive({Frame(0x5, 0, {}), odd, Frame(0x7FF, 65535, {1, 2, 3, 4, 5, 6, 7, 8}, false, true)});
  Views.IdFilter().SetRowColor(Views.IdFilter().FindRow(0x5), 0x0000FF);
  Views.Trace().SetColorFilter(true);
  for (bool show8 : {false, true}) {
    Show8 = show8;
    const TTraceExport trace(Views.Trace(), DefaultListLook());
    for (std::size_t row = 0; row < 3; ++row)
      for (int column = 0; column < 7; ++column) {
        TCellText text;
        trace.AppendCellText(row, column, text);
        EXPECT_EQ(QString::fromStdU16String(text), Views.Trace().CellText(row, column)) << row << " " << column;
      }
  }
  const TTraceExport trace(Views.Trace(), DefaultListLook());
  EXPECT_TRUE(trace.CellPaint(0, 0).Font->Bold);
  EXPECT_EQ(trace.CellPaint(0, 3).Color, qRgb(255, 0, 0));
  EXPECT_TRUE(trace.CellPaint(0, 3).Changed);
  // A filter row without colour paints black, which is the list's own colour.
  EXPECT_EQ(trace.CellPaint(1, 3).Color, qRgb(0, 0, 0));
  EXPECT_FALSE(trace.CellPaint(1, 3).Changed);
  Views.IdFilter().SetRowChecked(Views.IdFilter().FindRow(0x7FF), false);
  const TTraceExport unfiltered(Views.Trace(), DefaultListLook());
  EXPECT_FALSE(unfiltered.CellPaint(2, 3).Changed);
  EXPECT_FALSE(unfiltered.CellPaint(2, 3).Font->Bold);
}

TEST_F(TrafficExportTest, MonitorDescriptionWithSeparatorIsQuotedAndMarkupIsEscaped) {
  Receive({Frame(0x100, 10, {0x01}), Frame(0x100, 30, {0x02})});
  Views.IdFilter().ApplyEdit("100", false, "a;b <i>");
  EXPECT_EQ(MonitorCsv(), Lines({"CAN ID;EXT;RTR;DLC;MSG;ASCII;Period;Count;Description", "100;0;0;1;02;.;20;2;\"a;b <i>\"", ""}));
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  WriteHtmlReport("T", "CAN Data Monitor", TRowListExport(Views.Monitor(), DefaultListLook()), MonitorLayout(), buffer);
  EXPECT_TRUE(buffer.data().contains("align=left>a;b &lt;i&gt;</td> </tr>"));
}
