#include "transmit/PredefinedMessageList.h"

#include "model/CanText.h"
#include "transmit/HotKey.h"

bool MatchCanMsg(const TCanMsgProg& r, const TCanMsgProg& c, const TCanMsgProg& m) {
  if ((r.CanId | m.CanId) != (c.CanId | m.CanId)) return false;
  if ((r.DLC | m.DLC) != (c.DLC | m.DLC)) return false;
  if (c.RTR) return true;
  for (int i = 0; i < r.UsedBytes(); ++i)
    if ((r.Data[i] | m.Data[i]) != (c.Data[i] | m.Data[i])) return false;
  return true;
}

QString TriggerTypeText(std::uint8_t triggerType) {
  switch (static_cast<TTriggerType>(triggerType)) {
    case TTriggerType::Timer: return QStringLiteral("Timer");
    case TTriggerType::Message: return QStringLiteral("Message");
    case TTriggerType::HotKey: return QStringLiteral("Hot Key");
  }
  return {};
}

TPredefinedMessageList::TPredefinedMessageList(TPredefinedSeams seams) : FSeams(std::move(seams)) {}

// --- editing -------------------------------------------------------------------------------

void TPredefinedMessageList::AppendRow(const TPredefinedMessageData& record) {
  SelectRow(kNoRow);
  const std::size_t row = FRows.Append(record, TRowState::CheckBox(false));
  FModel.RowsAppended();
  SelectRow(row);
  FModel.RowChanged(row);
  FArmedStale = true;
  NotifyContentChanged();
}

std::size_t TPredefinedMessageList::AddMessage() {
  AppendRow(TPredefinedMessageData{});
  return RowCount() - 1;
}

std::size_t TPredefinedMessageList::CopyMessage(std::size_t row) {
  if (row >= RowCount()) return kNoRow;
  TPredefinedMessageData copy = Row(row);
  copy.Enabled = 0;
  AppendRow(copy);
  return RowCount() - 1;
}

std::size_t TPredefinedMessageList::DeleteMessage(std::size_t row) {
  if (row >= RowCount()) return kNoRow;
  FModel.BeginRemoveRow(row);
  FRows.Erase(row);
  FModel.EndRemoveRow();
  FArmedStale = true;
  SelectRow(RowCount() > 0 ? 0 : kNoRow);
  NotifyContentChanged();
  return SelectedRow();
}

std::size_t TPredefinedMessageList::MoveTo(std::size_t row, std::size_t to) {
  if (to != row) {
    const TPredefinedMessageData record = Row(row);
    const TRowState state = RowState(row);
    FModel.BeginReset();
    FRows.Erase(row);
    FRows.Insert(to, record, state);
    FModel.EndReset();
    FArmedStale = true;
  }
  SelectRow(to);
  return to;
}

std::size_t TPredefinedMessageList::MoveMessageUp(std::size_t row) {
  if (row >= RowCount()) return kNoRow;
  MoveTo(row, row > 0 ? row - 1 : 0);
  NotifyContentChanged();
  return SelectedRow();
}

std::size_t TPredefinedMessageList::MoveMessageDown(std::size_t row) {
  if (row >= RowCount()) return kNoRow;
  MoveTo(row, row + 1 < RowCount() ? row + 1 : 0);
  NotifyContentChanged();
  return SelectedRow();
}

std::size_t TPredefinedMessageList::DropMessage(std::size_t row, std::size_t target, bool after) {
  if (row >= RowCount() || target >= RowCount()) return kNoRow;
  std::size_t to = after ? target + 1 : target;
  if (row < to) --to;
  return MoveTo(row, to);
}

void TPredefinedMessageList::DeleteAllMessages() {
  ClearRows();
  NotifyContentChanged();
}

void TPredefinedMessageList::Clear() { ClearRows(); }

void TPredefinedMessageList::ApplyEdit(std::size_t row, const TPredefinedEdit& edit) {
  if (row >= RowCount()) return;
  TPredefinedMessageData& r = FRows.Record(row);
  r.Description.Set(edit.Description);
  r.TriggerType = edit.TriggerType;
  r.Message = edit.Message;
  r.HotKey = edit.HotKey;
  r.LogMessage = edit.LogMessage ? 1 : 0;
  r.LogText.Set(edit.LogText);
  if (r.TriggerType == static_cast<std::uint8_t>(TTriggerType::Timer)) {
    r.LastSendTick = ReadTick();
    r.Period = edit.Period;
  } else if (r.TriggerType == static_cast<std::uint8_t>(TTriggerType::Message)) {
    r.TriggerCode = edit.TriggerCode;
    r.TriggerMask = edit.TriggerMask;
  }
  FModel.RowChanged(row);
  FArmedStale = true;
  NotifyContentChanged();
}

void TPredefinedMessageList::SetRowChecked(std::size_t row, bool checked) {
  if (row >= RowCount()) return;
  FRows.Record(row).Enabled = checked ? 1 : 0;
  FRows.State(row).SetChecked(checked);
  FModel.RowChanged(row);
  FArmedStale = true;
}

// --- sending -------------------------------------------------------------------------------

