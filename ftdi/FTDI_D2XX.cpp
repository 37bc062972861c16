#include "ftdi/FTDI_D2XX.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <chrono>
#include <cstring>

#include "platform/UserMessage.h"

namespace {

constexpr const char* kDeviceTypeNames[] = {"FT232BM", "FT232AM", "FT100AX", "UNKNOWN", "FT2232C",
                                            "FT232R",  "FT2232H", "FT4232H", "FT232H",  "X_SERIES"};
constexpr std::uint32_t kChipFt232R = 5;
constexpr std::uint32_t kChipXSeries = 9;
constexpr UCHAR kBitModeCbus = 0x20;

QString StatusText(std::int64_t status) {
  switch (status) {
    case 1: return QStringLiteral(" - Invalid handle...");
    case 2: return QStringLiteral(" - Device not found...");
    case 3: return QStringLiteral(" - Device not opened...");
    case 4: return QStringLiteral(" - General IO error...");
    case 5: return QStringLiteral(" - Insufficient resources...");
    case 6: return QStringLiteral(" - Invalid parameter...");
    case 7: return QStringLiteral(" - Invalid baud rate...");
    case 8: return QStringLiteral(" Device not opened for erase...");
    case 9: return QStringLiteral(" Device not opened for write...");
    case 10: return QStringLiteral(" - Failed to write...");
    case 11: return QStringLiteral(" - EEPROM read failed...");
    case 12: return QStringLiteral(" - EEPROM write failed...");
    case 13: return QStringLiteral(" - EEPROM erase failed...");
    case 14: return QStringLiteral(" - EEPROM not present...");
    case 15: return QStringLiteral(" - EEPROM not programmed...");
    case 16: return QStringLiteral(" - Invalid arguments...");
    case 17: return QStringLiteral(" - Other error ...");
    default: return QStringLiteral(" - unknown (%1)").arg(status);
  }
}

std::string CutAtZero(const char* text, std::size_t size) { return std::string(text, strnlen(text, size)); }

TFTDI_D2XX::TSettingsDialogRunner& SettingsDialogRunner() {
  static TFTDI_D2XX::TSettingsDialogRunner runner;
  return runner;
}

}  // namespace

QString DeviceTypeText(std::uint32_t deviceType) {
  return QString::fromLatin1(deviceType < std::size(kDeviceTypeNames) ? kDeviceTypeNames[deviceType] : "UNKNOWN");
}

// ---- read thread ------------------------------------------------------------------------

// One hand-over to the user-interface thread. The thread may give up waiting (it is being
// stopped, possibly from inside the handler); the queued call then touches only this record.
struct TFTDI_ReadThread::TDelivery {
  std::mutex Lock;
  std::condition_variable Done;
  bool Cancelled = false;
  bool Finished = false;
};

TFTDI_ReadThread::~TFTDI_ReadThread() {
  Terminate();
  WaitFor();
}

void TFTDI_ReadThread::Start() {
  if (FThread.joinable()) return;
  FTerminated.store(false, std::memory_order_release);
  FThread = std::thread([this] { Execute(); });
}

void TFTDI_ReadThread::WaitFor() {
  if (FThread.joinable() && FThread.get_id() != std::this_thread::get_id()) FThread.join();
}

void TFTDI_ReadThread::Execute() {
  while (!FTerminated.load(std::memory_order_acquire)) {
    const int count = static_cast<int>(FFTDI.GetRXCount());
    FCount.store(count, std::memory_order_relaxed);
    if (count > 0) Deliver(count);
    std::this_thread::sleep_for(std::chrono::milliseconds(FFTDI.SleepTime()));
  }
}

