#include "filters/HwFilterPage.h"

#include <QScrollArea>
#include <QScrollBar>

#include "icons/AppIcons.h"

#include <QGridLayout>
#include <algorithm>
#include <initializer_list>
#include <QMenu>
#include <QToolBar>
#include <QVBoxLayout>

#include "lists/ListView.h"

namespace {
constexpr THwBitCaption kStandardCaptions[] = {
    {31, 21, "11 Bit Identifier 1"}, {20, 20, "RTR"}, {15, 5, "11 Bit Identifier 2"}, {4, 4, "RTR"}};
constexpr THwBitCaption kExtendedCaptions[] = {{31, 21, "11 bit basic ID 1"},
                                               {20, 16, "5 most bits ext. ID 1"},
                                               {15, 5, "11 bit basic ID 2"},
                                               {4, 0, "5 most bits ext. ID 2"}};

// Selector items in the order of TRtrChoice.
QComboBox* RtrSelector(QWidget* parent, const QString& name) {
  auto* box = new QComboBox(parent);
  box->setObjectName(name);
  box->setAccessibleName(QStringLiteral("RTR (X = don't care)"));
  box->addItems({QStringLiteral("X"), QStringLiteral("1"), QStringLiteral("0")});
  return box;
}

TRtrChoice RtrChoice(const QComboBox* box) { return static_cast<TRtrChoice>(std::max(0, box->currentIndex())); }

TCanValueEdit* IdField(QWidget* parent, TCanFieldKind kind, const QString& name, const QString& caption) {
  auto* field = new TCanValueEdit(kind, parent);
  field->setObjectName(name);
  field->setAccessibleName(caption);
  field->setMaximumWidth(100);
  return field;
}

struct TIdLine {
  const char* Caption;
  QWidget* Field;
  const char* SideCaption;
  QWidget* Side;
};

// An identifier page: its caption, then per identifier its caption, its field, and the
// selector or range text beside it.
void LayOutIdPage(QWidget* page, const char* caption, std::initializer_list<TIdLine> lines) {
  auto* grid = new QGridLayout(page);
  auto* title = new QLabel(QString::fromLatin1(caption), page);
  QFont font = title->font();
  font.setBold(true);
  title->setFont(font);
  grid->addWidget(title, 0, 0, 1, 5);
  int row = 1;
  for (const TIdLine& line : lines) {
    grid->addWidget(new QLabel(QString::fromLatin1(line.Caption), page), row, 0);
    grid->addWidget(line.Field, row, 1);
    grid->addWidget(new QLabel(QString::fromLatin1(line.SideCaption), page), row, 2);
    grid->addWidget(line.Side, row, 3);
    ++row;
  }
  grid->setColumnStretch(4, 1);
  grid->setRowStretch(row, 1);
}
}  // namespace

