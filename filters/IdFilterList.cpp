#include "filters/IdFilterList.h"

#include "model/CanText.h"

QColor WindowsColorToQColor(std::uint32_t color) {
  return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF), static_cast<int>((color >> 16) & 0xFF));
}

std::uint32_t QColorToWindowsColor(const QColor& color) {
  return static_cast<std::uint32_t>(color.red()) | (static_cast<std::uint32_t>(color.green()) << 8) |
         (static_cast<std::uint32_t>(color.blue()) << 16);
}

QString AutomaticDescription(bool extended, std::int64_t canId) {
  return QStringLiteral("CAN ID: ") + CanIdToText(extended, canId);
}

bool HasAutomaticDescription(const TIdFilterData& row) {
  return row.Description.ToString() == AutomaticDescription(row.Extended, row.CanId);
}

TIdFilterList::TIdFilterList(std::function<void()> projectChanged) : FProjectChanged(std::move(projectChanged)) {}

void TIdFilterList::Changed() const {
  if (FProjectChanged) FProjectChanged();
}

const TIdFilterData* TIdFilterList::FindCanIdFilterDataNode(std::int64_t canId) const {
  const std::size_t slot = FIndex.FindSlot(canId);
  return slot == TCanIdIndex::kNone ? nullptr : &FRows.RecordAtSlot(slot);
}

bool TIdFilterList::Admits(std::int64_t canId) const {
  const TIdFilterData* row = FindCanIdFilterDataNode(canId);
  return row == nullptr || row->AddToLog;
}

QColor TIdFilterList::ViewColor(std::int64_t canId, bool colorFilterOn) const {
  const TIdFilterData* row = FindCanIdFilterDataNode(canId);
  if (row == nullptr || !row->AddToLog) return {};
  return colorFilterOn ? WindowsColorToQColor(row->Color) : QColor(Qt::black);
}

void TIdFilterList::EnsureCanIdInFilter(const TCanMsgProg& msg) {
  if (FIndex.FindSlot(msg.CanId) != TCanIdIndex::kNone) return;
  TIdFilterData record;
  record.CanId = msg.CanId;
  record.Extended = msg.Extended;
  record.AddToLog = true;
  record.Description.Set(AutomaticDescription(msg.Extended, msg.CanId));
  InsertInOrder(record, TRowState::CheckBox(true), FIndex);
  Changed();
}

void TIdFilterList::BeginAddMode() {
  FAddMode = true;
  Changed();
}

void TIdFilterList::ApplyEdit(const QString& idText, bool extended, const QString& description) {
  if (FAddMode) {
    TIdFilterData record;
    record.CanId = HexToInt64(idText);
    record.Extended = extended;
    record.Description.Set(description);
    FAddMode = false;
    const std::size_t row = FRows.Append(record, TRowState::CheckBox(false));
    FIndex.NoteAdded(record.CanId, FRows.SlotOf(row));
    FModel.RowsAppended();
  } else {
    const std::size_t slot = FIndex.FindSlot(HexToInt64(idText));
    if (slot != TCanIdIndex::kNone) {
      FRows.RecordAtSlot(slot).Description.Set(description);
      FModel.RowChanged(FRows.RowOfSlot(slot));
    }
  }
  Changed();
}

void TIdFilterList::SetRowColor(std::size_t row, std::uint32_t color) {
  FRows.Record(row).Color = color;
  FModel.RowChanged(row);
}

void TIdFilterList::SetRowChecked(std::size_t row, bool checked) {
  FRows.Record(row).AddToLog = checked;
  FRows.State(row).SetChecked(checked);
  FModel.RowChanged(row);
}

void TIdFilterList::CheckUncheckAll() {
  FCheckAll = !FCheckAll;
  for (std::size_t row = 0; row < FRows.Count(); ++row) {
    FRows.Record(row).AddToLog = FCheckAll;
    FRows.State(row).SetChecked(FCheckAll);
  }
  FModel.AllRowsChanged();
}

void TIdFilterList::RemoveRow(std::size_t row) {
  if (row >= FRows.Count()) return;
  FModel.BeginRemoveRow(row);
  FRows.Erase(row);
  FIndex.Rebuild(FRows);
  FModel.EndRemoveRow();
  Changed();
}

void TIdFilterList::ClearFilterList() {
  ClearRows();
  Changed();
}

void TIdFilterList::Clear() { ClearRows(); }

void TIdFilterList::RowsReplaced() { FIndex.Rebuild(FRows); }

void TIdFilterList::MergePendingRows() { MergeInOrder(FIndex); }

QString TIdFilterList::ColumnTitle(int column) const {
  static const char* const kTitles[] = {"Add to log", "E", "Description"};
  return QString::fromLatin1(kTitles[column]);
}

QString TIdFilterList::CellText(std::size_t row, int column) const {
  const TIdFilterData& r = FRows.Record(row);
  switch (column) {
    case 0: return CanIdToText(r.Extended, r.CanId);
    case 1: return BoolToText(r.Extended);
    default: return r.Description.ToString();
  }
}

QVariant TIdFilterList::CellColor(std::size_t row, int /*column*/) const {
  const std::uint32_t color = FRows.Record(row).Color;
  return color != 0 ? QVariant(WindowsColorToQColor(color)) : QVariant();
}
