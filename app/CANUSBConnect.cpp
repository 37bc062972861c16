// The main window's connection management: the connect menu, open and close, the status
// bar while a device is open, the device-status query, and the HID device list.

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QTimer>
#include <QTreeView>

#include "app/CANUSBMain.h"
#include "app/UserAction.h"
#include "platform/CanInterfaces.h"
#include "plot/PlotSamples.h"
#include "storage/MyRegValues.h"
#include "lists/ListView.h"
#include "replay/ReplayBar.h"
#include "views/TracePage.h"

void TfCANUSBMain::BuildConnection() {
  FConnection = std::make_unique<TConnectionController>(
      CanAdapter, TConnectDrivers{&CanUsb, &CanUsbSerial, CanUsbHid.get(), &CanSocket}, *FReceiveQueue, threadRead);
  FConnection->GetHardwareFilters = [this] { return FHwFilter.GetHardwareFilters(); };
  FConnection->BitRateSettings = [this] {
    return TBitRateSettings{FSettings->FCanBitRate, static_cast<std::uint8_t>(FSettings->FCanBitRateBTR0),
                            static_cast<std::uint8_t>(FSettings->FCanBitRateBTR1)};
  };
  FConnection->OnStateChanged = [this](bool connected, const QString& name) { UpdateConnectionState(connected, name); };

  connect(FHidDevCtrl.get(), &THidDeviceController::DeviceChange, this,
          [this] { GuardUserAction([this] { HidDevCtrlDeviceChange(); }); });
  connect(FHidDevCtrl.get(), &THidDeviceController::DeviceUnplug, this,
          [this](const THidDeviceInfo& device) { GuardUserAction([&] { HidDevCtrlDeviceUnplug(device); }); });
}

std::vector<TFtdiListEntry> TfCANUSBMain::ListFtdiDevices() {
  const TFT_Device_Info_List devices = ftdi.ListDevices();
  ftdi.Close();
  return FtdiListEntries(devices);
}

void TfCANUSBMain::ShowPlainMessage(const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), text, QMessageBox::Ok, this);
  box.exec();
}

// --- connect menu --------------------------------------------------------------------------

void TfCANUSBMain::ConnectPopupMenuPopup() {
  const std::vector<TFtdiListEntry> ftdiDevices = ListFtdiDevices();
  AdapterDeviceList.clear();
  FMenuHidIndex.clear();
  ConnectPopupMenu->clear();
  for (TConnectMenuItem& item : BuildConnectMenu(ftdiDevices, HidListEntries(HidDeviceList), ListCanInterfaces())) {
    QAction* action = ConnectPopupMenu->addAction(item.Caption);
    action->setObjectName(item.Name);
    if (!item.Device) continue;  // "EmptyItem": nothing to connect to
    connect(action, &QAction::triggered, this, [this, action] { GuardUserAction([&] { actionConnectExecute(action); }); });
    AdapterDeviceList.push_back(std::move(item.Device));
    FMenuHidIndex.push_back(item.HidIndex);
  }
}

// --- open and close ------------------------------------------------------------------------

void TfCANUSBMain::actionConnectExecute(QObject* Sender) {
  StopAwaitingDevice();  // the user chose a device; a lost one is no longer awaited
  bool opened = false;
  {
    TWaitCursor wait;
    const qsizetype item = ConnectPopupMenu->actions().indexOf(qobject_cast<QAction*>(Sender));
    if (item >= 0) {
      if (static_cast<std::size_t>(item) >= AdapterDeviceList.size()) return;
      const int hid = FMenuHidIndex[static_cast<std::size_t>(item)];
      // The HID list may have changed since the menu was built; the driver picks its device itself.
      const QString product = hid >= 0 && static_cast<std::size_t>(hid) < HidDeviceList.size()
                                  ? HidDeviceList[static_cast<std::size_t>(hid)].Device.ProductName
                                  : QString();
      opened = FConnection->ConnectTo(*AdapterDeviceList[static_cast<std::size_t>(item)], product);
    } else {
      opened = FConnection->ConnectAuto(ListFtdiDevices(), HidListEntries(HidDeviceList));
    }
  }
  if (!opened) ShowPlainMessage(FConnection->OpenFailureText());
}

