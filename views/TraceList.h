#pragma once
// The trace: every admitted frame, received or sent, one row each in arrival order. A
// search hides the rows whose text in one column does not contain the search text.

#include <functional>

#include "filters/IdFilterList.h"
#include "views/FrameCells.h"

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
};

class TTraceList : public TRowListOf<TTraceData>, public TProjectList {
 public:
  TTraceList(const TIdFilterList& filter, TShow8ByteMsg show8ByteMsg, std::function<bool()> deviceConnected,
             std::function<void()> projectChanged);

  void AddToTrace(const TCanMsgProg& msg, bool received);
  // Not owned; null for none. It removes itself before it goes.
  void SetSink(TTraceSink* sink) { FSink = sink; }

  void SetColorFilter(bool on);  // actionTraceColor
  [[nodiscard]] bool ColorFilter() const { return FColorFilter; }
  void SetAutoScroll(bool on) { FAutoScroll = on; }
  [[nodiscard]] bool AutoScroll() const { return FAutoScroll; }
  // Asked to keep the last row in view; called once per batch at most.
  std::function<void()> OnScrollToLast;

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

  const TIdFilterList& FFilter;
  TShow8ByteMsg FShow8ByteMsg;
  std::function<bool()> FDeviceConnected;
  std::function<void()> FProjectChanged;
  bool FColorFilter = false;
  bool FAutoScroll = false;
  bool FScrollPending = false;
  TTraceSink* FSink = nullptr;
};
