#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "filters/HwFilterList.h"
#include "model/CanText.h"
#include "storage/ListFileSupport.h"
#include "transmit/PredefinedMessageData.h"
#include "transmit/TriggerLogData.h"
#include "views/TrafficFixture.h"

namespace {

constexpr std::uint8_t kUnchecked = 0, kChecked = 2;
constexpr std::uint8_t kNoCheck = 0, kCheckBox = 2;

TTraceData TraceRecord(std::int64_t id) {
  TTraceData record;
  record.Msg = Frame(id, 4711);
  record.Received = true;
  return record;
}

THwFilterData HwRecord(std::int64_t code, bool active) {
  THwFilterData record;
  record.Active = active ? 1 : 0;
  record.FilterType = THwFilterType::Extended;
  record.Code = code;
  record.Mask = 0x1FFFFFFF;
  record.Description.Set(QStringLiteral("engine"));
  return record;
}

std::string Rejection(const TBytes& bytes, std::size_t recordSize = sizeof(TTraceData)) {
  try {
    (void)ReadBytes(bytes, recordSize);
  } catch (const TTreeFileError& error) {
    return error.what();
  }
  return "accepted";
}

class ListFileFixture : public TrafficFixture {};

}  // namespace

// --- bytes as the tables lay them out ------------------------------------------------------

TEST_F(ListFileFixture, EmptyListIsTheSixteenByteHeaderAndLoadingItEmptiesTheList) {
  const TBytes empty = Header(2, 0);
  ASSERT_EQ(empty.size(), 16u);
  EXPECT_EQ(WriteToBytes(Views.Trace()), empty);
  EXPECT_EQ((TBytes{empty.begin(), empty.begin() + 12}),
            (TBytes{0x45, 0x20, 0x56, 0x00, 0x54, 0x00, 0x02, 0x00, 0x20, 0x00, 0x46, 0x20}));

  Receive({Frame(0x123, 1), Frame(0x124, 2)});
  ASSERT_EQ(Views.Trace().RowCount(), 2u);
  ReadBytes(empty, sizeof(TTraceData)).ApplyTo(Views.Trace());
  EXPECT_EQ(Views.Trace().RowCount(), 0u);
}

TEST_F(ListFileFixture, TraceRowTakesNinetyFiveBytesWithItsIdentifierAsCaption) {
  Receive({Frame(0x123, 4711)});
  ASSERT_EQ(Views.Trace().RowCount(), 1u);
  const TTraceData& row = Views.Trace().Row(0);

  const TBytes node = Node({Base(0x0081, kUnchecked, kNoCheck), User(row), Caption(QStringLiteral("123"))});
  ASSERT_EQ(node.size(), 95u);
  EXPECT_EQ(node[4], 87);
  TBytes golden = Header(2, 1);
  Put(golden, node);
  EXPECT_EQ(WriteToBytes(Views.Trace()), golden);

  const TLoadedRows loaded = ReadBytes(golden, sizeof(TTraceData));
  ASSERT_EQ(loaded.Count(), 1u);
  EXPECT_TRUE(SameBytes(row, loaded.Record(0)));
  EXPECT_EQ(loaded.State(0).Flags, 0x0081);
}

TEST(ListFile, HardwareFilterRowHasNoCaptionAndKeepsItsCheckBoxInTheBaseChunk) {
  THwFilterList filters({}, [] { return 2; });
  filters.BeginLoad();
  const THwFilterData on = HwRecord(0x100, true), off = HwRecord(0x200, false);
  filters.AppendLoadedRow(&on, TRowState::CheckBox(true));
  filters.AppendLoadedRow(&off, TRowState::CheckBox(false));
  filters.EndLoad();

  const TBytes first = Node({Base(0x0081, kChecked, kCheckBox), User(HwRecord(0x100, true))});
  ASSERT_EQ(first.size(), 8u + 313u);
  EXPECT_EQ(first[4] | first[5] << 8, 313);
  TBytes golden = Header(2, 2);
  Put(golden, first);
  Put(golden, Node({Base(0x0081, kUnchecked, kCheckBox), User(HwRecord(0x200, false))}));
  EXPECT_EQ(WriteToBytes(filters), golden);

  THwFilterList reloaded({}, [] { return 2; });
  ReadBytes(golden, sizeof(THwFilterData)).ApplyTo(reloaded);
  ASSERT_EQ(reloaded.RowCount(), 2u);
  EXPECT_TRUE(reloaded.RowState(0).Checked());
  EXPECT_FALSE(reloaded.RowState(1).Checked());
  EXPECT_EQ(reloaded.RowState(0).CheckType, TCheckType::ctCheckBox);
  EXPECT_EQ(reloaded.Row(0).Active, 1);
  EXPECT_EQ(reloaded.Row(1).Active, 0);
  EXPECT_EQ(reloaded.Row(0).Description.ToString(), QStringLiteral("engine"));
}

