#pragma once
// The decoded signals of frames as semicolon text, UTF-8 with CR LF line ends, as ferrolux-cli
// prints them:
//
//   Time;ID;Message;Signal;Value;Unit;Raw;Text
//   1250;0A5;EngineData;EngineSpeed;1500.25;rpm;6001;
//   1250;0A5;EngineData;State;2;;2;Running
//
// One line per present signal, in the order of the message's definition; Time is the frame's
// Time in milliseconds, ID as the trace writes it, Value the shortest text that reads back as
// the same double, Raw the raw value in decimal, Text the value-table text. Cells holding ';',
// '"', CR or LF are quoted with their quotes doubled. Frames of unknown messages give nothing.

#include <QIODevice>
#include <vector>

#include "reports/OutputBuffer.h"
#include "signals/SignalCodec.h"
#include "signals/SignalDatabases.h"

class TSignalCsvWriter {
 public:
  TSignalCsvWriter(const TSignalDatabases& databases, QIODevice& out) : FDatabases(databases), FOut(out) {}

  void WriteCaptions();
  void WriteFrame(const TCanMsgProg& msg);
  // Hands what was written to the device; also done by the buffer every megabyte.
  void Flush() { FOut.Flush(); }

 private:
  void WriteSignal(const TMessageDef& message, const TCanMsgProg& msg, const TSignalValue& value);

  const TSignalDatabases& FDatabases;
  TOutputBuffer FOut;
  std::vector<TSignalValue> FValues;
};
