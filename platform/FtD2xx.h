#pragma once
// The FTDI D2XX calls the port wrapper makes, over Linux terminals: the USB-serial ttys that
// sysfs lists, then the announced virtual devices. Names, arguments and status codes are the
// D2XX ones; a call that has no meaning on a terminal (EEPROM, CBUS bit modes, port cycling)
// answers FT_NOT_SUPPORTED instead of pretending.

#include <cstdint>

#include "platform/UsbSerialDevices.h"

using FT_STATUS = std::uint32_t;
using FT_HANDLE = void*;
using DWORD = std::uint32_t;
using ULONG = std::uint32_t;
using UCHAR = std::uint8_t;

enum : FT_STATUS {
  FT_OK = 0,
  FT_INVALID_HANDLE = 1,
  FT_DEVICE_NOT_FOUND = 2,
  FT_DEVICE_NOT_OPENED = 3,
  FT_IO_ERROR = 4,
  FT_INSUFFICIENT_RESOURCES = 5,
  FT_INVALID_PARAMETER = 6,
  FT_INVALID_BAUD_RATE = 7,
  FT_DEVICE_NOT_OPENED_FOR_ERASE = 8,
  FT_DEVICE_NOT_OPENED_FOR_WRITE = 9,
  FT_FAILED_TO_WRITE_DEVICE = 10,
  FT_EEPROM_READ_FAILED = 11,
  FT_EEPROM_WRITE_FAILED = 12,
  FT_EEPROM_ERASE_FAILED = 13,
  FT_EEPROM_NOT_PRESENT = 14,
  FT_EEPROM_NOT_PROGRAMMED = 15,
  FT_INVALID_ARGS = 16,
  FT_NOT_SUPPORTED = 17,
  FT_OTHER_ERROR = 18,
};

inline constexpr DWORD FT_OPEN_BY_SERIAL_NUMBER = 1;
inline constexpr DWORD FT_OPEN_BY_DESCRIPTION = 2;
inline constexpr DWORD FT_OPEN_BY_LOCATION = 4;
inline constexpr DWORD FT_LIST_NUMBER_ONLY = 0x80000000;
inline constexpr DWORD FT_LIST_BY_INDEX = 0x40000000;
inline constexpr DWORD FT_FLAGS_OPENED = 1;
inline constexpr ULONG FT_PURGE_RX = 1;
inline constexpr ULONG FT_PURGE_TX = 2;
inline constexpr UCHAR FT_BITS_7 = 7;
inline constexpr UCHAR FT_BITS_8 = 8;
inline constexpr UCHAR FT_STOP_BITS_1 = 0;
inline constexpr UCHAR FT_STOP_BITS_2 = 2;
inline constexpr DWORD FT_DEVICE_UNKNOWN = 3;

// One device of the list, laid out as the library publishes it.
struct TFT_Device_Info_Node {
  ULONG Flags = 0;
  ULONG DeviceType = FT_DEVICE_UNKNOWN;
  ULONG ID = 0;
  DWORD LocID = 0;
  char SerialNumber[16] = {};
  char Description[64] = {};
  FT_HANDLE DeviceHandle = nullptr;
};

FT_STATUS FT_CreateDeviceInfoList(DWORD* numDevices);
FT_STATUS FT_GetDeviceInfoList(TFT_Device_Info_Node* list, DWORD* numDevices);
FT_STATUS FT_GetDeviceInfoDetail(DWORD index, DWORD* flags, DWORD* type, DWORD* id, DWORD* locId, char* serialNumber,
                                 char* description, FT_HANDLE* handle);
// Number only (arg1 = DWORD*), or the serial number / description of one device by index
// (arg1 = index as integer, arg2 = buffer of 16 / 64 characters).
FT_STATUS FT_ListDevices(void* arg1, void* arg2, DWORD flags);
FT_STATUS FT_Open(int deviceNumber, FT_HANDLE* handle);
// arg: serial number or description text, or the location id as integer.
FT_STATUS FT_OpenEx(void* arg, DWORD flags, FT_HANDLE* handle);
FT_STATUS FT_Close(FT_HANDLE handle);
FT_STATUS FT_ResetDevice(FT_HANDLE handle);
FT_STATUS FT_SetBaudRate(FT_HANDLE handle, ULONG baudRate);
FT_STATUS FT_SetDataCharacteristics(FT_HANDLE handle, UCHAR wordLength, UCHAR stopBits, UCHAR parity);
FT_STATUS FT_GetQueueStatus(FT_HANDLE handle, DWORD* rxBytes);
FT_STATUS FT_GetStatus(FT_HANDLE handle, DWORD* rxBytes, DWORD* txBytes, DWORD* eventStatus);
// Takes what is waiting, up to `toRead` bytes; never blocks.
FT_STATUS FT_Read(FT_HANDLE handle, void* buffer, DWORD toRead, DWORD* bytesRead);
// Writes everything, waiting up to a second for room in the output queue.
FT_STATUS FT_Write(FT_HANDLE handle, const void* buffer, DWORD toWrite, DWORD* bytesWritten);
FT_STATUS FT_Purge(FT_HANDLE handle, ULONG mask);
FT_STATUS FT_CyclePort(FT_HANDLE handle);
FT_STATUS FT_GetBitMode(FT_HANDLE handle, UCHAR* mode);
FT_STATUS FT_SetBitMode(FT_HANDLE handle, UCHAR mask, UCHAR mode);
FT_STATUS FT_EEPROM_Read(FT_HANDLE handle, void* eepromData, DWORD size, char* manufacturer, char* manufacturerId,
                         char* description, char* serialNumber);
FT_STATUS FT_EEPROM_Program(FT_HANDLE handle, void* eepromData, DWORD size, char* manufacturer, char* manufacturerId,
                            char* description, char* serialNumber);

// This layer's own additions.
// Blocks until input is waiting or `timeoutMs` passed (FT_OK either way); FT_IO_ERROR once
// the device is gone, so a reader can sleep in the kernel instead of polling the queue.
FT_STATUS FT_WaitForInput(FT_HANDLE handle, DWORD timeoutMs);
// Where the USB devices are looked up (tests point this at a prepared tree).
void FT_SetSysfsLayout(const TSysfsLayout& layout);
