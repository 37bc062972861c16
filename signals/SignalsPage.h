#pragma once
// The "Signals" page: the tree of the messages and signals the loaded databases decode from the
// bus, under its title bar; and the pane under the trace with the signals of the selected row.

#include <QAction>
#include <QLabel>
#include <QTreeView>
#include <QWidget>

#include "signals/SignalDetailsModel.h"
#include "signals/SignalTreeModel.h"

class TSignalsPage : public QWidget {
  Q_OBJECT
 public:
  explicit TSignalsPage(TSignalTreeModel& tree, QWidget* parent = nullptr);

  [[nodiscard]] QTreeView* vstSignals() const { return FTree; }
  // Plots the selected signal, or the signals of the selected message; the window connects it.
  QAction* actionPlotSignals = nullptr;

 private:
  QTreeView* FTree = nullptr;
};

class TSignalDetailsPane : public QWidget {
  Q_OBJECT
 public:
  explicit TSignalDetailsPane(TSignalDetailsModel& details, QWidget* parent = nullptr);

  [[nodiscard]] QTreeView* vstTraceSignals() const { return FList; }
  // The caption follows the model after a new frame was shown.
  void Refresh();

 private:
  TSignalDetailsModel& FDetails;
  QLabel* FCaption = nullptr;
  QTreeView* FList = nullptr;
};
