#include "signals/SignalDetailsModel.h"

#include "model/CanText.h"
#include "signals/SignalText.h"

void TSignalDetailsModel::ShowFrame(const std::optional<TCanMsgProg>& msg) {
  beginResetModel();
  FMessage = msg ? FDatabases.Find(*msg) : nullptr;
  FValues.clear();
  if (FMessage) DecodeFrame(*FMessage, *msg, FValues);
  endResetModel();
}

QString TSignalDetailsModel::Caption() const {
  if (!FMessage) return {};
  return QStringLiteral("%1 (%2)").arg(QString::fromStdString(FMessage->Name), CanIdToText(FMessage->Extended, FMessage->Id));
}

int TSignalDetailsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(FValues.size());
}

int TSignalDetailsModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : dcColumnCount; }

QVariant TSignalDetailsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  static const char* const kTitles[] = {"Signal", "Value", "Raw"};
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= dcColumnCount) return {};
  return QString::fromLatin1(kTitles[section]);
}

QVariant TSignalDetailsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || !FMessage) return {};
  const TSignalValue& value = FValues[static_cast<std::size_t>(index.row())];
  const TSignalDef& signal = FMessage->Signals[value.Signal];
  if (role == Qt::ToolTipRole) return signal.Comment.empty() ? QVariant() : QString::fromStdString(signal.Comment);
  if (role != Qt::DisplayRole) return {};
  switch (index.column()) {
    case dcSignal: return QString::fromStdString(signal.Name);
    case dcValue: return SignalValueText(signal, value.Raw, value.Value);
    case dcRaw: return RawHexText(signal, value.Raw);
    default: return {};
  }
}
