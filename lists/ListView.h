#pragma once
// How every list of the window looks and behaves: a flat tree view with uniform rows, grid
// lines, whole-row single selection, a monospaced font and movable columns; plus the small
// helpers every page's event handlers use.

#include <QLabel>
#include <QStyledItemDelegate>
#include <QTreeView>
#include <exception>
#include <initializer_list>

#include "platform/UserMessage.h"
#include "lists/RowModel.h"

class TGridDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

 protected:
  static void DrawGrid(QPainter* painter, const QRect& rect);
};

// The list's accessible name is its title bar text.
QTreeView* CreateListView(QWidget* parent, const QString& objectName, const QString& accessibleName, TRowModel& model);
// The same look for a list that shows a tree of its own model: no model set yet.
QTreeView* CreateTreeListView(QWidget* parent, const QString& objectName, const QString& accessibleName);
void SetColumnWidths(QTreeView* view, std::initializer_list<int> widths);
QLabel* CreateTitleBar(QWidget* parent, const QString& caption, const QString& objectName = {});

// Model row of the view's current selection, or -1.
int SelectedModelRow(const QTreeView& view);

// Shows the wait cursor for its lifetime, also when the action fails.
class TWaitCursor {
 public:
  TWaitCursor();
  ~TWaitCursor();
  TWaitCursor(const TWaitCursor&) = delete;
  TWaitCursor& operator=(const TWaitCursor&) = delete;
};

// Runs a user action; an error it raises ends up in one error box instead of crossing the
// event handler.
template <typename Action>
void RunUserAction(Action&& action) noexcept {
  try {
    action();
  } catch (const std::exception& error) {
    ShowUserMessage(TUserMessageKind::Error, QStringLiteral("Error"), QString::fromLocal8Bit(error.what()));
  } catch (...) {
    ShowUserMessage(TUserMessageKind::Error, QStringLiteral("Error"), QStringLiteral("Unexpected error."));
  }
}

class QToolBar;
class QAction;
class QKeySequence;
// The page's commands without a mouse: the tool bar's actions, the same objects, as the list's
// context menu (the Menu key or Shift+F10 opens it), built each time it opens so that commands
// added later and enabled states are always the tool bar's. A tool button with a menu of its
// own comes in as a submenu.
void OfferToolBarAsContextMenu(QTreeView* list, QToolBar* bar);
// A key for a page command, heard while the focus is anywhere on `page`; its hint names it.
void SetPageShortcut(QWidget* page, QAction* action, const QKeySequence& key);
// A tool bar action: text buttons show their caption; a caption-less action is an icon
// button whose accessible name is its hint.
QAction* AddToolAction(QToolBar* bar, const QString& objectName, const QString& caption, const QString& hint,
                       bool checkable = false, const QIcon& icon = {});