TEST(ListFile, SelectionIsStoredButNotRestoredAndSearchHiddenRowsStayHidden) {
  TPlainList<TTraceData> trace([](const TTraceData& r) { return CanIdToText(r.Msg.Extended, r.Msg.CanId); });
  TRowState hidden;
  hidden.Flags = RowFlag::vsInitialized;
  trace.Add(TraceRecord(0x100), {});
  trace.Add(TraceRecord(0x200), hidden);
  // Transient flags (vsChecking 0x2, vsHeightMeasured 0x2000) never reach the file.
  TRowState transient;
  transient.Flags |= 0x2002;
  trace.Add(TraceRecord(0x300), transient);
  trace.SelectRow(0);

  const TBytes bytes = WriteToBytes(trace);
  TBytes golden = Header(2, 3);
  Put(golden, Node({Base(0x0181, kUnchecked, kNoCheck), User(TraceRecord(0x100)), Caption(QStringLiteral("100"))}));
  Put(golden, Node({Base(0x0001, kUnchecked, kNoCheck), User(TraceRecord(0x200)), Caption(QStringLiteral("200"))}));
  Put(golden, Node({Base(0x0081, kUnchecked, kNoCheck), User(TraceRecord(0x300)), Caption(QStringLiteral("300"))}));
  EXPECT_EQ(bytes, golden);

  const TLoadedRows loaded = ReadBytes(bytes, sizeof(TTraceData));
  EXPECT_EQ(loaded.State(0).Flags, 0x0081);
  EXPECT_FALSE(loaded.State(1).Visible());
  EXPECT_EQ(loaded.State(1).Flags, 0x0001);
}

TEST(ListFile, OlderLayoutWithoutCountReadsRowsUntilTheEnd) {
  const auto base1 = [](std::uint8_t flags, std::uint8_t check) {
    TBytes body;
    Put(body, 0, 4);
    Put(body, 18, 4);
    body.insert(body.end(), {flags, 50, check, kCheckBox});
    return Chunk(2, body);
  };
  TBytes file = Header(1, 0);
  ASSERT_EQ(file.size(), 12u);
  Put(file, Node({base1(0x01, kChecked), User(HwRecord(0x11, true))}));
  Put(file, Node({base1(0x81, kUnchecked), User(HwRecord(0x22, false))}));

  const TLoadedRows loaded = ReadBytes(file, sizeof(THwFilterData));
  ASSERT_EQ(loaded.Count(), 2u);
  EXPECT_EQ(loaded.State(0).Flags, 0x0081);  // visible added
  EXPECT_EQ(loaded.State(1).Flags, 0x0081);  // selected added, then cleared
  EXPECT_TRUE(loaded.State(0).Checked());
  EXPECT_FALSE(loaded.State(1).Checked());
  EXPECT_TRUE(SameBytes(HwRecord(0x22, false), loaded.Record(1)));
}

TEST(ListFile, UserChunksOfOtherSizesAreReadAtRecordSizeAndLeftAtTheirEnd) {
  // Larger: the surplus is passed over.
  TBytes larger = User(TraceRecord(0x100));
  larger[4] = 48;
  larger.insert(larger.end(), 8, 0xEE);
  TBytes file = Header(2, 2);
  Put(file, Node({Base(0x0081, 0, 0), larger}));
  // Smaller: the record's tail comes from the bytes after the chunk.
  const TTraceData second = TraceRecord(0x200);
  TBytes smallerBody;
  PutRecord(smallerBody, second);
  smallerBody.resize(32);  // the frame only
  const TBytes caption = Caption(QStringLiteral("200"));
  Put(file, Node({Base(0x0081, 0, 0), Chunk(4, smallerBody), caption}));

  const TLoadedRows loaded = ReadBytes(file, sizeof(TTraceData));
  ASSERT_EQ(loaded.Count(), 2u);
  EXPECT_TRUE(SameBytes(TraceRecord(0x100), loaded.Record(0)));
  EXPECT_EQ(std::memcmp(loaded.Record(1), &second, 32), 0);
  EXPECT_EQ(std::memcmp(loaded.Record(1) + 32, caption.data(), 8), 0);
}

