#pragma once
// The "Identifier Filter" page: the software filter list under its title bar with its tool
// bar, and the editing area for the selected row or a new one.

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QTreeView>
#include <QValidator>
#include <QWidget>
#include <functional>

#include "filters/IdFilterList.h"

// Hexadecimal key rule: digits and A-F only, entered upper-case; pasted text with any other
// character is refused as a whole.
class THexValidator : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int& pos) const override;
};

class TIdFilterPage : public QWidget {
  Q_OBJECT

 public:
  explicit TIdFilterPage(TIdFilterList& filter, QWidget* parent = nullptr);

  [[nodiscard]] QTreeView* vstIdFilter() const { return FList; }

  QAction* actionAddIdToFilterList = nullptr;
  QAction* actionSetCaiIdFilterColor = nullptr;
  QAction* actionCheckUncheckAll = nullptr;
  QAction* actionRemoveSelectedCANID = nullptr;
  QAction* actionClearFilterList = nullptr;

  QLabel* panelAddAplyFilter = nullptr;
  QLineEdit* edFilterCANID = nullptr;
  QCheckBox* cbFilterExtended = nullptr;
  QLineEdit* edFilterDescription = nullptr;
  QToolButton* panelFilterColor = nullptr;
  QPushButton* btnApplyFilter = nullptr;

  // The colour dialog; returns an invalid colour when cancelled. Replaceable for tests.
  std::function<QColor(const QColor& initial)> PickColor;

 private:
  void BuildToolBar();
  void BuildEditor();
  void ConnectActions();
  void ShowSelectedRow();
  void SetEditorMode(bool adding);
  void ShowPanelColor(std::uint32_t color);

  void actionAddIdToFilterListExecute();
  void btnApplyFilterClick();
  void cbFilterExtendedClick();
  void actionSetCaiIdFilterColorExecute();
  void vstIdFilterChange();

  TIdFilterList& FFilter;
  QTreeView* FList = nullptr;
};
