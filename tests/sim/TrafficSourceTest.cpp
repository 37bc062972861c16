#include <gtest/gtest.h>

#include <map>

#include "tools/sim/CandumpReplay.h"
#include "tools/sim/DemoScenario.h"
#include "tools/sim/FloodSource.h"

namespace {

std::vector<TTimedFrame> Collect(TTrafficSource& source, std::int64_t untilUs) {
  std::vector<TTimedFrame> frames;
  while (auto frame = source.Next(0)) {
    if (frame->DueUs > untilUs) break;
    frames.push_back(*frame);
  }
  return frames;
}

std::vector<std::uint8_t> Bytes(const TCanMsgProg& msg) {
  return {msg.Data.begin(), msg.Data.begin() + msg.DLC};
}

bool IsDiagnostic(const TCanMsgProg& msg) { return !msg.Extended && msg.CanId >= 0x600 && msg.CanId <= 0x6FF; }

}  // namespace

TEST(DemoScenario, DiagnosticRoundTalksIsoTpBetweenTesterAndUnits) {
  TDemoScenario demo;
  std::vector<TCanMsgProg> diagnostic;
  for (const TTimedFrame& frame : Collect(demo, TDemoScenario::kDiagnosticPeriodUs))
    if (IsDiagnostic(frame.Msg)) diagnostic.push_back(frame.Msg);

  using B = std::vector<std::uint8_t>;
  ASSERT_EQ(diagnostic.size(), 8u);
  EXPECT_EQ(diagnostic[0].CanId, 0x6F1);
  EXPECT_EQ(Bytes(diagnostic[0]), (B{0x40, 0x02, 0x3E, 0x00})) << "target address in byte 0";
  EXPECT_EQ(diagnostic[1].CanId, 0x640);
  EXPECT_EQ(Bytes(diagnostic[1]), (B{0xF1, 0x02, 0x7E, 0x00})) << "single frame";
  EXPECT_EQ(diagnostic[2].CanId, 0x6F1);
  EXPECT_EQ(Bytes(diagnostic[2]), (B{0x12, 0x03, 0x22, 0xF1, 0x90}));
  EXPECT_EQ(diagnostic[3].CanId, 0x612);
  EXPECT_EQ(diagnostic[3].Data[1], 0x10) << "first frame";
  EXPECT_EQ(diagnostic[3].Data[2], 20) << "length of the whole answer";
  EXPECT_EQ(diagnostic[4].CanId, 0x6F1);
  EXPECT_EQ(Bytes(diagnostic[4]), (B{0x12, 0x30, 0x00, 0x00})) << "flow control from the tester";
  B answer(diagnostic[3].Data.begin() + 3, diagnostic[3].Data.end());
  for (std::size_t i = 5; i < 8; ++i) {
    EXPECT_EQ(diagnostic[i].CanId, 0x612);
    EXPECT_EQ(diagnostic[i].Data[0], 0xF1);
    EXPECT_EQ(diagnostic[i].Data[1], 0x21 + (i - 5)) << "consecutive frames count 0x21, 0x22, ...";
    answer.insert(answer.end(), diagnostic[i].Data.begin() + 2, diagnostic[i].Data.begin() + diagnostic[i].DLC);
  }
  ASSERT_EQ(answer.size(), 20u);
  EXPECT_EQ(std::string(answer.begin() + 3, answer.end()), "WFLXDEMO0SIM00001");
}

TEST(DemoScenario, LongAnswerSequenceNumbersWrapAfterF) {
  const auto frames = TDemoScenario::DiagnosticExchange(0x12, {0x22, 0xF1, 0x90}, std::vector<std::uint8_t>(5 + 6 * 17, 0xAA));
  ASSERT_EQ(frames.size(), 3u + 17u);
  EXPECT_EQ(frames[3 + 14].Msg.Data[1], 0x2F);
  EXPECT_EQ(frames[3 + 15].Msg.Data[1], 0x20);
  EXPECT_EQ(frames[3 + 16].Msg.Data[1], 0x21);
  for (std::size_t i = 1; i < frames.size(); ++i) EXPECT_GT(frames[i].DueUs, frames[i - 1].DueUs);
}

