#pragma once
// The bit grid: the eight data bytes of one monitor row, one grid row per byte.

#include <functional>

#include "views/MonitorList.h"

struct TCanIdDetailsData {
  std::uint8_t ByteValue = 0;
  bool Bits[8] = {};  // element 0 = bit 7 ... element 7 = bit 0
  std::uint8_t Pad[3] = {};
  std::int32_t DecValue = 0;
};
static_assert(sizeof(TCanIdDetailsData) == 16);
static_assert(offsetof(TCanIdDetailsData, ByteValue) == 0);
static_assert(offsetof(TCanIdDetailsData, Bits) == 1);
static_assert(offsetof(TCanIdDetailsData, DecValue) == 12);

class TCanIdDetails : public TRowListOf<TCanIdDetailsData> {
 public:
  static constexpr int kBarColumn = 11;

  explicit TCanIdDetails(const TMonitorList& monitor);

  // Refills the grid from the selected monitor row (else the first); with an empty monitor
  // the grid and its caption keep what they show.
  void RefreshCanIdDetails();
  [[nodiscard]] const QString& Caption() const { return FCaption; }
  std::function<void(const QString&)> OnCaptionChanged;

  [[nodiscard]] int ColumnCount() const override { return 12; }
  [[nodiscard]] QString ColumnTitle(int column) const override;
  [[nodiscard]] QString CellText(std::size_t row, int column) const override;
  [[nodiscard]] QVariant CellColor(std::size_t row, int column) const override;
  [[nodiscard]] bool CellBold(int column) const override { return column == 0; }
  [[nodiscard]] QVariant CellValue(std::size_t row, int column) const override;

 private:
  const TMonitorList& FMonitor;
  QString FCaption = QStringLiteral("CAN ID Details");
};
