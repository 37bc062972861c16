#include "catalog/FormatDataList.h"

#include <QColor>
#include <algorithm>
#include <stdexcept>

#include "model/CanText.h"

TFormatDataList::TFormatDataList(std::optional<TControlUnitCatalog> catalog) : FCatalog(std::move(catalog)) {}

void TFormatDataList::BeginDecode() {
  FDecoding = true;
  FModel.BeginReset();
  FRows.Clear();
  RowsReplaced();
}

void TFormatDataList::EndDecode() {
  FDecoding = false;
  FModel.EndReset();
}

void TFormatDataList::RequireDecoding() const {
  if (!FDecoding) throw std::logic_error("Rows are added by a decode only");
}

void TFormatDataList::Clear() { ClearRows(); }

void TFormatDataList::RowsReplaced() {
  FBytes.clear();
  FControlUnits.clear();
  for (std::size_t row = 0; row < FRows.Count(); ++row)
    if (FRows.Record(row).Kind == TFormatDataKind::ControlUnit) FControlUnits.push_back(row);
}

std::size_t TFormatDataList::AddControlUnitRow(std::uint32_t id) {
  RequireDecoding();
  TFormatDataRow record;
  record.Kind = TFormatDataKind::ControlUnit;
  record.ID = id;
  record.DataOffset = FBytes.size();
  const std::size_t row = FRows.Append(record, TRowState{});
  FControlUnits.push_back(row);
  return row;
}

std::size_t TFormatDataList::AddMessageRow(const TFormatDataRow& message, std::size_t stored) {
  RequireDecoding();
  if (FControlUnits.empty()) throw std::logic_error("A message row needs a control-unit row above it");
  TFormatDataRow record = message;
  record.Kind = TFormatDataKind::Message;
  record.Stored = static_cast<std::uint16_t>(std::min<std::size_t>({stored, record.Len, 0xFFFF}));
  record.DataOffset = FBytes.size();
  FBytes.resize(FBytes.size() + record.Stored, 0);
  return FRows.Append(record, TRowState{});
}

void TFormatDataList::WriteBytes(std::size_t row, std::size_t offset, std::span<const std::uint8_t> bytes) {
  const TFormatDataRow& record = FRows.Record(row);
  if (offset >= record.Stored) return;
  const std::size_t count = std::min<std::size_t>(bytes.size(), record.Stored - offset);
  std::copy_n(bytes.begin(), count, FBytes.begin() + static_cast<std::ptrdiff_t>(record.DataOffset + offset));
}

TKwpData TFormatDataList::Message(std::size_t row) const {
  const TFormatDataRow& record = FRows.Record(row);
  if (record.Kind != TFormatDataKind::Message) return {};
  TKwpData bytes(record.Len, 0);
  if (record.DataOffset + record.Stored <= FBytes.size())
    std::copy_n(FBytes.begin() + static_cast<std::ptrdiff_t>(record.DataOffset), record.Stored, bytes.begin());
  return bytes;
}

QString TFormatDataList::ColumnTitle(int column) const {
  static const char* const kTitles[kColumnCount] = {"", "Pos", "Time", "ID", "Len", "Src", "Trg", "", "Msg"};
  return QString::fromLatin1(kTitles[column]);
}

int TFormatDataList::ColumnWidth(int column) {
  static const int kWidths[kColumnCount] = {50, 60, 80, 50, 40, 35, 35, 30, 400};
  return kWidths[column];
}

QString TFormatDataList::CellText(std::size_t row, int column) const {
  const TFormatDataRow& record = FRows.Record(row);
  if (record.Kind == TFormatDataKind::ControlUnit) return column == colTree ? ControlUnitName(record) : QString();
  return MessageCellText(row, column);
}

QString TFormatDataList::ControlUnitName(const TFormatDataRow& row) const {
  if (!FCatalog) return QStringLiteral("No IDs available");
  return FCatalog->NameOf(row.ID);
}

QString TFormatDataList::MessageCellText(std::size_t row, int column) const {
  const TFormatDataRow& record = FRows.Record(row);
  const auto hex = [](std::uint32_t value, int digits) {
    return QStringLiteral("%1").arg(value, digits, 16, QLatin1Char('0')).toUpper();
  };
  switch (column) {
    case colPos: return QString::number(record.Pos);
    case colTime: return QString::number(record.Time);
    case colId: return hex(record.ID, 3);
    case colLen: return QString::number(record.Len);
    case colSrc: return hex(record.Src, 2);
    case colTrg: return hex(record.Trg, 2);
    case colMsg: return ByteArrayToHex(Message(row), static_cast<int>(record.Len));
    default: return {};
  }
}

QVariant TFormatDataList::CellBackground(std::size_t row, int /*column*/) const {
  if (FRows.Record(row).Kind != TFormatDataKind::ControlUnit) return {};
  return QColor(0xEB, 0xEB, 0xEB);
}
