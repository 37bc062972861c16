#pragma once
// The six pages of the main window as empty containers. Each page and each area of the
// Monitor page has a layout that takes the list or editor placed into it later.

#include <QTabWidget>

class QGroupBox;
class QLabel;
class QToolBar;

class TMainPages : public QTabWidget {
  Q_OBJECT
 public:
  enum TPage { pgMonitor, pgTrace, pgIdFilter, pgHardwareFilter, pgPredefinedMessages, pgTriggerLog };

  explicit TMainPages(QWidget* parent = nullptr);

  // The content area of a page (below its tool bar, where there is one).
  [[nodiscard]] QWidget* PageContent(TPage page) const;
  // The Monitor page's three areas.
  [[nodiscard]] QWidget* MonitorListArea() const { return FMonitorList; }
  [[nodiscard]] QWidget* CanIdDetailsArea() const { return FCanIdDetails; }
  [[nodiscard]] QGroupBox* SendMessageArea() const { return FSendMessage; }
  // Tool bars of the Monitor and Trace pages.
  [[nodiscard]] QToolBar* MonitorToolBar() const { return FMonitorToolBar; }
  [[nodiscard]] QToolBar* TraceToolBar() const { return FTraceToolBar; }
  // " Messages count: %d" under the trace.
  [[nodiscard]] QLabel* Panel18() const { return FPanel18; }

  // Puts `content` into `area`, below what is already there.
  static void Place(QWidget* area, QWidget* content);

 private:
  QWidget* AddPage(const QString& name, const QString& caption, QToolBar** toolBar = nullptr);
  void BuildMonitorPage();
  void BuildTracePage();

  QWidget* FContent[6] = {};
  QWidget* FMonitorList = nullptr;
  QWidget* FCanIdDetails = nullptr;
  QGroupBox* FSendMessage = nullptr;
  QToolBar* FMonitorToolBar = nullptr;
  QToolBar* FTraceToolBar = nullptr;
  QLabel* FPanel18 = nullptr;
};
