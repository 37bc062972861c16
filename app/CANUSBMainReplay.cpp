// The main window's replay: the trace page's Replay tool bar, sending through the window's
// one send path on this thread, so replayed frames take turns with timer rows, hot keys,
// trigger answers and the send panel, and enter the views as sent frames.

#include <QVBoxLayout>
#include <memory>

#include "app/CANUSBMain.h"
#include "app/FileDialogs.h"
#include "replay/ReplayBar.h"
#include "storage/DataFolder.h"
#include "views/TraceLogFile.h"
#include "views/TracePage.h"

void TfCANUSBMain::BuildReplay() {
  TReplayBarSeams seams;
  seams.Send = [this](const TCanMsgProg& msg) { return FSender.Send(msg); };
  seams.TraceFrames = [this] {
    const TTraceList& trace = FTraffic.Trace();
    std::vector<TTraceFrame> rows;
    rows.reserve(trace.RowCount());
    for (std::size_t row = 0; row < trace.RowCount(); ++row) rows.push_back({trace.Row(row).Msg, trace.Row(row).Received});
    return rows;
  };
  seams.CheckedInFilter = [this](const TCanMsgProg& msg) {
    const TIdFilterData* row = FTraffic.IdFilter().FindCanIdFilterDataNode(msg.CanId);
    return row != nullptr && row->AddToLog;
  };
  seams.ChooseLog = [this] {
    const std::unique_ptr<QFileDialog> dialog(
        MakeFileDialog(this, "dlgReplayLog", QStringLiteral("Replay log"), QFileDialog::AcceptOpen));
    dialog->setDirectory(DataFolderPath());
    dialog->setNameFilters(LogFileFilters().split(QStringLiteral(";;")));
    return dialog->exec() == QDialog::Accepted && !dialog->selectedFiles().isEmpty() ? dialog->selectedFiles().constFirst()
                                                                                     : QString();
  };
  ReplayBar = new TReplayBar(std::move(seams), TracePage);
  // Below the trace's own tool bar, above the list.
  auto* layout = static_cast<QVBoxLayout*>(TracePage->layout());
  layout->insertWidget(layout->indexOf(TracePage->Splitter()), ReplayBar);
  ReplayBar->SetAdapterOpen(CanAdapter.Connected());
}
