#pragma once
// The "Monitor" page: the monitor list under its "Receive" title bar with its tool bar, and
// the CAN ID details panel below it. The send panel is added below by the window.

#include <QAction>
#include <QSplitter>
#include <QTreeView>
#include <QWidget>

#include "views/CanIdDetails.h"
#include "lists/ListView.h"

class QLabel;

class TMonitorPage : public QWidget {
  Q_OBJECT

 public:
  TMonitorPage(TMonitorList& monitor, TCanIdDetails& details, QWidget* parent = nullptr);

  [[nodiscard]] QTreeView* vstDataMonitor() const { return FList; }
  [[nodiscard]] QTreeView* vstCanIdDetails() const { return FDetailsGrid; }
  [[nodiscard]] QWidget* panelCanIdetails() const { return FDetailsPanel; }
  [[nodiscard]] QSplitter* Splitter() const { return FSplitter; }

  QAction* actionMonitorColor = nullptr;
  QAction* actionShowIdDetailsWindow = nullptr;
  QAction* actionClearLog = nullptr;
  QAction* actionPrintMonitorData = nullptr;   // wired by the report
  QAction* actionExportMonitorData = nullptr;  // wired by the export

 private:
  void BuildDetailsPanel();
  void vstDataMonitorChange();

  TMonitorList& FMonitor;
  TCanIdDetails& FDetails;
  QSplitter* FSplitter = nullptr;
  QTreeView* FList = nullptr;
  QWidget* FDetailsPanel = nullptr;
  QLabel* FDetailsCaption = nullptr;
  QTreeView* FDetailsGrid = nullptr;
};

// Draws the value bar of the details grid's last column over the cell.
class TDetailsBarDelegate : public TGridDelegate {
 public:
  using TGridDelegate::TGridDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  static void DrawBar(QPainter* painter, QRect cell, int value);
};
