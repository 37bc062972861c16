// The main window when an adapter goes away during a capture: the reader has stopped on the
// driver's lost state (or the HID controller reported the unplug); the window closes the
// channel, keeps every captured row, says so once in a notice that blocks nothing, and reopens
// the same adapter with the same settings when it is listed again, which closes the notice.

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QTimer>

#include "app/CANUSBMain.h"
#include "app/UserAction.h"

namespace {
QString LostText(const QString& name) {
  return QStringLiteral("The CAN adapter %1 is gone. It was closed; everything received before is kept.\n"
                        "It is opened again as soon as it is back. \"Close\" stops waiting for it.")
      .arg(name);
}
}  // namespace

void TfCANUSBMain::BuildDeviceLossWatch() {
  FReturnWatch = std::make_unique<TDeviceReturnWatch>();
  FReturnWatch->IsListed = [this](const QString& kind, const QString& serialNr) { return IsDeviceListed(kind, serialNr); };
  FReturnWatch->Reopen = [this] { return FConnection && FConnection->Reopen(); };
  // The drain tick runs while a device is open; it looks at the driver right after draining.
  connect(Timer1, &QTimer::timeout, this, [this] { GuardUserAction([this] { CheckDeviceLost(); }); });
  // The HID list has just been rebuilt: a returning HID adapter is seen without delay.
  connect(FHidDevCtrl.get(), &THidDeviceController::DeviceChange, this, [this] {
    GuardUserAction([this] {
      if (FReturnWatch) FReturnWatch->Look();
    });
  });
}

void TfCANUSBMain::CheckDeviceLost() {
  if (FConnection && FConnection->DeviceLost()) HandleDeviceLoss();
}

void TfCANUSBMain::HandleDeviceLoss() {
  if (!FConnection || !CanAdapter.Connected()) return;
  const TOpenedDevice lost = FConnection->LastOpened();
  const QString name = lost.ShownName.isEmpty() ? lost.SerialNr : lost.ShownName;
  actionDisconnectExecute();  // stops the reader, closes, shows what was still queued
  if (CanAdapter.Connected()) return;  // the driver refused to close; that has been reported

  // Without a serial number there is nothing to recognise the adapter by.
  const bool awaited = !lost.Kind.isEmpty() && !lost.SerialNr.isEmpty();
  if (awaited) {
    FReturnWatch->Await(lost.Kind, lost.SerialNr);
    SetAwaitingControls(true);
  }
  FStatusPanels[2]->setText(awaited ? QStringLiteral("Lost: %1 - waiting").arg(name) : QStringLiteral("Lost: %1").arg(name));
  // One notice, also when the adapter comes and goes again while it is still on screen.
  if (FLossNotice && FLossNotice->isVisible()) return;
  ShowLossNotice(LostText(name));
}

// Modeless: the capture, the lists and the wait for the adapter go on behind it.
void TfCANUSBMain::ShowLossNotice(const QString& text) {
  if (!FLossNotice) {
    FLossNotice = new QMessageBox(QMessageBox::Warning, QApplication::applicationName(), QString(), QMessageBox::Ok, this);
    FLossNotice->setObjectName(QStringLiteral("LossNotice"));
    FLossNotice->setWindowModality(Qt::NonModal);
  }
  FLossNotice->setText(text);
  FLossNotice->show();
}

bool TfCANUSBMain::StopAwaitingDevice() {
  if (!FReturnWatch || !FReturnWatch->Awaiting()) return false;
  FReturnWatch->Cancel();
  if (!CanAdapter.Connected()) {
    SetAwaitingControls(false);
    FStatusPanels[2]->clear();
  }
  return true;
}

// While a lost adapter is awaited, "Close" ends the wait, and neither the options nor the
// project can change the settings it is to be reopened with.
void TfCANUSBMain::SetAwaitingControls(bool awaiting) {
  actionDisconnect->setEnabled(awaiting);
  for (QAction* action : {actionOptions, actionProjectNew, actionProjectOpen, actionProjectSave, actionProjectSaveAs})
    action->setEnabled(!awaiting);
}

bool TfCANUSBMain::IsDeviceListed(const QString& kind, const QString& serialNr) {
  for (const TConnectMenuItem& item : BuildConnectMenu(ListFtdiDevices(), HidListEntries(HidDeviceList)))
    if (item.Device && item.Device->Description == kind && item.Device->SerialNr == serialNr) return true;
  return false;
}
