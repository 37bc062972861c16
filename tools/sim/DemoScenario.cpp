#include "tools/sim/DemoScenario.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <string_view>

namespace {

constexpr std::int64_t kMs = 1000;

TCanMsgProg Frame(std::int64_t id, std::initializer_list<std::uint8_t> data, bool extended = false) {
  TCanMsgProg msg;
  msg.CanId = id;
  msg.Extended = extended;
  msg.DLC = static_cast<std::int32_t>(data.size());
  std::copy(data.begin(), data.end(), msg.Data.begin());
  return msg;
}

TCanMsgProg Frame(std::int64_t id, const std::vector<std::uint8_t>& data) {
  TCanMsgProg msg;
  msg.CanId = id;
  msg.DLC = static_cast<std::int32_t>(std::min<std::size_t>(data.size(), 8));
  std::copy_n(data.begin(), msg.DLC, msg.Data.begin());
  return msg;
}

// The last byte is the sum of the others plus the identifier's low byte.
void AddChecksum(TCanMsgProg& msg) {
  const int last = msg.DLC - 1;
  const unsigned sum = std::accumulate(msg.Data.begin(), msg.Data.begin() + last, static_cast<unsigned>(msg.CanId));
  msg.Data[static_cast<std::size_t>(last)] = static_cast<std::uint8_t>(sum);
}

std::uint8_t Low(unsigned value) { return static_cast<std::uint8_t>(value); }
std::uint8_t High(unsigned value) { return static_cast<std::uint8_t>(value >> 8); }

TCanMsgProg Engine(std::uint32_t count, std::int64_t timeUs) {
  const double seconds = static_cast<double>(timeUs) / 1e6;
  const auto rpm4 = static_cast<unsigned>((1500 + 700 * std::sin(seconds / 4)) * 4);  // 0.25 rpm units
  const auto throttle = static_cast<unsigned>(40 + 30 * std::sin(seconds / 4 + 0.5));
  TCanMsgProg msg = Frame(0x0A5, {Low(rpm4), High(rpm4), Low(throttle), 0, 0, 0, Low(count % 15), 0});
  AddChecksum(msg);
  return msg;
}

TCanMsgProg Climate(std::uint32_t count, std::int64_t timeUs) {
  const auto coolant = static_cast<unsigned>(std::min<std::int64_t>(20 + timeUs / 10'000'000, 90));  // 1 °C per 10 s
  const auto outside = static_cast<unsigned>(12 + (timeUs / 60'000'000) % 3);
  const auto fanMode = static_cast<unsigned>((timeUs / 5'000'000) % 4);  // off, low, high, auto
  return Frame(0x1D0, {Low(coolant + 48), Low(outside + 48), Low(count), Low(fanMode << 6)});
}

TCanMsgProg Power(std::uint32_t count, std::int64_t) {
  const unsigned millivolts = 14200 + (count % 7) * 15;
  return Frame(0x3B4, {Low(millivolts), High(millivolts), Low(count), High(count)});
}

TCanMsgProg Gateway(std::uint32_t count, std::int64_t) {
  TCanMsgProg msg = Frame(0x18FEF100, {Low(count), 0x00, 0xFF, 0x7D, 0x10, 0x00, Low(count >> 4), 0}, true);
  AddChecksum(msg);
  return msg;
}

}  // namespace

TDemoScenario::TDemoScenario() {
  FPeriodic.push_back({10 * kMs, 0, 0, Engine});
  FPeriodic.push_back({100 * kMs, 3 * kMs, 0, Climate});
  FPeriodic.push_back({1000 * kMs, 7 * kMs, 0, Power});
  FPeriodic.push_back({100 * kMs, 55 * kMs, 0, Gateway});
}

std::vector<TTimedFrame> TDemoScenario::DiagnosticExchange(std::uint8_t target, const std::vector<std::uint8_t>& request,
                                                           const std::vector<std::uint8_t>& answer) {
  std::vector<TTimedFrame> frames;
  std::vector<std::uint8_t> requestData{target, Low(static_cast<unsigned>(request.size()))};
  requestData.insert(requestData.end(), request.begin(), request.end());
  frames.push_back({0, Frame(kTesterId, requestData)});

  const std::int64_t unitId = 0x600 + target;
  std::int64_t at = 2 * kMs;
  if (answer.size() <= 6) {
    std::vector<std::uint8_t> single{kTesterAddress, Low(static_cast<unsigned>(answer.size()))};
    single.insert(single.end(), answer.begin(), answer.end());
    frames.push_back({at, Frame(unitId, single)});
    return frames;
  }
  std::vector<std::uint8_t> first{kTesterAddress, Low(0x10 | ((answer.size() >> 8) & 0x0F)),
                                  Low(static_cast<unsigned>(answer.size()))};
  first.insert(first.end(), answer.begin(), answer.begin() + 5);
  frames.push_back({at, Frame(unitId, first)});
  frames.push_back({at += kMs, Frame(kTesterId, {target, 0x30, 0x00, 0x00})});
  std::uint8_t sequence = 1;
  for (std::size_t offset = 5; offset < answer.size(); offset += 6) {
    std::vector<std::uint8_t> consecutive{kTesterAddress, Low(0x20u | sequence)};
    const std::size_t end = std::min(offset + 6, answer.size());
    consecutive.insert(consecutive.end(), answer.begin() + static_cast<std::ptrdiff_t>(offset),
                       answer.begin() + static_cast<std::ptrdiff_t>(end));
    frames.push_back({at += kMs, Frame(unitId, consecutive)});
    sequence = static_cast<std::uint8_t>((sequence + 1) & 0x0F);
  }
  return frames;
}

void TDemoScenario::PlanDiagnosticRound() {
  static const std::vector<std::uint8_t> kIdentification = [] {
    std::vector<std::uint8_t> answer{0x62, 0xF1, 0x90};
    for (char c : std::string_view("WFLXDEMO0SIM00001")) answer.push_back(static_cast<std::uint8_t>(c));
    return answer;
  }();
  FDiagnostic = DiagnosticExchange(0x40, {0x3E, 0x00}, {0x7E, 0x00});
  std::vector<TTimedFrame> identification = DiagnosticExchange(0x12, {0x22, 0xF1, 0x90}, kIdentification);
  for (TTimedFrame& frame : identification) frame.DueUs += 500 * kMs;
  FDiagnostic.insert(FDiagnostic.end(), identification.begin(), identification.end());
  for (TTimedFrame& frame : FDiagnostic) frame.DueUs += FNextRoundUs;
  FDiagnosticIndex = 0;
  FNextRoundUs += kDiagnosticPeriodUs;
}

std::optional<TTimedFrame> TDemoScenario::Next(std::int64_t) {
  if (FDiagnosticIndex == FDiagnostic.size()) PlanDiagnosticRound();
  auto periodic = std::min_element(FPeriodic.begin(), FPeriodic.end(),
                                   [](const TPeriodic& a, const TPeriodic& b) { return a.NextUs < b.NextUs; });
  if (FDiagnostic[FDiagnosticIndex].DueUs <= periodic->NextUs) return FDiagnostic[FDiagnosticIndex++];
  TTimedFrame frame{periodic->NextUs, periodic->Make(periodic->Count++, periodic->NextUs)};
  periodic->NextUs += periodic->PeriodUs;
  return frame;
}
