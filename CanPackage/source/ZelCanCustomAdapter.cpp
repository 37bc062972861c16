#include "CanPackage/source/ZelCanCustomAdapter.h"

#include <algorithm>

#include "CanPackage/source/ZelCanAdapter.h"

TZelCanCustomAdapter::~TZelCanCustomAdapter() {
  const auto facades = FFreeNotifies;  // Notification edits the list
  for (TZelCanAdapter* facade : facades) facade->Notification(this);
}

void TZelCanCustomAdapter::GetAvailableDevices(QStringList&) {}
std::int32_t TZelCanCustomAdapter::OpenDevice(const std::string&, std::uint16_t, std::int32_t) { return 0; }
std::int32_t TZelCanCustomAdapter::CloseDevice() { return 0; }
void TZelCanCustomAdapter::GetDeviceDriverVersion(QStringList&) {}
void TZelCanCustomAdapter::GetDeviceVersion(QStringList&) {}
QString TZelCanCustomAdapter::GetDeviceVersionString() { return QStringLiteral("?"); }
std::int32_t TZelCanCustomAdapter::ReadData(PCanMsgProgs&) { return 0; }
std::int32_t TZelCanCustomAdapter::WriteData(TCanMsgProg) { return CanResult::NotImplemented; }
std::int32_t TZelCanCustomAdapter::GetDeviceStatus() { return 0; }
std::int32_t TZelCanCustomAdapter::GetFilterCount() { return 0; }
void TZelCanCustomAdapter::SetCanFilter(const TCanFilters&) {}
std::int32_t TZelCanCustomAdapter::SetParameter() { return 0; }
void TZelCanCustomAdapter::StartRxEvent() {}
void TZelCanCustomAdapter::StopRxEvent() {}

void TZelCanCustomAdapter::AddFreeNotification(TZelCanAdapter* facade) {
  if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), facade) == FFreeNotifies.end())
    FFreeNotifies.push_back(facade);
}

void TZelCanCustomAdapter::RemoveFreeNotification(TZelCanAdapter* facade) {
  std::erase(FFreeNotifies, facade);
}
