#pragma once
// The hardware acceptance filter list: the code/mask pairs composed in the editor, of which
// the checked rows are loaded into the adapter's CAN controller when a device is opened.

#include <QString>
#include <cstddef>
#include <cstdint>
#include <functional>

#include "CanPackage/source/ZelCanClasses.h"
#include "filters/HwFilterMath.h"
#include "model/ShortText.h"
#include "storage/ProjectList.h"
#include "lists/RowListOf.h"

struct THwFilterData {
  std::uint8_t Active = 0;  // the check state last asked for; nothing reads it
  THwFilterType FilterType = THwFilterType::Standard;
  std::uint8_t Pad[6] = {};
  std::int64_t Code = 0;
  std::int64_t Mask = 0xFFFFFFFF;  // accept everything
  TShortText Description;
};
static_assert(sizeof(THwFilterData) == 280);
static_assert(offsetof(THwFilterData, Active) == 0);
static_assert(offsetof(THwFilterData, FilterType) == 1);
static_assert(offsetof(THwFilterData, Code) == 8);
static_assert(offsetof(THwFilterData, Mask) == 16);
static_assert(offsetof(THwFilterData, Description) == 24);

inline const QString kMaxHwFilterText = QStringLiteral("Maximum allowed hardware filter for this device: ");

class THwFilterList : public TRowListOf<THwFilterData>, public TProjectList {
 public:
  // `maxFilterCount`: how many rows may be checked, the count the chosen driver supports
  // (0 while none has been chosen).
  THwFilterList(std::function<void()> projectChanged, std::function<int()> maxFilterCount);

  // A new row of `type` with the defaults, selected. Returns its row.
  std::size_t AppendFilter(THwFilterType type);
  // Stores the editor's values into the selected row; false without one.
  bool ApplyToSelected(THwFilterType type, THwCodeMask values, const QString& description);
  // Checking beyond the maximum is refused with a message; unchecking always passes.
  void SetRowChecked(std::size_t row, bool checked) override;
  [[nodiscard]] std::size_t CheckedCount() const;
  // Removes the selected row; when rows remain the last one becomes selected. Returns that
  // row, or kNoRow.
  std::size_t RemoveSelected();
  void ClearFilterList();
  void Clear() override;

  // What the adapter is given at opening: the checked rows in list order, or one filter that
  // accepts every frame.
  [[nodiscard]] TCanFilters GetHardwareFilters() const;

  [[nodiscard]] int ColumnCount() const override { return 6; }
  [[nodiscard]] QString ColumnTitle(int column) const override;
  [[nodiscard]] QString CellText(std::size_t row, int column) const override;

 private:
  void Changed() const;

  std::function<void()> FProjectChanged;
  std::function<int()> FMaxFilterCount;
};
