#include "app/UserAction.h"

#include <QMessageBox>

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

bool TFerroluxApplication::notify(QObject* receiver, QEvent* event) {
  bool handled = false;
  GuardUserAction([&] { handled = QApplication::notify(receiver, event); });
  return handled;
}