TEST(DemoScenario, PeriodicFramesAtTheirRatesWithChangingData) {
  TDemoScenario demo;
  const auto frames = Collect(demo, 10'000'000 - 1);
  std::map<std::int64_t, std::vector<TTimedFrame>> byId;
  for (std::size_t i = 0; i < frames.size(); ++i) {
    if (i > 0) {
      ASSERT_GE(frames[i].DueUs, frames[i - 1].DueUs) << "in time order";
    }
    byId[frames[i].Msg.CanId].push_back(frames[i]);
  }
  EXPECT_EQ(byId[0x0A5].size(), 1000u);
  EXPECT_EQ(byId[0x1D0].size(), 100u);
  EXPECT_EQ(byId[0x3B4].size(), 10u);
  EXPECT_EQ(byId[0x18FEF100].size(), 100u);
  EXPECT_TRUE(byId[0x18FEF100].front().Msg.Extended);

  const auto& engine = byId[0x0A5];
  for (std::size_t i = 0; i < 20; ++i) {
    const TCanMsgProg& msg = engine[i].Msg;
    EXPECT_EQ(msg.Data[6], i % 15) << "rolling counter";
    unsigned sum = 0xA5;
    for (int b = 0; b < 7; ++b) sum += msg.Data[static_cast<std::size_t>(b)];
    EXPECT_EQ(msg.Data[7], static_cast<std::uint8_t>(sum)) << "checksum";
  }
  const auto& climate = byId[0x1D0];
  EXPECT_EQ(climate.front().Msg.Data[0], 20 + 48);
  EXPECT_EQ(climate.back().Msg.Data[0], 20 + 48) << "one degree per 10 s";
  TDemoScenario later;
  const auto minute = Collect(later, 60'000'000);
  EXPECT_GT(std::find_if(minute.rbegin(), minute.rend(), [](const TTimedFrame& f) { return f.Msg.CanId == 0x1D0; })
                ->Msg.Data[0],
            20 + 48 + 4);
}

TEST(CandumpReplay, OriginalPaceAndLooping) {
  std::vector<TCandumpFrame> log(3);
  log[0].TimeUs = 62'000'000;
  log[1].TimeUs = 62'000'500;
  log[2].TimeUs = 62'250'000;
  for (std::size_t i = 0; i < 3; ++i) log[i].Msg.CanId = static_cast<std::int64_t>(0x100 + i);

  TCandumpReplay once(log, false);
  std::vector<std::int64_t> due;
  while (auto frame = once.Next(0)) due.push_back(frame->DueUs);
  EXPECT_EQ(due, (std::vector<std::int64_t>{0, 500, 250'000}));

  TCandumpReplay looping(log, true);
  due.clear();
  std::vector<std::int64_t> ids;
  for (int i = 0; i < 7; ++i) {
    const auto frame = looping.Next(0);
    ASSERT_TRUE(frame);
    due.push_back(frame->DueUs);
    ids.push_back(frame->Msg.CanId);
  }
  const std::int64_t round = 250'000 + TCandumpReplay::kLoopGapUs;
  EXPECT_EQ(due, (std::vector<std::int64_t>{0, 500, 250'000, round, round + 500, round + 250'000, 2 * round}));
  EXPECT_EQ(ids[3], 0x100);

  std::vector<TCandumpFrame> backwards = log;
  backwards[1].TimeUs = 61'000'000;  // merged from two interfaces
  TCandumpReplay merged(backwards, false);
  EXPECT_EQ(merged.Next(0)->DueUs, 0);
  EXPECT_EQ(merged.Next(0)->DueUs, 0) << "never earlier than the frame before";
  EXPECT_FALSE(TCandumpReplay({}, true).Next(0));
}

TEST(FloodSource, AlwaysDueNowOverHundredIdentifiers) {
  TFloodSource flood;
  const auto first = flood.Next(42);
  ASSERT_TRUE(first);
  EXPECT_EQ(first->DueUs, 42);
  EXPECT_EQ(first->Msg.CanId, 0x100);
  for (int i = 1; i < TFloodSource::kIdentifiers; ++i) (void)flood.Next(43);
  const auto wrapped = flood.Next(44);
  EXPECT_EQ(wrapped->Msg.CanId, 0x100);
  EXPECT_EQ(wrapped->Msg.Data[0], TFloodSource::kIdentifiers);
}

TEST(FloodSource, BoundedRateKeepsItsPaceAndNumbersEveryFrame) {
  TFloodSource flood(20'000);
  std::vector<TTimedFrame> frames;
  for (int i = 0; i < 300'000; ++i) frames.push_back(*flood.Next(999'999'999));
  EXPECT_EQ(frames[0].DueUs, 0) << "a paced flood ignores the clock it is asked at";
  EXPECT_EQ(frames[1].DueUs, 50);
  // Derived from the count: after 15 s of frames the pace has not drifted by a microsecond.
  EXPECT_EQ(frames[299'999].DueUs, 14'999'950);
  for (std::size_t i = 0; i < frames.size(); i += 65'537) EXPECT_EQ(TFloodSource::SequenceOf(frames[i].Msg), i);

  TFloodSource odd(3);  // a rate that does not divide a second
  EXPECT_EQ(odd.Next(0)->DueUs, 0);
  EXPECT_EQ(odd.Next(0)->DueUs, 333'333);
  EXPECT_EQ(odd.Next(0)->DueUs, 666'666);
  EXPECT_EQ(odd.Next(0)->DueUs, 1'000'000);
}

TEST(FloodSource, SequenceNumberUsesAllEightDataBytes) {
  TCanMsgProg msg;
  for (int i = 0; i < 8; ++i) msg.Data[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(0x11 * (i + 1));
  EXPECT_EQ(TFloodSource::SequenceOf(msg), 0x8877665544332211ULL);
}
