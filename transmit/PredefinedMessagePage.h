#pragma once
// The "Predefined Messages / Trigger" page: the list of predefined messages under its title
// bar with its tool bar, and below it the editor of the selected row with one page per
// trigger type.

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolBar>
#include <QTreeView>
#include <QWidget>
#include <memory>
#include <vector>

#include "transmit/FrameFields.h"
#include "transmit/HotKeyEdit.h"
#include "transmit/PredefinedMessageList.h"

class QGroupBox;

class TPredefinedMessagePage : public QWidget {
  Q_OBJECT
 public:
  enum TEditorPage { pgTimer, pgTrigger, pgHotKey };

  explicit TPredefinedMessagePage(TPredefinedMessageList& list, QWidget* parent = nullptr);
  ~TPredefinedMessagePage() override;

  [[nodiscard]] QTreeView* vstPredefinedMessages() const { return FList; }
  // The list's tool bar, for the file commands that belong there.
  [[nodiscard]] QToolBar* ToolBar() const { return tbPredefinedMessages; }
  // `action` is enabled only while the list has rows, like the row commands.
  void AddRowDependentAction(QAction* action);
  // Re-reads the list's rows after they were replaced (a file or project was opened).
  void ListReplaced();

  QToolBar* tbPredefinedMessages = nullptr;
  QAction* actionPredefinedMessageAdd = nullptr;
  QAction* actionPredefinedMessageDelete = nullptr;
  QAction* actionCopyPredefinedMessage = nullptr;
  QAction* actionMovePredefinedMessageTop = nullptr;
  QAction* actionMovePredefinedMessageBottom = nullptr;
  QAction* actionPredefinedMessagesDeleteAll = nullptr;

  QGroupBox* panelEditPredefined = nullptr;
  QComboBox* cbTriggerType = nullptr;
  QLineEdit* edTransmitMsgDescription = nullptr;
  QCheckBox* cbPerdefinedExtened = nullptr;
  QCheckBox* cbPerdefinedRTR = nullptr;
  QTabWidget* nbPredefinedMsgType = nullptr;
  QSpinBox* seTransmitMsgPeriod = nullptr;
  QCheckBox* cbTriggerExtended = nullptr;
  QCheckBox* cbTriggerRTR = nullptr;
  THotKeyEdit* hkTrigger = nullptr;
  QCheckBox* cbTriggerLogMessage = nullptr;
  QLineEdit* edTriggerLogMessage = nullptr;
  QPushButton* btnTransmitMsgApply = nullptr;

  [[nodiscard]] TFrameFields& MessageFields() { return *FMessage; }
  [[nodiscard]] TFrameFields& TriggerCodeFields() { return *FTriggerCode; }
  [[nodiscard]] TFrameFields& TriggerMaskFields() { return *FTriggerMask; }

  void actionPredefinedMessageAddExecute();
  void actionPredefinedMessageDeleteExecute();
  void actionCopyPredefinedMessageExecute();
  void actionMovePredefinedMessageTopExecute();
  void actionMovePredefinedMessageBottomExecute();
  void actionPredefinedMessagesDeleteAllExecute();
  void btnTransmitMsgApplyClick();
  // Shows the first page of the editor.
  void ShowFirstEditorPage() { nbPredefinedMsgType->setCurrentIndex(pgTimer); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildToolBar();
  void BuildEditor();
  QWidget* BuildTimerPage();
  QWidget* BuildTriggerPage();
  QWidget* BuildHotKeyPage();
  void ConnectEditor();
  void SelectListRow(std::size_t row);
  void vstPredefinedMessagesChange();
  void ShowSelectedRow();
  void UpdateActions();
  [[nodiscard]] TPredefinedEdit ReadEditor() const;
  bool DropRows(QDropEvent* event);

  TPredefinedMessageList& FPredefined;
  QTreeView* FList = nullptr;
  std::unique_ptr<TFrameFields> FMessage;
  std::unique_ptr<TFrameFields> FTriggerCode;
  std::unique_ptr<TFrameFields> FTriggerMask;
  std::vector<QAction*> FRowActions;
};
