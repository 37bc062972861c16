#pragma once
// The boundary between user actions and errors: whatever a handler throws is shown in one
// standard error box and goes no further, so no exception ever crosses a Qt event handler.

#include <QApplication>
#include <exception>
#include <utility>

// The standard error box: application title as caption, the error's text.
void ShowStandardError(const std::exception& error);
void ShowStandardError(const QString& text);

// Runs `action`; an exception it throws is shown and swallowed.
template <typename Action>
void GuardUserAction(Action&& action) noexcept {
  try {
    std::forward<Action>(action)();
  } catch (const std::exception& error) {
    ShowStandardError(error);
  } catch (...) {
    ShowStandardError(QStringLiteral("Unknown error"));
  }
}

// Routes ShowUserMessage to modal message boxes over the active window.
void InstallMessageBoxHandler();

// The application object: an exception escaping any event handler ends in the error box.
class TFerroluxApplication : public QApplication {
  Q_OBJECT
 public:
  TFerroluxApplication(int& argc, char** argv);
  // Names, icon and message boxes of the program.
  static void SetUp();
  bool notify(QObject* receiver, QEvent* event) override;
};
