#include "app/UserAction.h"

#include <QMessageBox>

#include "icons/AppIcons.h"
#include "platform/UserMessage.h"

void ShowStandardError(const QString& text) {
  QMessageBox::critical(QApplication::activeWindow(), QApplication::applicationName(), text);
}

void ShowStandardError(const std::exception& error) { ShowStandardError(QString::fromLocal8Bit(error.what())); }

void InstallMessageBoxHandler() {
  SetUserMessageHandler([](TUserMessageKind kind, const QString& caption, const QString& text) {
    const QMessageBox::Icon icon = kind == TUserMessageKind::Error     ? QMessageBox::Critical
                                   : kind == TUserMessageKind::Warning ? QMessageBox::Warning
                                                                       : QMessageBox::Information;
    QMessageBox box(icon, caption.isEmpty() ? QApplication::applicationName() : caption, text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
  });
}

TFerroluxApplication::TFerroluxApplication(int& argc, char** argv) : QApplication(argc, argv) {}

void TFerroluxApplication::SetUp() {
  // The title also names the data folder below the documents folder. No display name: on X11
  // Qt would add it to every window caption.
  setApplicationName(QStringLiteral("Ferrolux"));
  // The desktop entry's name, so that the desktop pairs the window with its menu entry and icon.
  setDesktopFileName(QStringLiteral("org.ferrolux.Ferrolux"));
  setWindowIcon(AppIcon("ferrolux"));
  InstallMessageBoxHandler();
}

bool TFerroluxApplication::notify(QObject* receiver, QEvent* event) {
  bool handled = false;
  GuardUserAction([&] { handled = QApplication::notify(receiver, event); });
  return handled;
}
