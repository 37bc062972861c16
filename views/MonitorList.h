#pragma once
// The monitor: one row per identifier with its latest frame, the period between its last
// two frames, the frame count and the description from the software filter.

#include <functional>

#include "filters/IdFilterList.h"
#include "model/ShortText.h"
#include "views/FrameCells.h"

struct TMonitorData {
  TCanMsgProg Msg;
  TShortText Period;  // decimal milliseconds, empty until known
  std::int32_t Count = 0;
  TShortText Reserved;
  std::int32_t LastTime = 0;
  bool Received = false;
  std::uint8_t Pad[7] = {};
};
static_assert(sizeof(TMonitorData) == 560);
static_assert(offsetof(TMonitorData, Msg) == 0);
static_assert(offsetof(TMonitorData, Period) == 32);
static_assert(offsetof(TMonitorData, Count) == 288);
static_assert(offsetof(TMonitorData, Reserved) == 292);
static_assert(offsetof(TMonitorData, LastTime) == 548);
static_assert(offsetof(TMonitorData, Received) == 552);

[[nodiscard]] inline std::int64_t MonitorKey(const TMonitorData& row) { return row.Msg.CanId; }

class TMonitorList : public TRowListOf<TMonitorData, TOrderedRowStore<TMonitorData, MonitorKey>>, public TProjectList {
 public:
  TMonitorList(const TIdFilterList& filter, TShow8ByteMsg show8ByteMsg, std::function<void()> projectChanged);

  void AddToMonitor(const TCanMsgProg& msg, bool received);
  [[nodiscard]] const TMonitorData* FindMonitorDataNode(std::int64_t canId) const;

  // The name a signal database gives the frame's message, or empty; when set, it stands in the
  // Description column in place of the automatic "CAN ID: ..." text (not of a typed one).
  std::function<QString(const TCanMsgProg& msg)> MessageName;

  // actionMonitorColor.
  void SetColorFilter(bool on);
  [[nodiscard]] bool ColorFilter() const { return FColorFilter; }

  void ClearLog();  // the user's "Clear"
  void Clear() override;

  // The first selected row, else the first row; null when the list is empty. Asked after
  // every drain, so the selection is remembered by slot rather than searched for.
  [[nodiscard]] const TMonitorData* DetailsRow() const;
  void SelectRow(std::size_t row);  // kNoRow clears it

  [[nodiscard]] int ColumnCount() const override { return 9; }
  [[nodiscard]] QString ColumnTitle(int column) const override;
  [[nodiscard]] QString CellText(std::size_t row, int column) const override;
  [[nodiscard]] QVariant CellColor(std::size_t row, int column) const override;
  [[nodiscard]] bool CellBold(int column) const override { return column == 0; }
  [[nodiscard]] QString FileCaption(std::size_t row) const override { return CanIdToText(Row(row).Msg.Extended, Row(row).Msg.CanId); }
  [[nodiscard]] QVariant CellImage(std::size_t row, int column) const override;

 protected:
  void RowsReplaced() override;
  void MergePendingRows() override;

 private:
  void UpdateRow(std::size_t slot, const TCanMsgProg& msg);
  [[nodiscard]] QString DescriptionText(const TCanMsgProg& msg) const;
  void AddRow(const TCanMsgProg& msg, bool received);
  void Changed() const;

  const TIdFilterList& FFilter;
  TShow8ByteMsg FShow8ByteMsg;
  std::function<void()> FProjectChanged;
  TCanIdIndex FIndex;
  std::size_t FSelectedSlot = kNoRow;
  bool FColorFilter = false;
};
