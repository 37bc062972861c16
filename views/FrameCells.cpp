#include "views/FrameCells.h"

#include <QPainter>
#include <algorithm>
#include <charconv>
#include <string_view>

#include "filters/IdFilterList.h"
#include "model/CanText.h"

char* WriteFrameCellText(char* out, const TCanMsgProg& msg, int column, bool show8ByteMsg) {
  const auto copy = [out](std::string_view text) { return std::copy(text.begin(), text.end(), out); };
  switch (column) {
    case fcCanId: return WriteCanIdText(out, msg.Extended, msg.CanId);
    case fcExt: *out = msg.Extended ? '1' : '0'; return out + 1;
    case fcRtr: *out = msg.RTR ? '1' : '0'; return out + 1;
    case fcDlc: return std::to_chars(out, out + 12, msg.DLC).ptr;
    case fcMsg:
      if (msg.RTR) return copy("RTR Frame");
      return WriteCanDataHex(out, msg.Data, show8ByteMsg ? 8 : msg.DLC);
    case fcAscii:
      if (msg.RTR) return copy("........");
      return WriteCanDataAscii(out, msg.Data, show8ByteMsg ? 8 : msg.DLC);
    default: return out;
  }
}

QString FrameCellText(const TCanMsgProg& msg, int column, bool show8ByteMsg) {
  char text[kFrameCellMax];
  return QString::fromLatin1(text, WriteFrameCellText(text, msg, column, show8ByteMsg) - text);
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
