#include "transmit/TriggerLogPage.h"

#include <QVBoxLayout>

#include "icons/AppIcons.h"
#include "lists/ListLayoutView.h"
#include "lists/ListView.h"
#include "transmit/FrameFields.h"
#include "transmit/TriggerLogExport.h"

TTriggerLogPage::TTriggerLogPage(TTriggerLogList& log, QWidget* parent) : QWidget(parent), FLog(log) {
  setObjectName(QStringLiteral("tsTriggerLog"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(CreateTitleBar(this, QStringLiteral("Trigger Log Messages")));

  tbTriggerLog = new QToolBar(this);
  tbTriggerLog->setObjectName(QStringLiteral("tbTriggerLog"));
  actionClearTriggerLog =
      AddToolAction(tbTriggerLog, QStringLiteral("actionClearTriggerLog"), QStringLiteral("Clear"), QStringLiteral("Clear log"), false,
                    ThemedAppIcon("edit-clear", "clear"));
  tbTriggerLog->addSeparator();
  actionExportTriggerLog = AddToolAction(tbTriggerLog, QStringLiteral("actionExportTriggerLog"), QStringLiteral("Export"),
                                         QStringLiteral("Export trigger log"), false, AppIcon("export"));
  actionPrintTriggerLog =
      AddToolAction(tbTriggerLog, QStringLiteral("actionPrintTriggerLog"), QStringLiteral("Print"), QStringLiteral("Print trigger log"), false,
                    ThemedAppIcon("document-print", "print"));
  layout->addWidget(tbTriggerLog);

  FList = CreateListView(this, QStringLiteral("vstTriggerLogData"), QStringLiteral("Trigger Log Messages"), log.Model());
  ApplyListLayout(*FList, TriggerLogLayout());
  OfferToolBarAsContextMenu(FList, tbTriggerLog);
  SetPageShortcut(this, actionExportTriggerLog, Qt::CTRL | Qt::Key_E);
  SetPageShortcut(this, actionPrintTriggerLog, QKeySequence::Print);
  layout->addWidget(FList, 1);

  connect(actionClearTriggerLog, &QAction::triggered, this, [this] { RunUserAction([this] { actionClearTriggerLogExecute(); }); });
}

void TTriggerLogPage::actionClearTriggerLogExecute() {
  if (AskDeleteAllMessages(this)) FLog.ClearLog();
}
