#pragma once
// The two bit-by-bit pages of the hardware filter editor (11-bit and 29-bit layout): a code
// and a mask field, 32 code boxes, 32 mask boxes and 32 result labels, bit 31 at the left.
// The page is built with named widgets only; THwBitGroup binds them by name and keeps the
// three views of the code/mask pair in step.

#include <QCheckBox>
#include <QLabel>
#include <QObject>
#include <QString>
#include <array>
#include <functional>
#include <span>

#include "filters/HwFilterMath.h"
#include "transmit/CanEditField.h"

// A caption under the result labels of bits high..low.
struct THwBitCaption {
  int HighBit;
  int LowBit;
  const char* Text;
};

// Widgets named "edHWCode" + suffix, "edHWMask" + suffix, "cbCode" + suffix + i,
// "cbMask" + suffix + i and "labFilter" + suffix + i (suffix "" or "E").
QWidget* CreateHwBitPage(const QString& objectName, const QString& suffix, std::span<const THwBitCaption> captions,
                         QWidget* parent);

// Calls `action` on every key release in `watched` (as a user action).
void OnKeyRelease(QWidget* watched, std::function<void()> action);

class THwBitGroup : public QObject {
 public:
  static constexpr int kBits = 32;

  // Looks the page's widgets up by name; throws std::logic_error when one is missing.
  THwBitGroup(QWidget* page, const QString& suffix);

  // The fields as 8 hexadecimal digits (bits 31..0), then boxes and labels from them.
  void SetValues(std::int64_t code, std::int64_t mask);
  [[nodiscard]] THwCodeMask Values() const;
  // A field's value into its boxes, without the click path; then the labels.
  void FieldToBoxes(TCanValueEdit* field);
  void RefreshLabels();

  TCanValueEdit* CodeField = nullptr;
  TCanValueEdit* MaskField = nullptr;
  std::array<QCheckBox*, kBits> CodeBoxes{};
  std::array<QCheckBox*, kBits> MaskBoxes{};
  std::array<QLabel*, kBits> Labels{};

 private:
  void BoxesToField(const std::array<QCheckBox*, kBits>& boxes, TCanValueEdit* field);
  [[nodiscard]] std::array<QCheckBox*, kBits>& BoxesOf(TCanValueEdit* field);
  [[nodiscard]] static std::uint32_t BoxValue(const std::array<QCheckBox*, kBits>& boxes);
};
