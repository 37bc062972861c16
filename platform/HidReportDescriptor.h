#pragma once
// Report lengths read from a HID report descriptor, counted the way the adapter's reports
// are laid out: the longest input and output report of any report id, plus the id byte.

#include <cstdint>
#include <span>

struct THidDescriptorSummary {
  std::size_t InputLength = 0;   // 0 when the descriptor has no input report
  std::size_t OutputLength = 0;  // 0 when the descriptor has no output report
  bool NumberedReports = false;  // reports carry a report id byte on the wire
};

[[nodiscard]] THidDescriptorSummary SummariseReportDescriptor(std::span<const std::uint8_t> descriptor);
