#include <gtest/gtest.h>

#include <QBuffer>

#include "TestLogList.h"
#include "reports/DelimitedText.h"
#include "transmit/TriggerLogExport.h"

namespace {
constexpr double kNoon = 45000.5;

// The file's text after its byte-order mark, which must be FF FE.
QString Utf16Text(const QByteArray& bytes) {
  EXPECT_TRUE(bytes.startsWith("\xFF\xFE"));
  return QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData() + 2), (bytes.size() - 2) / 2);
}

QString Csv(const TTestLogList& log, const TListLayout& layout) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  WriteListCsv(TRowListExport(log, DefaultListLook()), layout.Columns, buffer);
  return Utf16Text(buffer.data());
}
}  // namespace

TEST(DelimitedText, EmptyListIsTheCaptionLineAndOneEmptyLine) {
  TTestLogList log;
  EXPECT_EQ(Csv(log, TriggerLogLayout()), QStringLiteral("Time;Message\r\n\r\n"));
}

// Every row is exported, also one the view hides, in the columns' display order.
TEST(DelimitedText, RowsInListOrderColumnsInDisplayOrder) {
  TTestLogList log;
  log.Add(kNoon, "first");
  log.Add(kNoon, QString::fromUtf8("zw\xC3\xB6lf \xE2\x82\xAC"));
  log.Hide(0);
  TListLayout layout = TriggerLogLayout();
  std::swap(layout.Columns[0], layout.Columns[1]);
  EXPECT_EQ(Csv(log, layout), QString::fromUtf8("Message;Time\r\nfirst;12:00:00.000\r\nzw\xC3\xB6lf \xE2\x82\xAC;12:00:00.000\r\n\r\n"));
}

// A cell with the separator, a quote or a line break is quoted with its quotes doubled;
// captions stay as they are.
TEST(DelimitedText, CellsThatWouldSplitAreQuotedCaptionsAreNot) {
  TTestLogList log;
  log.Add(kNoon, "a;b");
  log.Add(kNoon, "say \"hi\"");
  log.Add(kNoon, "two\r\nlines");
  log.Add(kNoon, "plain \"");
  TListLayout layout = TriggerLogLayout();
  layout.Columns[0].Caption = "T;ime";
  layout.Columns.resize(2);
  EXPECT_EQ(Csv(log, layout), QStringLiteral("T;ime;Message\r\n"
                                             "12:00:00.000;\"a;b\"\r\n"
                                             "12:00:00.000;\"say \"\"hi\"\"\"\r\n"
                                             "12:00:00.000;\"two\r\nlines\"\r\n"
                                             "12:00:00.000;\"plain \"\"\"\r\n\r\n"));
}

TEST(DelimitedText, AnyOtherSeparatorQuotesOnItsOwnCharacter) {
  TTestLogList log;
  log.Add(kNoon, "a;b,c");
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  {
    TOutputBuffer16 out(buffer);
    WriteDelimitedText(TRowListExport(log, DefaultListLook()), TriggerLogLayout().Columns, u',', out);
    out.Flush();
  }
  EXPECT_EQ(QString::fromUtf16(reinterpret_cast<const char16_t*>(buffer.data().constData()), buffer.size() / 2),
            QStringLiteral("Time,Message\r\n12:00:00.000,\"a;b,c\"\r\n"));
}
