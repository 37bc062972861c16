#pragma once
// A key-combination field: pressing a key combination enters it. Only combinations with a
// shortcut value are taken; any other key is refused and the field keeps what it showed.

#include <QLineEdit>
#include <cstdint>

class THotKeyEdit : public QLineEdit {
  Q_OBJECT
 public:
  explicit THotKeyEdit(QWidget* parent = nullptr);

  [[nodiscard]] std::uint16_t HotKey() const { return FHotKey; }
  void SetHotKey(std::uint16_t hotKey);

 signals:
  void HotKeyChanged(std::uint16_t hotKey);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  std::uint16_t FHotKey = 0;
};
