#include <gtest/gtest.h>

#include <QBuffer>

#include "TestLogList.h"
#include "reports/RtfRenderer.h"
#include "transmit/TriggerLogExport.h"

namespace {
constexpr double kNoon = 45000.5;

// Each character as the document writes it.
QByteArray U(const QString& text) {
  QByteArray out;
  for (QChar c : text) out += "\\u" + QByteArray::number(static_cast<std::int16_t>(c.unicode())) + "\\'3f";
  return out;
}

QByteArray Rtf(const TExportList& list, const TListLayout& layout, TRtfPage page = {}) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  WriteRtf(list, layout, page, buffer);
  return buffer.data();
}

// One row, one column, the given text in the list's font.
class TOneCell : public TExportList {
 public:
  explicit TOneCell(QString text) : FText(std::move(text)) {}
  [[nodiscard]] std::size_t ExportRowCount() const override { return 1; }
  void AppendCellText(std::size_t, int, TCellText& text) const override {
    text.append(reinterpret_cast<const char16_t*>(FText.utf16()), static_cast<std::size_t>(FText.size()));
  }
  [[nodiscard]] TCellPaint CellPaint(std::size_t, int) const override { return {&FFont, 0xFF000000, false}; }

 private:
  QString FText;
  TReportFont FFont{QStringLiteral("Mono"), 10};
};

const QByteArray kPrologue = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1043";
const QByteArray kMargins = "\\margl720\\margr720\\margt720\\margb720";
}  // namespace

TEST(RtfRenderer, DocumentWithTablesHeaderAndCellsInTheirPaint) {
  TTestLogList log;
  log.Add(kNoon, QString::fromUtf8("a\xE2\x82\xAC\r\nb"));
  log.Add(kNoon, "", QColor(255, 0, 0));
  const TRowListExport source(log, DefaultListLook());
  const QByteArray time = U("12:00:00.000");
  EXPECT_EQ(Rtf(source, TriggerLogLayout()),
            kPrologue + "{\\fonttbl{\\f0 DejaVu Sans Mono;}}{\\colortbl;\\red0\\green0\\blue0;\\red255\\green0\\blue0;}" +
                "\\paperw16840\\paperh11907" + kMargins + "\\uc1\\trowd\\trgaph70\\cellx1500\\cellx7500" +
                "\\pard\\intbl\\ql\\f0\\cf1\\fs18 \\u84\\'3f\\u105\\'3f\\u109\\'3f\\u101\\'3f\\cell\\ql " + U("Message") +
                "\\cell\\row" +
                // Bold time; the text with the euro sign, CR dropped, LF as a paragraph.
                "\\pard\\intbl\\b " + time + "\\b0\\cell\\pard\\intbl \\u97\\'3f\\u8364\\'3f{\\par}\\u98\\'3f\\cell\\row\r\n" +
                // The red row: colour 2 for the time, nothing at all for the empty message.
                "\\pard\\intbl\\b\\cf2 " + time + "\\b0\\cell\\pard\\intbl\\cell\\row\r\n" + "\\pard\\par}\r\n");
}

TEST(RtfRenderer, AlignmentSizesAndUnitsAboveTheSignedRange) {
  TOneCell cell(QString::fromUtf8("\xEF\xBF\xBD") + QChar(0x7FFF));
  TListLayout layout{DefaultListLook(), {TExportColumn{0, "N", 33, TTextAlign::Right, TTextAlign::Center}}};
  layout.Look.HeaderFont = TReportFont{QStringLiteral("Head"), 8, false, true, true, true};
  const QByteArray rtf = Rtf(cell, layout, TRtfPage{false, 96});
  EXPECT_TRUE(rtf.contains("{\\fonttbl{\\f0 Head;}{\\f1 Mono;}}{\\colortbl;\\red0\\green0\\blue0;}\\paperw15840\\paperh12240"));
  EXPECT_TRUE(rtf.contains("\\cellx495\\pard\\intbl\\qc\\ul\\i\\b\\f0\\cf1\\fs16 \\u78\\'3f\\ul0\\i0\\b0\\cell\\row"));
  EXPECT_TRUE(rtf.contains("\\pard\\intbl\\qr\\f1\\fs20 \\u-3\\'3f\\u32767\\'3f\\cell\\row\r\n"));
}

TEST(RtfRenderer, EdgesRoundToTheNearestTwipWithTiesToEven) {
  EXPECT_EQ(PixelsToTwips(110, 96), 1650);
  EXPECT_EQ(PixelsToTwips(1, 960), 2);  // 1.5
  EXPECT_EQ(PixelsToTwips(3, 960), 4);  // 4.5
  EXPECT_EQ(PixelsToTwips(5, 960), 8);  // 7.5
  EXPECT_EQ(PixelsToTwips(1, 112), 13);  // 12.86
  EXPECT_EQ(PixelsToTwips(4, 112), 51);  // 51.43
  TTestLogList log;
  TListLayout layout = TriggerLogLayout();
  layout.Columns[0].Width = 1;
  layout.Columns[1].Width = 2;
  EXPECT_TRUE(Rtf(TRowListExport(log, DefaultListLook()), layout, TRtfPage{true, 960}).contains("\\cellx2\\cellx4\\pard"));
}

TEST(RtfRenderer, PaperFollowsTheLocaleMeasurementSystem) {
  EXPECT_FALSE(RtfPageFor(QLocale(QLocale::English, QLocale::UnitedStates)).Metric);
  EXPECT_TRUE(RtfPageFor(QLocale(QLocale::German, QLocale::Germany)).Metric);
  EXPECT_TRUE(RtfPageFor(QLocale(QLocale::Dutch, QLocale::Netherlands)).Metric);
  EXPECT_TRUE(RtfPageFor(QLocale(QLocale::English, QLocale::UnitedKingdom)).Metric);
  EXPECT_EQ(RtfPageFor(QLocale()).PixelsPerInch, 96);
}
