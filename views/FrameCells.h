#pragma once
// The frame columns the monitor and the trace share: CAN ID, EXT, RTR, DLC, MSG, ASCII, and
// the row images for received and sent frames.

#include <QImage>
#include <QString>
#include <QVariant>
#include <functional>
#include <string>
#include <vector>

#include "model/CanMsgProg.h"

enum TFrameColumn { fcCanId = 0, fcExt = 1, fcRtr = 2, fcDlc = 3, fcMsg = 4, fcAscii = 5 };

// Text of one frame column (the DLC as "%01d", which is plain decimal).
[[nodiscard]] QString FrameCellText(const TCanMsgProg& msg, int column, bool show8ByteMsg);
// The same text written as ASCII at `out`, which has room for kFrameCellMax characters;
// returns the end. Exports use it to fill their buffers without a string per cell.
constexpr int kFrameCellMax = 24;
char* WriteFrameCellText(char* out, const TCanMsgProg& msg, int column, bool show8ByteMsg);

// Whether a column's text contains `needle`, as QString::contains would say, with the text
// written into a buffer on the stack: a search runs over every row of a long trace.
class TFrameCellSearch {
 public:
  TFrameCellSearch(const QString& needle, int column, bool show8ByteMsg);
  [[nodiscard]] bool Matches(const TCanMsgProg& msg) const;

 private:
  [[nodiscard]] bool CellMatches(const TCanMsgProg& msg) const;
  [[nodiscard]] bool IdMatches(const TCanMsgProg& msg) const;

  // The identifier column's answer depends on the identifier alone, and a bus carries few
  // of them: answers kept by identifier, a slot each, so most rows cost no text at all.
  static constexpr std::size_t kIdSlots = 4096;
  struct TIdAnswer {
    std::int64_t Key = 0;
    bool Known = false;
    bool Matches = false;
  };
  mutable std::vector<TIdAnswer> FIdAnswers;
  std::string FNeedle;
  bool FUnmatchable = false;  // a character no cell can hold
  int FColumn;
  bool FShow8ByteMsg;
};

// Image 0 for rows of received frames, image 1 for rows of frames this program sent.
[[nodiscard]] const QImage& FrameRowImage(bool received);
// The row image as a cell value: shown in the first column only.
[[nodiscard]] QVariant FrameRowImageCell(bool received, int column);

class TIdFilterList;
// The identifier's colour from the software filter as a cell value; none when it has none.
[[nodiscard]] QVariant FrameRowColor(const TIdFilterList& filter, std::int64_t canId, bool colorFilterOn);

// Reads the "show all eight bytes" setting at every paint; off when nothing is wired.
using TShow8ByteMsg = std::function<bool()>;
[[nodiscard]] inline bool ReadShow8ByteMsg(const TShow8ByteMsg& setting) { return setting && setting(); }
