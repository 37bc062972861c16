#pragma once
// Turns captured frames into diagnostic messages of the transport that carries the target
// address in data byte 0 and the protocol control byte in data byte 1:
//   P = 0x10         first frame: length in byte 2, the first 5 bytes in bytes 3..7
//   P = 0x20..0x2F   consecutive frame: 6 bytes in bytes 2..7, sequence 0x21..0x2F, 0x20, ...
//   P = 0x30..0x32   flow control: carries no message bytes
//   any other P      single frame of P bytes (at most 6, from byte 2 on)
// Multi-frame messages are reassembled per sending identifier, so interleaved answers of
// several control units and periodic traffic in between do not disturb each other. Message
// rows are added when the first or single frame arrives, under the current control-unit row;
// a frame from the tester (0x6F1) opens a new control-unit row for its target address.

#include <cstdint>
#include <unordered_map>

#include "catalog/FormatDataList.h"

class TTraceList;

class TDiagnosticDecoder {
 public:
  static constexpr std::int64_t kTesterId = 0x6F1;

  // Rows go to `rows`, which must be within BeginDecode/EndDecode.
  explicit TDiagnosticDecoder(TFormatDataList& rows) : FRows(rows) {}

  void Add(const TCanMsgProg& frame);

 private:
  struct TPending {
    std::size_t Row;
    std::uint32_t Filled;   // bytes received so far
    std::uint8_t NextSeq;   // protocol control byte of the expected consecutive frame
  };

  // Returns whether the frame was the expected consecutive frame of its sender's message.
  bool ContinuePending(std::int64_t sender, const TCanMsgProg& frame, std::uint8_t pci);
  // A message row of `len` bytes keeping room for `stored` of them, filled with `count` bytes
  // of the frame from `firstByte` on.
  void StartMessage(const TCanMsgProg& frame, std::uint8_t len, std::size_t firstByte, std::size_t count,
                    std::size_t stored);

  TFormatDataList& FRows;
  std::uint32_t FCounter = 0;
  std::unordered_map<std::int64_t, TPending> FPending;  // by sender
};

// Decodes every row of the trace, received or sent, into `rows`, replacing what they held.
void DecodeTrace(const TTraceList& trace, TFormatDataList& rows);
