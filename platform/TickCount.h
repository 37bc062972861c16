#pragma once
// A 32-bit millisecond counter from the monotonic clock; wraps like the system tick count.

#include <chrono>
#include <cstdint>

[[nodiscard]] inline std::uint32_t GetTickCount() {
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now().time_since_epoch());
  return static_cast<std::uint32_t>(ms.count());
}
