#include "views/CanIdDetails.h"

#include "model/CanText.h"

TCanIdDetails::TCanIdDetails(const TMonitorList& monitor) : FMonitor(monitor) {
  for (std::uint8_t i = 0; i < 8; ++i) {
    TCanIdDetailsData row;
    row.ByteValue = i;
    FRows.Append(row, TRowState{});
  }
  FModel.RowsAppended();
}

void TCanIdDetails::RefreshCanIdDetails() {
  const TMonitorData* source = FMonitor.DetailsRow();
  if (source == nullptr) return;
  FCaption = QStringLiteral("%1 CAN ID Details").arg(CanIdToText(source->Msg.Extended, source->Msg.CanId));
  if (OnCaptionChanged) OnCaptionChanged(FCaption);
  FModel.BeginUpdate();
  for (std::size_t i = 0; i < 8; ++i) {
    TCanIdDetailsData& row = FRows.Record(i);
    const std::uint8_t byte = source->Msg.Data[i];
    row.ByteValue = byte;
    for (int k = 0; k < 8; ++k) row.Bits[k] = ((byte >> (7 - k)) & 1) != 0;
    row.DecValue = byte;
    FModel.RowChanged(i);
  }
  FModel.EndUpdate();
}

QString TCanIdDetails::ColumnTitle(int column) const {
  if (column == 0) return QStringLiteral("Byte");
  if (column <= 8) return QStringLiteral("Bit %1").arg(8 - column);
  if (column == 9) return QStringLiteral("Dec");
  if (column == 10) return QStringLiteral("ASCII");
  return {};
}

QString TCanIdDetails::CellText(std::size_t row, int column) const {
  const TCanIdDetailsData& r = FRows.Record(row);
  if (column == 0) return QString::asprintf("%02X", r.ByteValue);
  if (column <= 8) return BoolToText(r.Bits[column - 1]);
  if (column == 9) return QString::number(r.DecValue);
  if (column == 10) return QString(ByteToAsciiChar(r.ByteValue));
  return {};
}

QVariant TCanIdDetails::CellColor(std::size_t row, int column) const {
  if (column < 1 || column > 8) return {};
  return QColor(FRows.Record(row).Bits[column - 1] ? Qt::red : Qt::blue);
}

QVariant TCanIdDetails::CellValue(std::size_t row, int column) const {
  return column == kBarColumn ? QVariant(FRows.Record(row).DecValue) : QVariant();
}
