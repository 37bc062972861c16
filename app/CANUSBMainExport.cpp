// The main window's export and print commands of the monitor, the trace and the trigger log.

#include <QAction>
#include <functional>

#include "app/CANUSBMain.h"
#include "app/ListExportActions.h"
#include "app/UserAction.h"
#include "lists/ListLayoutView.h"
#include "transmit/TriggerLogExport.h"
#include "transmit/TriggerLogPage.h"
#include "views/MonitorPage.h"
#include "views/TracePage.h"
#include "views/TraceLogFile.h"
#include "views/TrafficExport.h"

namespace {
void EnableAction(QAction* action, QObject* context, std::function<void()> handler) {
  action->setEnabled(true);
  QObject::connect(action, &QAction::triggered, context, [handler = std::move(handler)] { GuardUserAction(handler); });
}
}  // namespace

void TfCANUSBMain::BuildExport() {
  EnableAction(MonitorPage->actionExportMonitorData, this, [this] { actionExportMonitorDataExecute(); });
  EnableAction(MonitorPage->actionPrintMonitorData, this, [this] { actionPrintMonitorDataExecute(); });
  EnableAction(TracePage->actionExportTraceData, this, [this] { actionExportTraceDataExecute(); });
  EnableAction(TracePage->actionPrintTraceData, this, [this] { actionPrintTraceDataExecute(); });
  EnableAction(TriggerLogPage->actionExportTriggerLog, this,
               [this] { ExportTriggerLog(FTriggerLog, *TriggerLogPage->vstTriggerLogData()); });
  EnableAction(TriggerLogPage->actionPrintTriggerLog, this,
               [this] { PrintTriggerLog(FTriggerLog, *TriggerLogPage->vstTriggerLogData()); });
}

void TfCANUSBMain::actionExportMonitorDataExecute() {
  const TRowListExport monitor(FTraffic.Monitor(), DefaultListLook());
  ExportListToChosenFile(this, {monitor, ShownListLayout(*MonitorPage->vstDataMonitor(), MonitorLayout()), {}},
                         QStringLiteral("CAN Data Monitor"));
}

void TfCANUSBMain::actionPrintMonitorDataExecute() {
  const TRowListExport monitor(FTraffic.Monitor(), DefaultListLook());
  PrintListReport(this, {monitor, ShownListLayout(*MonitorPage->vstDataMonitor(), MonitorLayout()), {}},
                  QStringLiteral("Monitor Data"));
}

void TfCANUSBMain::actionExportTraceDataExecute() {
  const std::optional<TExportChoice> choice = ChooseExportFile(this, true);
  if (!choice) return;
  if (choice->Log) {
    QString error;
    if (!SaveTraceLog(FTraffic.Trace(), *choice->Log, choice->FileName, error)) throw EExportError(error);
    return;
  }
  const TTraceExport trace(FTraffic.Trace(), DefaultListLook());
  WriteListExport(choice->FileName, choice->Format, TraceExportJob(trace, ShownListLayout(*TracePage->vstDataTrace(), TraceLayout())),
                  windowTitle(), QStringLiteral("CAN Data Tracer"));
}

void TfCANUSBMain::actionPrintTraceDataExecute() {
  const TTraceExport trace(FTraffic.Trace(), DefaultListLook());
  PrintListReport(this, TraceExportJob(trace, ShownListLayout(*TracePage->vstDataTrace(), TraceLayout())),
                  QStringLiteral("Tracer Data"));
}

void TfCANUSBMain::ExportTriggerLog(const TRowListBase& log, const QTreeView& view) {
  const TRowListExport source(log, DefaultListLook());
  ExportListToChosenFile(this, {source, ShownListLayout(view, TriggerLogLayout()), {}}, QStringLiteral("Trigger Log"));
}

void TfCANUSBMain::PrintTriggerLog(const TRowListBase& log, const QTreeView& view) {
  const TRowListExport source(log, DefaultListLook());
  PrintListReport(this, {source, ShownListLayout(view, TriggerLogLayout()), {}}, QStringLiteral("Trigger Log"));
}
