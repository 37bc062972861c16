#pragma once
// Answers modal dialogs that a test is about to open: polls for the active modal widget on
// the event loop the dialog runs, then hands it to the test's action.

#include <QApplication>
#include <QCheckBox>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <functional>

// Runs `action` on the next modal widget that appears (within about five seconds). Delete
// the returned timer to stop waiting.
inline QPointer<QTimer> OnNextModal(std::function<void(QWidget*)> action) {
  auto* timer = new QTimer;
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, [timer, action, tries = 0]() mutable {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal && ++tries < 500) return;
    timer->stop();
    timer->deleteLater();
    if (modal) action(modal);
  });
  timer->start();
  return timer;
}

// Presses `button` of the next message box and remembers its text.
inline QPointer<QTimer> AnswerNextMessageBox(QMessageBox::StandardButton button, QString* text = nullptr, QString* caption = nullptr) {
  return OnNextModal([=](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    if (!box) return;
    if (text) *text = box->text();
    if (caption) *caption = box->windowTitle();
    if (QAbstractButton* b = box->button(button)) b->click();
  });
}
