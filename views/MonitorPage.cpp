#include "views/MonitorPage.h"
#include "icons/AppIcons.h"

#include <QHeaderView>
#include <QPainter>
#include <QToolBar>
#include <QVBoxLayout>

#include "lists/ListLayoutView.h"
#include "lists/ListView.h"
#include "views/TrafficExport.h"

TMonitorPage::TMonitorPage(TMonitorList& monitor, TCanIdDetails& details, QWidget* parent)
    : QWidget(parent), FMonitor(monitor), FDetails(details) {
  setObjectName(QStringLiteral("tsMonitor"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(CreateTitleBar(this, QStringLiteral("Receive")));

  auto* bar = new QToolBar(this);
  bar->setObjectName(QStringLiteral("tbMonitor"));
  actionMonitorColor = AddToolAction(bar, QStringLiteral("actionMonitorColor"), QStringLiteral("Color Filter"),
                                     QStringLiteral("Color On/Off"), true, AppIcon("color-filter"));
  actionShowIdDetailsWindow = AddToolAction(bar, QStringLiteral("actionShowIdDetailsWindow"), QStringLiteral("Show CAN ID details"),
                                            QStringLiteral("Show CAN ID details"), true, AppIcon("id-details"));
  bar->addSeparator();
  actionClearLog = AddToolAction(bar, QStringLiteral("actionClearLog"), QStringLiteral("Clear"), QStringLiteral("Clear Log Window"),
                                 false, ThemedAppIcon("edit-clear", "clear"));
  bar->addSeparator();
  actionPrintMonitorData = AddToolAction(bar, QStringLiteral("actionPrintMonitorData"), {}, QStringLiteral("Print"), false,
                                         ThemedAppIcon("document-print", "print"));
  actionExportMonitorData = AddToolAction(bar, QStringLiteral("actionExportMonitorData"), {}, QStringLiteral("Export Data"), false,
                                          AppIcon("export"));
  actionPrintMonitorData->setEnabled(false);
  actionExportMonitorData->setEnabled(false);
  layout->addWidget(bar);

  FSplitter = new QSplitter(Qt::Vertical, this);
  FList = CreateListView(FSplitter, QStringLiteral("vstDataMonitor"), QStringLiteral("Receive"), monitor.Model());
  ApplyListLayout(*FList, MonitorLayout());
  OfferToolBarAsContextMenu(FList, bar);
  SetPageShortcut(this, actionPrintMonitorData, QKeySequence::Print);
  SetPageShortcut(this, actionExportMonitorData, Qt::CTRL | Qt::Key_E);
  FSplitter->addWidget(FList);
  BuildDetailsPanel();
  FSplitter->addWidget(FDetailsPanel);
  layout->addWidget(FSplitter, 1);

  connect(actionMonitorColor, &QAction::toggled, this, [this](bool on) { RunUserAction([&] { FMonitor.SetColorFilter(on); }); });
  connect(actionShowIdDetailsWindow, &QAction::toggled, FDetailsPanel, &QWidget::setVisible);
  connect(actionClearLog, &QAction::triggered, this, [this] {
    RunUserAction([this] {
      TWaitCursor wait;
      FMonitor.ClearLog();
    });
  });
  connect(FList->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { vstDataMonitorChange(); });
}

void TMonitorPage::BuildDetailsPanel() {
  FDetailsPanel = new QWidget(FSplitter);
  FDetailsPanel->setObjectName(QStringLiteral("panelCanIdetails"));
  auto* layout = new QVBoxLayout(FDetailsPanel);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  FDetailsCaption = CreateTitleBar(FDetailsPanel, FDetails.Caption(), QStringLiteral("panelCanIdDetails"));
  layout->addWidget(FDetailsCaption);
  FDetailsGrid = CreateListView(FDetailsPanel, QStringLiteral("vstCanIdDetails"), QStringLiteral("CAN ID Details"), FDetails.Model());
  FDetailsGrid->setItemDelegate(new TDetailsBarDelegate(FDetailsGrid));
  FDetailsGrid->header()->setSectionsMovable(false);
  FDetailsGrid->setSelectionMode(QAbstractItemView::NoSelection);
  SetColumnWidths(FDetailsGrid, {60, 56, 56, 56, 56, 56, 56, 56, 56, 56, 56});
  layout->addWidget(FDetailsGrid);
  FDetailsPanel->setVisible(false);
  FDetails.OnCaptionChanged = [this](const QString& caption) { FDetailsCaption->setText(caption); };
}

void TMonitorPage::vstDataMonitorChange() {
  RunUserAction([this] {
    const int row = SelectedModelRow(*FList);
    FMonitor.SelectRow(row < 0 ? TMonitorList::kNoRow : FMonitor.Model().StoreRow(row));
    FDetails.RefreshCanIdDetails();
  });
}

void TDetailsBarDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  TGridDelegate::paint(painter, option, index);
  if (index.column() == TCanIdDetails::kBarColumn) DrawBar(painter, option.rect, index.data(Qt::UserRole).toInt());
}

// Grey frame with a black outline; inside it a bar of value/255 of the width that runs from
// red at the left towards yellow (a full bar ends in yellow).
void TDetailsBarDelegate::DrawBar(QPainter* painter, QRect cell, int value) {
  painter->save();
  const QRect frame = cell.adjusted(1, 1, -1, -1);
  painter->fillRect(frame, QColor(0xDF, 0xDF, 0xDF));
  painter->setPen(Qt::black);
  painter->drawRect(frame.adjusted(0, 0, -1, -1));
  const int length = frame.width() * value / 255;
  const QRect inner = frame.adjusted(1, 1, -1, -1);
  const int w = inner.width();
  const int filled = std::min(length, w);
  for (int x = 0; x < filled; ++x) {
    const int green = static_cast<int>(std::lround(255.0 * x / w));
    painter->setPen(QColor(255, green, 0));
    painter->drawLine(inner.left() + x, inner.top(), inner.left() + x, inner.bottom());
  }
  painter->restore();
}
