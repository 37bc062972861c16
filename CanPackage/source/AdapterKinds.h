#pragma once
// Which adapter kinds an FTDI device stands for, decided by its description.

#include <QString>
#include <QStringList>

#include "CanPackage/source/ZelCanAdapterDevice.h"
#include "ftdi/FTDI_D2XX.h"

// The kinds in connect-menu order: "CANUSB" is LAWICELUSB, "CAN-IF" is ACUSB, a description
// containing "Tiny" is MHSUSB (all case-sensitive). Usually one kind or none.
[[nodiscard]] QStringList FtdiAdapterKinds(const QString& description);

// The zero-terminated texts of a listing node.
[[nodiscard]] QString FtdiDescription(const TFT_Device_Info_Node& node);
[[nodiscard]] QString FtdiSerialNumber(const TFT_Device_Info_Node& node);

// Appends one entry (kind, description, serial number) per kind of each device, in list order.
void AddFtdiAdapterDevices(const TFT_Device_Info_List& devices, TAdapterDeviceList& list);
