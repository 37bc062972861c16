#include "filters/IdFilterPage.h"
#include "icons/AppIcons.h"

#include <QColorDialog>
#include <QGridLayout>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

#include "lists/ListView.h"

QValidator::State THexValidator::validate(QString& input, int& /*pos*/) const {
  for (QChar c : input)
    if (!c.isDigit() && !(c.toUpper() >= QChar('A') && c.toUpper() <= QChar('F'))) return Invalid;
  input = input.toUpper();
  return Acceptable;
}

TIdFilterPage::TIdFilterPage(TIdFilterList& filter, QWidget* parent) : QWidget(parent), FFilter(filter) {
  setObjectName(QStringLiteral("tsIdFilter"));
  PickColor = [this](const QColor& initial) { return QColorDialog::getColor(initial, this, QStringLiteral("CAN ID Filter Color")); };
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(CreateTitleBar(this, QStringLiteral("CAN ID Software Filter")));
  BuildToolBar();
  FList = CreateListView(this, QStringLiteral("vstIdFilter"), QStringLiteral("CAN ID Software Filter"), filter.Model());
  SetColumnWidths(FList, {150, 40});
  OfferToolBarAsContextMenu(FList, findChild<QToolBar*>(QStringLiteral("tbIdFilter")));
  SetPageShortcut(this, actionAddIdToFilterList, Qt::Key_Insert);
  SetPageShortcut(this, actionRemoveSelectedCANID, QKeySequence::Delete);
  layout->addWidget(FList, 1);
  BuildEditor();
  ConnectActions();
}

void TIdFilterPage::BuildToolBar() {
  auto* bar = new QToolBar(this);
  bar->setObjectName(QStringLiteral("tbIdFilter"));
  actionAddIdToFilterList = AddToolAction(bar, QStringLiteral("actionAddIdToFilterList"), QStringLiteral("Add CAN ID to list"),
                                          QStringLiteral("Add CAN ID to list"), false, AppIcon("add-row"));
  actionSetCaiIdFilterColor = AddToolAction(bar, QStringLiteral("actionSetCaiIdFilterColor"), QStringLiteral("CAN ID Filter Color"),
                                            QStringLiteral("CAN ID Filter Color"), false, AppIcon("color-filter"));
  actionCheckUncheckAll = AddToolAction(bar, QStringLiteral("actionCheckUncheckAll"), QStringLiteral("Check/Uncheck all items"),
                                        QStringLiteral("Check/Uncheck all items"), false, AppIcon("check-all"));
  bar->addSeparator();
  actionRemoveSelectedCANID = AddToolAction(bar, QStringLiteral("actionRemoveSelectedCANID"), QStringLiteral("Remove selected CAN ID"),
                                            QStringLiteral("Remove selected CAN ID"), false, AppIcon("delete-row"));
  actionClearFilterList = AddToolAction(bar, QStringLiteral("actionClearFilterList"), QStringLiteral("Clear filter list"),
                                        QStringLiteral("Clear filter list"), false,
                                        ThemedAppIcon("edit-clear", "clear"));
  static_cast<QVBoxLayout*>(layout())->addWidget(bar);
}

void TIdFilterPage::BuildEditor() {
  auto* box = new QWidget(this);
  auto* column = new QVBoxLayout(box);
  column->setContentsMargins(0, 0, 0, 0);
  panelAddAplyFilter = CreateTitleBar(box, QStringLiteral("Edit selected CAN ID"), QStringLiteral("panelAddAplyFilter"));
  column->addWidget(panelAddAplyFilter);
  auto* grid = new QGridLayout;
  grid->setContentsMargins(6, 4, 6, 6);

  edFilterCANID = new QLineEdit(box);
  edFilterCANID->setObjectName(QStringLiteral("edFilterCANID"));
  edFilterCANID->setAccessibleName(QStringLiteral("CAN ID"));
  edFilterCANID->setValidator(new THexValidator(edFilterCANID));
  edFilterCANID->setMaxLength(3);
  edFilterCANID->setReadOnly(true);
  edFilterCANID->setMaximumWidth(110);
  cbFilterExtended = new QCheckBox(QStringLiteral("Extended"), box);
  cbFilterExtended->setObjectName(QStringLiteral("cbFilterExtended"));
  cbFilterExtended->setToolTip(QStringLiteral("29bit CAN ID"));
  cbFilterExtended->setEnabled(false);
  edFilterDescription = new QLineEdit(box);
  edFilterDescription->setObjectName(QStringLiteral("edFilterDescription"));
  edFilterDescription->setAccessibleName(QStringLiteral("Description"));
  edFilterDescription->setMaxLength(255);
  panelFilterColor = new QToolButton(box);
  panelFilterColor->setObjectName(QStringLiteral("panelFilterColor"));
  panelFilterColor->setAccessibleName(QStringLiteral("CAN ID Filter Color"));
  panelFilterColor->setToolTip(QStringLiteral("CAN ID Filter Color"));
  panelFilterColor->setAutoRaise(false);
  panelFilterColor->setFixedSize(40, 22);
  ShowPanelColor(0);
  btnApplyFilter = new QPushButton(QStringLiteral("Apply"), box);
  btnApplyFilter->setObjectName(QStringLiteral("btnApplyFilter"));

  grid->addWidget(new QLabel(QStringLiteral("CAN ID"), box), 0, 0);
  grid->addWidget(edFilterCANID, 0, 1);
  grid->addWidget(cbFilterExtended, 0, 2);
  grid->addWidget(new QLabel(QStringLiteral("Color"), box), 0, 3);
  grid->addWidget(panelFilterColor, 0, 4);
  grid->addWidget(new QLabel(QStringLiteral("Description"), box), 1, 0);
  grid->addWidget(edFilterDescription, 1, 1, 1, 4);
  grid->addWidget(btnApplyFilter, 1, 5);
  grid->setColumnStretch(6, 1);
  column->addLayout(grid);
  static_cast<QVBoxLayout*>(layout())->addWidget(box);
}

