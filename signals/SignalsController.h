#pragma once
// The loaded signal databases of the window and what follows from them: the Signals page's
// tree fed from the traffic's frame path, the trace's details, the monitor's message names and
// the list of recently loaded files. The window, its project and its menu work through this.

#include <QString>
#include <QStringList>
#include <functional>

#include "signals/SignalDatabases.h"
#include "signals/SignalDetailsModel.h"
#include "signals/SignalTreeModel.h"
#include "views/TrafficViews.h"

class TSignalsController {
 public:
  static constexpr int kRecentCount = 8;

  explicit TSignalsController(TTrafficViews& traffic);
  ~TSignalsController();
  TSignalsController(const TSignalsController&) = delete;
  TSignalsController& operator=(const TSignalsController&) = delete;

  // What a load or an open had to say: the files that could not be read (with the reader's
  // "FILE:LINE:COLUMN: expected ..." or the missing file) and the warnings of those loaded.
  struct TReport {
    QStringList Refused;
    QStringList Warnings;
  };
  // Adds the files to the loaded ones; a refused file leaves what was loaded as it was. A file
  // already loaded is not read twice. Each loaded file heads the recent list.
  TReport Load(const QStringList& paths);
  // In place of the loaded files (a project's): missing or refused ones are reported.
  TReport Replace(const QStringList& paths);
  void UnloadAll();

  [[nodiscard]] const TSignalDatabases& Databases() const { return FDatabases; }
  [[nodiscard]] QStringList Paths() const;
  [[nodiscard]] TSignalTreeModel& Tree() { return FTree; }
  [[nodiscard]] TSignalDetailsModel& Details() { return FDetails; }
  [[nodiscard]] QString MessageName(const TCanMsgProg& msg) const;

  // Most recent first, kept in the user's configuration folder.
  [[nodiscard]] QStringList RecentFiles() const;

  // After every change of the loaded files.
  std::function<void()> OnDatabasesChanged;

 private:
  void Changed();
  void NoteRecent(const QString& path);

  TTrafficViews& FTraffic;
  TSignalDatabases FDatabases;
  TSignalTreeModel FTree;
  TSignalDetailsModel FDetails;
};
