#include "views/FrameCells.h"

#include <QPainter>

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

namespace {
// A small arrow: pointing in (green) for received, pointing out (orange) for sent.
QImage DrawArrow(bool received) {
  QImage image(12, 12, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(received ? QColor(0x2E, 0x9E, 0x3E) : QColor(0xE0, 0x80, 0x10));
  const QPointF in[] = {{1, 2}, {11, 6}, {1, 10}};
  const QPointF out[] = {{11, 2}, {1, 6}, {11, 10}};
  painter.drawPolygon(received ? in : out, 3);
  return image;
}
}  // namespace

const QImage& FrameRowImage(bool received) {
  static const QImage kReceived = DrawArrow(true);
  static const QImage kSent = DrawArrow(false);
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
