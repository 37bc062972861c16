#pragma once
// List-file bytes assembled by hand from the format's tables, and small lists of the
// predefined-message and trigger-log records for round trips.

#include <QBuffer>
#include <QString>
#include <cstdint>
#include <cstring>
#include <functional>
#include <optional>
#include <vector>

#include "lists/RowListOf.h"
#include "storage/TreeFile.h"

using TBytes = std::vector<std::uint8_t>;

inline void Put(TBytes& out, std::uint32_t value, int width) {
  for (int i = 0; i < width; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}
inline void Put(TBytes& out, const TBytes& more) { out.insert(out.end(), more.begin(), more.end()); }
template <typename T>
void PutRecord(TBytes& out, const T& record) {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(&record);
  out.insert(out.end(), bytes, bytes + sizeof(T));
}

inline TBytes Header(std::uint16_t version, std::uint32_t rows) {
  TBytes out;
  for (std::uint16_t c : {std::uint16_t{0x2045}, std::uint16_t{'V'}, std::uint16_t{'T'}, version, std::uint16_t{' '}, std::uint16_t{0x2046}})
    Put(out, c, 2);
  if (version == 2) Put(out, rows, 4);
  return out;
}

inline TBytes Chunk(std::int32_t type, const TBytes& body, std::optional<std::int32_t> size = std::nullopt) {
  TBytes out;
  Put(out, static_cast<std::uint32_t>(type), 4);
  Put(out, static_cast<std::uint32_t>(size.value_or(static_cast<std::int32_t>(body.size()))), 4);
  Put(out, body);
  return out;
}

// Base chunk of the current layout: no children, height 18, alignment 50, reserved 0.
inline TBytes Base(std::uint16_t flags, std::uint8_t checkState, std::uint8_t checkType) {
  TBytes body;
  Put(body, 0, 4);
  Put(body, 18, 4);
  Put(body, flags, 2);
  body.insert(body.end(), {50, checkState, checkType});
  Put(body, 0, 4);
  return Chunk(2, body);
}

inline TBytes Caption(const QString& text) {
  TBytes body;
  for (QChar c : text) Put(body, c.unicode(), 2);
  return Chunk(3, body);
}

template <typename T>
TBytes User(const T& record) {
  TBytes body;
  PutRecord(body, record);
  return Chunk(4, body);
}

inline TBytes Node(std::initializer_list<TBytes> parts) {
  TBytes body;
  for (const TBytes& part : parts) Put(body, part);
  return Chunk(1, body);
}

inline TBytes WriteToBytes(const TRowListBase& list) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  WriteTreeStream(buffer, list);
  const QByteArray& data = buffer.data();
  return {data.begin(), data.end()};
}

inline TLoadedRows ReadBytes(const TBytes& bytes, std::size_t recordSize) { return ReadTreeStream(bytes, recordSize); }

// A list of any record with the caption its owner would give; nothing else of a real list.
template <typename TRecord>
class TPlainList : public TRowListOf<TRecord> {
 public:
  explicit TPlainList(std::function<QString(const TRecord&)> caption = {}) : FCaption(std::move(caption)) {}
  void Add(const TRecord& record, TRowState state) { this->FRows.Append(record, state); }
  [[nodiscard]] int ColumnCount() const override { return 1; }
  [[nodiscard]] QString ColumnTitle(int) const override { return {}; }
  [[nodiscard]] QString CellText(std::size_t, int) const override { return {}; }
  [[nodiscard]] QString FileCaption(std::size_t row) const override { return FCaption ? FCaption(this->Row(row)) : QString(); }

 private:
  std::function<QString(const TRecord&)> FCaption;
};

template <typename TRecord>
bool SameBytes(const TRecord& a, const void* b) {
  return std::memcmp(&a, b, sizeof(TRecord)) == 0;
}
