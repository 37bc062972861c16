#pragma once
// The window's file dialogs: Qt's own dialog on every desktop, so that tests can drive it.

#include <QFileDialog>

[[nodiscard]] QFileDialog* MakeFileDialog(QWidget* parent, const char* name, const QString& title, QFileDialog::AcceptMode mode);