void TFTDI_ReadThread::Deliver(int count) {
  QCoreApplication* app = QCoreApplication::instance();
  if (app == nullptr) {  // no event loop to hand over to: the handler runs here
    if (FFTDI.OnData()) FFTDI.OnData()(FFTDI, count);
    return;
  }
  auto delivery = std::make_shared<TDelivery>();
  TFTDI_D2XX* ftdi = &FFTDI;
  QMetaObject::invokeMethod(
      app,
      [delivery, ftdi, count] {
        {
          std::lock_guard lock(delivery->Lock);
          if (delivery->Cancelled) return;
        }
        if (ftdi->OnData()) ftdi->OnData()(*ftdi, count);
        std::lock_guard lock(delivery->Lock);
        delivery->Finished = true;
        delivery->Done.notify_all();
      },
      Qt::QueuedConnection);
  std::unique_lock lock(delivery->Lock);
  while (!delivery->Finished) {
    if (FTerminated.load(std::memory_order_acquire)) {
      delivery->Cancelled = true;
      return;
    }
    delivery->Done.wait_for(lock, std::chrono::milliseconds(10));
  }
}

// ---- wrapper ----------------------------------------------------------------------------

TFTDI_D2XX::TFTDI_D2XX() = default;

TFTDI_D2XX::~TFTDI_D2XX() {
  if (FConnected) Close();
  StopReadThread();
}

void TFTDI_D2XX::SetSettingsDialogRunner(TSettingsDialogRunner runner) { SettingsDialogRunner() = std::move(runner); }

void TFTDI_D2XX::ReportError(const QString& context, std::int64_t status) const {
  if (!EnableErrorReports || status == 0) return;
  ShowUserMessage(TUserMessageKind::Error, QString(), context + StatusText(status));
}

bool TFTDI_D2XX::Check(const char* context, FT_STATUS status) const {
  if (status != FT_OK) ReportError(QString::fromLatin1(context), status);
  return status == FT_OK;
}

TFT_Device_Info_List TFTDI_D2XX::ListDevices() {
  DWORD count = 0;
  if (!Check("FT_CreateDeviceInfoList", FT_CreateDeviceInfoList(&count))) return {};
  TFT_Device_Info_List list(count);
  if (count == 0) return list;
  if (!Check("FT_GetDeviceInfoList", FT_GetDeviceInfoList(list.data(), &count))) return {};
  list.resize(count);
  return list;
}

bool TFTDI_D2XX::AfterOpen(const char* context, FT_STATUS status) {
  if (!Check(context, status)) return false;
  FConnected = true;
  SetNewConfig();
  StartReadThread();
  return true;
}

bool TFTDI_D2XX::OpenBySerial(const std::string& SerialN) {
  return AfterOpen("FT_OpenEx", FT_OpenEx(const_cast<char*>(SerialN.c_str()), FT_OPEN_BY_SERIAL_NUMBER, &FHandle));
}

bool TFTDI_D2XX::OpenByDescription(const std::string& Description) {
  return AfterOpen("FT_OpenEx", FT_OpenEx(const_cast<char*>(Description.c_str()), FT_OPEN_BY_DESCRIPTION, &FHandle));
}

bool TFTDI_D2XX::OpenByLocation(std::uint32_t Location) {
  return AfterOpen("FT_OpenEx",
                   FT_OpenEx(reinterpret_cast<void*>(static_cast<std::uintptr_t>(Location)), FT_OPEN_BY_LOCATION, &FHandle));
}

bool TFTDI_D2XX::OpenByIndex(std::uint32_t index) {
  if (!Check("FT_Open", FT_Open(static_cast<int>(index), &FHandle))) return false;
  TFT_Device_Info_Node& node = FSelectedDevice.DeviceInfo;
  DWORD count = 0;
  FT_CreateDeviceInfoList(&count);
  if (Check("FT_GetDeviceInfoListDetail", FT_GetDeviceInfoDetail(index, &node.Flags, &node.DeviceType, &node.ID, &node.LocID,
                                                                  node.SerialNumber, node.Description, &node.DeviceHandle))) {
    FSelectedDevice.DeviceType = node.DeviceType;
    FSelectedDevice.DeviceTypeText = DeviceTypeText(node.DeviceType).toStdString();
    FSelectedDevice.SerialNumber = CutAtZero(node.SerialNumber, sizeof node.SerialNumber);
    FSelectedDevice.Description = CutAtZero(node.Description, sizeof node.Description);
  }
  return AfterOpen("FT_Open", FT_OK);
}

