#pragma once
// What the Signals page shows: one row per message the databases know and the bus carries, in
// identifier order (name, identifier, count, measured cycle beside GenMsgCycleTime), and under
// it one row per signal seen present (value with unit or its value-table text, raw value in
// hex, minimum and maximum seen, receivers; the comment as tool tip).
//
// Fed at the drain: each frame is decoded once into the kept numbers, and the rows it changed
// are announced once at the end of the drain. Texts are made only when a cell is asked for.
// Nothing is decoded while no database is loaded.

#include <QAbstractItemModel>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

#include "signals/SignalCodec.h"
#include "signals/SignalDatabases.h"
#include "views/TrafficObserver.h"

class TSignalTreeModel : public QAbstractItemModel, public TTrafficObserver {
  Q_OBJECT
 public:
  enum TColumn { scName, scId, scCount, scCycle, scDbcCycle, scValue, scRaw, scMinimum, scMaximum, scReceivers, scColumnCount };

  explicit TSignalTreeModel(const TSignalDatabases& databases, QObject* parent = nullptr);
  ~TSignalTreeModel() override;

  // The databases changed: every row goes, the next frames build them anew.
  void DatabasesChanged();
  void Clear();

  // The signals a row stands for: a signal row its own, a message row those shown under it.
  struct TRowSignals {
    const TMessageDef* Message = nullptr;
    std::vector<std::uint32_t> Signals;  // indices in Message->Signals
  };
  [[nodiscard]] TRowSignals SignalsAt(const QModelIndex& index) const;

  // Rows drag out as the signals they stand for, onto a plot.
  [[nodiscard]] Qt::ItemFlags flags(const QModelIndex& index) const override;
  [[nodiscard]] QStringList mimeTypes() const override;
  [[nodiscard]] QMimeData* mimeData(const QModelIndexList& indexes) const override;

  void FrameEntered(const TCanMsgProg& msg, bool received) override;
  void DrainBegun() override { FInDrain = true; }
  void DrainEnded() override;

  [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
  [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
  [[nodiscard]] QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
  [[nodiscard]] QModelIndex parent(const QModelIndex& child) const override;
  [[nodiscard]] QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

 private:
  struct TSignalState {
    bool Seen = false;
    std::uint64_t Raw = 0;
    double Value = 0;
    double Minimum = 0;
    double Maximum = 0;
  };
  struct TMessageRow {
    const TMessageDef* Def = nullptr;
    std::uint32_t Count = 0;
    std::int32_t LastTime = 0;
    std::optional<std::int64_t> Cycle;  // ms between the last two frames
    std::vector<TSignalState> Signals;  // per signal of the definition
    std::vector<std::uint32_t> Shown;   // the seen ones, in definition order: the child rows
    bool Dirty = false;
  };

  TMessageRow& RowFor(const TMessageDef& def);
  void Update(TMessageRow& row, const TCanMsgProg& msg);
  void Publish();
  [[nodiscard]] int RowOf(const TMessageRow& row) const;
  [[nodiscard]] QVariant MessageData(const TMessageRow& row, int column, int role) const;
  [[nodiscard]] QVariant SignalData(const TMessageRow& row, std::uint32_t signal, int column, int role) const;

  const TSignalDatabases& FDatabases;
  std::vector<std::unique_ptr<TMessageRow>> FRows;  // in identifier order
  std::unordered_map<const TMessageDef*, TMessageRow*> FIndex;
  std::vector<TMessageRow*> FDirty;
  std::vector<TSignalValue> FValues;
  bool FInDrain = false;
};
