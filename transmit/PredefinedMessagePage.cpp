#include "transmit/PredefinedMessagePage.h"

#include <QDropEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QStyle>
#include <QVBoxLayout>
#include <climits>

#include "icons/AppIcons.h"
#include "lists/ListView.h"
#include "model/CanText.h"

TPredefinedMessagePage::TPredefinedMessagePage(TPredefinedMessageList& list, QWidget* parent)
    : QWidget(parent), FPredefined(list) {
  setObjectName(QStringLiteral("tsPredefinedMessages"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(CreateTitleBar(this, QStringLiteral("Predefined Transmit Messages")));
  BuildToolBar();
  FList = CreateListView(this, QStringLiteral("vstPredefinedMessages"), QStringLiteral("Predefined Transmit Messages"), list.Model());
  SetColumnWidths(FList, {110, 80, 80, 40, 40, 40, 180, 200});
  FList->setDragEnabled(true);
  FList->setAcceptDrops(true);
  FList->setDropIndicatorShown(true);
  FList->setDragDropMode(QAbstractItemView::InternalMove);
  FList->viewport()->installEventFilter(this);
  OfferToolBarAsContextMenu(FList, tbPredefinedMessages);
  SetPageShortcut(this, actionPredefinedMessageAdd, Qt::Key_Insert);
  SetPageShortcut(this, actionPredefinedMessageDelete, QKeySequence::Delete);
  layout->addWidget(FList, 1);
  BuildEditor();
  ConnectEditor();

  connect(FList->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this] { RunUserAction([this] { vstPredefinedMessagesChange(); }); });
  connect(&list.Model(), &QAbstractItemModel::modelReset, this, [this] {
    // A reset drops the view's selection; the list still knows which row was selected.
    SelectListRow(FPredefined.SelectedRow());
    UpdateActions();
  });
  connect(&list.Model(), &QAbstractItemModel::rowsInserted, this, [this] { UpdateActions(); });
  connect(&list.Model(), &QAbstractItemModel::rowsRemoved, this, [this] { UpdateActions(); });
  connect(&list.Model(), &QAbstractItemModel::modelReset, this, [this] { ListReplaced(); });  // a file or project was opened
  UpdateActions();
}

TPredefinedMessagePage::~TPredefinedMessagePage() = default;

// --- construction --------------------------------------------------------------------------

void TPredefinedMessagePage::BuildToolBar() {
  auto* bar = new QToolBar(this);
  bar->setObjectName(QStringLiteral("tbPredefinedMessages"));
  tbPredefinedMessages = bar;
  const auto add = [&](const char* name, const char* hint, const QIcon& icon, void (TPredefinedMessagePage::*handler)()) {
    QAction* action = AddToolAction(bar, QString::fromLatin1(name), {}, QString::fromLatin1(hint), false, icon);
    connect(action, &QAction::triggered, this, [this, handler] { RunUserAction([&] { (this->*handler)(); }); });
    return action;
  };
  actionPredefinedMessageAdd = add("actionPredefinedMessageAdd", "Add new message", AppIcon("add-row"),
                                   &TPredefinedMessagePage::actionPredefinedMessageAddExecute);
  actionPredefinedMessageDelete = add("actionPredefinedMessageDelete", "Delete selected message", AppIcon("delete-row"),
                                      &TPredefinedMessagePage::actionPredefinedMessageDeleteExecute);
  actionCopyPredefinedMessage = add("actionCopyPredefinedMessage", "Copy selected message", AppIcon("copy-row"),
                                    &TPredefinedMessagePage::actionCopyPredefinedMessageExecute);
  actionMovePredefinedMessageTop = add("actionMovePredefinedMessageTop", "Move selected message up", AppIcon("move-up"),
                                       &TPredefinedMessagePage::actionMovePredefinedMessageTopExecute);
  actionMovePredefinedMessageBottom = add("actionMovePredefinedMessageBottom", "Move selected message down", AppIcon("move-down"),
                                          &TPredefinedMessagePage::actionMovePredefinedMessageBottomExecute);
  bar->addSeparator();
  actionPredefinedMessagesDeleteAll = add("actionPredefinedMessagesDeleteAll", "Delete all messages", ThemedAppIcon("edit-clear", "clear"),
                                          &TPredefinedMessagePage::actionPredefinedMessagesDeleteAllExecute);
  FRowActions = {actionPredefinedMessageDelete, actionCopyPredefinedMessage, actionMovePredefinedMessageTop,
                 actionMovePredefinedMessageBottom, actionPredefinedMessagesDeleteAll};
  static_cast<QVBoxLayout*>(layout())->addWidget(bar);
}

namespace {
QLabel* Label(QWidget* parent, const char* text) { return new QLabel(QString::fromLatin1(text), parent); }

QCheckBox* CheckBox(QWidget* parent, const char* name, const char* caption) {
  auto* box = new QCheckBox(QString::fromLatin1(caption), parent);
  box->setObjectName(QString::fromLatin1(name));
  return box;
}
}  // namespace

void TPredefinedMessagePage::BuildEditor() {
  panelEditPredefined = new QGroupBox(QStringLiteral("Edit selected message"), this);
  panelEditPredefined->setObjectName(QStringLiteral("panelEditPredefined"));
  auto* grid = new QGridLayout(panelEditPredefined);

  cbTriggerType = new QComboBox(panelEditPredefined);
  cbTriggerType->setObjectName(QStringLiteral("cbTriggerType"));
  cbTriggerType->setAccessibleName(QStringLiteral("Trigger Type"));
  cbTriggerType->addItems({QStringLiteral("Timer"), QStringLiteral("Message"), QStringLiteral("Hot Key")});
  edTransmitMsgDescription = new QLineEdit(panelEditPredefined);
  edTransmitMsgDescription->setObjectName(QStringLiteral("edTransmitMsgDescription"));
  edTransmitMsgDescription->setAccessibleName(QStringLiteral("Description"));
  edTransmitMsgDescription->setMaxLength(255);
  grid->addWidget(Label(panelEditPredefined, "Trigger Type"), 0, 0);
  grid->addWidget(cbTriggerType, 0, 1);
  grid->addWidget(Label(panelEditPredefined, "Description"), 0, 2);
  grid->addWidget(edTransmitMsgDescription, 0, 3, 1, 2);

  cbPerdefinedExtened = CheckBox(panelEditPredefined, "cbPerdefinedExtened", "Extended");
  cbPerdefinedRTR = CheckBox(panelEditPredefined, "cbPerdefinedRTR", "RTR");
  FMessage = std::make_unique<TFrameFields>(panelEditPredefined, QStringLiteral("edPerdefinedMsg_"), QStringLiteral("Bit"),
                                            cbPerdefinedExtened, cbPerdefinedRTR);
  FMessage->BindBoxes();
  auto* frame = new QGridLayout;
  frame->addWidget(Label(panelEditPredefined, "CAN ID"), 0, 0);
  frame->addWidget(Label(panelEditPredefined, "DLC"), 0, 1);
  frame->addWidget(Label(panelEditPredefined, "Data"), 0, 2);
  FMessage->PlaceInRow(frame, 1, 0);
  auto* boxes = new QHBoxLayout;
  boxes->addWidget(cbPerdefinedExtened);
  boxes->addWidget(cbPerdefinedRTR);
  boxes->addStretch(1);
  frame->addLayout(boxes, 2, 0, 1, 3);
  grid->addLayout(frame, 1, 0, 1, 5);

  nbPredefinedMsgType = new QTabWidget(panelEditPredefined);
  nbPredefinedMsgType->setObjectName(QStringLiteral("nbPredefinedMsgType"));
  nbPredefinedMsgType->addTab(BuildTimerPage(), QStringLiteral("Timer"));
  nbPredefinedMsgType->addTab(BuildTriggerPage(), QStringLiteral("Trigger"));
  nbPredefinedMsgType->addTab(BuildHotKeyPage(), QStringLiteral("Hot Key"));
  grid->addWidget(nbPredefinedMsgType, 2, 0, 1, 5);

  cbTriggerLogMessage = CheckBox(panelEditPredefined, "cbTriggerLogMessage", "Log message");
  edTriggerLogMessage = new QLineEdit(panelEditPredefined);
  edTriggerLogMessage->setObjectName(QStringLiteral("edTriggerLogMessage"));
  edTriggerLogMessage->setAccessibleName(QStringLiteral("Log message"));
  edTriggerLogMessage->setMaxLength(255);
  btnTransmitMsgApply = new QPushButton(QStringLiteral("Apply"), panelEditPredefined);
  btnTransmitMsgApply->setObjectName(QStringLiteral("btnTransmitMsgApply"));
  grid->addWidget(cbTriggerLogMessage, 3, 0);
  grid->addWidget(edTriggerLogMessage, 3, 1, 1, 3);
  grid->addWidget(btnTransmitMsgApply, 3, 4);
  grid->setColumnStretch(3, 1);
  FMessage->ChainTabOrder(nbPredefinedMsgType);
  FMessage->AcceptPastedBytes();

  static_cast<QVBoxLayout*>(layout())->addWidget(panelEditPredefined);
}

QWidget* TPredefinedMessagePage::BuildTimerPage() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("pgTimer"));
  auto* row = new QHBoxLayout(page);
  seTransmitMsgPeriod = new QSpinBox(page);
  seTransmitMsgPeriod->setObjectName(QStringLiteral("seTransmitMsgPeriod"));
  seTransmitMsgPeriod->setAccessibleName(QStringLiteral("Period, ms"));
  seTransmitMsgPeriod->setRange(INT_MIN, INT_MAX);
  seTransmitMsgPeriod->setValue(0);
  seTransmitMsgPeriod->setMinimumWidth(100);
  row->addWidget(Label(page, "Period, ms"));
  row->addWidget(seTransmitMsgPeriod);
  row->addStretch(1);
  return page;
}

