#include "catalog/DiagnosticDecoder.h"

#include "views/TraceList.h"

namespace {
constexpr std::uint8_t kFirstFrame = 0x10;
constexpr std::uint8_t kFirstFrameBytes = 5;
constexpr std::uint8_t kFrameBytes = 6;  // of a consecutive or single frame

bool IsConsecutiveFrame(std::uint8_t pci) { return (pci & 0xF0) == 0x20; }
bool IsFlowControl(std::uint8_t pci) { return pci >= 0x30 && pci <= 0x32; }

// Standard and extended frames with the same number are different senders.
std::int64_t SenderKey(const TCanMsgProg& frame) { return frame.CanId | (frame.Extended ? std::int64_t{1} << 40 : 0); }
}  // namespace

void TDiagnosticDecoder::Add(const TCanMsgProg& frame) {
  const std::uint8_t target = frame.Data[0];
  const std::uint8_t pci = frame.Data[1];
  if (IsFlowControl(pci)) {
    // Inside a multi-frame message the tester's flow control belongs to that message; outside
    // one it still opens the control unit it is addressed to.
    if (FPending.empty() && frame.CanId == kTesterId) FRows.AddControlUnitRow(0x600U + target);
    return;
  }
  const std::int64_t sender = SenderKey(frame);
  if (!FPending.empty() && ContinuePending(sender, frame, pci)) return;
  if (IsConsecutiveFrame(pci)) return;  // continues nothing

  if (frame.CanId == kTesterId) FRows.AddControlUnitRow(0x600U + target);
  if (pci == kFirstFrame) {
    const std::uint8_t len = frame.Data[2];
    StartMessage(frame, len, 3, kFirstFrameBytes, len);
    if (len > kFirstFrameBytes) FPending[sender] = TPending{FRows.RowCount() - 1, kFirstFrameBytes, 0x21};
  } else {
    StartMessage(frame, pci, 2, kFrameBytes, kFrameBytes);  // the rest of its length reads 00
  }
}

bool TDiagnosticDecoder::ContinuePending(std::int64_t sender, const TCanMsgProg& frame, std::uint8_t pci) {
  const auto it = FPending.find(sender);
  if (it == FPending.end()) return false;
  TPending& pending = it->second;
  if (pci != pending.NextSeq) {
    FPending.erase(it);  // the message ends here, its missing bytes stay 00
    return false;
  }
  FRows.WriteBytes(pending.Row, pending.Filled, std::span(frame.Data).subspan(2, kFrameBytes));
  pending.Filled += kFrameBytes;
  pending.NextSeq = pending.NextSeq == 0x2F ? 0x20 : pending.NextSeq + 1;
  if (pending.Filled >= FRows.Row(pending.Row).Len) FPending.erase(it);
  return true;
}

void TDiagnosticDecoder::StartMessage(const TCanMsgProg& frame, std::uint8_t len, std::size_t firstByte, std::size_t count,
                                      std::size_t stored) {
  if (!FRows.HasControlUnit()) FRows.AddControlUnitRow(0x600U + frame.Data[0]);
  TFormatDataRow message;
  message.Pos = ++FCounter;
  message.Time = frame.Time;
  message.Len = len;
  message.ID = static_cast<std::uint32_t>(frame.CanId);
  message.Src = static_cast<std::uint8_t>(frame.CanId);
  message.Trg = frame.Data[0];
  const std::size_t row = FRows.AddMessageRow(message, stored);
  FRows.WriteBytes(row, 0, std::span(frame.Data).subspan(firstByte, count));
}

namespace {
// A decode that fails half-way still closes the list's reset.
class TDecodeScope {
 public:
  explicit TDecodeScope(TFormatDataList& rows) : FRows(rows) { FRows.BeginDecode(); }
  ~TDecodeScope() { FRows.EndDecode(); }
  TDecodeScope(const TDecodeScope&) = delete;
  TDecodeScope& operator=(const TDecodeScope&) = delete;

 private:
  TFormatDataList& FRows;
};
}  // namespace

void DecodeTrace(const TTraceList& trace, TFormatDataList& rows) {
  const TDecodeScope scope(rows);
  TDiagnosticDecoder decoder(rows);
  for (std::size_t row = 0; row < trace.RowCount(); ++row) decoder.Add(trace.Row(row).Msg);
}
