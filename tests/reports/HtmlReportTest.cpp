#include <gtest/gtest.h>

#include <QBuffer>

#include "TestLogList.h"
#include "reports/HtmlReport.h"
#include "transmit/TriggerLogExport.h"

namespace {
// 12:00:00.000 on some day.
constexpr double kNoon = 45000.5;

QByteArray Report(const TTestLogList& log, const QString& title, const QString& subtitle) {
  const TRowListExport source(log, DefaultListLook());
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  WriteHtmlReport(title, subtitle, source, TriggerLogLayout(), buffer);
  return buffer.data();
}

const QByteArray kFont = "font-family: 'DejaVu Sans Mono'; font-size: 9pt; font-style: normal; font-weight: normal; "
                         "text-decoration: none; color: #000000;}";
const QByteArray kBoldFont = "font-family: 'DejaVu Sans Mono'; font-size: 9pt; font-style: normal; font-weight: bold; "
                             "text-decoration: none; color: #000000;}";

const QByteArray kHead =
    "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0//EN\">\r\n<html>\r\n<head>\r\n"
    "  <meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\r\n  <title>CAN Report</title>\r\n</head>\r\n"
    "<body>\r\n<table style=\"text-align: left; width: 100%;\" border=\"0\" cellpadding=\"2\" cellspacing=\"1\">\r\n"
    "<tbody>\r\n<tr align=\"center\">\r\n<td style=\"width: 100%;\">\r\n"
    "<hr style=\"width: 100%; height: 1px;\"><big><big style=\"font-weight: bold;\">"
    "<span style=\"font-family: Helvetica,Arial,sans-serif;\">";

QByteArray PageUpToTable(const QByteArray& title, const QByteArray& subtitle) {
  return kHead + title +
         "</span></big></big>\r\n<hr style=\"width: 100%; height: 1px;\"></td>\r\n</tr>\r\n"
         "<tr align=\"center\">\r\n<td style=\"width: 100%;\">\r\n"
         "<big style=\"font-weight: bold;\"><span style=\"font-family: Helvetica,Arial,sans-serif;\">" +
         subtitle + "</span></big>\r\n<hr style=\"width: 100%; height: 1px;\">\r\n";
}

const QByteArray kTableHead =
    "<META http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\"><style type=\"text/css\">\r\n"
    ".default{" + kFont + "\r\n.header{" + kFont + "\r\n"
    ".noborder{ border-bottom:1px; border-left: 0px; border-right: 0px; border-top: 1px;border-style:dotted;"
    "padding-left: 4px; padding-right: 4px;}\r\n"
    ".normalborder {vertical-align: top; border-right: 1px; border-left: 1px; border-top: 1px; border-bottom: 1px; "
    "border-width: thin; border-style: dotted;padding-left: 4px; padding-right: 4px;}</style>\r\n"
    "<table class=\"default\" style=\"border-collapse: collapse;\" bgcolor=#FFFFFF  cellspacing=\"0\">\r\n"
    "<tr class=\"header\" style=\"padding-left: 4px; padding-right: 4px;\">\r\n"
    "<th height=\"21px\" align=left bgcolor=#F0F0F0 width=\"100px\">Time</th>"
    "<th height=\"21px\" align=left bgcolor=#F0F0F0 width=\"400px\">Message</th></tr>\r\n";

const QByteArray kFoot = "</table><hr style=\"width: 100%; height: 1px;\"></td>\r\n</tr>\r\n</tbody></table></body>\r\n</html>\r\n";
}  // namespace

TEST(HtmlReport, EmptyListGivesTheFixedPageWithOnlyTheHeaderRow) {
  TTestLogList log;
  EXPECT_EQ(Report(log, "Tarvell - Ferrolux Ver. 3.9 - <unnamed>", "Trigger Log"),
            PageUpToTable("Tarvell - Ferrolux Ver. 3.9 - &lt;unnamed&gt;", "Trigger Log") + kTableHead + kFoot);
}

TEST(HtmlReport, CellsOpenWithTheirFontOnlyWhereThePaintChangedIt) {
  TTestLogList log;
  log.Add(kNoon, "plain");
  log.Add(kNoon, QString::fromUtf8("r\xC3\xB6t"), QColor(0x12, 0xAB, 0xEF));
  const QByteArray rows =
      " <tr class=\"default\">\r\n"
      " <td class=\"normalborder\"  style=\"{" + kBoldFont + "\" height=\"18px\" align=left>12:00:00.000</td>"
      " <td class=\"normalborder\"  height=\"18px\" align=left>plain</td> </tr>\r\n"
      " <tr class=\"default\">\r\n"
      " <td class=\"normalborder\"  style=\"{" + QByteArray(kBoldFont).replace("#000000", "#12ABEF") +
      "\" height=\"18px\" align=left>12:00:00.000</td>"
      " <td class=\"normalborder\"  style=\"{" + QByteArray(kFont).replace("#000000", "#12ABEF") +
      "\" height=\"18px\" align=left>r\xC3\xB6t</td> </tr>\r\n";
  EXPECT_EQ(Report(log, "T", "S"), PageUpToTable("T", "S") + kTableHead + rows + kFoot);
}

// Texts from the data and the program are shown as typed; nothing in them becomes markup.
TEST(HtmlReport, HostileTextsAreEscapedEverywhere) {
  TTestLogList log;
  log.FBoldTime = false;
  log.Add(kNoon, "<script>alert(\"x&y\")</script> 'a'");
  const QByteArray page = Report(log, "Tarvell - A&B <\"x\">", "<b>Sub</b>");
  EXPECT_TRUE(page.contains(">Tarvell - A&amp;B &lt;\"x\"&gt;</span>"));
  EXPECT_TRUE(page.contains(">&lt;b&gt;Sub&lt;/b&gt;</span>"));
  EXPECT_TRUE(page.contains("align=left>&lt;script&gt;alert(&quot;x&amp;y&quot;)&lt;/script&gt; &#39;a&#39;</td>"));
  EXPECT_FALSE(page.contains("<script>"));
  EXPECT_FALSE(page.contains("<b>"));
}

TEST(HtmlReport, FontDescriptionsAndColours) {
  EXPECT_EQ(HtmlColor(qRgb(0x0A, 0xB0, 0xFF)), "#0AB0FF");
  TReportFont font{QStringLiteral("Arial"), 12, true, false, true, true};
  EXPECT_EQ(HtmlFontDescription(font, qRgb(255, 0, 0)),
            "font-family: 'Arial'; font-size: 12px; font-style: italic; font-weight: normal; text-decoration: underline; "
            "color: #FF0000;}");
}
