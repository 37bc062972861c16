#include "CanPackage/source/ZelCanAdapter.h"

#include <algorithm>

TZelCanAdapter::TZelCanAdapter() {
  FLink.SetRxCanData([this](TZelCanCustomAdapter* sender, std::int32_t index, PCanMsg msg, std::int32_t count) {
    if (FOnRxCanData) FOnRxCanData(sender, index, msg, count);
  });
}

TZelCanAdapter::~TZelCanAdapter() {
  // A driver that outlives the facade must not keep a link that is about to disappear.
  for (TZelCanCustomAdapter* driver : FRegisteredWith) {
    if (driver->CanEventLink() == &FLink) driver->UnRegisterEventLink(&FLink);
    driver->RemoveFreeNotification(this);
  }
  FAdapter = nullptr;
}

void TZelCanAdapter::SetAdapter(TZelCanCustomAdapter* Value) {
  if (Value == FAdapter) return;
  FAdapter = Value;
  if (Value == nullptr) return;
  Value->RegisterEventLink(&FLink);
  Value->AddFreeNotification(this);
  if (std::find(FRegisteredWith.begin(), FRegisteredWith.end(), Value) == FRegisteredWith.end())
    FRegisteredWith.push_back(Value);
}

void TZelCanAdapter::Notification(TZelCanCustomAdapter* removed) {
  std::erase(FRegisteredWith, removed);
  if (removed == FAdapter) FAdapter = nullptr;
}

void TZelCanAdapter::GetAvailableDevices(QStringList& list) {
  if (FAdapter) FAdapter->GetAvailableDevices(list);
}

std::int32_t TZelCanAdapter::OpenDevice(const std::string& DeviceName, std::uint16_t BitRate, std::int32_t BTR) {
  return FAdapter ? FAdapter->OpenDevice(DeviceName, BitRate, BTR) : 1;
}

std::int32_t TZelCanAdapter::CloseDevice() { return FAdapter ? FAdapter->CloseDevice() : 1; }

void TZelCanAdapter::GetDeviceDriverVersion(QStringList& list) {
  if (FAdapter) FAdapter->GetDeviceDriverVersion(list);
}

void TZelCanAdapter::GetDeviceVersion(QStringList& list) {
  if (FAdapter) FAdapter->GetDeviceVersion(list);
}

QString TZelCanAdapter::GetDeviceVersionString() { return FAdapter ? FAdapter->GetDeviceVersionString() : QString(); }
std::int32_t TZelCanAdapter::GetFilterCount() { return FAdapter ? FAdapter->GetFilterCount() : 0; }

void TZelCanAdapter::SetFilter(const TCanFilters& filters) {
  if (FAdapter) FAdapter->SetCanFilter(filters);
}

std::int32_t TZelCanAdapter::ReadData(PCanMsgProgs& msgs) { return FAdapter ? FAdapter->ReadData(msgs) : 0; }

std::int32_t TZelCanAdapter::WriteData(const TCanMsgProg& msg) {
  return FAdapter ? FAdapter->WriteData(msg) : 0;  // the driver gets its own copy
}

std::int32_t TZelCanAdapter::GetDeviceStatus() { return FAdapter ? FAdapter->GetDeviceStatus() : 0; }
std::int32_t TZelCanAdapter::SetParameter() { return FAdapter ? FAdapter->SetParameter() : 1; }

void TZelCanAdapter::StartRxEvent() {
  if (FAdapter) FAdapter->StartRxEvent();
}

void TZelCanAdapter::StopRxEvent() {
  if (FAdapter) FAdapter->StopRxEvent();
}
