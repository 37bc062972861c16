#include "signals/SignalCsv.h"

#include <charconv>

#include "model/CanText.h"
#include "reports/DelimitedText.h"
#include "signals/SignalText.h"

namespace {
constexpr char kSeparator = ';';
constexpr std::string_view kLineEnd = "\r\n";

void AppendNumber(TOutputBuffer& out, std::int64_t value) {
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  out.Append(digits, static_cast<std::size_t>(end - digits));
}
}  // namespace

void TSignalCsvWriter::WriteCaptions() { FOut.Append(std::string_view("Time;ID;Message;Signal;Value;Unit;Raw;Text\r\n")); }

void TSignalCsvWriter::WriteFrame(const TCanMsgProg& msg) {
  const TMessageDef* message = FDatabases.Find(msg);
  if (!message || DecodeFrame(*message, msg, FValues) == 0) return;
  for (const TSignalValue& value : FValues) WriteSignal(*message, msg, value);
  FOut.Settle();
}

void TSignalCsvWriter::WriteSignal(const TMessageDef& message, const TCanMsgProg& msg, const TSignalValue& value) {
  const TSignalDef& signal = message.Signals[value.Signal];
  AppendNumber(FOut, msg.Time);
  FOut.Put(kSeparator);
  char id[16];
  FOut.Append(id, static_cast<std::size_t>(WriteCanIdText(id, msg.Extended, msg.CanId) - id));
  FOut.Put(kSeparator);
  AppendDelimitedField(message.Name, kSeparator, FOut);
  FOut.Put(kSeparator);
  AppendDelimitedField(signal.Name, kSeparator, FOut);
  FOut.Put(kSeparator);
  FOut.Append(ShortestDouble(value.Value));
  FOut.Put(kSeparator);
  AppendDelimitedField(signal.Unit, kSeparator, FOut);
  FOut.Put(kSeparator);
  FOut.Append(RawDecimalText(signal, value.Raw));
  FOut.Put(kSeparator);
  if (const std::string* text = ValueText(signal, value.Raw)) AppendDelimitedField(*text, kSeparator, FOut);
  FOut.Append(kLineEnd);
}
