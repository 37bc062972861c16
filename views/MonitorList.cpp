#include "views/MonitorList.h"

#include <charconv>

namespace {
bool MonitorLess(const TMonitorData& a, const TMonitorData& b) { return CanIdLess(a.Msg.CanId, b.Msg.CanId); }
std::int64_t MonitorKey(const TMonitorData& row) { return row.Msg.CanId; }
}  // namespace

TMonitorList::TMonitorList(const TIdFilterList& filter, TShow8ByteMsg show8ByteMsg, std::function<void()> projectChanged)
    : FFilter(filter), FShow8ByteMsg(std::move(show8ByteMsg)), FProjectChanged(std::move(projectChanged)) {}

void TMonitorList::Changed() const {
  if (FProjectChanged) FProjectChanged();
}

const TMonitorData* TMonitorList::FindMonitorDataNode(std::int64_t canId) const {
  const std::size_t row = FIndex.Find(canId);
  return row == TCanIdIndex::kNone ? nullptr : &FRows.Record(row);
}

void TMonitorList::AddToMonitor(const TCanMsgProg& msg, bool received) {
  if (!FFilter.Admits(msg.CanId)) return;
  const std::size_t row = FIndex.Find(msg.CanId);
  if (row != TCanIdIndex::kNone)
    UpdateRow(row, msg);
  else
    AddRow(msg, received);
  Changed();
}

// A time stamp that is not later than the reference (a wrap, a sent frame's 0) leaves the
// period as it was; it still becomes the reference for the next frame.
void TMonitorList::UpdateRow(std::size_t row, const TCanMsgProg& msg) {
  TMonitorData& r = FRows.Record(row);
  r.Msg = msg;
  if (msg.Time > r.LastTime) {
    char digits[24];
    const auto period = static_cast<std::int64_t>(msg.Time) - r.LastTime;
    const auto end = std::to_chars(digits, digits + sizeof digits, period).ptr;
    r.Period.SetAscii(digits, static_cast<std::size_t>(end - digits));
  }
  r.Count = static_cast<std::int32_t>(static_cast<std::uint32_t>(r.Count) + 1U);
  r.LastTime = msg.Time;
  FModel.RowChanged(row);
}

void TMonitorList::AddRow(const TCanMsgProg& msg, bool received) {
  TMonitorData record;
  record.Msg = msg;
  record.Count = 1;
  record.LastTime = msg.Time;
  record.Received = received;
  InsertInOrder(record, TRowState{}, FIndex, MonitorLess, MonitorKey);
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

void TMonitorList::RowsReplaced() { FIndex.Rebuild(FRows, MonitorKey); }

void TMonitorList::MergePendingRows() { MergeInOrder(FIndex, MonitorLess, MonitorKey); }

const TMonitorData* TMonitorList::DetailsRow() const {
  if (FRows.Empty()) return nullptr;
  const std::size_t selected = SelectedRow();
  return &FRows.Record(selected == kNoRow ? 0 : selected);
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
