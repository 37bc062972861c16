#include "views/FrameCells.h"
#include "icons/AppIcons.h"

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
// A cell holds at most kFrameCellMax characters: a plain scan beats the library's memchr and
// memcmp calls at every candidate.
bool CellContains(std::string_view cell, std::string_view needle) {
  if (needle.size() > cell.size()) return false;
  const std::size_t last = cell.size() - needle.size();
  for (std::size_t at = 0; at <= last; ++at) {
    std::size_t k = 0;
    while (k < needle.size() && cell[at + k] == needle[k]) ++k;
    if (k == needle.size()) return true;
  }
  return false;
}
}  // namespace

TFrameCellSearch::TFrameCellSearch(const QString& needle, int column, bool show8ByteMsg)
    : FColumn(column), FShow8ByteMsg(show8ByteMsg) {
  FNeedle.reserve(static_cast<std::size_t>(needle.size()));
  for (const QChar c : needle) {
    if (c.unicode() > 0x7F) FUnmatchable = true;  // cells are ASCII
    FNeedle.push_back(static_cast<char>(c.unicode()));
  }
}

bool TFrameCellSearch::Matches(const TCanMsgProg& msg) const {
  if (FUnmatchable) return false;
  return FColumn == fcCanId ? IdMatches(msg) : CellMatches(msg);
}

bool TFrameCellSearch::IdMatches(const TCanMsgProg& msg) const {
  if (FIdAnswers.empty()) FIdAnswers.resize(kIdSlots);
  const std::int64_t key = msg.CanId * 2 + (msg.Extended ? 1 : 0);
  TIdAnswer& answer = FIdAnswers[static_cast<std::size_t>(static_cast<std::uint64_t>(key) * 0x9E3779B97F4A7C15ULL >> 52)];
  if (!answer.Known || answer.Key != key) answer = {key, true, CellMatches(msg)};
  return answer.Matches;
}

bool TFrameCellSearch::CellMatches(const TCanMsgProg& msg) const {
  char text[kFrameCellMax];
  const std::string_view cell(text, static_cast<std::size_t>(WriteFrameCellText(text, msg, FColumn, FShow8ByteMsg) - text));
  return CellContains(cell, FNeedle);
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