TEST(ListFile, EveryRejectionCarriesItsMessage) {
  const TBytes row = Node({Base(0x0081, 0, 0), User(TraceRecord(0x100))});
  TBytes good = Header(2, 1);
  Put(good, row);
  ASSERT_EQ(Rejection(good), "accepted");

  EXPECT_EQ(Rejection(TBytes(good.begin(), good.begin() + 11)), TreeFileMessage::kNotEnoughData);
  TBytes wrong = good;
  wrong[2] = 'X';
  EXPECT_EQ(Rejection(wrong), TreeFileMessage::kWrongFormat);
  TBytes unchecked = good;
  unchecked[8] = 'Y';  // the fifth character is not checked
  EXPECT_EQ(Rejection(unchecked), "accepted");
  TBytes version3 = good;
  version3[6] = 3;
  EXPECT_EQ(Rejection(version3), TreeFileMessage::kUnknownVersion);

  TBytes noAnchor = Header(2, 1);
  Put(noAnchor, Base(0x0081, 0, 0));
  EXPECT_EQ(Rejection(noAnchor), TreeFileMessage::kAnchorMissing);
  TBytes shortNode = good;
  shortNode[16 + 4] -= 4;  // the node ends inside its user chunk
  EXPECT_EQ(Rejection(shortNode), TreeFileMessage::kDataAfterEnd);
  TBytes negative = Header(2, 1);
  Put(negative, Chunk(1, Base(0x0081, 0, 0), -8));
  EXPECT_EQ(Rejection(negative), TreeFileMessage::kDataAfterEnd);
  // A sub-chunk claiming a negative size is passed as empty instead of walking backwards.
  TBytes backwards = Header(2, 1);
  Put(backwards, Node({Base(0x0081, 0, 0), Chunk(7, {}, -100), User(TraceRecord(0x100))}));
  EXPECT_EQ(Rejection(backwards), "accepted");

  EXPECT_EQ(Rejection(TBytes(good.begin(), good.begin() + 14)), "Stream read error");  // inside the count
  EXPECT_EQ(Rejection(TBytes(good.begin(), good.end() - 10)), "Stream read error");  // inside the record

  try {
    (void)ReadTreeFile(QStringLiteral("/nonexistent/x.tr1"), 40);
    ADD_FAILURE();
  } catch (const TTreeFileError& error) {
    EXPECT_TRUE(QString::fromUtf8(error.what()).startsWith(QStringLiteral("Cannot open file \"/nonexistent/x.tr1\".")));
  }
}

TEST(ListFile, CountBeyondTheRowsStopsAtTheEndOfTheFile) {
  TBytes file = Header(2, 1000000);
  Put(file, Node({Base(0x0081, 0, 0), User(TraceRecord(0x100))}));
  EXPECT_EQ(ReadBytes(file, sizeof(TTraceData)).Count(), 1u);
}

// --- round trips of the six lists ----------------------------------------------------------

template <typename TList>
void ExpectSameRows(const TList& saved, const TList& loaded) {
  ASSERT_EQ(loaded.RowCount(), saved.RowCount());
  for (std::size_t i = 0; i < saved.RowCount(); ++i) {
    EXPECT_TRUE(SameBytes(saved.Row(i), loaded.RecordBytes(i))) << "row " << i;
    EXPECT_EQ(loaded.RowState(i).CheckState, saved.RowState(i).CheckState) << "row " << i;
    EXPECT_EQ(loaded.RowState(i).CheckType, saved.RowState(i).CheckType) << "row " << i;
    EXPECT_EQ(loaded.RowState(i).Flags, saved.RowState(i).Flags & ~RowFlag::vsSelected) << "row " << i;
  }
}

TEST_F(ListFileFixture, TrafficListsAndSoftwareFilterSurviveAFile) {
  QTemporaryDir dir;
  Receive({Frame(0x123, 1), Frame(0x18FEF100, 2, {1, 2, 3, 4, 5, 6, 7, 8}, true), Frame(0x123, 9, {}, false, true)});
  Views.IdFilter().SetRowChecked(0, false);
  ASSERT_EQ(Views.Trace().RowCount(), 3u);

  TTrafficViews other{TTrafficSeams{[] { return false; }, [] { return false; }, [] {}}};
  Testers.Attach(&other.IdFilter().Model());
  Testers.Attach(&other.Monitor().Model());
  Testers.Attach(&other.Trace().Model());
  for (auto [list, copy, name] : {std::tuple<TRowListBase*, TRowListBase*, const char*>{&Views.IdFilter(), &other.IdFilter(), "a.sf1"},
                                  {&Views.Monitor(), &other.Monitor(), "a.mo1"},
                                  {&Views.Trace(), &other.Trace(), "a.tr1"}}) {
    SaveTreeFile(dir.filePath(QString::fromLatin1(name)), *list);
    LoadTreeFile(dir.filePath(QString::fromLatin1(name)), *copy);
  }
  ExpectSameRows(Views.IdFilter(), other.IdFilter());
  ExpectSameRows(Views.Monitor(), other.Monitor());
  ExpectSameRows(Views.Trace(), other.Trace());
  EXPECT_FALSE(other.IdFilter().RowState(0).Checked());
  // The reloaded lists rebuilt their lookups: the next frame of 0x123 updates its monitor row.
  other.BeginDrain();
  other.DispatchReceivedMessage(Frame(0x123, 20));
  other.EndDrain();
  EXPECT_EQ(other.Monitor().RowCount(), 2u);
  EXPECT_EQ(other.IdFilter().RowCount(), 2u);
}

