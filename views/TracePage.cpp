#include "views/TracePage.h"
#include "icons/AppIcons.h"

#include <QHBoxLayout>
#include <QToolBar>
#include <QVBoxLayout>

#include "lists/ListLayoutView.h"
#include "lists/ListView.h"
#include "views/TrafficExport.h"

TTracePage::TTracePage(TTraceList& trace, QWidget* parent) : QWidget(parent), FTrace(trace) {
  setObjectName(QStringLiteral("tsTrace"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(CreateTitleBar(this, QStringLiteral("Trace")));
  BuildToolBar();
  FSplitter = new QSplitter(Qt::Vertical, this);
  FSplitter->setChildrenCollapsible(false);
  FList = CreateListView(FSplitter, QStringLiteral("vstDataTrace"), QStringLiteral("Trace"), trace.Model());
  ApplyListLayout(*FList, TraceLayout());
  OfferToolBarAsContextMenu(FList, findChild<QToolBar*>(QStringLiteral("tbTrace")));
  SetPageShortcut(this, actionPrintTraceData, QKeySequence::Print);
  SetPageShortcut(this, actionExportTraceData, Qt::CTRL | Qt::Key_E);
  SetPageShortcut(this, actionImportTraceLog, QKeySequence::Open);
  FSplitter->addWidget(FList);
  FSplitter->setStretchFactor(0, 1);
  layout->addWidget(FSplitter, 1);
  BuildSearchLine();

  trace.OnScrollToLast = [this] { FList->scrollToBottom(); };
  connect(&trace.Model(), &TRowModel::Published, this, [this] { FCount->setText(FTrace.MessagesCountText()); });
}

void TTracePage::BuildToolBar() {
  auto* bar = new QToolBar(this);
  bar->setObjectName(QStringLiteral("tbTrace"));
  actionTraceColor =
      AddToolAction(bar, QStringLiteral("actionTraceColor"), QStringLiteral("Color Filter"), QStringLiteral("Color On/Off"), true,
                    AppIcon("color-filter"));
  bar->addSeparator();
  actonClearTraceList =
      AddToolAction(bar, QStringLiteral("actonClearTraceList"), QStringLiteral("Clear"), QStringLiteral("Clear Log Window"), false,
                    ThemedAppIcon("edit-clear", "clear"));
  bar->addSeparator();
  actionPrintTraceData = AddToolAction(bar, QStringLiteral("actionPrintTraceData"), {}, QStringLiteral("Print"), false,
                                       ThemedAppIcon("document-print", "print"));
  actionExportTraceData = AddToolAction(bar, QStringLiteral("actionExportTraceData"), {}, QStringLiteral("Export Data"), false,
                                        AppIcon("export"));
  actionImportTraceLog = AddToolAction(bar, QStringLiteral("actionImportTraceLog"), QStringLiteral("Import log"),
                                       QStringLiteral("Import a log (candump, ASC, BLF, TRC, SavvyCAN CSV) as received frames"), false,
                                       ThemedAppIcon("document-import", "project-open"));
  actionPrintTraceData->setEnabled(false);
  actionExportTraceData->setEnabled(false);
  bar->addSeparator();
  actionTraceScroll = AddToolAction(bar, QStringLiteral("actionTraceScroll"), {}, QStringLiteral("Auto scroll"), true,
                                    AppIcon("auto-scroll"));
  bar->widgetForAction(actionTraceScroll)->setObjectName(QStringLiteral("btnionTraceScroll"));
  bar->addSeparator();
  actionBMW = AddToolAction(bar, QStringLiteral("actionBMW"), {}, QStringLiteral("Format Data"), false,
                            AppIcon("format-data"));
  bar->widgetForAction(actionBMW)->setObjectName(QStringLiteral("btnionBMW"));
  actionBMW->setEnabled(false);
  static_cast<QVBoxLayout*>(layout())->addWidget(bar);

  connect(actionTraceColor, &QAction::toggled, this, [this](bool on) { RunUserAction([&] { FTrace.SetColorFilter(on); }); });
  connect(actionTraceScroll, &QAction::toggled, this, [this](bool on) { FTrace.SetAutoScroll(on); });
  connect(actonClearTraceList, &QAction::triggered, this, [this] {
    RunUserAction([this] {
      TWaitCursor wait;
      FTrace.ClearTrace();
    });
  });
}

void TTracePage::BuildSearchLine() {
  auto* line = new QWidget(this);
  auto* row = new QHBoxLayout(line);
  row->setContentsMargins(2, 2, 2, 2);
  FCount = new QLabel(FTrace.MessagesCountText(), line);
  FCount->setObjectName(QStringLiteral("Panel18"));
  FCount->setMinimumWidth(200);
  row->addWidget(FCount);
  row->addStretch(1);

  FSearch = new QLineEdit(line);
  FSearch->setObjectName(QStringLiteral("edSearchTrace"));
  FSearch->setAccessibleName(QStringLiteral("Search"));
  FSearch->setPlaceholderText(QStringLiteral("Search..."));
  FSearch->setMinimumWidth(220);
  FSearch->addAction(ThemedAppIcon("edit-find", "search"), QLineEdit::LeadingPosition);
  edSearchTraceRightButton = FSearch->addAction(ThemedAppIcon("edit-clear", "search-clear"), QLineEdit::TrailingPosition);
  edSearchTraceRightButton->setObjectName(QStringLiteral("edSearchTraceRightButton"));
  edSearchTraceRightButton->setToolTip(QStringLiteral("Clear search"));
  row->addWidget(FSearch);

  FSearchColumn = new QComboBox(line);
  FSearchColumn->setObjectName(QStringLiteral("cbSearchTraceColumn"));
  FSearchColumn->setAccessibleName(QStringLiteral("Search column"));
  FSearchColumn->addItems({"CAN ID", "EXT", "RTR", "DLC", "MSG", "ASCII"});
  FSearchColumn->setCurrentIndex(0);
  row->addWidget(FSearchColumn);
  static_cast<QVBoxLayout*>(layout())->addWidget(line);

  connect(FSearch, &QLineEdit::textChanged, this, &TTracePage::edSearchTraceChange);
  connect(edSearchTraceRightButton, &QAction::triggered, FSearch, &QLineEdit::clear);
}

void TTracePage::edSearchTraceChange(const QString& text) {
  RunUserAction([&] {
    if (!FTrace.Search(text, FSearchColumn->currentIndex())) FSearch->clear();
  });
}
