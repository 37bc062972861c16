#pragma once
// The decoded signals of one frame, for the details pane under the trace: signal, value (or
// its value-table text), raw value in hex. Empty for a frame no database knows.

#include <QAbstractTableModel>
#include <optional>
#include <vector>

#include "signals/SignalCodec.h"
#include "signals/SignalDatabases.h"

class TSignalDetailsModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  enum TColumn { dcSignal, dcValue, dcRaw, dcColumnCount };

  explicit TSignalDetailsModel(const TSignalDatabases& databases, QObject* parent = nullptr)
      : QAbstractTableModel(parent), FDatabases(databases) {}

  // The frame to show, or none.
  void ShowFrame(const std::optional<TCanMsgProg>& msg);
  // "EngineData (0A5)", empty when no known frame is shown.
  [[nodiscard]] QString Caption() const;

  [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
  [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
  [[nodiscard]] QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

 private:
  const TSignalDatabases& FDatabases;
  const TMessageDef* FMessage = nullptr;
  std::vector<TSignalValue> FValues;
};
