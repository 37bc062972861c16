#include "lists/ListView.h"

#include <QApplication>
#include <QFontDatabase>
#include <QHeaderView>
#include <QPainter>

void TGridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  QStyledItemDelegate::paint(painter, option, index);
  DrawGrid(painter, option.rect);
}

void TGridDelegate::DrawGrid(QPainter* painter, const QRect& rect) {
  painter->save();
  painter->setPen(QColor(0xD0, 0xD0, 0xD0));
  painter->drawLine(rect.topRight(), rect.bottomRight());
  painter->drawLine(rect.bottomLeft(), rect.bottomRight());
  painter->restore();
}

QTreeView* CreateListView(QWidget* parent, const QString& objectName, const QString& accessibleName, TRowModel& model) {
  QTreeView* view = CreateTreeListView(parent, objectName, accessibleName);
  view->setRootIsDecorated(false);
  view->setItemsExpandable(false);
  model.SetFont(view->font());
  view->setModel(&model);
  return view;
}

QTreeView* CreateTreeListView(QWidget* parent, const QString& objectName, const QString& accessibleName) {
  auto* view = new QTreeView(parent);
  view->setObjectName(objectName);
  view->setAccessibleName(accessibleName);
  view->setUniformRowHeights(true);
  view->setAllColumnsShowFocus(true);
  view->setSelectionBehavior(QAbstractItemView::SelectRows);
  view->setSelectionMode(QAbstractItemView::SingleSelection);
  view->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view->setSortingEnabled(false);
  view->setItemDelegate(new TGridDelegate(view));
  const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  view->setFont(fixed);
  view->header()->setFont(fixed);
  view->header()->setSectionsMovable(true);
  view->header()->setStretchLastSection(true);
  view->header()->setSectionsClickable(false);
  return view;
}

void SetColumnWidths(QTreeView* view, std::initializer_list<int> widths) {
  int column = 0;
  for (int width : widths) view->setColumnWidth(column++, width);
}

QLabel* CreateTitleBar(QWidget* parent, const QString& caption, const QString& objectName) {
  auto* label = new QLabel(caption, parent);
  if (!objectName.isEmpty()) label->setObjectName(objectName);
  label->setContentsMargins(6, 3, 6, 3);
  label->setAutoFillBackground(true);
  QPalette palette = label->palette();
  palette.setColor(QPalette::Window, palette.color(QPalette::Highlight));
  palette.setColor(QPalette::WindowText, palette.color(QPalette::HighlightedText));
  label->setPalette(palette);
  QFont font = label->font();
  font.setBold(true);
  label->setFont(font);
  return label;
}

int SelectedModelRow(const QTreeView& view) {
  const QModelIndexList rows = view.selectionModel() ? view.selectionModel()->selectedRows() : QModelIndexList();
  return rows.isEmpty() ? -1 : rows.first().row();
}

TWaitCursor::TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
TWaitCursor::~TWaitCursor() { QApplication::restoreOverrideCursor(); }

#include <QToolBar>
#include <QToolButton>

QAction* AddToolAction(QToolBar* bar, const QString& objectName, const QString& caption, const QString& hint,
                       bool checkable, const QIcon& icon) {
  auto* action = new QAction(caption.isEmpty() ? hint : caption, bar);
  action->setObjectName(objectName);
  action->setToolTip(hint);
  action->setStatusTip(hint);
  action->setCheckable(checkable);
  if (!icon.isNull()) action->setIcon(icon);
  bar->addAction(action);
  if (auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(action))) {
    button->setObjectName(QStringLiteral("btn") + objectName.mid(6));
    button->setAccessibleName(hint);
    if (icon.isNull()) button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    else button->setToolButtonStyle(caption.isEmpty() ? Qt::ToolButtonIconOnly : Qt::ToolButtonTextBesideIcon);
  }
  return action;
}

#include <QMenu>
#include <QWidgetAction>

void OfferToolBarAsContextMenu(QTreeView* list, QToolBar* bar) {
  list->setContextMenuPolicy(Qt::CustomContextMenu);
  QObject::connect(list, &QWidget::customContextMenuRequested, list, [list, bar](const QPoint& at) {
    QMenu menu(list);
    menu.setObjectName(list->objectName() + QStringLiteral("Menu"));
    for (QAction* action : bar->actions()) {
      if (!action->isVisible()) continue;
      if (action->isSeparator() && (menu.isEmpty() || menu.actions().constLast()->isSeparator())) continue;
      const auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(action));
      if (qobject_cast<QWidgetAction*>(action) && button && button->menu()) {
        QMenu* sub = menu.addMenu(button->icon(), button->text());
        sub->addActions(button->menu()->actions());
        sub->setEnabled(button->isEnabled());
      } else if (!qobject_cast<QWidgetAction*>(action)) {
        menu.addAction(action);
      }
    }
    if (!menu.isEmpty() && menu.actions().constLast()->isSeparator()) menu.removeAction(menu.actions().constLast());
    menu.exec(list->viewport()->mapToGlobal(at));
  });
}

void SetPageShortcut(QWidget* page, QAction* action, const QKeySequence& key) {
  action->setShortcut(key);
  action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
  page->addAction(action);
  const QString hint = action->toolTip();
  action->setToolTip(QStringLiteral("%1 (%2)").arg(hint, key.toString(QKeySequence::NativeText)));
}
