#pragma once
// The pages of the main window. Each starts as an empty sheet with a layout; the window
// replaces a sheet by the list page that belongs there, and the "Send Message" panel sits
// under the monitor on the Monitor page.

#include <QTabWidget>

class QGroupBox;
class TMonitorPage;

class TMainPages : public QTabWidget {
  Q_OBJECT
 public:
  enum TPage { pgMonitor, pgTrace, pgIdFilter, pgHardwareFilter, pgPredefinedMessages, pgTriggerLog, pgSignals, pgStatistics };

  explicit TMainPages(QWidget* parent = nullptr);

  // The sheet of a page: the installed page, or the empty sheet that holds its place.
  [[nodiscard]] QWidget* PageContent(TPage page) const { return widget(page); }
  [[nodiscard]] QGroupBox* SendMessageArea() const { return FSendMessage; }

  // Puts `sheet` in place of the page's current sheet, keeping caption and position.
  void SetPage(TPage page, QWidget* sheet);
  // The Monitor page; the "Send Message" panel goes below its lists.
  void SetMonitorPage(TMonitorPage* sheet);

  // Puts `content` into `area`, below what is already there.
  static void Place(QWidget* area, QWidget* content);

 private:
  void AddSheet(const QString& name, const QString& caption);

  QGroupBox* FSendMessage = nullptr;
};
