#include "views/FrameCells.h"
#include "icons/AppIcons.h"


#include "filters/IdFilterList.h"
#include "model/CanText.h"

QString FrameCellText(const TCanMsgProg& msg, int column, bool show8ByteMsg) {
  switch (column) {
    case fcCanId: return CanIdToText(msg.Extended, msg.CanId);
    case fcExt: return BoolToText(msg.Extended);
    case fcRtr: return BoolToText(msg.RTR);
    case fcDlc: return QString::number(msg.DLC);
    case fcMsg:
      if (msg.RTR) return QStringLiteral("RTR Frame");
      return show8ByteMsg ? CanDataToHex(msg.Data) : CanDataToHexN(msg.Data, msg.DLC);
    case fcAscii:
      if (msg.RTR) return QStringLiteral("........");
      return show8ByteMsg ? CanDataToAscii(msg.Data) : CanDataToAsciiN(msg.Data, msg.DLC);
    default: return {};
  }
}

const QImage& FrameRowImage(bool received) {
  // An arrow into the adapter (green) for received frames, out of it (orange) for sent ones.
  static const QImage kReceived = AppImage("received", 16);
  static const QImage kSent = AppImage("sent", 16);
  return received ? kReceived : kSent;
}

QVariant FrameRowImageCell(bool received, int column) {
  if (column != 0) return {};
  return FrameRowImage(received);
}

QVariant FrameRowColor(const TIdFilterList& filter, std::int64_t canId, bool colorFilterOn) {
  const QColor color = filter.ViewColor(canId, colorFilterOn);
  return color.isValid() ? QVariant(color) : QVariant();
}
