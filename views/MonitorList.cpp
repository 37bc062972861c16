#include "views/MonitorList.h"

#include <charconv>

TMonitorList::TMonitorList(const TIdFilterList& filter, TShow8ByteMsg show8ByteMsg, std::function<void()> projectChanged)
    : FFilter(filter), FShow8ByteMsg(std::move(show8ByteMsg)), FProjectChanged(std::move(projectChanged)) {}

void TMonitorList::Changed() const {
  if (FProjectChanged) FProjectChanged();
}

const TMonitorData* TMonitorList::FindMonitorDataNode(std::int64_t canId) const {
  const std::size_t slot = FIndex.FindSlot(canId);
  return slot == TCanIdIndex::kNone ? nullptr : &FRows.RecordAtSlot(slot);
}

void TMonitorList::AddToMonitor(const TCanMsgProg& msg, bool received) {
  if (!FFilter.Admits(msg.CanId)) return;
  const std::size_t slot = FIndex.FindSlot(msg.CanId);
  if (slot != TCanIdIndex::kNone)
    UpdateRow(slot, msg);
  else
    AddRow(msg, received);
  Changed();
}

// A time stamp that is not later than the reference (a wrap, a sent frame's 0) leaves the
// period as it was; it still becomes the reference for the next frame.
void TMonitorList::UpdateRow(std::size_t slot, const TCanMsgProg& msg) {
  TMonitorData& r = FRows.RecordAtSlot(slot);
  r.Msg = msg;
  if (msg.Time > r.LastTime) {
    char digits[24];
    const auto period = static_cast<std::int64_t>(msg.Time) - r.LastTime;
    const auto end = std::to_chars(digits, digits + sizeof digits, period).ptr;
    r.Period.SetAscii(digits, static_cast<std::size_t>(end - digits));
  }
  r.Count = static_cast<std::int32_t>(static_cast<std::uint32_t>(r.Count) + 1U);
  r.LastTime = msg.Time;
  FModel.RowChanged(FRows.RowOfSlot(slot));
}

void TMonitorList::AddRow(const TCanMsgProg& msg, bool received) {
  TMonitorData record;
  record.Msg = msg;
  record.Count = 1;
  record.LastTime = msg.Time;
  record.Received = received;
  InsertInOrder(record, TRowState{}, FIndex);
}

void TMonitorList::SetColorFilter(bool on) {
  FColorFilter = on;
  FModel.AllRowsChanged();
}

void TMonitorList::ClearLog() {
  ClearRows();
  Changed();
}

void TMonitorList::Clear() { ClearRows(); }

void TMonitorList::RowsReplaced() {
  FIndex.Rebuild(FRows);
  const std::size_t selected = SelectedRow();
  FSelectedSlot = selected == kNoRow ? kNoRow : FRows.SlotOf(selected);
}

void TMonitorList::SelectRow(std::size_t row) {
  TRowListOf::SelectRow(row);
  FSelectedSlot = row < FRows.Count() ? FRows.SlotOf(row) : kNoRow;
}

void TMonitorList::MergePendingRows() { MergeInOrder(FIndex); }

const TMonitorData* TMonitorList::DetailsRow() const {
  if (FRows.Empty()) return nullptr;
  return FSelectedSlot == kNoRow ? &FRows.Record(0) : &FRows.RecordAtSlot(FSelectedSlot);
}

QString TMonitorList::ColumnTitle(int column) const {
  static const char* const kTitles[] = {"CAN ID", "EXT", "RTR", "DLC", "MSG", "ASCII", "Period", "Count", "Description"};
  return QString::fromLatin1(kTitles[column]);
}

QString TMonitorList::CellText(std::size_t row, int column) const {
  const TMonitorData& r = FRows.Record(row);
  switch (column) {
    case 6: return r.Period.ToString();
    case 7: return QString::number(r.Count);
    case 8: return DescriptionText(r.Msg);
    default: return FrameCellText(r.Msg, column, ReadShow8ByteMsg(FShow8ByteMsg));
  }
}

QString TMonitorList::DescriptionText(const TCanMsgProg& msg) const {
  const TIdFilterData* filter = FFilter.FindCanIdFilterDataNode(msg.CanId);
  if (filter == nullptr) return QStringLiteral("-");
  if (MessageName && HasAutomaticDescription(*filter))
    if (QString name = MessageName(msg); !name.isEmpty()) return name;
  return filter->Description.ToString();
}

QVariant TMonitorList::CellColor(std::size_t row, int /*column*/) const {
  return FrameRowColor(FFilter, FRows.Record(row).Msg.CanId, FColorFilter);
}

QVariant TMonitorList::CellImage(std::size_t row, int column) const {
  return FrameRowImageCell(FRows.Record(row).Received, column);
}