TEST(ListFile, PredefinedMessagesTriggerLogAndHardwareFiltersSurviveAFile) {
  QTemporaryDir dir;
  const auto kindCaption = [](const TPredefinedMessageData& r) {
    static const QString names[] = {QStringLiteral("Timer"), QStringLiteral("Message"), QStringLiteral("Hot Key")};
    return r.TriggerType < 3 ? names[r.TriggerType] : QStringLiteral("Node");
  };
  TPlainList<TPredefinedMessageData> predefined(kindCaption), predefinedCopy;
  for (std::uint8_t kind : {0, 1, 2, 7}) {
    TPredefinedMessageData r;
    r.Enabled = kind % 2;
    r.TriggerType = kind;
    r.Period = 100 * kind;
    r.Message = Frame(0x700 + kind, 0, {kind, 0xAA});
    r.Description.Set(QStringLiteral("Tür %1").arg(kind));
    r.LogText.Set(QStringLiteral("log"));
    r.HotKey = 0x4000 | 'A';
    predefined.Add(r, TRowState::CheckBox(kind % 2 == 1));
  }
  TPlainList<TTriggerLogData> log([](const TTriggerLogData&) { return QStringLiteral("12:34:56.789"); }), logCopy;
  TTriggerLogData entry;
  entry.TimeStamp = 46000.5;
  entry.Text.Set(QStringLiteral("sent"));
  log.Add(entry, {});
  THwFilterList hw({}, [] { return 2; }), hwCopy({}, [] { return 2; });
  hw.BeginLoad();
  const THwFilterData record = HwRecord(0x7E8, true);
  hw.AppendLoadedRow(&record, TRowState::CheckBox(true));
  hw.EndLoad();

  SaveTreeFile(dir.filePath(QStringLiteral("a.pm1")), predefined);
  SaveTreeFile(dir.filePath(QStringLiteral("a.lm1")), log);
  SaveTreeFile(dir.filePath(QStringLiteral("a.hf1")), hw);
  LoadTreeFile(dir.filePath(QStringLiteral("a.pm1")), predefinedCopy);
  LoadTreeFile(dir.filePath(QStringLiteral("a.lm1")), logCopy);
  LoadTreeFile(dir.filePath(QStringLiteral("a.hf1")), hwCopy);
  ExpectSameRows(predefined, predefinedCopy);
  ExpectSameRows(log, logCopy);
  ExpectSameRows(hw, hwCopy);

  // 632-byte records with "Timer" … "Node" captions; 264-byte records with the time.
  QFile pm1(dir.filePath(QStringLiteral("a.pm1")));
  ASSERT_TRUE(pm1.open(QIODevice::ReadOnly));
  EXPECT_EQ(pm1.size(), 16 + 4 * (8 + 25 + 8 + 632) + (8 + 10) + 2 * (8 + 14) + (8 + 8));
  QFile lm1(dir.filePath(QStringLiteral("a.lm1")));
  ASSERT_TRUE(lm1.open(QIODevice::ReadOnly));
  EXPECT_EQ(lm1.size(), 16 + 8 + 25 + 8 + 264 + 8 + 24);
}

TEST(ListFile, AFailedLoadLeavesTheListAndAFailedSaveLeavesTheOldFile) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("a.hf1"));
  THwFilterList hw({}, [] { return 2; });
  hw.BeginLoad();
  const THwFilterData record = HwRecord(0x7E8, true);
  hw.AppendLoadedRow(&record, TRowState::CheckBox(true));
  hw.EndLoad();
  SaveTreeFile(path, hw);

  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray good = file.readAll();
  file.close();
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(good.left(good.size() - 20));  // cut inside the record
  file.close();
  EXPECT_THROW(LoadTreeFile(path, hw), TTreeFileError);
  ASSERT_EQ(hw.RowCount(), 1u);
  EXPECT_EQ(hw.Row(0).Code, 0x7E8);

  EXPECT_THROW(SaveTreeFile(dir.filePath(QStringLiteral("missing/a.hf1")), hw), TTreeFileError);
}
