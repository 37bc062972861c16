#include "transmit/HotKeyEdit.h"

#include <QKeyEvent>

#include "transmit/HotKey.h"

THotKeyEdit::THotKeyEdit(QWidget* parent) : QLineEdit(parent) {
  setContextMenuPolicy(Qt::NoContextMenu);
  SetHotKey(kDefaultHotKey);
}

void THotKeyEdit::SetHotKey(std::uint16_t hotKey) {
  FHotKey = hotKey;
  setText(HotKeyText(hotKey));
}

void THotKeyEdit::keyPressEvent(QKeyEvent* event) {
  event->accept();
  const std::uint16_t hotKey = HotKeyFromKeyCombination(event->keyCombination());
  if (hotKey == 0) return;
  SetHotKey(hotKey);
  emit HotKeyChanged(hotKey);
}
