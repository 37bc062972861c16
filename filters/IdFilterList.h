#pragma once
// The software identifier filter: one row per identifier deciding whether its frames enter
// the monitor and the trace, which description the monitor shows and in which colour the
// views draw them. Rows arise from the traffic or are added by hand.

#include <QColor>
#include <cstdint>
#include <functional>

#include "model/CanMsgProg.h"
#include "model/CanText.h"
#include "model/ShortText.h"
#include "storage/ProjectList.h"
#include "lists/CanIdIndex.h"
#include "lists/RowListOf.h"

struct TIdFilterData {
  std::int64_t CanId = 0;
  bool Extended = false;
  bool AddToLog = false;
  std::uint8_t Pad[2] = {};
  std::uint32_t Color = 0;  // 0x00BBGGRR; 0 = no colour chosen
  TShortText Description;
};
static_assert(sizeof(TIdFilterData) == 272);
static_assert(offsetof(TIdFilterData, CanId) == 0);
static_assert(offsetof(TIdFilterData, Extended) == 8);
static_assert(offsetof(TIdFilterData, AddToLog) == 9);
static_assert(offsetof(TIdFilterData, Color) == 12);
static_assert(offsetof(TIdFilterData, Description) == 16);

// The description a row gets when the traffic adds it: "CAN ID: 0A5".
[[nodiscard]] QString AutomaticDescription(bool extended, std::int64_t canId);
[[nodiscard]] bool HasAutomaticDescription(const TIdFilterData& row);

// Windows colour values (0x00BBGGRR) as the records store them.
[[nodiscard]] QColor WindowsColorToQColor(std::uint32_t color);
[[nodiscard]] std::uint32_t QColorToWindowsColor(const QColor& color);

[[nodiscard]] inline std::int64_t IdFilterKey(const TIdFilterData& row) { return row.CanId; }

class TIdFilterList : public TRowListOf<TIdFilterData, TOrderedRowStore<TIdFilterData, IdFilterKey>>, public TProjectList {
 public:
  explicit TIdFilterList(std::function<void()> projectChanged);

  // First row in list order with this identifier, or null.
  [[nodiscard]] const TIdFilterData* FindCanIdFilterDataNode(std::int64_t canId) const;
  [[nodiscard]] std::size_t FindRow(std::int64_t canId) const {
    const std::size_t slot = FIndex.FindSlot(canId);
    return slot == TCanIdIndex::kNone ? kNoRow : FRows.RowOfSlot(slot);
  }
  void EnsureCanIdInFilter(const TCanMsgProg& msg);

  // The views' questions.
  [[nodiscard]] bool Admits(std::int64_t canId) const;
  // Text colour of a view row: the filter colour (or black without colour filter) for a
  // checked filter row, an invalid colour (the view's default) otherwise.
  [[nodiscard]] QColor ViewColor(std::int64_t canId, bool colorFilterOn) const;

  // Editing by hand.
  void BeginAddMode();
  [[nodiscard]] bool AddMode() const { return FAddMode; }
  // Applies the editor fields: in add mode appends an unchecked row, otherwise replaces the
  // description of the row shown. Throws EConvertError for a non-hexadecimal identifier.
  void ApplyEdit(const QString& idText, bool extended, const QString& description);
  void SetRowColor(std::size_t row, std::uint32_t color);
  void SetRowChecked(std::size_t row, bool checked) override;
  void CheckUncheckAll();
  void RemoveRow(std::size_t row);
  void ClearFilterList();
  void Clear() override;

  // Cells.
  [[nodiscard]] int ColumnCount() const override { return 3; }
  [[nodiscard]] QString ColumnTitle(int column) const override;
  [[nodiscard]] QString CellText(std::size_t row, int column) const override;
  [[nodiscard]] QVariant CellColor(std::size_t row, int column) const override;
  [[nodiscard]] bool CellBold(int column) const override { return column == 0; }
  [[nodiscard]] QString FileCaption(std::size_t row) const override { return CanIdToText(Row(row).Extended, Row(row).CanId); }

 protected:
  void RowsReplaced() override;
  void MergePendingRows() override;

 private:
  void Changed() const;

  std::function<void()> FProjectChanged;
  TCanIdIndex FIndex;
  bool FAddMode = false;
  bool FCheckAll = true;
};
