#pragma once
// State every concrete driver keeps: connected flag, event flag, acceptance code and mask,
// and the connection-change event raised each time the connected state is set.

#include <atomic>

#include "CanPackage/source/ZelCanCustomAdapter.h"

class TZelCanDriver : public TZelCanCustomAdapter {
 public:
  TRxEvent FOnMyCanRyEvent;  // published for callers; the drivers never raise it
  TConnectionEvent FOnConnectionChange;

  std::uint32_t AcceptanceFilter = 0;
  std::uint32_t AcceptanceMask = 0xFFFFFFFF;

  std::int32_t GetFilterCount() override { return 1; }
  // Keeps the first filter for the next open; an empty list leaves the stored pair alone.
  void SetCanFilter(const TCanFilters& filters) override;
  void StartRxEvent() override { FEventActive = true; }
  void StopRxEvent() override { FEventActive = false; }

  [[nodiscard]] bool Connected() const { return FConnected.load(std::memory_order_acquire); }
  [[nodiscard]] bool EventActive() const { return FEventActive; }

 protected:
  void SetConnected(bool connected);

  std::atomic<bool> FConnected{false};
  bool FEventActive = false;
};
