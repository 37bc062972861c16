#pragma once
// The trace: every admitted frame, received or sent, one row each in arrival order. A
// search hides the rows whose text in one column does not contain the search text.

#include <functional>

#include "filters/IdFilterList.h"
#include "views/FrameCells.h"
#include "views/TraceSpill.h"

struct TTraceData {
  TCanMsgProg Msg;
  bool Received = false;
  std::uint8_t Pad[7] = {};
};
static_assert(sizeof(TTraceData) == 40);
static_assert(offsetof(TTraceData, Msg) == 0);
static_assert(offsetof(TTraceData, Received) == 32);

class TTraceList;

// Where the trace's rows go besides memory (the capture file). It sees each row the trace
// takes, the end of each batch of rows, and every wholesale change (clear, load).
class TTraceSink {
 public:
  virtual ~TTraceSink() = default;
  virtual void RowAppended(const TTraceData& row) = 0;
  virtual void BatchEnded() = 0;
  virtual void RowsReplaced(const TTraceList& trace) = 0;
  // Whether it holds rows [0, rows) safely (waiting for the last of them), so that memory
  // may let them go.
  [[nodiscard]] virtual bool HoldsRows(std::uint64_t /*rows*/) { return false; }
  // Rows [first, first + count) back into `out`; false when it cannot.
  [[nodiscard]] virtual bool ReadRows(std::uint64_t /*first*/, std::size_t /*count*/, std::vector<TTraceData>& /*out*/) { return false; }
};

class TTraceList : public TRowListOf<TTraceData>, public TProjectList {
 public:
  TTraceList(const TIdFilterList& filter, TShow8ByteMsg show8ByteMsg, std::function<bool()> deviceConnected,
             std::function<void()> projectChanged);

  void AddToTrace(const TCanMsgProg& msg, bool received);
  // Not owned; null for none. It removes itself before it goes.
  void SetSink(TTraceSink* sink) { FSink = sink; }
  // Rows beyond `bytes` of them leave memory for the sink, when it holds them; 0: no limit.
  void SetMemoryBudget(std::uint64_t bytes) { FBudgetRows = bytes / (sizeof(TTraceData) + sizeof(TRowState)); }
  // Rows leave memory in chunks of this many.
  static constexpr std::size_t kTraceChunkRows = TRowStore<TTraceData>::kChunkRows;
  // Rows that live in the sink only.
  [[nodiscard]] std::uint64_t SpilledRows() const { return FSpill.Count(); }

  // Rows in memory and spilled alike.
  [[nodiscard]] std::size_t RowCount() const override { return static_cast<std::size_t>(FSpill.Count()) + FRows.Count(); }
  [[nodiscard]] const TRowState& RowState(std::size_t row) const override {
    return row < FSpill.Count() ? FSpill.State(row) : FRows.State(row - FSpill.Count());
  }
  // A spilled row's record stays valid until another spilled row is read.
  [[nodiscard]] const TTraceData& Row(std::size_t row) const {
    return row < FSpill.Count() ? FSpill.Record(FSink, row) : FRows.Record(row - FSpill.Count());
  }
  [[nodiscard]] const void* RecordBytes(std::size_t row) const override { return &Row(row); }

  void SetColorFilter(bool on);  // actionTraceColor
  [[nodiscard]] bool ColorFilter() const { return FColorFilter; }
  void SetAutoScroll(bool on) { FAutoScroll = on; }
  [[nodiscard]] bool AutoScroll() const { return FAutoScroll; }
  // Asked to keep the last row in view; called once per batch at most.
  std::function<void()> OnScrollToLast;
  // After the rows were replaced wholesale (cleared, loaded): what is built from them starts over.
  std::function<void()> OnRowsReplaced;

  // Shows the rows whose text in `column` contains `text` upper-cased (every row for an empty
  // text). Refused with a message while a device is connected; returns false then, and the
  // caller empties the search field.
  bool Search(const QString& text, int column);

  void ClearTrace();  // the user's "Clear"
  void Clear() override;
  void EndUpdate() override;

  // Whether the data columns show all eight bytes, as the next paint would.
  [[nodiscard]] bool Show8ByteMsg() const { return ReadShow8ByteMsg(FShow8ByteMsg); }

  // " Messages count: %d" over all rows, hidden ones included.
  [[nodiscard]] QString MessagesCountText() const;

  [[nodiscard]] int ColumnCount() const override { return 7; }
  [[nodiscard]] QString ColumnTitle(int column) const override;
  [[nodiscard]] QString CellText(std::size_t row, int column) const override;
  [[nodiscard]] QVariant CellColor(std::size_t row, int column) const override;
  [[nodiscard]] bool CellBold(int column) const override { return column == 0; }
  [[nodiscard]] QString FileCaption(std::size_t row) const override { return CanIdToText(Row(row).Msg.Extended, Row(row).Msg.CanId); }
  [[nodiscard]] QVariant CellImage(std::size_t row, int column) const override;

 private:
  void RequestScroll();
  void RowsReplaced() override;
  void SpillRows();
  void SpillIfOverBudget();

  const TIdFilterList& FFilter;
  TShow8ByteMsg FShow8ByteMsg;
  std::function<bool()> FDeviceConnected;
  std::function<void()> FProjectChanged;
  bool FColorFilter = false;
  bool FAutoScroll = false;
  bool FScrollPending = false;
  TTraceSink* FSink = nullptr;
  std::uint64_t FBudgetRows = 0;
  std::uint64_t FSpillDelay = 0;  // rows over the budget before the next try
  TTraceSpill FSpill;
};