QWidget* TPredefinedMessagePage::BuildTriggerPage() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("pgTrigger"));
  auto* grid = new QGridLayout(page);
  cbTriggerExtended = CheckBox(page, "cbTriggerExtended", "Extended");
  cbTriggerRTR = CheckBox(page, "cbTriggerRTR", "RTR");
  FTriggerCode = std::make_unique<TFrameFields>(page, QStringLiteral("edTriggerMsg_"), QStringLiteral("Bit"), cbTriggerExtended, cbTriggerRTR);
  FTriggerMask =
      std::make_unique<TFrameFields>(page, QStringLiteral("edTriggerMsgMask_"), QStringLiteral("Bit"), cbTriggerExtended, cbTriggerRTR);
  // One pair of boxes shapes both rows: Extended both identifiers, RTR all sixteen data fields.
  BindExtendedCheckBox(cbTriggerExtended, FTriggerCode->Id);
  BindExtendedCheckBox(cbTriggerExtended, FTriggerMask->Id);
  std::vector<TCanValueEdit*> data(FTriggerCode->Data.begin(), FTriggerCode->Data.end());
  data.insert(data.end(), FTriggerMask->Data.begin(), FTriggerMask->Data.end());
  BindRtrCheckBox(cbTriggerRTR, data);

  grid->addWidget(Label(page, "CAN ID"), 0, 1);
  grid->addWidget(Label(page, "DLC"), 0, 2);
  grid->addWidget(Label(page, "Data"), 0, 3);
  grid->addWidget(Label(page, "Code"), 1, 0);
  FTriggerCode->PlaceInRow(grid, 1, 1);
  grid->addWidget(Label(page, "Mask"), 2, 0);
  FTriggerMask->PlaceInRow(grid, 2, 1);
  auto* boxes = new QHBoxLayout;
  boxes->addWidget(cbTriggerExtended);
  boxes->addWidget(cbTriggerRTR);
  boxes->addStretch(1);
  grid->addLayout(boxes, 3, 1, 1, 3);
  return page;
}