void TIdFilterPage::ConnectActions() {
  connect(actionAddIdToFilterList, &QAction::triggered, this, [this] { RunUserAction([this] { actionAddIdToFilterListExecute(); }); });
  connect(btnApplyFilter, &QPushButton::clicked, this, [this] { RunUserAction([this] { btnApplyFilterClick(); }); });
  connect(cbFilterExtended, &QCheckBox::clicked, this, [this] { RunUserAction([this] { cbFilterExtendedClick(); }); });
  connect(actionSetCaiIdFilterColor, &QAction::triggered, this, [this] { RunUserAction([this] { actionSetCaiIdFilterColorExecute(); }); });
  connect(panelFilterColor, &QToolButton::clicked, actionSetCaiIdFilterColor, &QAction::trigger);
  connect(actionCheckUncheckAll, &QAction::triggered, this, [this] { RunUserAction([this] { FFilter.CheckUncheckAll(); }); });
  connect(actionRemoveSelectedCANID, &QAction::triggered, this, [this] {
    RunUserAction([this] {
      const std::size_t row = FFilter.SelectedRow();
      if (row != TIdFilterList::kNoRow) FFilter.RemoveRow(row);
    });
  });
  connect(actionClearFilterList, &QAction::triggered, this, [this] {
    RunUserAction([this] {
      TWaitCursor wait;
      FFilter.ClearFilterList();
    });
  });
  connect(FList->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { RunUserAction([this] { vstIdFilterChange(); }); });
  connect(FList, &QTreeView::clicked, this, [this] { RunUserAction([this] { ShowSelectedRow(); }); });
}

void TIdFilterPage::SetEditorMode(bool adding) {
  edFilterCANID->setReadOnly(!adding);
  cbFilterExtended->setEnabled(adding);
  btnApplyFilter->setText(adding ? QStringLiteral("Add") : QStringLiteral("Apply"));
  panelAddAplyFilter->setText(adding ? QStringLiteral("Add CAN ID") : QStringLiteral("Edit selected CAN ID"));
}

void TIdFilterPage::actionAddIdToFilterListExecute() {
  FFilter.BeginAddMode();
  SetEditorMode(true);
  edFilterCANID->setMaxLength(cbFilterExtended->isChecked() ? 8 : 3);
  edFilterCANID->setText(cbFilterExtended->isChecked() ? QStringLiteral("00000000") : QStringLiteral("000"));
  edFilterCANID->setFocus();
  edFilterCANID->selectAll();
  edFilterDescription->clear();
}

void TIdFilterPage::cbFilterExtendedClick() {
  const bool extended = cbFilterExtended->isChecked();
  edFilterCANID->setMaxLength(extended ? 8 : 3);
  edFilterCANID->setText(extended ? QStringLiteral("00000000") : QStringLiteral("000"));
}

void TIdFilterPage::btnApplyFilterClick() {
  FFilter.ApplyEdit(edFilterCANID->text(), cbFilterExtended->isChecked(), edFilterDescription->text());
  SetEditorMode(false);
}

void TIdFilterPage::actionSetCaiIdFilterColorExecute() {
  const std::size_t row = FFilter.SelectedRow();
  if (row == TIdFilterList::kNoRow) return;
  const QColor color = PickColor(WindowsColorToQColor(FFilter.Row(row).Color));
  if (!color.isValid()) return;
  FFilter.SetRowColor(row, QColorToWindowsColor(color));
  ShowPanelColor(FFilter.Row(row).Color);
}

void TIdFilterPage::vstIdFilterChange() {
  const int modelRow = SelectedModelRow(*FList);
  FFilter.SelectRow(modelRow < 0 ? TIdFilterList::kNoRow : FFilter.Model().StoreRow(modelRow));
  ShowSelectedRow();
}

void TIdFilterPage::ShowSelectedRow() {
  const std::size_t row = FFilter.SelectedRow();
  if (row == TIdFilterList::kNoRow) return;
  const TIdFilterData& data = FFilter.Row(row);
  cbFilterExtended->setChecked(data.Extended);
  edFilterCANID->setMaxLength(data.Extended ? 8 : 3);
  edFilterCANID->setText(FFilter.CellText(row, 0));
  edFilterDescription->setText(data.Description.ToString());
  ShowPanelColor(data.Color);
}

void TIdFilterPage::ShowPanelColor(std::uint32_t color) {
  panelFilterColor->setStyleSheet(QStringLiteral("QToolButton { background-color: %1; border: 1px solid black; }")
                                      .arg(WindowsColorToQColor(color).name()));
}
