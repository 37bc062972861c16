#pragma once
// What the pipeline benchmarks share: the bus they receive from, the quiet seams of their
// traffic views, the whole receive path from driver to drain, and the application object.

#include <QApplication>

#include "CanPackage/source/ZelCanAdapter.h"
#include "CanPackage/source/ZelCanDriver.h"
#include "app/BMDThread.h"
#include "app/ReceivePipeline.h"
#include "views/TrafficViews.h"

// A saturated bus: every read delivers a burst of frames cycling over `ids` identifiers,
// until `total` frames were delivered; then the bus is idle.
class BusDriver : public TZelCanDriver {
 public:
  BusDriver(int ids, std::int64_t total) : FIds(ids), FTotal(total) {}
  std::int32_t ReadData(PCanMsgProgs& msgs) override {
    if (FSeq >= FTotal) return CanResult::NoMessage;
    for (int i = 0; i < 16 && FSeq < FTotal; ++i) {
      auto msg = std::make_unique<TCanMsgProg>();
      msg->CanId = 0x100 + FSeq % FIds;
      msg->DLC = 8;
      msg->Data[0] = static_cast<std::uint8_t>(FSeq);
      msg->Time = static_cast<std::int32_t>(FSeq / FIds % 60000);
      ++FSeq;
      msgs.push_back(std::move(msg));
    }
    return CanResult::FramesRead;
  }

 private:
  int FIds;
  std::int64_t FTotal;
  std::int64_t FSeq = 0;
};

// A received frame of a 100-identifier bus; `i` varies its data and time.
inline TCanMsgProg BenchFrame(std::int64_t i) {
  TCanMsgProg msg;
  msg.CanId = 0x100 + i % 100;
  msg.DLC = 8;
  for (int b = 0; b < 8; ++b) msg.Data[static_cast<std::size_t>(b)] = static_cast<std::uint8_t>(i >> (b * 3));
  msg.Time = static_cast<std::int32_t>(i % 60000);
  return msg;
}

inline TTrafficSeams QuietSeams() {
  return TTrafficSeams{[] { return false; }, [] { return false; }, [] {}};
}


// `frames` frames over `ids` identifiers from the driver through the reader thread and the
// queue into `views`, drain tick after drain tick; returns the frames drained.
inline std::int64_t ReceiveSaturatedBus(TTrafficViews& views, int ids, std::int64_t frames) {
  BusDriver driver(ids, frames);
  TZelCanAdapter facade;
  facade.SetAdapter(&driver);
  ReceiveQueue queue;
  TBMDThread thread;
  AttachReceiveLoop(thread, facade, queue);
  thread.Start();
  std::int64_t drained = 0;
  while (drained < frames) drained += static_cast<std::int64_t>(views.DrainTick(queue));
  thread.Stop();
  thread.WaitFor();
  return drained;
}

inline QApplication& BenchApp() {
  static int argc = 1;
  static char name[] = "ferrolux-bench";
  static char* argv[] = {name, nullptr};
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}
