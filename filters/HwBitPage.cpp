#include "filters/HwBitPage.h"

#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QVBoxLayout>
#include <stdexcept>

#include "lists/ListView.h"

namespace {
constexpr int kCellWidth = 24;
constexpr int kFieldColumnWidth = 110;

// Grid column of a bit: the field first, then bit 31 down to bit 0.
int BitColumn(int bit) { return 1 + (31 - bit); }

QGridLayout* BitGrid(QGroupBox* box) {
  auto* grid = new QGridLayout(box);
  grid->setHorizontalSpacing(2);
  grid->setColumnMinimumWidth(0, kFieldColumnWidth);
  for (int bit = 0; bit < THwBitGroup::kBits; ++bit) grid->setColumnMinimumWidth(BitColumn(bit), kCellWidth);
  grid->setColumnStretch(BitColumn(0) + 1, 1);
  return grid;
}

QGroupBox* BoxGroup(QWidget* page, const QString& title, const QString& prefix, const QString& fieldName, TCanFieldKind kind,
                    bool checked) {
  auto* group = new QGroupBox(title, page);
  QGridLayout* grid = BitGrid(group);
  auto* field = new TCanValueEdit(kind, group);
  field->setObjectName(fieldName);
  field->setAccessibleName(title);
  field->setFixedWidth(kFieldColumnWidth - 10);
  grid->addWidget(field, 0, 0);
  for (int bit = 0; bit < THwBitGroup::kBits; ++bit) {
    auto* box = new QCheckBox(group);
    box->setObjectName(prefix + QString::number(bit));
    box->setAccessibleName(QStringLiteral("%1 bit %2").arg(title).arg(bit));
    box->setToolTip(QStringLiteral("Bit %1").arg(bit));
    box->setChecked(checked);
    box->setFixedWidth(kCellWidth);
    grid->addWidget(box, 0, BitColumn(bit));
  }
  return group;
}

QGroupBox* FilterGroup(QWidget* page, const QString& prefix, std::span<const THwBitCaption> captions) {
  auto* group = new QGroupBox(QStringLiteral("Filter"), page);
  QGridLayout* grid = BitGrid(group);
  grid->addWidget(new QLabel(QStringLiteral("X = don't care"), group), 0, 0);
  for (int bit = 0; bit < THwBitGroup::kBits; ++bit) {
    auto* label = new QLabel(QStringLiteral("X"), group);
    label->setObjectName(prefix + QString::number(bit));
    label->setFixedWidth(kCellWidth);
    label->setAlignment(Qt::AlignCenter);
    grid->addWidget(label, 0, BitColumn(bit));
  }
  for (const THwBitCaption& caption : captions) {
    auto* label = new QLabel(QString::fromLatin1(caption.Text), group);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setStyleSheet(QStringLiteral("QLabel { border-top: 1px solid gray; }"));
    // A caption never widens its bit columns, so the labels stay under their boxes.
    label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    const int first = BitColumn(caption.HighBit);
    grid->addWidget(label, 1, first, 1, BitColumn(caption.LowBit) - first + 1);
  }
  return group;
}

class TKeyReleaseFilter : public QObject {
 public:
  TKeyReleaseFilter(QObject* parent, std::function<void()> action) : QObject(parent), FAction(std::move(action)) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyRelease) RunUserAction(FAction);
    return QObject::eventFilter(watched, event);
  }

 private:
  std::function<void()> FAction;
};

template <typename T>
T* FindNamed(QWidget* page, const QString& name) {
  T* widget = page->findChild<T*>(name);
  if (widget == nullptr) throw std::logic_error("hardware filter page lacks " + name.toStdString());
  return widget;
}
}  // namespace

