#include "signals/SignalTreeModel.h"

#include <algorithm>

#include "model/CanText.h"
#include "signals/SignalDrag.h"
#include "signals/SignalText.h"

namespace {

bool MessageLess(const TMessageDef& a, const TMessageDef& b) {
  return a.Id != b.Id ? a.Id < b.Id : (!a.Extended && b.Extended);
}

const char* const kTitles[] = {"Name", "ID", "Count", "Cycle", "GenMsgCycleTime", "Value", "Raw", "Minimum", "Maximum", "Receivers"};
static_assert(std::size(kTitles) == TSignalTreeModel::scColumnCount);

QString Text(const std::string& utf8) { return QString::fromStdString(utf8); }

}  // namespace

TSignalTreeModel::TSignalTreeModel(const TSignalDatabases& databases, QObject* parent)
    : QAbstractItemModel(parent), FDatabases(databases) {}

TSignalTreeModel::~TSignalTreeModel() = default;

void TSignalTreeModel::DatabasesChanged() { Clear(); }

void TSignalTreeModel::Clear() {
  beginResetModel();
  FRows.clear();
  FIndex.clear();
  FDirty.clear();
  endResetModel();
}

void TSignalTreeModel::FrameEntered(const TCanMsgProg& msg, bool /*received*/) {
  if (FDatabases.Empty()) return;
  const TMessageDef* def = FDatabases.Find(msg);
  if (!def) return;
  Update(RowFor(*def), msg);
  if (!FInDrain) Publish();
}

void TSignalTreeModel::DrainEnded() {
  FInDrain = false;
  Publish();
}

TSignalTreeModel::TMessageRow& TSignalTreeModel::RowFor(const TMessageDef& def) {
  if (const auto found = FIndex.find(&def); found != FIndex.end()) return *found->second;
  const auto place = std::upper_bound(FRows.begin(), FRows.end(), def,
                                      [](const TMessageDef& d, const auto& row) { return MessageLess(d, *row->Def); });
  const int position = static_cast<int>(place - FRows.begin());
  auto row = std::make_unique<TMessageRow>();
  row->Def = &def;
  row->Signals.resize(def.Signals.size());
  TMessageRow& added = *row;
  beginInsertRows({}, position, position);
  FRows.insert(place, std::move(row));
  FIndex.emplace(&def, &added);
  endInsertRows();
  return added;
}

void TSignalTreeModel::Update(TMessageRow& row, const TCanMsgProg& msg) {
  if (row.Count > 0 && msg.Time > row.LastTime) row.Cycle = static_cast<std::int64_t>(msg.Time) - row.LastTime;
  ++row.Count;
  row.LastTime = msg.Time;
  DecodeFrame(*row.Def, msg, FValues);
  for (const TSignalValue& value : FValues) {
    TSignalState& state = row.Signals[value.Signal];
    if (!state.Seen) {
      const auto place = std::lower_bound(row.Shown.begin(), row.Shown.end(), value.Signal);
      const int position = static_cast<int>(place - row.Shown.begin());
      beginInsertRows(index(RowOf(row), 0), position, position);
      row.Shown.insert(place, value.Signal);
      state = {true, value.Raw, value.Value, value.Value, value.Value};
      endInsertRows();
      continue;
    }
    state.Raw = value.Raw;
    state.Value = value.Value;
    state.Minimum = std::min(state.Minimum, value.Value);
    state.Maximum = std::max(state.Maximum, value.Value);
  }
  if (!row.Dirty) {
    row.Dirty = true;
    FDirty.push_back(&row);
  }
}

void TSignalTreeModel::Publish() {
  for (TMessageRow* row : FDirty) {
    row->Dirty = false;
    const QModelIndex message = index(RowOf(*row), 0);
    emit dataChanged(message, message.siblingAtColumn(scColumnCount - 1));
    if (!row->Shown.empty())
      emit dataChanged(index(0, 0, message), index(static_cast<int>(row->Shown.size()) - 1, scColumnCount - 1, message));
  }
  FDirty.clear();
}

int TSignalTreeModel::RowOf(const TMessageRow& row) const {
  const auto place = std::lower_bound(FRows.begin(), FRows.end(), row.Def,
                                      [](const auto& r, const TMessageDef* d) { return MessageLess(*r->Def, *d); });
  return static_cast<int>(place - FRows.begin());
}