QWidget* TPredefinedMessagePage::BuildHotKeyPage() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("pgHotKey"));
  auto* row = new QHBoxLayout(page);
  hkTrigger = new THotKeyEdit(page);
  hkTrigger->setObjectName(QStringLiteral("hkTrigger"));
  hkTrigger->setAccessibleName(QStringLiteral("Hot Key"));
  hkTrigger->setMinimumWidth(160);
  row->addWidget(Label(page, "Hot Key"));
  row->addWidget(hkTrigger);
  row->addStretch(1);
  return page;
}

void TPredefinedMessagePage::ConnectEditor() {
  connect(cbTriggerType, &QComboBox::currentIndexChanged, nbPredefinedMsgType, &QTabWidget::setCurrentIndex);
  connect(btnTransmitMsgApply, &QPushButton::clicked, this, [this] { RunUserAction([this] { btnTransmitMsgApplyClick(); }); });
}

// --- list and selection --------------------------------------------------------------------

void TPredefinedMessagePage::SelectListRow(std::size_t row) {
  const int modelRow = row == TPredefinedMessageList::kNoRow ? -1 : FPredefined.Model().ModelRow(row);
  if (modelRow < 0) {
    FList->selectionModel()->clearSelection();
    return;
  }
  const QModelIndex index = FPredefined.Model().index(modelRow, 0);
  FList->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  FList->scrollTo(index);
  ShowSelectedRow();
}

