#include "CanPackage/source/ZelCanDriver.h"

void TZelCanDriver::SetCanFilter(const TCanFilters& filters) {
  if (filters.empty()) return;
  AcceptanceFilter = filters.front().Filter;
  AcceptanceMask = filters.front().Mask;
}

void TZelCanDriver::SetConnected(bool connected) {
  FConnected.store(connected, std::memory_order_release);
  if (FOnConnectionChange) FOnConnectionChange(connected);
}
