#pragma once
// One port of the FTDI D2XX layer: listing, open, line settings, byte I/O, purge, and an
// optional polling thread that hands "bytes waiting" to a handler on the user-interface
// thread. Failures come back as results; with error reports on, each failed call is also
// shown to the user.

#include <QString>
#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/FtD2xx.h"

enum class TFT_DataBits { db7, db8 };
enum class TFT_StopBits { sb1, sb2 };
enum class TFT_Parity { Pa_none, Pa_odd, Pa_even, Pa_mark, Pa_space };

using TFT_Device_Info_List = std::vector<TFT_Device_Info_Node>;

// Display names of the chip numbers 0..9.
[[nodiscard]] QString DeviceTypeText(std::uint32_t deviceType);

struct TSelectedDevice {
  std::uint32_t DeviceType = FT_DEVICE_UNKNOWN;
  std::string DeviceTypeText;
  std::string Manufacturer;
  std::string ManufacturerID;
  std::string Description;
  std::string SerialNumber;
  TFT_Device_Info_Node DeviceInfo;
  std::array<std::uint8_t, 32> EepromFt232R{};
  std::array<std::uint8_t, 56> EepromXSeries{};
};

class TFTDI_D2XX;
using TFTDIDataEvent = std::function<void(TFTDI_D2XX& FTDI, int Count)>;

// Polls the queue length every SleepTime ms and, while bytes are waiting, runs the
// wrapper's OnData on the user-interface thread, waiting for it to return.
class TFTDI_ReadThread {
 public:
  explicit TFTDI_ReadThread(TFTDI_D2XX& ftdi) : FFTDI(ftdi) {}
  ~TFTDI_ReadThread();
  TFTDI_ReadThread(const TFTDI_ReadThread&) = delete;
  TFTDI_ReadThread& operator=(const TFTDI_ReadThread&) = delete;

  void Start();
  void Terminate() { FTerminated.store(true, std::memory_order_release); }
  void WaitFor();
  [[nodiscard]] int Count() const { return FCount.load(std::memory_order_relaxed); }

 private:
  struct TDelivery;
  void Execute();
  void Deliver(int count);

  TFTDI_D2XX& FFTDI;
  std::thread FThread;
  std::atomic<bool> FTerminated{false};
  std::atomic<int> FCount{0};
};

class TFTDI_D2XX {
 public:
  TFTDI_D2XX();
  ~TFTDI_D2XX();
  TFTDI_D2XX(const TFTDI_D2XX&) = delete;
  TFTDI_D2XX& operator=(const TFTDI_D2XX&) = delete;

  // Used by the program.
  [[nodiscard]] TFT_Device_Info_List ListDevices();
  bool OpenBySerial(const std::string& SerialN);
  bool SetNewConfig();
  void Close();
  [[nodiscard]] std::uint32_t GetRXCount();
  std::int32_t Read(void* Buffer, std::int32_t Count);
  std::int32_t Write(const void* Buffer, std::int32_t Count);
  bool PurgeBuffers(ULONG PurgeMask);
  // Sleeps until input is waiting or the time ran out; false once the device is gone.
  bool WaitForInput(std::uint32_t timeoutMs);

  // The rest of the D2XX port.
  [[nodiscard]] std::uint32_t GetDevicesCount();
  [[nodiscard]] std::string GetDeviceDescription(std::uint32_t DeviceIndex);
  bool OpenByIndex(std::uint32_t index);
  bool OpenByDescription(const std::string& Description);
  bool OpenByLocation(std::uint32_t Location);
  bool CyclePort();
  // Shows the settings dialog (when the user-interface layer installed one).
  bool ShowSettings();
  [[nodiscard]] bool RXAvail() { return GetRXCount() != 0; }
  [[nodiscard]] bool TXReady() { return GetTXCount() == 0; }
  [[nodiscard]] std::uint32_t GetTXCount();
  bool ReadCBUSIO(UCHAR& data);
  bool WriteCBUSIO(UCHAR io, UCHAR data);
  bool ReadEEPROM();
  bool ProgramEEPROM(const TSelectedDevice& progdata);
  void SetSelectedDevice(std::uint32_t /*DeviceIndex*/) {}

  // Shows "<context> - <status text>" when error reports are on and status is not 0.
  void ReportError(const QString& context, std::int64_t status) const;

  // Properties.
  [[nodiscard]] bool Connected() const { return FConnected; }
  [[nodiscard]] FT_HANDLE Handle() const { return FHandle; }
  bool EnableErrorReports = false;
  std::int32_t BaudRate = 9600;
  TFT_DataBits DataBits = TFT_DataBits::db8;
  TFT_StopBits StopBits = TFT_StopBits::sb1;
  TFT_Parity Parity = TFT_Parity::Pa_none;
  [[nodiscard]] std::int32_t SleepTime() const { return FSleepTime.load(std::memory_order_relaxed); }
  void SetSleepTime(std::int32_t Value);
  [[nodiscard]] const TFTDIDataEvent& OnData() const { return FOnData; }
  void SetOnData(TFTDIDataEvent handler);
  [[nodiscard]] const TSelectedDevice& SelectedDevice() const { return FSelectedDevice; }
  [[nodiscard]] std::int64_t BytesRX() const { return FBytesRX.load(std::memory_order_relaxed); }
  [[nodiscard]] std::int64_t BytesTX() const { return FBytesTX.load(std::memory_order_relaxed); }
  [[nodiscard]] bool ReadThreadRunning() const { return FOnDataThread != nullptr; }

  // The settings dialog lives in the user-interface library; it registers itself here.
  using TSettingsDialogRunner = std::function<bool(TFTDI_D2XX& ftdi)>;
  static void SetSettingsDialogRunner(TSettingsDialogRunner runner);

 private:
  bool Check(const char* context, FT_STATUS status) const;
  bool AfterOpen(const char* context, FT_STATUS status);
  void StartReadThread();
  void StopReadThread();

  bool FConnected = false;
  FT_HANDLE FHandle = nullptr;
  std::atomic<std::int64_t> FBytesRX{0};
  std::atomic<std::int64_t> FBytesTX{0};
  std::atomic<std::int32_t> FSleepTime{10};
  TFTDIDataEvent FOnData;
  std::unique_ptr<TFTDI_ReadThread> FOnDataThread;
  TSelectedDevice FSelectedDevice;
};