void TPredefinedMessagePage::vstPredefinedMessagesChange() {
  const int modelRow = SelectedModelRow(*FList);
  FPredefined.SelectRow(modelRow < 0 ? TPredefinedMessageList::kNoRow : FPredefined.Model().StoreRow(modelRow));
  ShowSelectedRow();
}

// Every stored field is shown, whatever the row's type. The boxes are set without their
// click effect, so their resets do not overwrite the values shown.
void TPredefinedMessagePage::ShowSelectedRow() {
  const std::size_t row = FPredefined.SelectedRow();
  if (row == TPredefinedMessageList::kNoRow) return;
  const TPredefinedMessageData& r = FPredefined.Row(row);
  cbTriggerType->setCurrentIndex(r.TriggerType <= 2 ? r.TriggerType : -1);
  if (r.TriggerType <= 2) nbPredefinedMsgType->setCurrentIndex(r.TriggerType);
  FMessage->Show(r.Message);
  edTransmitMsgDescription->setText(r.Description.ToString());
  cbTriggerLogMessage->setChecked(r.LogMessage == 1);
  edTriggerLogMessage->setText(r.LogText.ToString());
  seTransmitMsgPeriod->setValue(r.Period);
  FTriggerCode->Show(r.TriggerCode);
  FTriggerMask->ShowValues(r.TriggerMask, r.TriggerCode.Extended, r.TriggerCode.RTR);
  hkTrigger->SetHotKey(r.HotKey);
}

void TPredefinedMessagePage::UpdateActions() {
  const bool hasRows = FPredefined.RowCount() > 0;
  for (QAction* action : FRowActions) action->setEnabled(hasRows);
  panelEditPredefined->setVisible(hasRows);
}

void TPredefinedMessagePage::AddRowDependentAction(QAction* action) {
  FRowActions.push_back(action);
  UpdateActions();
}

void TPredefinedMessagePage::ListReplaced() {
  SelectListRow(FPredefined.SelectedRow());
  UpdateActions();
}

// --- actions -------------------------------------------------------------------------------

void TPredefinedMessagePage::actionPredefinedMessageAddExecute() {
  SelectListRow(FPredefined.AddMessage());
  FList->setFocus();
}

