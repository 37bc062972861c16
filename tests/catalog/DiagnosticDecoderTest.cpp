#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QBuffer>
#include <QFileInfo>

#include "DecoderFixture.h"
#include "catalog/FormatDataExport.h"
#include "catalog/FormatDataTreeModel.h"
#include "support/CoreApplication.h"
#include "support/TestData.h"
#include "views/TrafficViews.h"

namespace {

class DiagnosticDecoderTest : public ::testing::Test {
 protected:
  DiagnosticDecoderTest() { EnsureCoreApplication(); }
  QStringList DecodedLines(const std::vector<TCanMsgProg>& frames) {
    Decode(List, frames);
    return RowLines(List);
  }
  static std::vector<TCanMsgProg> Join(std::initializer_list<std::vector<TCanMsgProg>> parts) {
    std::vector<TCanMsgProg> all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
  }

  TFormatDataList List{TControlUnitCatalog::Parse("[CANID]\n612=Engine\n6f1=Tester\n")};
  QAbstractItemModelTester FlatTester{&List.Model(), QAbstractItemModelTester::FailureReportingMode::Fatal};
};

TEST_F(DiagnosticDecoderTest, TesterRequestOpensANamedControlUnitAndMessagesWithoutTesterOpenOneFromTheirTarget) {
  EXPECT_EQ(DecodedLines({DiagFrame(0x6F1, {0x12, 0x02, 0x1A, 0x80}, 1500)}),
            QStringList({"unit 612 Engine", "1 1500 6F1 2 F1 12: 1A 80"}));
  // No tester frame at all: the first message's own target names its row; key "6f1" matches.
  EXPECT_EQ(DecodedLines({DiagFrame(0x612, {0xF1, 0x03, 0x7F, 0x1A, 0x31}, 7), DiagFrame(0x012, {0x55, 0x01, 0xAA})}),
            QStringList({"unit 6f1 Tester", "1 7 612 3 12 F1: 7F 1A 31", "2 0 012 1 12 55: AA"}));
  // Every tester frame opens a new row; an identifier the catalog lacks gets an empty name.
  EXPECT_EQ(DecodedLines({DiagFrame(0x6F1, {0x12, 0x01, 0x3E}), DiagFrame(0x6F1, {0x40, 0x01, 0x3E})}),
            QStringList({"unit 612 Engine", "1 0 6F1 1 F1 12: 3E", "unit 640", "2 0 6F1 1 F1 40: 3E"}));
}

TEST_F(DiagnosticDecoderTest, WithoutCatalogEveryControlUnitReadsNoIdsAvailable) {
  TFormatDataList list;
  Decode(list, {DiagFrame(0x6F1, {0x12, 0x01, 0x3E})});
  EXPECT_EQ(RowLines(list), QStringList({"unit 612 No IDs available", "1 0 6F1 1 F1 12: 3E"}));
}

TEST_F(DiagnosticDecoderTest, SingleFramesTakeAtMostSixBytesAndShowTheirControlByteAsLength) {
  EXPECT_EQ(DecodedLines({DiagFrame(0x612, {0xF1, 0x00}), DiagFrame(0x612, {0xF1, 0x06, 1, 2, 3, 4, 5, 6}),
                          DiagFrame(0x612, {0xF1, 0x07, 1, 2, 3, 4, 5, 6}), DiagFrame(0x612, {0xF1, 0x45, 1, 2, 3, 4, 5, 6})}),
            QStringList({"unit 6f1 Tester", "1 0 612 0 12 F1: ", "2 0 612 6 12 F1: 01 02 03 04 05 06",
                         "3 0 612 7 12 F1: 01 02 03 04 05 06 00",
                         "4 0 612 69 12 F1: 01 02 03 04 05 06" + QString(" 00").repeated(63)}));
}

TEST_F(DiagnosticDecoderTest, FlowControlBetweenConsecutiveFramesIsSkippedAndMakesNoRow) {
  std::vector<TCanMsgProg> frames = MultiFrameMessage(0x612, 0xF1, 20);  // 5 + 6 + 6 + 3
  frames.insert(frames.begin() + 1, DiagFrame(0x6F1, {0x12, 0x30, 0x00, 0x02}));
  frames.insert(frames.begin() + 3, DiagFrame(0x6F1, {0x12, 0x31, 0x00, 0x00}));
  frames.insert(frames.begin() + 4, DiagFrame(0x6F1, {0x12, 0x32}));
  EXPECT_EQ(DecodedLines(frames), QStringList({"unit 6f1 Tester", "1 0 612 20 12 F1: " + CountingHex(0, 20)}));
  // Outside a message, a tester's flow-control frame leaves its control unit without messages;
  // another sender's is ignored.
  EXPECT_EQ(DecodedLines({DiagFrame(0x6F1, {0x12, 0x30})}), QStringList({"unit 612 Engine"}));
  EXPECT_EQ(DecodedLines({DiagFrame(0x612, {0xF1, 0x30}), DiagFrame(0x6F1, {0x40, 0x31}), DiagFrame(0x6F1, {0x12, 0x01, 0x3E})}),
            QStringList({"unit 640", "unit 612 Engine", "1 0 6F1 1 F1 12: 3E"}));
}

TEST_F(DiagnosticDecoderTest, SequenceNumbersRunOnPast2AAndWrapTo20UntilTheLengthIsFilled) {
  const auto frames68 = MultiFrameMessage(0x612, 0xF1, 68);
  ASSERT_EQ(frames68.back().Data[1], 0x2B);
  EXPECT_EQ(DecodedLines(frames68), QStringList({"unit 6f1 Tester", "1 0 612 68 12 F1: " + CountingHex(0, 68)}));

  const auto frames255 = MultiFrameMessage(0x612, 0xF1, 255);
  ASSERT_EQ(std::count_if(frames255.begin(), frames255.end(), [](const auto& f) { return f.Data[1] == 0x20; }), 2);
  // A frame after the last one of the message is a message of its own again.
  EXPECT_EQ(DecodedLines(Join({frames255, {DiagFrame(0x612, {0xF1, 0x01, 0x50})}})),
            QStringList({"unit 6f1 Tester", "1 0 612 255 12 F1: " + CountingHex(0, 255), "2 0 612 1 12 F1: 50"}));
}

TEST_F(DiagnosticDecoderTest, InterleavedAnswersOfThreeControlUnitsWithFlowControlAreEachComplete) {
  const auto a = MultiFrameMessage(0x640, 0xF1, 30), b = MultiFrameMessage(0x641, 0xF1, 45), c = MultiFrameMessage(0x642, 0xF1, 20);
  std::vector<TCanMsgProg> frames{DiagFrame(0x6F1, {0xDF, 0x03, 0x22, 0xF1, 0x01})};
  for (std::size_t i = 0; i < 8; ++i)
    for (const auto* message : {&b, &a, &c}) {
      if (i >= message->size()) continue;
      frames.push_back((*message)[i]);
      if (i == 0) frames.push_back(DiagFrame(0x6F1, {(*message)[i].Data[0], 0x30, 0x00, 0x02}));
    }
  EXPECT_EQ(DecodedLines(frames), QStringList({"unit 6df", "1 0 6F1 3 F1 DF: 22 F1 01", "2 0 641 45 41 F1: " + CountingHex(0, 45),
                                               "3 0 640 30 40 F1: " + CountingHex(0, 30),
                                               "4 0 642 20 42 F1: " + CountingHex(0, 20)}));
}

TEST_F(DiagnosticDecoderTest, PeriodicFramesOfOtherIdentifiersNeitherContinueNorEndAMessage) {
  const auto message = MultiFrameMessage(0x612, 0xF1, 17);
  const TCanMsgProg lookalike = DiagFrame(0x1A6, {0x00, 0x22, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE});
  const TCanMsgProg periodic = DiagFrame(0x2BF, {0x00, 0x00, 0x00});
  // A look-alike consecutive frame continues no message of its own identifier and is ignored;
  // the periodic frame is a message of length 0 numbered after the first frame.
  EXPECT_EQ(DecodedLines({message[0], lookalike, periodic, message[1], lookalike, message[2]}),
            QStringList({"unit 6f1 Tester", "1 0 612 17 12 F1: " + CountingHex(0, 17), "2 0 2BF 0 BF 00: "}));
}

TEST_F(DiagnosticDecoderTest, AnUnexpectedFrameOfTheSenderEndsItsMessageWithTheMissingBytesZero) {
  const auto message = MultiFrameMessage(0x612, 0xF1, 20);
  const QString first11 = CountingHex(0, 11);
  // 0x23 where 0x22 is due: the message ends, and the stray frame continues nothing.
  EXPECT_EQ(DecodedLines({message[0], message[1], message[3]}),
            QStringList({"unit 6f1 Tester", "1 0 612 20 12 F1: " + first11 + QString(" 00").repeated(9)}));
  // A new first frame of the sender ends the pending message and starts its own.
  EXPECT_EQ(DecodedLines({message[0], message[1], message[0], message[1], message[2], message[3]}),
            QStringList({"unit 6f1 Tester", "1 0 612 20 12 F1: " + first11 + QString(" 00").repeated(9),
                         "2 0 612 20 12 F1: " + CountingHex(0, 20)}));
  // The trace ending mid-message keeps what arrived; consecutive frames of no message are ignored.
  EXPECT_EQ(DecodedLines({DiagFrame(0x612, {0xF1, 0x21, 1, 2}), DiagFrame(0x612, {0xF1, 0x2F}), message[0]}),
            QStringList({"unit 6f1 Tester", "1 0 612 20 12 F1: " + CountingHex(0, 5) + QString(" 00").repeated(15)}));
}

TEST_F(DiagnosticDecoderTest, StandardAndExtendedFramesOfOneNumberAreDifferentSenders) {
  TCanMsgProg extended = DiagFrame(0x612, {0xF1, 0x21, 9, 9, 9, 9, 9, 9});
  extended.Extended = true;
  const auto message = MultiFrameMessage(0x612, 0xF1, 11);
  EXPECT_EQ(DecodedLines({message[0], extended, message[1]}),
            QStringList({"unit 6f1 Tester", "1 0 612 11 12 F1: " + CountingHex(0, 11)}));
}

TEST_F(DiagnosticDecoderTest, DecodingTheTraceTwiceGivesTheSameRowsNumberedFromOne) {
  TTrafficViews views(TTrafficSeams{[] { return false; }, [] { return false; }, [] {}});
  for (const TCanMsgProg& frame : MultiFrameMessage(0x612, 0xF1, 12)) views.Trace().AddToTrace(frame, true);
  views.Trace().AddToTrace(DiagFrame(0x6F1, {0x12, 0x02, 0x1A, 0x80}), false);  // sent by us
  TFormatDataTreeModel tree(List);
  QAbstractItemModelTester treeTester(&tree, QAbstractItemModelTester::FailureReportingMode::Fatal);
  const QStringList expected{"unit 6f1 Tester", "1 0 612 12 12 F1: " + CountingHex(0, 12), "unit 612 Engine",
                             "2 0 6F1 2 F1 12: 1A 80"};
  DecodeTrace(views.Trace(), List);
  EXPECT_EQ(RowLines(List), expected);
  DecodeTrace(views.Trace(), List);
  EXPECT_EQ(RowLines(List), expected);
  ASSERT_EQ(tree.rowCount(), 2);
  EXPECT_EQ(tree.rowCount(tree.index(0, 0)), 1);
  EXPECT_EQ(tree.index(0, TFormatDataList::colLen, tree.index(1, 0)).data().toString(), "2");
  List.Clear();
  EXPECT_EQ(tree.rowCount(), 0);
  EXPECT_EQ(List.Model().rowCount(), 0);
}

// At 108.537 s a tester asks three control units, which answer with interleaved multi-frame
// messages and a wait among the tester's flow-control frames.
TEST_F(DiagnosticDecoderTest, InterleavedAnswersOfARealCaptureComeOutComplete) {
  Decode(List, CaptureFrames(TestDataPath("f11-kcan.log").c_str()));
  QStringList answers, requests;
  for (std::size_t row = 0; row < List.RowCount(); ++row) {
    const TFormatDataRow& record = List.Row(row);
    if (record.Kind != TFormatDataKind::Message) continue;
    if (record.ID >= 0x667 && record.ID <= 0x678) answers << RowLine(List, row);
    if (record.ID == 0x6F0) requests << RowLine(List, row);
  }
  ASSERT_EQ(answers.size(), 3) << answers.join('\n').toStdString();
  EXPECT_TRUE(answers[0].contains(" 108542 673 68 73 F0: 62 F1 01 01 01 00 06 14 07 01 8A 80 00 01 00 00 01 23 00"))
      << answers[0].toStdString();
  EXPECT_TRUE(answers[0].endsWith("05 05 00 00 01 86 07 05 00")) << answers[0].toStdString();
  EXPECT_TRUE(answers[1].contains(" 108547 667 52 67 F0: 62 F1 01 01 01 00 04 10 09 18 8B 00 21 00")) << answers[1].toStdString();
  EXPECT_TRUE(answers[1].endsWith("03 05 00 02 00 00 02 09 FF FF FF")) << answers[1].toStdString();
  EXPECT_TRUE(answers[2].contains(" 108554 678 60 78 F0: 62 F1 01 01 01 00 05 14 07 01 8A")) << answers[2].toStdString();
  EXPECT_TRUE(answers[2].endsWith("00 00 01 D6 FF FF FF")) << answers[2].toStdString();
  // The tester's request before them: a single frame to the functional address. Its flow-control
  // frames, a wait (0x31) among them, make no rows.
  ASSERT_EQ(requests.size(), 2) << requests.join('\n').toStdString();
  EXPECT_TRUE(requests[0].endsWith(" 108537 6F0 3 F0 DF: 22 F1 01")) << requests[0].toStdString();
  EXPECT_TRUE(requests[1].endsWith(" 113617 6F0 3 F0 38: 22 F1 01")) << requests[1].toStdString();
}

}  // namespace

TEST_F(DiagnosticDecoderTest, ExportWritesTheCaptionsAndEveryRowInTreeOrderAsSemicolonText) {
  Decode(List, {DiagFrame(0x6F1, {0x12, 0x02, 0x1A, 0x80}, 1500)});
  const QString expected = QStringLiteral(";Pos;Time;ID;Len;Src;Trg;;Msg\r\nEngine;;;;;;;;\r\n;1;1500;6F1;2;F1;12;;1A 80\r\n");
  EXPECT_EQ(QString::fromUtf8(FormatDataCsvUtf8(List)), expected);

  QBuffer file;
  file.open(QIODevice::WriteOnly);
  WriteFormatDataCsv(List, file);
  const QByteArray bytes = file.data();
  ASSERT_GE(bytes.size(), 2);
  EXPECT_EQ(bytes.left(2), QByteArray("\xFF\xFE", 2));
  EXPECT_EQ(QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData() + 2), (bytes.size() - 2) / 2),
            expected + QStringLiteral("\r\n"));
}
