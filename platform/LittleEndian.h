#pragma once
// Unsigned little-endian value of up to four bytes, as HID reports and descriptors carry them.

#include <cstdint>
#include <span>

[[nodiscard]] inline std::uint32_t ReadLittleEndian(std::span<const std::uint8_t> bytes) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < bytes.size() && i < 4; ++i) value |= std::uint32_t{bytes[i]} << (8 * i);
  return value;
}
