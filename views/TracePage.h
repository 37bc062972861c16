#pragma once
// The "Trace" page: tool bar, the trace list under its "Trace" title bar, the message
// count and the search field with its column choice.

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSplitter>
#include <QToolButton>
#include <QTreeView>
#include <QWidget>

#include "views/TraceList.h"

class TTracePage : public QWidget {
  Q_OBJECT

 public:
  explicit TTracePage(TTraceList& trace, QWidget* parent = nullptr);

  [[nodiscard]] QTreeView* vstDataTrace() const { return FList; }
  [[nodiscard]] QLabel* Panel18() const { return FCount; }
  [[nodiscard]] QLineEdit* edSearchTrace() const { return FSearch; }
  [[nodiscard]] QComboBox* cbSearchTraceColumn() const { return FSearchColumn; }
  // The list and, below it, the panes others add (the decoded signals of the selected row).
  [[nodiscard]] QSplitter* Splitter() const { return FSplitter; }

  QAction* actionTraceColor = nullptr;
  QAction* actonClearTraceList = nullptr;
  QAction* actionPrintTraceData = nullptr;   // wired by the report
  QAction* actionExportTraceData = nullptr;  // wired by the export
  QAction* actionTraceScroll = nullptr;
  QAction* actionImportTraceLog = nullptr;    // wired by the window: only while no device is open
  QAction* actionBMW = nullptr;               // wired by the catalog window
  QAction* edSearchTraceRightButton = nullptr;

 private:
  void BuildToolBar();
  void BuildSearchLine();
  void edSearchTraceChange(const QString& text);

  TTraceList& FTrace;
  QSplitter* FSplitter = nullptr;
  QTreeView* FList = nullptr;
  QLabel* FCount = nullptr;
  QLineEdit* FSearch = nullptr;
  QComboBox* FSearchColumn = nullptr;
};
