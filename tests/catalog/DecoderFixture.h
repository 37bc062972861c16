#pragma once
// Frames in, decoded rows out, each row as one line of its cell texts.

#include <QStringList>
#include <initializer_list>
#include <vector>

#include "catalog/DiagnosticDecoder.h"
#include "catalog/CaptureFrames.h"
#include "views/TrafficFixture.h"

// A frame by its data bytes first: the decoder reads them, the time rarely matters.
inline TCanMsgProg DiagFrame(std::int64_t id, std::initializer_list<std::uint8_t> data, std::int32_t time = 0) {
  return Frame(id, time, data);
}

inline void Decode(TFormatDataList& list, const std::vector<TCanMsgProg>& frames) {
  list.BeginDecode();
  TDiagnosticDecoder decoder(list);
  for (const TCanMsgProg& frame : frames) decoder.Add(frame);
  list.EndDecode();
}

// "unit <ID> <name>" for a control-unit row, "Pos Time ID Len Src Trg: Msg" for a message.
inline QString RowLine(const TFormatDataList& list, std::size_t row) {
  const TFormatDataRow& record = list.Row(row);
  if (record.Kind == TFormatDataKind::ControlUnit)
    return QStringLiteral("unit %1 %2").arg(record.ID, 0, 16).arg(list.CellText(row, TFormatDataList::colTree)).trimmed();
  QStringList cells;
  for (int column = TFormatDataList::colPos; column <= TFormatDataList::colTrg; ++column) cells << list.CellText(row, column);
  return cells.join(' ') + QStringLiteral(": ") + list.CellText(row, TFormatDataList::colMsg);
}

inline QStringList RowLines(const TFormatDataList& list) {
  QStringList lines;
  for (std::size_t row = 0; row < list.RowCount(); ++row) lines << RowLine(list, row);
  return lines;
}

// "00 01 02 ..." : `count` bytes counting up from `first`.
inline QString CountingHex(int first, int count) {
  QStringList bytes;
  for (int i = 0; i < count; ++i) bytes << QStringLiteral("%1").arg((first + i) & 0xFF, 2, 16, QLatin1Char('0')).toUpper();
  return bytes.join(' ');
}

// A multi-frame message of `len` bytes counting up from 0, as sent by `id` to `target`: the first
// frame, then the consecutive frames with their running sequence numbers.
inline std::vector<TCanMsgProg> MultiFrameMessage(std::int64_t id, std::uint8_t target, int len) {
  std::vector<TCanMsgProg> frames;
  TCanMsgProg first = DiagFrame(id, {target, 0x10, static_cast<std::uint8_t>(len), 0, 1, 2, 3, 4});
  frames.push_back(first);
  std::uint8_t seq = 0x21;
  for (int offset = 5; offset < len; offset += 6) {
    TCanMsgProg next = DiagFrame(id, {target, seq});
    for (int i = 0; i < 6; ++i) next.Data[static_cast<std::size_t>(2 + i)] = static_cast<std::uint8_t>(offset + i);
    frames.push_back(next);
    seq = seq == 0x2F ? 0x20 : seq + 1;
  }
  return frames;
}
