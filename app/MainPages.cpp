#include "app/MainPages.h"

#include <QGroupBox>
#include <QLabel>
#include <QSplitter>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

QWidget* MakeArea(const QString& name, QWidget* parent) {
  auto* area = new QWidget(parent);
  area->setObjectName(name);
  auto* layout = new QVBoxLayout(area);
  layout->setContentsMargins(0, 0, 0, 0);
  return area;
}

}  // namespace

TMainPages::TMainPages(QWidget* parent) : QTabWidget(parent) {
  setObjectName(QStringLiteral("PageControl1"));
  FContent[pgMonitor] = AddPage(QStringLiteral("tsMonitor"), QStringLiteral("Monitor"), &FMonitorToolBar);
  FContent[pgTrace] = AddPage(QStringLiteral("tsTrace"), QStringLiteral("Trace"), &FTraceToolBar);
  FContent[pgIdFilter] = AddPage(QStringLiteral("tsIdFilter"), QStringLiteral("Identifier Filter"));
  FContent[pgHardwareFilter] = AddPage(QStringLiteral("tsHardwareFilter"), QStringLiteral("Hardware Filter"));
  FContent[pgPredefinedMessages] = AddPage(QStringLiteral("tsPredefinedMessages"), QStringLiteral("Predefined Messages / Trigger"));
  FContent[pgTriggerLog] = AddPage(QStringLiteral("tsTriggerLog"), QStringLiteral("Trigger Log"));
  BuildMonitorPage();
  BuildTracePage();
}

QWidget* TMainPages::AddPage(const QString& name, const QString& caption, QToolBar** toolBar) {
  auto* page = new QWidget(this);
  page->setObjectName(name);
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(2, 2, 2, 2);
  if (toolBar) {
    *toolBar = new QToolBar(page);
    (*toolBar)->setObjectName(QStringLiteral("tb") + name.mid(2));
    (*toolBar)->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    layout->addWidget(*toolBar);
  }
  QWidget* content = MakeArea(name + QStringLiteral("Content"), page);
  layout->addWidget(content, 1);
  addTab(page, caption);
  return content;
}

// Monitor list on the left, the CAN ID details beside it (hidden until asked for), and the
// "Send Message" panel underneath.
void TMainPages::BuildMonitorPage() {
  QWidget* content = FContent[pgMonitor];
  auto* split = new QSplitter(Qt::Horizontal, content);
  split->setObjectName(QStringLiteral("splMonitor"));
  FMonitorList = MakeArea(QStringLiteral("pnlMonitorList"), split);
  FCanIdDetails = MakeArea(QStringLiteral("pnlCanIdDetails"), split);
  split->addWidget(FMonitorList);
  split->addWidget(FCanIdDetails);
  split->setStretchFactor(0, 3);
  split->setStretchFactor(1, 1);
  FCanIdDetails->setVisible(false);

  FSendMessage = new QGroupBox(QStringLiteral("Send Message"), content);
  FSendMessage->setObjectName(QStringLiteral("gbSendMessage"));
  new QVBoxLayout(FSendMessage);

  content->layout()->addWidget(split);
  static_cast<QVBoxLayout*>(content->layout())->setStretchFactor(split, 1);
  content->layout()->addWidget(FSendMessage);
}

void TMainPages::BuildTracePage() {
  QWidget* page = FContent[pgTrace]->parentWidget();
  FPanel18 = new QLabel(QStringLiteral(" Messages count: 0"), page);
  FPanel18->setObjectName(QStringLiteral("Panel18"));
  FPanel18->setFrameShape(QFrame::StyledPanel);
  page->layout()->addWidget(FPanel18);
}

QWidget* TMainPages::PageContent(TPage page) const { return FContent[page]; }

void TMainPages::Place(QWidget* area, QWidget* content) {
  content->setParent(area);
  area->layout()->addWidget(content);
}
