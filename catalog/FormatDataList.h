#pragma once
// The decoded diagnostic messages: control-unit rows, each followed by the message rows
// grouped under it, in tree order. Message bytes live in one byte pool beside the row store;
// a row holds their place. Cell texts, colours and column layout are the ones the window
// draws and the exports write.

#include <QString>
#include <QVariant>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "catalog/ControlUnitCatalog.h"
#include "lists/RowListOf.h"
#include "model/CanMsgProg.h"

enum class TFormatDataKind : std::uint32_t { ControlUnit = 0, Message = 1 };

struct TFormatDataRow {
  TFormatDataKind Kind = TFormatDataKind::ControlUnit;
  std::uint32_t Pos = 0;   // running message number from 1
  std::int32_t Time = 0;   // of the message's first frame
  std::uint32_t Len = 0;   // message length in bytes
  std::uint32_t ID = 0;    // message: sender identifier; control unit: 0x600 + target address
  std::uint8_t Src = 0;    // low byte of the sender identifier
  std::uint8_t Trg = 0;    // target address
  // Bytes of the message kept in the list's byte pool from DataOffset on: as many as its frames
  // can carry. The rest of the Len bytes read 00, so a single frame announcing 255 bytes
  // costs 6.
  std::uint16_t Stored = 0;
  std::uint64_t DataOffset = 0;
};
static_assert(sizeof(TFormatDataRow) == 32);
static_assert(offsetof(TFormatDataRow, Pos) == 4);
static_assert(offsetof(TFormatDataRow, Time) == 8);
static_assert(offsetof(TFormatDataRow, Len) == 12);
static_assert(offsetof(TFormatDataRow, ID) == 16);
static_assert(offsetof(TFormatDataRow, Src) == 20);
static_assert(offsetof(TFormatDataRow, Trg) == 21);
static_assert(offsetof(TFormatDataRow, Stored) == 22);
static_assert(offsetof(TFormatDataRow, DataOffset) == 24);

class TFormatDataList : public TRowListOf<TFormatDataRow> {
 public:
  enum Column { colTree, colPos, colTime, colId, colLen, colSrc, colTrg, colBlank, colMsg, kColumnCount };

  // Without a catalog every control-unit row reads "No IDs available".
  explicit TFormatDataList(std::optional<TControlUnitCatalog> catalog = std::nullopt);

  // A decode replaces all rows: views see one reset around it, and rows are only added
  // within it.
  void BeginDecode();
  void EndDecode();
  void Clear();  // the user's "Clear"

  std::size_t AddControlUnitRow(std::uint32_t id);
  // Under the last control-unit row, which must exist; keeps room for `stored` of its Len bytes,
  // all 00 until written.
  std::size_t AddMessageRow(const TFormatDataRow& message, std::size_t stored);
  // Copies bytes into the message from `offset` on, never beyond the room it keeps.
  void WriteBytes(std::size_t row, std::size_t offset, std::span<const std::uint8_t> bytes);

  [[nodiscard]] bool HasControlUnit() const { return !FControlUnits.empty(); }
  // Store rows of the control-unit rows, ascending: the tree's top level.
  [[nodiscard]] const std::vector<std::size_t>& ControlUnitRows() const { return FControlUnits; }
  // The message's Len bytes.
  [[nodiscard]] TKwpData Message(std::size_t row) const;
  [[nodiscard]] const std::optional<TControlUnitCatalog>& Catalog() const { return FCatalog; }

  [[nodiscard]] int ColumnCount() const override { return kColumnCount; }
  [[nodiscard]] QString ColumnTitle(int column) const override;
  [[nodiscard]] QString CellText(std::size_t row, int column) const override;
  // The light grey behind control-unit rows; invalid for message rows.
  [[nodiscard]] QVariant CellBackground(std::size_t row, int column) const;
  [[nodiscard]] static int ColumnWidth(int column);
  [[nodiscard]] static bool ColumnRightAligned(int column) { return column >= colPos && column <= colTrg; }

 protected:
  void RowsReplaced() override;

 private:
  void RequireDecoding() const;
  [[nodiscard]] QString ControlUnitName(const TFormatDataRow& row) const;
  [[nodiscard]] QString MessageCellText(std::size_t row, int column) const;

  std::optional<TControlUnitCatalog> FCatalog;
  std::vector<std::uint8_t> FBytes;
  std::vector<std::size_t> FControlUnits;
  bool FDecoding = false;
};
