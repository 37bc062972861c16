// DBC text: either refused with a message naming a position, or read into signals the codec can
// use as they are: lengths 1..64, bits within the 8 data bytes, a factor, selector chains that
// end; decoding and encoding any frame of a read message stays within the data.

#include <string>

#include "signals/DbcReader.h"
#include "signals/SignalCodec.h"
#include "tests/fuzz/FuzzCheck.h"

namespace {

void CheckSignal(const TMessageDef& message, const TSignalDef& signal) {
  FuzzCheck(signal.Length >= 1 && signal.Length <= 64, "length outside 1..64");
  FuzzCheck(signal.Shift >= 0 && signal.Shift + signal.Length <= 64, "bits outside the data word");
  FuzzCheck(signal.BytesNeeded >= 1 && signal.BytesNeeded <= 8, "needs more than 8 bytes");
  FuzzCheck(signal.Factor != 0, "factor 0 kept");
  int depth = 0;
  for (int j = signal.Selector; j >= 0; j = message.Signals[static_cast<std::size_t>(j)].Selector) {
    FuzzCheck(static_cast<std::size_t>(j) < message.Signals.size(), "selector outside the message");
    FuzzCheck(++depth <= 64, "selector chain does not end");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  TDbcDatabase db;
  try {
    db = ParseDbc(FuzzText(data, size), "fuzz.dbc");
  } catch (const EDbcError& error) {
    FuzzCheck(std::string(error.what()).rfind("fuzz.dbc:", 0) == 0, "refusal without its position");
    return 0;
  }
  TCanMsgProg msg;
  msg.DLC = 8;
  for (std::size_t i = 0; i < 8; ++i) msg.Data[i] = static_cast<std::uint8_t>(size > i ? data[i] : 0xA5);
  std::vector<TSignalValue> values;
  for (const TMessageDef& message : db.Messages) {
    if (!message.Decodable) continue;
    for (const TSignalDef& signal : message.Signals) CheckSignal(message, signal);
    DecodeFrame(message, msg, values);
    FuzzCheck(values.size() <= message.Signals.size(), "more values than signals");
    for (const TSignalValue& value : values) {
      TCanData encoded = msg.Data;
      (void)EncodeSignal(message, message.Signals[value.Signal], value.Value, encoded);
    }
  }
  return 0;
}