TSignalTreeModel::TRowSignals TSignalTreeModel::SignalsAt(const QModelIndex& index) const {
  if (!index.isValid() || index.model() != this) return {};
  const auto* row = static_cast<const TMessageRow*>(index.internalPointer());
  if (row) return {row->Def, {row->Shown[static_cast<std::size_t>(index.row())]}};
  const TMessageRow& message = *FRows[static_cast<std::size_t>(index.row())];
  return {message.Def, message.Shown};
}

Qt::ItemFlags TSignalTreeModel::flags(const QModelIndex& index) const {
  return QAbstractItemModel::flags(index) | (index.isValid() ? Qt::ItemIsDragEnabled : Qt::NoItemFlags);
}

QStringList TSignalTreeModel::mimeTypes() const { return {kSignalsMimeType}; }

QMimeData* TSignalTreeModel::mimeData(const QModelIndexList& indexes) const {
  std::vector<TSignalKey> keys;
  for (const QModelIndex& index : indexes) {
    if (index.column() != 0) continue;
    const TRowSignals chosen = SignalsAt(index);
    if (!chosen.Message) continue;
    for (const std::uint32_t signal : chosen.Signals) {
      TSignalKey key{chosen.Message->Id, chosen.Message->Extended, chosen.Message->Signals[signal].Name};
      if (std::find(keys.begin(), keys.end(), key) == keys.end()) keys.push_back(std::move(key));
    }
  }
  return keys.empty() ? nullptr : SignalsMimeData(keys).release();
}

int TSignalTreeModel::rowCount(const QModelIndex& parent) const {
  if (!parent.isValid()) return static_cast<int>(FRows.size());
  if (parent.internalPointer() != nullptr || parent.column() != 0) return 0;
  return static_cast<int>(FRows[static_cast<std::size_t>(parent.row())]->Shown.size());
}

int TSignalTreeModel::columnCount(const QModelIndex&) const { return scColumnCount; }

QModelIndex TSignalTreeModel::index(int row, int column, const QModelIndex& parent) const {
  if (!hasIndex(row, column, parent)) return {};
  if (!parent.isValid()) return createIndex(row, column, nullptr);
  return createIndex(row, column, FRows[static_cast<std::size_t>(parent.row())].get());
}

QModelIndex TSignalTreeModel::parent(const QModelIndex& child) const {
  const auto* row = static_cast<const TMessageRow*>(child.internalPointer());
  return row ? createIndex(RowOf(*row), 0, nullptr) : QModelIndex();
}

QVariant TSignalTreeModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= scColumnCount) return {};
  return QString::fromLatin1(kTitles[section]);
}

QVariant TSignalTreeModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  if (const auto* row = static_cast<const TMessageRow*>(index.internalPointer()))
    return SignalData(*row, row->Shown[static_cast<std::size_t>(index.row())], index.column(), role);
  return MessageData(*FRows[static_cast<std::size_t>(index.row())], index.column(), role);
}

QVariant TSignalTreeModel::MessageData(const TMessageRow& row, int column, int role) const {
  const TMessageDef& def = *row.Def;
  if (role == Qt::ToolTipRole) return def.Comment.empty() ? QVariant() : Text(def.Comment);
  if (role != Qt::DisplayRole) return {};
  switch (column) {
    case scName: return Text(def.Name);
    case scId: return CanIdToText(def.Extended, def.Id);
    case scCount: return QString::number(row.Count);
    case scCycle: return row.Cycle ? QString::number(*row.Cycle) : QString();
    case scDbcCycle: return def.CycleTime && *def.CycleTime > 0 ? QString::number(*def.CycleTime) : QString();
    default: return {};
  }
}

QVariant TSignalTreeModel::SignalData(const TMessageRow& row, std::uint32_t signal, int column, int role) const {
  const TSignalDef& def = row.Def->Signals[signal];
  const TSignalState& state = row.Signals[signal];
  if (role == Qt::ToolTipRole) return def.Comment.empty() ? QVariant() : Text(def.Comment);
  if (role != Qt::DisplayRole) return {};
  switch (column) {
    case scName: return Text(def.Name);
    case scValue: return SignalValueText(def, state.Raw, state.Value);
    case scRaw: return RawHexText(def, state.Raw);
    case scMinimum: return ValueWithUnit(def, state.Minimum);
    case scMaximum: return ValueWithUnit(def, state.Maximum);
    case scReceivers: return ReceiversText(def);
    default: return {};
  }
}
