#include "filters/HwFilterList.h"

#include "platform/UserMessage.h"

THwFilterList::THwFilterList(std::function<void()> projectChanged, std::function<int()> maxFilterCount)
    : FProjectChanged(std::move(projectChanged)), FMaxFilterCount(std::move(maxFilterCount)) {}

void THwFilterList::Changed() const {
  if (FProjectChanged) FProjectChanged();
  NotifyContentChanged();
}

std::size_t THwFilterList::AppendFilter(THwFilterType type) {
  THwFilterData record;
  record.FilterType = type;
  const std::size_t row = FRows.Append(record, TRowState::CheckBox(false));
  SelectRow(row);
  FModel.RowsAppended();
  Changed();
  return row;
}

bool THwFilterList::ApplyToSelected(THwFilterType type, THwCodeMask values, const QString& description) {
  const std::size_t row = SelectedRow();
  if (row == kNoRow) {
    FModel.AllRowsChanged();
    return false;
  }
  THwFilterData& record = FRows.Record(row);
  record.FilterType = type;
  record.Code = values.Code;
  record.Mask = values.Mask;
  record.Description.Set(description);
  FModel.RowChanged(row);
  Changed();
  return true;
}

std::size_t THwFilterList::CheckedCount() const {
  std::size_t count = 0;
  for (std::size_t row = 0; row < FRows.Count(); ++row)
    if (FRows.State(row).Checked()) ++count;
  return count;
}

void THwFilterList::SetRowChecked(std::size_t row, bool checked) {
  const int maximum = FMaxFilterCount ? FMaxFilterCount() : 0;
  const std::size_t count = CheckedCount();
  FRows.Record(row).Active = checked ? 1 : 0;
  const bool refused = checked && !FRows.State(row).Checked() && static_cast<std::int64_t>(count) >= maximum;
  if (refused)
    ShowUserMessage(TUserMessageKind::Information, QStringLiteral("Information"), kMaxHwFilterText + QString::number(maximum));
  else
    FRows.State(row).SetChecked(checked);
  FModel.RowChanged(row);
}

std::size_t THwFilterList::RemoveSelected() {
  const std::size_t row = SelectedRow();
  if (row == kNoRow) return kNoRow;
  FModel.BeginRemoveRow(row);
  FRows.Erase(row);
  FModel.EndRemoveRow();
  if (FRows.Empty()) return kNoRow;
  const std::size_t last = FRows.Count() - 1;
  SelectRow(last);
  FModel.RowChanged(last);
  Changed();
  return last;
}

void THwFilterList::ClearFilterList() {
  ClearRows();
  Changed();
}

void THwFilterList::Clear() { ClearRows(); }

TCanFilters THwFilterList::GetHardwareFilters() const {
  TCanFilters filters;
  for (std::size_t row = 0; row < FRows.Count(); ++row) {
    if (!FRows.State(row).Checked()) continue;
    const THwFilterData& record = FRows.Record(row);
    filters.push_back({static_cast<std::uint32_t>(record.Code), static_cast<std::uint32_t>(record.Mask)});
  }
  if (filters.empty()) filters.push_back({0, 0xFFFFFFFF});
  return filters;
}

QString THwFilterList::ColumnTitle(int column) const {
  static const char* const kTitles[] = {"Active", "EXT", "Type", "Code", "Maske", "Description"};
  return QString::fromLatin1(kTitles[column]);
}

QString THwFilterList::CellText(std::size_t row, int column) const {
  const THwFilterData& r = FRows.Record(row);
  switch (column) {
    case 0: return {};
    case 1: return HwFilterMath::IsExtendedType(r.FilterType) ? QStringLiteral("1") : QStringLiteral("0");
    case 2: return HwFilterMath::FilterTypeText(r.FilterType);
    case 3: return HwFilterMath::CodeMaskText(r.Code);
    case 4: return HwFilterMath::CodeMaskText(r.Mask);
    default: return r.Description.ToString();
  }
}