void TPredefinedMessageList::SendRow(const TPredefinedMessageData& row, bool logFirst) {
  const bool log = row.LogMessage == 1 && FSeams.AddTriggerLogEntry;
  if (log && logFirst) FSeams.AddTriggerLogEntry(row.LogText.ToString());
  if (FSeams.Send) FSeams.Send(row.Message);
  if (log && !logFirst) FSeams.AddTriggerLogEntry(row.LogText.ToString());
}

std::uint32_t TPredefinedMessageList::ReadTick() {
  const std::uint32_t now = FSeams.TickCount ? FSeams.TickCount() : 0;
  NoteTick(now);
  return now;
}

// The tick count wraps to 0 after about 49.7 days. A row last sent before the wrap would then
// lie ahead of the tick count and wait until it passed that value again, weeks later. When
// the count is seen going backwards, such rows are moved one wrap into the past, so each
// keeps its phase. A stored tick ahead of the count without a wrap seen (a file saved after
// a longer uptime) still waits, as it should.
void TPredefinedMessageList::NoteTick(std::uint32_t now) {
  if (FTickSeen && now < FLastTick) {
    constexpr std::int64_t kWrap = std::int64_t{1} << 32;
    for (std::size_t row = 0; row < FRows.Count(); ++row) {
      std::int64_t& last = FRows.Record(row).LastSendTick;
      if (last > static_cast<std::int64_t>(now)) last -= kWrap;
    }
  }
  FTickSeen = true;
  FLastTick = now;
}

void TPredefinedMessageList::SendDueTimerMessages() {
  const std::int64_t now = ReadTick();
  for (std::size_t row = 0; row < FRows.Count(); ++row) {
    if (!FRows.State(row).Checked()) continue;
    TPredefinedMessageData& r = FRows.Record(row);
    if (r.TriggerType != static_cast<std::uint8_t>(TTriggerType::Timer) || r.Enabled != 1) continue;
    if (now - r.LastSendTick < r.Period) continue;
    r.LastSendTick = now;
    SendRow(r, false);
  }
}

const std::vector<std::size_t>& TPredefinedMessageList::ArmedMessageRows() {
  if (FArmedStale) {
    FArmedRows.clear();
    for (std::size_t row = 0; row < FRows.Count(); ++row) {
      const TPredefinedMessageData& r = FRows.Record(row);
      if (FRows.State(row).Checked() && r.Enabled == 1 && r.TriggerType == static_cast<std::uint8_t>(TTriggerType::Message))
        FArmedRows.push_back(row);
    }
    FArmedStale = false;
  }
  return FArmedRows;
}

// The answers go straight to the adapter and the views; they are not received frames and
// are not offered to the triggers again.
void TPredefinedMessageList::MatchTriggerMessages(const TCanMsgProg& msg) {
  for (const std::size_t row : ArmedMessageRows()) {
    const TPredefinedMessageData& r = FRows.Record(row);
    if (MatchCanMsg(msg, r.TriggerCode, r.TriggerMask)) SendRow(r, true);
  }
}

namespace {
bool SendsOn(const TPredefinedMessageData& r, std::uint16_t hotKey) {
  return r.HotKey == hotKey && r.Enabled == 1 && r.TriggerType == static_cast<std::uint8_t>(TTriggerType::HotKey);
}
}  // namespace

void TPredefinedMessageList::SendHotKeyMessages(std::uint16_t hotKey) {
  if (hotKey == 0) return;
  for (std::size_t row = 0; row < FRows.Count(); ++row)
    if (SendsOn(FRows.Record(row), hotKey)) SendRow(FRows.Record(row), true);
}

bool TPredefinedMessageList::SendsOnHotKey(std::uint16_t hotKey) const {
  if (hotKey == 0) return false;
  for (std::size_t row = 0; row < FRows.Count(); ++row)
    if (SendsOn(FRows.Record(row), hotKey)) return true;
  return false;
}

// --- cells ---------------------------------------------------------------------------------

QString TPredefinedMessageList::ColumnTitle(int column) const {
  static const char* const kTitles[] = {"Trigger Type", "Parameter", "CAN ID", "EXT", "RTR", "DLC", "MSG", "Description"};
  return QString::fromLatin1(kTitles[column]);
}

QString TPredefinedMessageList::CellText(std::size_t row, int column) const {
  const TPredefinedMessageData& r = Row(row);
  switch (column) {
    case 0: return TriggerTypeText(r.TriggerType);
    case 1:
      switch (static_cast<TTriggerType>(r.TriggerType)) {
        case TTriggerType::Timer: return QString::number(r.Period) + QStringLiteral(" ms");
        case TTriggerType::Message: return QStringLiteral("MSG");
        case TTriggerType::HotKey: return HotKeyText(r.HotKey);
      }
      return {};
    case 2: return CanIdToText(r.Message.Extended, r.Message.CanId);
    case 3: return BoolToText(r.Message.Extended);
    case 4: return BoolToText(r.Message.RTR);
    case 5: return QString::number(r.Message.DLC);
    case 6: return CanDataToHex(r.Message.Data);
    default: return r.Description.ToString();
  }
}

QString TPredefinedMessageList::FileCaption(std::size_t row) const {
  const QString text = TriggerTypeText(Row(row).TriggerType);
  return text.isEmpty() ? QStringLiteral("Node") : text;
}
