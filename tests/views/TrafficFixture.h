#pragma once
// The traffic lists as the window composes them, with counting seams and model testers.

#include <gtest/gtest.h>

#include "platform/UserMessage.h"
#include "support/QtTestApp.h"
#include "views/TrafficViews.h"

inline TCanMsgProg Frame(std::int64_t id, std::int32_t time, std::initializer_list<std::uint8_t> data = {0x11, 0x22},
                         bool extended = false, bool rtr = false) {
  TCanMsgProg msg;
  msg.CanId = id;
  msg.Extended = extended;
  msg.RTR = rtr;
  msg.DLC = static_cast<std::int32_t>(data.size());
  std::size_t i = 0;
  for (std::uint8_t b : data) msg.Data[i++] = b;
  msg.Time = time;
  return msg;
}

class TrafficFixture : public ::testing::Test {
 protected:
  TrafficFixture() {
    TestApp();
    Testers.Attach(&Views.IdFilter().Model());
    Testers.Attach(&Views.Monitor().Model());
    Testers.Attach(&Views.Trace().Model());
    Testers.Attach(&Views.CanIdDetails().Model());
  }

  QString MonitorCell(int modelRow, int column) { return Text(Views.Monitor().Model(), modelRow, column); }
  QString TraceCell(int modelRow, int column) { return Text(Views.Trace().Model(), modelRow, column); }
  QString FilterCell(int modelRow, int column) { return Text(Views.IdFilter().Model(), modelRow, column); }
  static QString Text(TRowModel& model, int row, int column) { return model.index(row, column).data().toString(); }

  void Receive(std::initializer_list<TCanMsgProg> frames) {
    Views.BeginDrain();
    for (const TCanMsgProg& msg : frames) Views.DispatchReceivedMessage(msg);
    Views.EndDrain();
  }

  bool Show8 = false;
  bool Connected = false;
  int Changes = 0;
  TModelTesters Testers;
  TTrafficViews Views{TTrafficSeams{[this] { return Show8; }, [this] { return Connected; }, [this] { ++Changes; }}};
};
