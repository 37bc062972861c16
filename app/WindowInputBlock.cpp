#include "app/WindowInputBlock.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace {
bool IsUserInput(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::ContextMenu:
    case QEvent::Drop:
    case QEvent::TouchBegin:
      return true;
    default:
      return false;
  }
}

// The widget an event is for: the receiver, or for a shortcut the widget its action or
// shortcut object belongs to.
const QWidget* OwningWidget(const QObject* receiver) {
  for (; receiver; receiver = receiver->parent())
    if (receiver->isWidgetType()) return static_cast<const QWidget*>(receiver);
  return nullptr;
}
}  // namespace

TWindowInputBlock::TWindowInputBlock(QWidget& window) : FWindow(&window) { qApp->installEventFilter(this); }

TWindowInputBlock::~TWindowInputBlock() {
  qApp->removeEventFilter(this);
  // Asked again from the event loop, where the window's own close handling runs as always.
  if (FCloseAsked && FWindow) QTimer::singleShot(0, FWindow.data(), &QWidget::close);
}

bool TWindowInputBlock::eventFilter(QObject* watched, QEvent* event) {
  if (!FWindow) return false;
  const QWidget* widget = OwningWidget(watched);
  if (!widget || widget->window() != FWindow) return false;
  if (event->type() == QEvent::Close && watched == FWindow.data()) {
    FCloseAsked = true;
    event->ignore();
    return true;
  }
  return IsUserInput(event->type());
}
