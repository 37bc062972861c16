#pragma once
// While an import runs from a nested event loop, its progress dialog appears only after a
// moment; until then the window would take clicks, keys and its close, and a second import,
// a new project or a connect could start in the middle of it. For its lifetime this holds
// back the user's input to `window` and its children; other windows, the progress dialog
// among them, get theirs. A close asked for meanwhile is asked again when the block ends.

#include <QObject>
#include <QPointer>

class QWidget;

class TWindowInputBlock : public QObject {
 public:
  explicit TWindowInputBlock(QWidget& window);
  ~TWindowInputBlock() override;
  TWindowInputBlock(const TWindowInputBlock&) = delete;
  TWindowInputBlock& operator=(const TWindowInputBlock&) = delete;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QPointer<QWidget> FWindow;
  bool FCloseAsked = false;
};
