#pragma once
// Numbered trace rows for the capture tests: row n carries n in its identifier and data, so a
// reader can tell a lost, doubled or misplaced row.

#include <QTemporaryDir>
#include <cstdint>
#include <vector>

#include "capture/CaptureFile.h"

inline TTraceData NumberedRow(std::uint64_t n) {
  TTraceData row;
  row.Msg.CanId = static_cast<std::int64_t>(n % 0x800);
  row.Msg.DLC = 8;
  for (int i = 0; i < 8; ++i) row.Msg.Data[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(n >> (8 * i));
  row.Msg.Time = static_cast<std::int32_t>(n);
  row.Received = n % 3 != 0;
  return row;
}

inline std::vector<TTraceData> NumberedRows(std::uint64_t first, std::size_t count) {
  std::vector<TTraceData> rows;
  for (std::size_t i = 0; i < count; ++i) rows.push_back(NumberedRow(first + i));
  return rows;
}

// Whether rows[i] is NumberedRow(first + i) for all i, byte for byte.
inline bool AreNumberedRows(const std::vector<TTraceData>& rows, std::uint64_t first) {
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const TTraceData expected = NumberedRow(first + i);
    if (std::memcmp(&rows[i], &expected, sizeof expected) != 0) return false;
  }
  return true;
}

// A capture file of `blocks` blocks of `rowsPerBlock` numbered rows.
inline std::vector<std::uint8_t> CaptureBytes(std::size_t blocks, std::size_t rowsPerBlock, std::int64_t startMs = 1'700'000'000'000) {
  std::vector<std::uint8_t> bytes = EncodeCaptureHeader(startMs);
  for (std::size_t b = 0; b < blocks; ++b) {
    const std::vector<TTraceData> rows = NumberedRows(b * rowsPerBlock, rowsPerBlock);
    EncodeCaptureBlock(b * rowsPerBlock, rows, bytes);
  }
  return bytes;
}
