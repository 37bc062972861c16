#pragma once
// The capture's own settings, in a key of their own beside the application's values (which
// stay as they are): how much of the trace memory keeps before its rows go to the capture file.

#include <cstdint>

constexpr std::int32_t kDefaultTraceMemoryMiB = 256;
constexpr std::int32_t kMinTraceMemoryMiB = 1;
constexpr std::int32_t kMaxTraceMemoryMiB = 65536;

// The stored value within [kMinTraceMemoryMiB, kMaxTraceMemoryMiB]; the default when none is stored.
[[nodiscard]] std::int32_t ReadTraceMemoryMiB();
void StoreTraceMemoryMiB(std::int32_t mib);
[[nodiscard]] inline std::uint64_t MiBToBytes(std::int32_t mib) { return std::uint64_t{static_cast<std::uint32_t>(mib)} << 20; }
