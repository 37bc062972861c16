#pragma once
// The one way core code tells the user something. The window installs a message-box
// handler; command-line tools and tests keep the default, which writes one line to stderr.

#include <QString>
#include <functional>

enum class TUserMessageKind { Information, Warning, Error };

using TUserMessageHandler = std::function<void(TUserMessageKind kind, const QString& caption, const QString& text)>;

// Returns the handler that was installed before.
TUserMessageHandler SetUserMessageHandler(TUserMessageHandler handler);
void ShowUserMessage(TUserMessageKind kind, const QString& caption, const QString& text);
