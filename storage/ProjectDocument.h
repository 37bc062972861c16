#pragma once
// The project: its file name, its unsaved-changes flag and the six lists and settings it
// covers. It owns none of them; a list that is not set is skipped.

#include <QString>
#include <QStringList>
#include <array>
#include <functional>

#include "storage/ProjectList.h"
#include "storage/ProjectPlot.h"

class TMyRegValues;

inline const QString kUnnamedProject = QStringLiteral("<unnamed>");

using TChangeNameEvent = std::function<void(const QString& ProjectName)>;
using TChangedEvent = std::function<void(bool Changed)>;

class TProjectDocument {
 public:
  TProjectDocument() = default;
  TProjectDocument(const TProjectDocument&) = delete;
  TProjectDocument& operator=(const TProjectDocument&) = delete;

  [[nodiscard]] const QString& ProjectName() const { return FProjectName; }
  // Assigns without firing OnChangeName.
  void SetProjectName(const QString& value);

  [[nodiscard]] bool Changed() const { return FChanged; }
  // Fires OnChanged only when the value actually changes.
  void SetChanged(bool value);

  // Starts an unnamed, unchanged project with all six lists emptied.
  void New();

  // Writes the project file and its side folder; every file replaces its old version only
  // when all were written, and the project takes the new name only then. Throws on failure.
  // Changed is left to the caller.
  void Save(const QString& FileName);
  // Reads the project file and every side file, then takes over their settings, rows and name.
  // A missing side folder is reported to the user and gives false; any other failure throws.
  // Either way nothing has changed. Changed is left to the caller.
  bool Open(const QString& FileName);

  TProjectList* SoftwareFilterTree = nullptr;
  TProjectList* HardwareFilterTree = nullptr;
  TProjectList* MonitorTree = nullptr;
  TProjectList* TraceTree = nullptr;
  TProjectList* PredefinedMessagesTree = nullptr;
  TProjectList* LogMessageTree = nullptr;
  TMyRegValues* Settings = nullptr;

  TChangeNameEvent OnChangeName;
  TChangedEvent OnChanged;
  // The signal databases the project keeps: the loaded files' paths for a save, and the paths
  // an open read (absolute) or a new project's none, to load in place of the loaded ones.
  std::function<QStringList()> DatabasePaths;
  std::function<void(const QStringList& paths)> OpenDatabases;
  // The plot the project keeps: what a save writes, and what an open read or a new project's
  // empty one, to show in place of the plotted signals. Applied after the lists and databases.
  std::function<TProjectPlot()> PlotLayout;
  std::function<void(const TProjectPlot& plot)> OpenPlotLayout;

  // The six list references in the order New empties them.
  [[nodiscard]] std::array<TProjectList*, 6> Lists() const {
    return {SoftwareFilterTree, HardwareFilterTree, MonitorTree, TraceTree, PredefinedMessagesTree, LogMessageTree};
  }

 private:
  QString FProjectName;
  bool FChanged = false;
};