void TfCANUSBMain::actionDisconnectExecute() {
  if (StopAwaitingDevice()) return;
  bool closed = false;
  {
    TWaitCursor wait;
    closed = FConnection->Disconnect();
  }
  if (!closed) ShowPlainMessage(QStringLiteral("Closing the CANUSB channel is failed"));
}

void TfCANUSBMain::UpdateConnectionState(bool connected, const QString& deviceName) {
  actionConnect->setEnabled(!connected);
  actionPopupConnectMenu->setEnabled(!connected);
  actionDisconnect->setEnabled(connected);
  for (QAction* action : {actionOptions, actionProjectNew, actionProjectOpen, actionProjectSave, actionProjectSaveAs})
    action->setEnabled(!connected);
  CanAdapter.SetConnected(connected);
  if (ReplayBar) ReplayBar->SetAdapterOpen(connected);

  if (connected) {
    FSender.ResetFailures();
    RestartStatistics();
    FPlotSamples->ClearSamples();
    Timer1->start();
    Timer3->start();
    FStatusPanels[0]->setText(QStringLiteral("Version: ") + CanAdapter.GetDeviceVersionString());
    FStatusPanels[1]->setText(QStringLiteral("Opened"));
    FStatusPanels[2]->setText(deviceName);
    FStatusPanels[3]->setText(BitRatePanelText(FSettings->FCanBitRate, static_cast<std::uint8_t>(FSettings->FCanBitRateBTR0),
                                               static_cast<std::uint8_t>(FSettings->FCanBitRateBTR1)));
    ShowSocketCanLink();
    TracePage->actionImportTraceLog->setEnabled(false);
    if (FLossNotice) FLossNotice->hide();  // the adapter is back
    return;
  }
  Timer1->stop();
  Timer3->stop();
  // Whatever the reader queued before it stopped is still shown.
  Timer1Timer();
  TracePage->vstDataTrace()->viewport()->update();
  for (int panel : {0, 2, 3}) FStatusPanels[panel]->clear();
  FStatusPanels[1]->setText(QStringLiteral("Closed"));
  TracePage->actionImportTraceLog->setEnabled(true);
  FStatusPanels[4]->setText(QStringLiteral("Buff: %1").arg(FReceiveQueue->Count()));
}

void TfCANUSBMain::actionGetCanStatusExecute() {
  const QString caption = QStringLiteral("Information");
  if (!CanAdapter.Connected()) {
    QMessageBox::information(this, caption, QStringLiteral("CAN device not connected."));
    return;
  }
  const std::int32_t status = CanAdapter.GetDeviceStatus();
  if (status == 0) {
    QMessageBox::information(this, caption, QStringLiteral("CAN device status: No errors."));
    return;
  }
  QMessageBox::warning(this, QStringLiteral("Warning"), AdapterStateText(status));
}

// --- HID devices ---------------------------------------------------------------------------

void TfCANUSBMain::HidDevCtrlEnumerate() { AddSupportedHidDevices(FHidDevCtrl->Devices(), HidDeviceList); }

void TfCANUSBMain::HidDevCtrlDeviceChange() {
  HidDeviceList.clear();
  HidDevCtrlEnumerate();
}

// Only a HID connection ends when a HID adapter goes; a capture on another adapter kind
// carries on. The HID adapter is awaited like any lost adapter.
void TfCANUSBMain::HidDevCtrlDeviceUnplug(const THidDeviceInfo& device) {
  if (!IsZelHidDevice(device) || !CanAdapter.Connected()) return;
  if (CanAdapter.Adapter() != CanUsbHid.get()) return;
  HandleDeviceLoss();
}
