#pragma once
// The built-in demo bus: a few control units sending periodic frames, and a diagnostic
// tester that questions two of them every few seconds.
//
//   0x0A5   10 ms  engine: speed, throttle, rolling counter (low nibble of byte 6), checksum
//   0x1D0  100 ms  climate: coolant temperature rising slowly to 90 °C, outside temperature,
//                  sequence, fan mode (top two bits of byte 3) stepping every 5 s
//   0x3B4    1 s   power: battery voltage in mV, seconds running
//   18FEF100 100 ms gateway (extended): counter and checksum
//   0x6F1  tester: requests with the target address in data byte 0, flow control 0x30
//   0x600 + target  answers: single frame, or first frame 0x10 and consecutive frames 0x21...
//
// demo-bus.dbc beside this file describes these signals; it is installed with the program.
//
// Every kDiagnosticPeriodUs the tester sends "tester present" to 0x40 (a single-frame answer)
// and then asks 0x12 for its identification (a segmented answer).

#include <cstddef>
#include <functional>
#include <vector>

#include "tools/sim/TrafficSource.h"

class TDemoScenario : public TTrafficSource {
 public:
  static constexpr std::int64_t kDiagnosticPeriodUs = 5'000'000;
  static constexpr std::int64_t kTesterId = 0x6F1;
  static constexpr std::uint8_t kTesterAddress = 0xF1;

  TDemoScenario();
  [[nodiscard]] std::optional<TTimedFrame> Next(std::int64_t nowUs) override;

  // One tester exchange with a control unit, starting at 0: the request, then the answer
  // split into frames (with the tester's flow control after a first frame).
  [[nodiscard]] static std::vector<TTimedFrame> DiagnosticExchange(std::uint8_t target,
                                                                   const std::vector<std::uint8_t>& request,
                                                                   const std::vector<std::uint8_t>& answer);

 private:
  struct TPeriodic {
    std::int64_t PeriodUs;
    std::int64_t NextUs;
    std::uint32_t Count = 0;
    std::function<TCanMsgProg(std::uint32_t count, std::int64_t timeUs)> Make;
  };

  void PlanDiagnosticRound();

  std::vector<TPeriodic> FPeriodic;
  std::vector<TTimedFrame> FDiagnostic;  // the current round, in time order
  std::size_t FDiagnosticIndex = 0;
  std::int64_t FNextRoundUs = 1'000'000;
};
