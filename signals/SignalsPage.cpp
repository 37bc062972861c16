#include "signals/SignalsPage.h"

#include <QToolBar>
#include <QVBoxLayout>

#include "icons/AppIcons.h"
#include "lists/ListView.h"

namespace {
const QString kDetailsTitle = QStringLiteral("Signals");

QVBoxLayout* TightLayout(QWidget* widget) {
  auto* layout = new QVBoxLayout(widget);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  return layout;
}
}  // namespace

TSignalsPage::TSignalsPage(TSignalTreeModel& tree, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("tsSignals"));
  QVBoxLayout* layout = TightLayout(this);
  layout->addWidget(CreateTitleBar(this, QStringLiteral("Signals")));
  auto* bar = new QToolBar(this);
  bar->setObjectName(QStringLiteral("tbSignals"));
  actionPlotSignals = bar->addAction(QStringLiteral("Plot"));
  actionPlotSignals->setObjectName(QStringLiteral("actionPlotSignals"));
  actionPlotSignals->setIcon(AppIcon("plot"));
  bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  actionPlotSignals->setToolTip(QStringLiteral("Plot the selected signal, or every signal of the selected message"));
  bar->widgetForAction(actionPlotSignals)->setObjectName(QStringLiteral("btnPlotSignals"));
  bar->widgetForAction(actionPlotSignals)->setAccessibleName(actionPlotSignals->toolTip());
  layout->addWidget(bar);
  FTree = CreateTreeListView(this, QStringLiteral("vstSignals"), QStringLiteral("Signals"));
  FTree->setModel(&tree);
  SetColumnWidths(FTree, {200, 80, 70, 60, 120, 140, 130, 110, 110});
  FTree->setDragEnabled(true);
  FTree->setDragDropMode(QAbstractItemView::DragOnly);
  layout->addWidget(FTree, 1);
  connect(FTree, &QTreeView::doubleClicked, actionPlotSignals, &QAction::trigger);
  // A message seen for the first time opens, so its signals show at once.
  connect(&tree, &QAbstractItemModel::rowsInserted, FTree, [this](const QModelIndex& parent, int first, int last) {
    if (parent.isValid()) return;
    for (int row = first; row <= last; ++row) FTree->expand(FTree->model()->index(row, 0));
  });
}

TSignalDetailsPane::TSignalDetailsPane(TSignalDetailsModel& details, QWidget* parent) : QWidget(parent), FDetails(details) {
  setObjectName(QStringLiteral("panelTraceSignals"));
  QVBoxLayout* layout = TightLayout(this);
  FCaption = CreateTitleBar(this, kDetailsTitle, QStringLiteral("panelTraceSignalsCaption"));
  layout->addWidget(FCaption);
  FList = CreateTreeListView(this, QStringLiteral("vstTraceSignals"), kDetailsTitle);
  FList->setRootIsDecorated(false);
  FList->setModel(&details);
  SetColumnWidths(FList, {200, 200});
  layout->addWidget(FList, 1);
  connect(&details, &QAbstractItemModel::modelReset, this, [this] { Refresh(); });
}

void TSignalDetailsPane::Refresh() {
  const QString caption = FDetails.Caption();
  FCaption->setText(caption.isEmpty() ? kDetailsTitle : kDetailsTitle + QStringLiteral(": ") + caption);
}
