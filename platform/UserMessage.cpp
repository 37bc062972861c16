#include "platform/UserMessage.h"

#include <cstdio>

namespace {
void WriteToStderr(TUserMessageKind, const QString& caption, const QString& text) {
  const QString line = caption.isEmpty() ? text : caption + QStringLiteral(": ") + text;
  std::fprintf(stderr, "%s\n", line.simplified().toLocal8Bit().constData());
}

TUserMessageHandler& Handler() {
  static TUserMessageHandler handler = WriteToStderr;
  return handler;
}
}  // namespace

TUserMessageHandler SetUserMessageHandler(TUserMessageHandler handler) {
  TUserMessageHandler previous = std::move(Handler());
  Handler() = handler ? std::move(handler) : TUserMessageHandler(WriteToStderr);
  return previous;
}

void ShowUserMessage(TUserMessageKind kind, const QString& caption, const QString& text) { Handler()(kind, caption, text); }
