// The main window's SocketCAN and log-file parts: the interface's own bit rate in the status
// bar, and the trace's "Import log".

#include <QAction>
#include <QApplication>
#include <QEventLoop>
#include <QFileDialog>
#include <QLabel>
#include <QProgressDialog>
#include <QTimer>

#include "app/CANUSBMain.h"
#include "app/UserAction.h"
#include "app/WindowInputBlock.h"
#include "platform/UserMessage.h"
#include "plot/PlotWindow.h"
#include "storage/DataFolder.h"
#include "views/TraceLogFile.h"
#include "views/TracePage.h"

namespace {
// One batch is one drain of the lists: big enough to be quick, small enough to keep the
// window answering between batches.
constexpr std::size_t kImportBatch = 20000;
}  // namespace

void TfCANUSBMain::BuildSocketCan() {
  connect(TracePage->actionImportTraceLog, &QAction::triggered, this,
          [this] { GuardUserAction([this] { actionImportTraceLogExecute(); }); });
}

void TfCANUSBMain::ShowSocketCanLink() {
  if (CanAdapter.Adapter() == &CanSocket) FStatusPanels[3]->setText(CanSocket.LinkText());
}

void TfCANUSBMain::actionImportTraceLogExecute() {
  if (CanAdapter.Connected()) return;
  QFileDialog dialog(this, QStringLiteral("Import log"), DataFolderPath(), LogFileFilters());
  dialog.setObjectName(QStringLiteral("dlgImportLog"));
  // The same dialog on every desktop, and one that tests can drive.
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setFileMode(QFileDialog::ExistingFile);
  if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) ImportTraceLog(dialog.selectedFiles().constFirst());
}

void TfCANUSBMain::RunImportSteps(const QString& title, const QString& label, const std::function<bool()>& step,
                                  const std::function<int()>& progress) {
  QProgressDialog dialog(label, QStringLiteral("Cancel"), 0, 1000, this);
  dialog.setObjectName(QStringLiteral("dlgImportProgress"));
  dialog.setWindowTitle(title);
  dialog.setWindowModality(Qt::WindowModal);
  dialog.setMinimumDuration(500);  // only long imports show it
  dialog.setAutoReset(false);
  dialog.setAutoClose(false);

  // Batches run from the event loop, so the dialog paints and its "Cancel" is heard; the
  // window hears nothing meanwhile, even before the dialog shows.
  const TWindowInputBlock block(*this);
  QEventLoop loop;
  QTimer batches;
  batches.setInterval(0);
  connect(&batches, &QTimer::timeout, &loop, [&] {
    const bool more = !dialog.wasCanceled() && step();
    dialog.setValue(progress());
    if (!more) loop.quit();
  });
  batches.start();
  loop.exec();
  batches.stop();
  dialog.close();
}

bool TfCANUSBMain::ImportTraceLog(const QString& path) {
  TLogImport import(FTraffic, path);
  if (import.State() == TLogImport::TState::Reading)
    RunImportSteps(QStringLiteral("Import log"), QStringLiteral("Importing %1").arg(path), [&] { return import.Step(kImportBatch) == TLogImport::TState::Reading; },
                   [&] { return import.Progress(); });
  fPlot->Fit();  // an imported capture is seen whole
  TracePage->Panel18()->setText(FTraffic.Trace().MessagesCountText());
  const QString problem = import.ProblemText();
  if (problem.isEmpty()) return true;
  ShowUserMessage(TUserMessageKind::Warning, QStringLiteral("Import log"), problem);
  return false;
}
