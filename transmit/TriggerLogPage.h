#pragma once
// The "Trigger Log" page: the trigger log under its title bar with its tool bar.

#include <QAction>
#include <QToolBar>
#include <QTreeView>
#include <QWidget>

#include "transmit/TriggerLogList.h"

class TTriggerLogPage : public QWidget {
  Q_OBJECT
 public:
  explicit TTriggerLogPage(TTriggerLogList& log, QWidget* parent = nullptr);

  [[nodiscard]] QTreeView* vstTriggerLogData() const { return FList; }

  QToolBar* tbTriggerLog = nullptr;
  QAction* actionClearTriggerLog = nullptr;
  // Their handlers belong to the export and the report.
  QAction* actionExportTriggerLog = nullptr;
  QAction* actionPrintTriggerLog = nullptr;

  void actionClearTriggerLogExecute();

 private:
  TTriggerLogList& FLog;
  QTreeView* FList = nullptr;
};