THwFilterPage::THwFilterPage(THwFilterList& filter, QWidget* parent) : QWidget(parent), FFilter(filter) {
  setObjectName(QStringLiteral("pnlHardwareFilter"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(CreateTitleBar(this, QStringLiteral("CAN ID Hardware Filter")));
  BuildToolBar();
  FList = CreateListView(this, QStringLiteral("vstHWIdFilter"), QStringLiteral("CAN ID Hardware Filter"), filter.Model());
  SetColumnWidths(FList, {60, 40, 140, 90, 90});
  OfferToolBarAsContextMenu(FList, findChild<QToolBar*>(QStringLiteral("tbHWFilter")));
  // Insert opens the menu of filter kinds under its button.
  auto* add = new QAction(btnAddHWFilter->text(), this);
  add->setObjectName(QStringLiteral("actionAddHWFilter"));
  add->setToolTip(btnAddHWFilter->toolTip());
  connect(add, &QAction::triggered, btnAddHWFilter, &QToolButton::showMenu);
  SetPageShortcut(this, add, Qt::Key_Insert);
  btnAddHWFilter->setToolTip(add->toolTip());
  SetPageShortcut(this, actionRemoveHwFilter, QKeySequence::Delete);
  SetPageShortcut(this, actionHWFilterOpen, QKeySequence::Open);
  SetPageShortcut(this, actionHWFilterSpeichern, QKeySequence::Save);
  layout->addWidget(FList, 1);
  BuildEditor();
  BindBitGroups();
  ConnectActions();
  UpdateListState();
}

void THwFilterPage::BuildToolBar() {
  auto* bar = new QToolBar(this);
  bar->setObjectName(QStringLiteral("tbHWFilter"));
  auto* menu = new QMenu(this);
  menu->setObjectName(QStringLiteral("pmAddHWFilter"));
  auto add = [&](const char* name, const char* caption) {
    QAction* action = menu->addAction(QString::fromLatin1(caption));
    action->setObjectName(QString::fromLatin1(name));
    return action;
  };
  actionAddHWFilterStandard = add("actionAddHWFilterStandard", "User Defined Standard (11 Bit)");
  actionAddHWFilterExtended = add("actionAddHWFilterExtended", "User Defined Extended (29 Bit)");
  actionAddHWFilterSingle = add("actionAddHWFilterSingle", "Single CAN ID (11 Bit)");
  actionAddHWFilterRange = add("actionAddHWFilterRange", "Extended CAN ID Range (29 bit)");
  btnAddHWFilter = new QToolButton(bar);
  btnAddHWFilter->setObjectName(QStringLiteral("btnAddHWFilter"));
  btnAddHWFilter->setText(QStringLiteral("Add new filter to list"));
  btnAddHWFilter->setIcon(AppIcon("add-row"));
  btnAddHWFilter->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  btnAddHWFilter->setToolTip(QStringLiteral("Add new filter to list"));
  btnAddHWFilter->setAccessibleName(QStringLiteral("Add new filter to list"));
  btnAddHWFilter->setMenu(menu);
  btnAddHWFilter->setPopupMode(QToolButton::InstantPopup);
  bar->addWidget(btnAddHWFilter);
  bar->addSeparator();
  actionRemoveHwFilter = AddToolAction(bar, QStringLiteral("actionRemoveHwFilter"), QStringLiteral("Remove selected filter"),
                                       QStringLiteral("Remove selected filter"), false, AppIcon("delete-row"));
  actionClearHwFilterList = AddToolAction(bar, QStringLiteral("actionClearHwFilterList"), QStringLiteral("Clear filter list"),
                                          QStringLiteral("Clear filter list"), false,
                                          ThemedAppIcon("edit-clear", "clear"));
  bar->addSeparator();
  actionHWFilterOpen = AddToolAction(bar, QStringLiteral("actionHWFilterOpen"), {}, QStringLiteral("Open"), false,
                                     ThemedAppIcon("document-open", "project-open"));
  actionHWFilterSpeichern = AddToolAction(bar, QStringLiteral("actionHWFilterSpeichern"), {}, QStringLiteral("Save"), false,
                                          ThemedAppIcon("document-save", "project-save"));
  // The window reads and writes the filter files and enables these when it does.
  actionHWFilterOpen->setEnabled(false);
  actionHWFilterSpeichern->setEnabled(false);
  static_cast<QVBoxLayout*>(layout())->addWidget(bar);
}

void THwFilterPage::BuildEditor() {
  pnlHWFilterSettings = new QWidget(this);
  pnlHWFilterSettings->setObjectName(QStringLiteral("pnlHWFilterSettings"));
  auto* column = new QVBoxLayout(pnlHWFilterSettings);
  column->setContentsMargins(0, 0, 0, 0);
  column->addWidget(CreateTitleBar(pnlHWFilterSettings, QStringLiteral("Filter Settings (SJA1000 Double Filter)"),
                                   QStringLiteral("panelHWFilterSettings")));
  auto* row = new QHBoxLayout;
  row->setContentsMargins(6, 4, 6, 0);
  edHWFilterDescription = new QLineEdit(pnlHWFilterSettings);
  edHWFilterDescription->setObjectName(QStringLiteral("edHWFilterDescription"));
  edHWFilterDescription->setAccessibleName(QStringLiteral("Description"));
  btnApplyHwFilter = new QPushButton(QStringLiteral("Apply"), pnlHWFilterSettings);
  btnApplyHwFilter->setObjectName(QStringLiteral("btnApplyHwFilter"));
  row->addWidget(new QLabel(QStringLiteral("Description"), pnlHWFilterSettings));
  row->addWidget(edHWFilterDescription, 1);
  row->addWidget(btnApplyHwFilter);
  column->addLayout(row);

  nbHWFilter = new QTabWidget(pnlHWFilterSettings);
  nbHWFilter->setObjectName(QStringLiteral("nbHWFilter"));
  nbHWFilter->addTab(CreateHwBitPage(QStringLiteral("tsHWFilterStandard"), {}, kStandardCaptions, nbHWFilter),
                     QStringLiteral("Standard"));
  nbHWFilter->addTab(CreateHwBitPage(QStringLiteral("tsHWFilterExtended"), QStringLiteral("E"), kExtendedCaptions, nbHWFilter),
                     QStringLiteral("Extended"));
  nbHWFilter->addTab(BuildSinglePage(), QStringLiteral("Single"));
  nbHWFilter->addTab(BuildRangePage(), QStringLiteral("Range"));
  // The bit grids are wider than the window may be; they scroll rather than widen it.
  auto* scroll = new QScrollArea(pnlHWFilterSettings);
  scroll->setObjectName(QStringLiteral("sbHWFilterSettings"));
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidgetResizable(true);
  scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  scroll->setWidget(nbHWFilter);
  scroll->setMinimumHeight(nbHWFilter->sizeHint().height() + scroll->horizontalScrollBar()->sizeHint().height());
  column->addWidget(scroll);
  static_cast<QVBoxLayout*>(layout())->addWidget(pnlHWFilterSettings);
}

QWidget* THwFilterPage::BuildSinglePage() {
  auto* page = new QWidget(nbHWFilter);
  page->setObjectName(QStringLiteral("tsHWFilterSingle"));
  edHWFilterSingleID1 = IdField(page, TCanFieldKind::SingleId, QStringLiteral("edHWFilterSingleID1"), QStringLiteral("CAN ID 1"));
  edHWFilterSingleID2 = IdField(page, TCanFieldKind::SingleId, QStringLiteral("edHWFilterSingleID2"), QStringLiteral("CAN ID 2"));
  cbRTRSingleFilter1 = RtrSelector(page, QStringLiteral("cbRTRSingleFilter1"));
  cbRTRSingleFilter2 = RtrSelector(page, QStringLiteral("cbRTRSingleFilter2"));
  LayOutIdPage(page, "Single CAN ID (11 bit only) - 1 or 2 single CAN IDs can be entered",
               {{"CAN ID 1", edHWFilterSingleID1, "RTR (X = don't care)", cbRTRSingleFilter1},
                {"CAN ID 2", edHWFilterSingleID2, "RTR (X = don't care)", cbRTRSingleFilter2}});
  return page;
}

QWidget* THwFilterPage::BuildRangePage() {
  auto* page = new QWidget(nbHWFilter);
  page->setObjectName(QStringLiteral("tsHWFilterRange"));
  edHWFilterRangeID1 = IdField(page, TCanFieldKind::RangeId, QStringLiteral("edHWFilterRangeID1"), QStringLiteral("CAN ID 1"));
  edHWFilterRangeID2 = IdField(page, TCanFieldKind::RangeId, QStringLiteral("edHWFilterRangeID2"), QStringLiteral("CAN ID 2"));
  labHWFilterRange1 = new QLabel(HwFilterMath::RangeText(0), page);
  labHWFilterRange1->setObjectName(QStringLiteral("labHWFilterRange1"));
  labHWFilterRange2 = new QLabel(HwFilterMath::RangeText(0), page);
  labHWFilterRange2->setObjectName(QStringLiteral("labHWFilterRange2"));
  LayOutIdPage(page, "Extended CAN ID Range (29 bit only) - 1 or 2 CAN ID ranges can be entered",
               {{"CAN ID 1", edHWFilterRangeID1, "Range 1:", labHWFilterRange1},
                {"CAN ID 2", edHWFilterRangeID2, "Range 2:", labHWFilterRange2}});
  return page;
}

void THwFilterPage::BindBitGroups() {
  Standard = new THwBitGroup(nbHWFilter->widget(pgStandard), {});
  Extended = new THwBitGroup(nbHWFilter->widget(pgExtended), QStringLiteral("E"));
}

void THwFilterPage::ConnectActions() {
  const std::pair<QAction*, THwFilterType> adds[] = {{actionAddHWFilterStandard, THwFilterType::Standard},
                                                     {actionAddHWFilterExtended, THwFilterType::Extended},
                                                     {actionAddHWFilterSingle, THwFilterType::Single},
                                                     {actionAddHWFilterRange, THwFilterType::Range}};
  // Lambdas below capture copies, not structured bindings: clang 14 cannot capture a binding.
  for (const auto& add : adds) {
    const THwFilterType type = add.second;
    connect(add.first, &QAction::triggered, this, [this, type] { RunUserAction([this, type] { AddFilter(type); }); });
  }
  connect(btnApplyHwFilter, &QPushButton::clicked, this, [this] { RunUserAction([this] { btnApplyHwFilterClick(); }); });
  connect(actionRemoveHwFilter, &QAction::triggered, this, [this] { RunUserAction([this] { actionRemoveHwFilterExecute(); }); });
  connect(actionClearHwFilterList, &QAction::triggered, this, [this] {
    RunUserAction([this] {
      TWaitCursor wait;
      FFilter.ClearFilterList();
    });
  });
  for (const auto& fieldAndLabel : {std::pair{edHWFilterRangeID1, labHWFilterRange1}, std::pair{edHWFilterRangeID2, labHWFilterRange2}}) {
    const auto field = fieldAndLabel.first;
    const auto range = fieldAndLabel.second;
    OnKeyRelease(field, [this, field, range] { RangeFieldKeyUp(field, range); });
  }
  connect(FList->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this] { RunUserAction([this] { vstHWIdFilterChange(); }); });
  TRowModel& model = FFilter.Model();
  for (auto signal : {&TRowModel::rowsInserted, &TRowModel::rowsRemoved})
    connect(&model, signal, this, [this] { UpdateListState(); });
  connect(&model, &TRowModel::modelReset, this, [this] { UpdateListState(); });
}

void THwFilterPage::UpdateListState() {
  const bool rows = FFilter.RowCount() > 0;
  pnlHWFilterSettings->setVisible(rows);
  actionRemoveHwFilter->setEnabled(rows);
  actionClearHwFilterList->setEnabled(rows);
}

void THwFilterPage::AddFilter(THwFilterType type) {
  nbHWFilter->setCurrentIndex(static_cast<int>(type));
  SelectInView(FFilter.AppendFilter(type));
}

void THwFilterPage::SelectInView(std::size_t row) {
  const int modelRow = FFilter.Model().ModelRow(row);
  if (modelRow >= 0) FList->setCurrentIndex(FFilter.Model().index(modelRow, 0));
  ShowSelectedRow();
}

THwCodeMask THwFilterPage::EditorValues(TEditorPage page) const {
  switch (page) {
    case pgStandard: return Standard->Values();
    case pgExtended: return Extended->Values();
    case pgSingle:
      return HwFilterMath::SingleFilter(edHWFilterSingleID1->ReadHex(), RtrChoice(cbRTRSingleFilter1),
                                        edHWFilterSingleID2->ReadHex(), RtrChoice(cbRTRSingleFilter2));
    case pgRange: return HwFilterMath::RangeFilter(edHWFilterRangeID1->ReadHex(), edHWFilterRangeID2->ReadHex());
  }
  return {};
}

void THwFilterPage::btnApplyHwFilterClick() {
  const auto page = static_cast<TEditorPage>(nbHWFilter->currentIndex());
  FFilter.ApplyToSelected(static_cast<THwFilterType>(page), EditorValues(page), edHWFilterDescription->text());
}

void THwFilterPage::actionRemoveHwFilterExecute() {
  const std::size_t last = FFilter.RemoveSelected();
  if (last == THwFilterList::kNoRow) return;
  SelectInView(last);
  FList->setFocus();
}

void THwFilterPage::vstHWIdFilterChange() {
  const int modelRow = SelectedModelRow(*FList);
  FFilter.SelectRow(modelRow < 0 ? THwFilterList::kNoRow : FFilter.Model().StoreRow(modelRow));
  ShowSelectedRow();
}

void THwFilterPage::ShowSelectedRow() {
  const std::size_t row = FFilter.SelectedRow();
  if (row == THwFilterList::kNoRow) return;
  const THwFilterData& data = FFilter.Row(row);
  edHWFilterDescription->setText(data.Description.ToString());
  const auto page = static_cast<TEditorPage>(data.FilterType);
  switch (page) {
    case pgStandard: Standard->SetValues(data.Code, data.Mask); break;
    case pgExtended: Extended->SetValues(data.Code, data.Mask); break;
    case pgSingle:
      edHWFilterSingleID1->setText(HwFilterMath::CodeMaskText(HwFilterMath::SingleId1(data.Code)).right(3));
      edHWFilterSingleID2->setText(HwFilterMath::CodeMaskText(HwFilterMath::SingleId2(data.Code)).right(3));
      break;
    case pgRange:
      edHWFilterRangeID1->setText(HwFilterMath::CodeMaskText(HwFilterMath::RangeId1(data.Code)));
      edHWFilterRangeID2->setText(HwFilterMath::CodeMaskText(HwFilterMath::RangeId2(data.Code)));
      RangeFieldKeyUp(edHWFilterRangeID1, labHWFilterRange1);
      RangeFieldKeyUp(edHWFilterRangeID2, labHWFilterRange2);
      break;
    default: return;  // a stored type this program does not know: no page to show it on
  }
  nbHWFilter->setCurrentIndex(page);
}

void THwFilterPage::RangeFieldKeyUp(TCanValueEdit* field, QLabel* range) {
  QString folded;
  const std::int64_t value = HwFilterMath::FoldRangeId(field->ReadHex(), &folded);
  if (!folded.isEmpty()) field->setText(folded);
  range->setText(HwFilterMath::RangeText(value));
}