bool TFTDI_D2XX::SetNewConfig() {
  UCHAR wordLength = 0;
  UCHAR stopBits = 0;
  switch (DataBits) {
    case TFT_DataBits::db7: wordLength = FT_BITS_7; break;
    case TFT_DataBits::db8: wordLength = FT_BITS_8; break;
    default:
      ReportError(QStringLiteral("SetDataCharacteristics - WordLength not applicable (%1)").arg(static_cast<int>(DataBits)), -1);
      return false;
  }
  switch (StopBits) {
    case TFT_StopBits::sb1: stopBits = FT_STOP_BITS_1; break;
    case TFT_StopBits::sb2: stopBits = FT_STOP_BITS_2; break;
    default:
      ReportError(QStringLiteral("SetDataCharacteristics - StopBit-count not applicable (%1)").arg(static_cast<int>(StopBits)), -1);
      return false;
  }
  const int parity = static_cast<int>(Parity);
  if (parity < 0 || parity > 4) {
    ReportError(QStringLiteral("SetDataCharacteristics - Parity value not found (%1)").arg(parity), -1);
    return false;
  }
  // All three are attempted, whatever the first ones answer.
  const bool reset = Check("FT_ResetDevice", FT_ResetDevice(FHandle));
  const bool line = Check("FT_SetDataCharacteristics",
                          FT_SetDataCharacteristics(FHandle, wordLength, stopBits, static_cast<UCHAR>(parity)));
  const bool baud = Check("FT_SetBaudRate", FT_SetBaudRate(FHandle, static_cast<ULONG>(BaudRate)));
  return reset && line && baud;
}

void TFTDI_D2XX::Close() {
  StopReadThread();
  if (!Check("FT_Close", FT_Close(FHandle))) return;
  FHandle = nullptr;
  FConnected = false;
}

std::uint32_t TFTDI_D2XX::GetRXCount() {
  DWORD count = 0;
  return Check("FT_GetQueueStatus", FT_GetQueueStatus(FHandle, &count)) ? count : 0;
}

std::uint32_t TFTDI_D2XX::GetTXCount() {
  DWORD rx = 0;
  DWORD tx = 0;
  DWORD events = 0;
  return Check("FT_GetQueueStatus", FT_GetStatus(FHandle, &rx, &tx, &events)) ? tx : 0;
}

std::int32_t TFTDI_D2XX::Read(void* Buffer, std::int32_t Count) {
  DWORD read = 0;
  if (Count <= 0 || !Check("FT_W32_ReadFile", FT_Read(FHandle, Buffer, static_cast<DWORD>(Count), &read))) return 0;
  FBytesRX.fetch_add(read, std::memory_order_relaxed);
  return static_cast<std::int32_t>(read);
}

std::int32_t TFTDI_D2XX::Write(const void* Buffer, std::int32_t Count) {
  DWORD written = 0;
  if (Count <= 0 || !Check("FT_Write", FT_Write(FHandle, Buffer, static_cast<DWORD>(Count), &written))) return 0;
  FBytesTX.fetch_add(written, std::memory_order_relaxed);
  return static_cast<std::int32_t>(written);
}

bool TFTDI_D2XX::PurgeBuffers(ULONG PurgeMask) { return Check("FT_Purge", FT_Purge(FHandle, PurgeMask)); }

bool TFTDI_D2XX::WaitForInput(std::uint32_t timeoutMs) {
  return Check("FT_WaitForInput", FT_WaitForInput(FHandle, timeoutMs));
}

std::uint32_t TFTDI_D2XX::GetDevicesCount() {
  DWORD count = 0;
  return Check("FT_ListDevices", FT_ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY)) ? count : 0;
}

std::string TFTDI_D2XX::GetDeviceDescription(std::uint32_t DeviceIndex) {
  char description[64] = {};
  if (!Check("FT_ListDevices", FT_ListDevices(reinterpret_cast<void*>(static_cast<std::uintptr_t>(DeviceIndex)), description,
                                              FT_LIST_BY_INDEX | FT_OPEN_BY_DESCRIPTION)))
    return {};
  return CutAtZero(description, sizeof description);
}

