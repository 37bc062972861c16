#pragma once
// The "Hardware Filter" page: the acceptance filter list under its title bar with its tool
// bar, and below it the editor of the selected row with one page per kind of filter.

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeView>
#include <QWidget>
#include <memory>

#include "filters/HwBitPage.h"
#include "filters/HwFilterList.h"
#include "transmit/CanEditField.h"

class THwFilterPage : public QWidget {
  Q_OBJECT

 public:
  // Editor pages, in the order of the filter types.
  enum TEditorPage { pgStandard, pgExtended, pgSingle, pgRange };

  explicit THwFilterPage(THwFilterList& filter, QWidget* parent = nullptr);

  [[nodiscard]] QTreeView* vstHWIdFilter() const { return FList; }

  QToolButton* btnAddHWFilter = nullptr;
  QAction* actionAddHWFilterStandard = nullptr;
  QAction* actionAddHWFilterExtended = nullptr;
  QAction* actionAddHWFilterSingle = nullptr;
  QAction* actionAddHWFilterRange = nullptr;
  QAction* actionRemoveHwFilter = nullptr;
  QAction* actionClearHwFilterList = nullptr;
  QAction* actionHWFilterOpen = nullptr;
  QAction* actionHWFilterSpeichern = nullptr;

  QWidget* pnlHWFilterSettings = nullptr;
  QLineEdit* edHWFilterDescription = nullptr;
  QPushButton* btnApplyHwFilter = nullptr;
  QTabWidget* nbHWFilter = nullptr;

  TCanValueEdit* edHWFilterSingleID1 = nullptr;
  TCanValueEdit* edHWFilterSingleID2 = nullptr;
  QComboBox* cbRTRSingleFilter1 = nullptr;
  QComboBox* cbRTRSingleFilter2 = nullptr;

  TCanValueEdit* edHWFilterRangeID1 = nullptr;
  TCanValueEdit* edHWFilterRangeID2 = nullptr;
  QLabel* labHWFilterRange1 = nullptr;
  QLabel* labHWFilterRange2 = nullptr;

  // The Standard and Extended pages' fields, boxes and labels, bound by name.
  THwBitGroup* Standard = nullptr;
  THwBitGroup* Extended = nullptr;

 private:
  void BuildToolBar();
  void BuildEditor();
  QWidget* BuildSinglePage();
  QWidget* BuildRangePage();
  void BindBitGroups();
  void ConnectActions();

  void AddFilter(THwFilterType type);
  void btnApplyHwFilterClick();
  [[nodiscard]] THwCodeMask EditorValues(TEditorPage page) const;
  void actionRemoveHwFilterExecute();
  void vstHWIdFilterChange();
  void ShowSelectedRow();
  void SelectInView(std::size_t row);
  void RangeFieldKeyUp(TCanValueEdit* field, QLabel* range);
  void UpdateListState();

  THwFilterList& FFilter;
  QTreeView* FList = nullptr;
};
