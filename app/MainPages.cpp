#include "app/MainPages.h"

#include <QGroupBox>
#include <QSplitter>
#include <QVBoxLayout>

#include "views/MonitorPage.h"

TMainPages::TMainPages(QWidget* parent) : QTabWidget(parent) {
  setObjectName(QStringLiteral("PageControl1"));
  AddSheet(QStringLiteral("tsMonitor"), QStringLiteral("Monitor"));
  AddSheet(QStringLiteral("tsTrace"), QStringLiteral("Trace"));
  AddSheet(QStringLiteral("tsIdFilter"), QStringLiteral("Identifier Filter"));
  AddSheet(QStringLiteral("tsHardwareFilter"), QStringLiteral("Hardware Filter"));
  AddSheet(QStringLiteral("tsPredefinedMessages"), QStringLiteral("Predefined Messages / Trigger"));
  AddSheet(QStringLiteral("tsTriggerLog"), QStringLiteral("Trigger Log"));
  AddSheet(QStringLiteral("tsSignals"), QStringLiteral("Signals"));
  AddSheet(QStringLiteral("tsStatistics"), QStringLiteral("Statistics"));

  FSendMessage = new QGroupBox(QStringLiteral("Send Message"), widget(pgMonitor));
  FSendMessage->setObjectName(QStringLiteral("gbSendMessage"));
  new QVBoxLayout(FSendMessage);
  Place(widget(pgMonitor), FSendMessage);
}

void TMainPages::AddSheet(const QString& name, const QString& caption) {
  auto* sheet = new QWidget(this);
  sheet->setObjectName(name);
  auto* layout = new QVBoxLayout(sheet);
  layout->setContentsMargins(2, 2, 2, 2);
  addTab(sheet, caption);
}

void TMainPages::SetPage(TPage page, QWidget* sheet) {
  const bool current = currentIndex() == page;
  const QString caption = tabText(page);
  QWidget* previous = widget(page);
  removeTab(page);
  insertTab(page, sheet, caption);
  if (current) setCurrentIndex(page);
  delete previous;
}

// The send panel moves out of the placeholder first, so it survives the swap.
void TMainPages::SetMonitorPage(TMonitorPage* sheet) {
  QSplitter* split = sheet->Splitter();
  split->addWidget(FSendMessage);
  split->setStretchFactor(0, 1);
  split->setCollapsible(split->indexOf(FSendMessage), false);
  SetPage(pgMonitor, sheet);
}

void TMainPages::Place(QWidget* area, QWidget* content) {
  content->setParent(area);
  area->layout()->addWidget(content);
}