void TPredefinedMessagePage::actionPredefinedMessageDeleteExecute() {
  const std::size_t row = FPredefined.SelectedRow();
  if (row == TPredefinedMessageList::kNoRow) return;
  SelectListRow(FPredefined.DeleteMessage(row));
}

void TPredefinedMessagePage::actionCopyPredefinedMessageExecute() {
  const std::size_t row = FPredefined.SelectedRow();
  if (row == TPredefinedMessageList::kNoRow) return;
  SelectListRow(FPredefined.CopyMessage(row));
  FList->setFocus();
}

void TPredefinedMessagePage::actionMovePredefinedMessageTopExecute() {
  const std::size_t row = FPredefined.SelectedRow();
  if (row != TPredefinedMessageList::kNoRow) SelectListRow(FPredefined.MoveMessageUp(row));
}

void TPredefinedMessagePage::actionMovePredefinedMessageBottomExecute() {
  const std::size_t row = FPredefined.SelectedRow();
  if (row != TPredefinedMessageList::kNoRow) SelectListRow(FPredefined.MoveMessageDown(row));
}

void TPredefinedMessagePage::actionPredefinedMessagesDeleteAllExecute() {
  if (AskDeleteAllMessages(this)) FPredefined.DeleteAllMessages();
}

TPredefinedEdit TPredefinedMessagePage::ReadEditor() const {
  TPredefinedEdit edit;
  edit.Description = edTransmitMsgDescription->text();
  edit.TriggerType = static_cast<std::uint8_t>(std::max(0, cbTriggerType->currentIndex()));
  edit.Message = FMessage->Read();
  edit.HotKey = hkTrigger->HotKey();
  edit.LogMessage = cbTriggerLogMessage->isChecked();
  edit.LogText = edTriggerLogMessage->text();
  edit.Period = seTransmitMsgPeriod->value();
  edit.TriggerCode = FTriggerCode->Read();
  edit.TriggerMask = FTriggerMask->Read();
  return edit;
}

void TPredefinedMessagePage::btnTransmitMsgApplyClick() {
  const std::size_t row = FPredefined.SelectedRow();
  if (row == TPredefinedMessageList::kNoRow) return;
  const TPredefinedEdit edit = ReadEditor();
  if (const QString refusal = FrameRefusal(edit.Message); !refusal.isEmpty()) {
    ShowUserMessage(TUserMessageKind::Error, QStringLiteral("Error"), refusal);
    return;
  }
  FPredefined.ApplyEdit(row, edit);
}

// --- dragging ------------------------------------------------------------------------------

bool TPredefinedMessagePage::eventFilter(QObject* watched, QEvent* event) {
  if (watched == FList->viewport() && event->type() == QEvent::Drop)
    return DropRows(static_cast<QDropEvent*>(event));
  return QWidget::eventFilter(watched, event);
}

// Above or on a row puts the dragged row before it, below it after it; below the last row
// counts as below it. The view never moves rows itself.
bool TPredefinedMessagePage::DropRows(QDropEvent* event) {
  event->setDropAction(Qt::CopyAction);
  event->accept();
  const std::size_t dragged = FPredefined.SelectedRow();
  const int count = FPredefined.Model().rowCount();
  if (dragged == TPredefinedMessageList::kNoRow || count == 0) return true;
  const QPoint pos = event->position().toPoint();
  QModelIndex target = FList->indexAt(pos);
  bool after = false;
  if (!target.isValid()) {
    target = FPredefined.Model().index(count - 1, 0);
    after = true;
  } else {
    const QRect rect = FList->visualRect(target);
    const int margin = std::clamp(static_cast<int>(rect.height() / 5.5), 2, 12);
    after = pos.y() > rect.bottom() - margin;
  }
  RunUserAction([&] {
    SelectListRow(FPredefined.DropMessage(dragged, FPredefined.Model().StoreRow(target.row()), after));
  });
  return true;
}
