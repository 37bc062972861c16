// The main window's part of the trace's capture file: taking the capture folder at start,
// offering back what a program that did not end cleanly left there, and the status panel
// that says when the capture lives in memory only.

#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QStatusBar>

#include "app/CANUSBMain.h"
#include "capture/CaptureImport.h"
#include "capture/CaptureRecorder.h"
#include "capture/CaptureSettings.h"
#include "plot/PlotWindow.h"
#include "storage/DataFolder.h"
#include "views/TracePage.h"

namespace {
constexpr std::size_t kCaptureImportBatch = 20000;
}  // namespace

void TfCANUSBMain::BuildCapture() {
  FCapturePanel = new QLabel(statusBar());
  FCapturePanel->setObjectName(QStringLiteral("CapturePanel"));
  FCapturePanel->setFrameShape(QFrame::StyledPanel);
  FCapturePanel->setVisible(false);
  statusBar()->addPermanentWidget(FCapturePanel);

  FCapture = std::make_unique<TCaptureRecorder>(DataFolderPath(DataFolder::Capture));
  // Told during a drain: the box must not wait there, so it is not modal.
  FCapture->OnWriteFailed = [this](const QString& text) {
    ShowCaptureStatus();
    auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Ferrolux"), text, QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("dlgCaptureFailed"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
  };
  const QStringList left = FCapture->Open();
  FTraffic.Trace().SetSink(FCapture.get());
  FTraffic.Trace().SetMemoryBudget(MiBToBytes(ReadTraceMemoryMiB()));
  ShowCaptureStatus();
  OfferLeftCaptures(left);
}

void TfCANUSBMain::ShowCaptureStatus() {
  FCapturePanel->setText(FCapture->StatusText());
  FCapturePanel->setVisible(!FCapture->StatusText().isEmpty());
}

// Each file in turn, oldest first. One that was opened whole, or refused, goes: its rows are
// in the new capture by then. One whose opening was cancelled or failed stays for next time.
void TfCANUSBMain::OfferLeftCaptures(const QStringList& paths) {
  for (const QString& path : paths) {
    TCaptureImport import(FTraffic, path);
    if (!import.Usable() || import.Rows() == 0) {
      QFile::remove(path);
      continue;
    }
    const auto answer = QMessageBox::question(this, QStringLiteral("Ferrolux"), import.OfferText(), QMessageBox::Yes | QMessageBox::No,
                                              QMessageBox::Yes);
    if (answer == QMessageBox::Yes) {
      RunImportSteps(QStringLiteral("Open capture"), QStringLiteral("Opening %1").arg(path), [&] { return import.Step(kCaptureImportBatch); },
                     [&] { return import.Progress(); });
      fPlot->Fit();
      TracePage->Panel18()->setText(FTraffic.Trace().MessagesCountText());
      FCapture->Sync();
      if (import.Entered() != import.Rows()) continue;
    }
    QFile::remove(path);
  }
  ShowCaptureStatus();
}