QWidget* CreateHwBitPage(const QString& objectName, const QString& suffix, std::span<const THwBitCaption> captions,
                         QWidget* parent) {
  auto* page = new QWidget(parent);
  page->setObjectName(objectName);
  auto* column = new QVBoxLayout(page);
  column->addWidget(BoxGroup(page, QStringLiteral("Acceptance Code"), QStringLiteral("cbCode") + suffix,
                             QStringLiteral("edHWCode") + suffix, TCanFieldKind::AcceptanceCode, false));
  column->addWidget(BoxGroup(page, QStringLiteral("Acceptance Mask"), QStringLiteral("cbMask") + suffix,
                             QStringLiteral("edHWMask") + suffix, TCanFieldKind::AcceptanceMask, true));
  column->addWidget(FilterGroup(page, QStringLiteral("labFilter") + suffix, captions));
  column->addStretch(1);
  return page;
}

void OnKeyRelease(QWidget* watched, std::function<void()> action) {
  watched->installEventFilter(new TKeyReleaseFilter(watched, std::move(action)));
}

THwBitGroup::THwBitGroup(QWidget* page, const QString& suffix) : QObject(page) {
  CodeField = FindNamed<TCanValueEdit>(page, QStringLiteral("edHWCode") + suffix);
  MaskField = FindNamed<TCanValueEdit>(page, QStringLiteral("edHWMask") + suffix);
  for (int bit = 0; bit < kBits; ++bit) {
    const QString number = suffix + QString::number(bit);
    CodeBoxes[bit] = FindNamed<QCheckBox>(page, QStringLiteral("cbCode") + number);
    MaskBoxes[bit] = FindNamed<QCheckBox>(page, QStringLiteral("cbMask") + number);
    Labels[bit] = FindNamed<QLabel>(page, QStringLiteral("labFilter") + number);
    // `clicked` comes from the user only, so setting a box from its field never lands here.
    connect(CodeBoxes[bit], &QCheckBox::clicked, this, [this] { BoxesToField(CodeBoxes, CodeField); });
    connect(MaskBoxes[bit], &QCheckBox::clicked, this, [this] { BoxesToField(MaskBoxes, MaskField); });
  }
  for (TCanValueEdit* field : {CodeField, MaskField}) {
    OnKeyRelease(field, [this, field] { FieldToBoxes(field); });
    connect(field, &TCanValueEdit::Completed, this, [this, field] { RunUserAction([this, field] { FieldToBoxes(field); }); });
  }
  FieldToBoxes(MaskField);
  FieldToBoxes(CodeField);
}

void THwBitGroup::SetValues(std::int64_t code, std::int64_t mask) {
  CodeField->setText(HwFilterMath::CodeMaskText(code & 0xFFFFFFFF));
  MaskField->setText(HwFilterMath::CodeMaskText(mask & 0xFFFFFFFF));
  FieldToBoxes(MaskField);
  FieldToBoxes(CodeField);
}

THwCodeMask THwBitGroup::Values() const { return {CodeField->ReadHex(), MaskField->ReadHex()}; }

std::array<QCheckBox*, THwBitGroup::kBits>& THwBitGroup::BoxesOf(TCanValueEdit* field) {
  return field == CodeField ? CodeBoxes : MaskBoxes;
}

void THwBitGroup::FieldToBoxes(TCanValueEdit* field) {
  const auto value = static_cast<std::uint64_t>(field->ReadHex());
  std::array<QCheckBox*, kBits>& boxes = BoxesOf(field);
  for (int bit = 0; bit < kBits; ++bit) boxes[bit]->setChecked(((value >> bit) & 1U) != 0);
  RefreshLabels();
}

std::uint32_t THwBitGroup::BoxValue(const std::array<QCheckBox*, kBits>& boxes) {
  std::uint32_t value = 0;
  for (int bit = 0; bit < kBits; ++bit)
    if (boxes[bit]->isChecked()) value |= 1U << bit;
  return value;
}

void THwBitGroup::BoxesToField(const std::array<QCheckBox*, kBits>& boxes, TCanValueEdit* field) {
  field->setText(HwFilterMath::CodeMaskText(BoxValue(boxes)));
  RefreshLabels();
}

void THwBitGroup::RefreshLabels() {
  const std::uint32_t code = BoxValue(CodeBoxes), mask = BoxValue(MaskBoxes);
  for (int bit = 0; bit < kBits; ++bit) Labels[bit]->setText(HwFilterMath::BitLabel(code, mask, bit));
}