bool TFTDI_D2XX::CyclePort() { return Check("FT_CyclePort", FT_CyclePort(FHandle)); }

bool TFTDI_D2XX::ShowSettings() {
  const TSettingsDialogRunner& runner = SettingsDialogRunner();
  if (!runner || !runner(*this)) return false;
  return FConnected ? SetNewConfig() : true;
}

bool TFTDI_D2XX::ReadCBUSIO(UCHAR& data) { return Check("FT_GetBitMode", FT_GetBitMode(FHandle, &data)); }

bool TFTDI_D2XX::WriteCBUSIO(UCHAR io, UCHAR data) {
  return Check("FT_SetBitMode", FT_SetBitMode(FHandle, static_cast<UCHAR>(io * 16 + data), kBitModeCbus));
}

bool TFTDI_D2XX::ReadEEPROM() {
  char manufacturer[64] = {};
  char manufacturerId[64] = {};
  char description[64] = {};
  char serial[64] = {};
  FT_STATUS status = FT_NOT_SUPPORTED;
  if (FSelectedDevice.DeviceType == kChipFt232R)
    status = FT_EEPROM_Read(FHandle, FSelectedDevice.EepromFt232R.data(), 32, manufacturer, manufacturerId, description, serial);
  else if (FSelectedDevice.DeviceType == kChipXSeries)
    status = FT_EEPROM_Read(FHandle, FSelectedDevice.EepromXSeries.data(), 56, manufacturer, manufacturerId, description, serial);
  if (!Check("FT_EE_Read", status)) return false;
  FSelectedDevice.Manufacturer = CutAtZero(manufacturer, sizeof manufacturer);
  FSelectedDevice.ManufacturerID = CutAtZero(manufacturerId, sizeof manufacturerId);
  FSelectedDevice.Description = CutAtZero(description, sizeof description);
  FSelectedDevice.SerialNumber = CutAtZero(serial, sizeof serial);
  return true;
}

bool TFTDI_D2XX::ProgramEEPROM(const TSelectedDevice& progdata) {
  TSelectedDevice data = progdata;
  char manufacturer[64] = {};
  char manufacturerId[64] = {};
  char description[64] = {};
  char serial[64] = {};
  std::strncpy(manufacturer, data.Manufacturer.c_str(), sizeof manufacturer - 1);
  std::strncpy(manufacturerId, data.ManufacturerID.c_str(), sizeof manufacturerId - 1);
  std::strncpy(description, data.Description.c_str(), sizeof description - 1);
  std::strncpy(serial, data.SerialNumber.c_str(), sizeof serial - 1);
  FT_STATUS status = FT_NOT_SUPPORTED;
  if (data.DeviceType == kChipFt232R)
    status = FT_EEPROM_Program(FHandle, data.EepromFt232R.data(), 32, manufacturer, manufacturerId, description, serial);
  else if (data.DeviceType == kChipXSeries)
    status = FT_EEPROM_Program(FHandle, data.EepromXSeries.data(), 56, manufacturer, manufacturerId, description, serial);
  return Check("FT_EEPROM_Program", status);
}

void TFTDI_D2XX::SetSleepTime(std::int32_t Value) {
  if (Value >= 1 && Value <= 1000) FSleepTime.store(Value, std::memory_order_relaxed);
}

void TFTDI_D2XX::SetOnData(TFTDIDataEvent handler) {
  if (!handler) StopReadThread();
  FOnData = std::move(handler);
  StartReadThread();
}

void TFTDI_D2XX::StartReadThread() {
  if (!FOnData || !FConnected || FOnDataThread) return;
  FOnDataThread = std::make_unique<TFTDI_ReadThread>(*this);
  FOnDataThread->Start();
}

void TFTDI_D2XX::StopReadThread() {
  if (!FOnDataThread) return;
  FOnDataThread->Terminate();
  FOnDataThread->WaitFor();
  FOnDataThread.reset();
}
