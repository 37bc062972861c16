#include "views/TraceList.h"

#include <algorithm>

#include "platform/UserMessage.h"

TTraceList::TTraceList(const TIdFilterList& filter, TShow8ByteMsg show8ByteMsg, std::function<bool()> deviceConnected,
                       std::function<void()> projectChanged)
    : FFilter(filter),
      FShow8ByteMsg(std::move(show8ByteMsg)),
      FDeviceConnected(std::move(deviceConnected)),
      FProjectChanged(std::move(projectChanged)) {}

void TTraceList::AddToTrace(const TCanMsgProg& msg, bool received) {
  if (!FFilter.Admits(msg.CanId)) return;
  TTraceData record;
  record.Msg = msg;
  record.Received = received;
  FRows.Append(record, TRowState{});
  FModel.RowsAppended();
  if (FSink) {
    FSink->RowAppended(record);
    if (!FModel.Suspended()) FSink->BatchEnded();
  }
  SpillIfOverBudget();
  if (FProjectChanged) FProjectChanged();
  if (received && FAutoScroll) RequestScroll();
}

// Memory lets its oldest rows go, whole chunks of them, once the sink holds them, and keeps
// the newest three quarters of its budget: what it holds stays about the same however long
// the capture runs. Their search state stays.
void TTraceList::SpillRows() {
  const std::size_t keep = FBudgetRows - FBudgetRows / 4;
  const std::size_t chunks = (FRows.Count() - std::min(FRows.Count(), keep)) / kTraceChunkRows;
  if (chunks == 0 || !FSink->HoldsRows(RowCount())) {
    // not again at every row: after another eighth of the budget, or a chunk beyond what stays
    FSpillDelay = std::max(FRows.Count() + FBudgetRows / 8 + 1, keep + kTraceChunkRows) - FBudgetRows;
    return;
  }
  FSpillDelay = 0;
  const std::size_t leaving = chunks * kTraceChunkRows;
  const std::uint64_t first = FSpill.Count();
  FSpill.Extend(leaving);
  for (std::size_t row = 0; row < leaving; ++row)
    if (!FRows.State(row).Visible()) FSpill.SetVisible(first + row, false);
  FRows.DropFrontChunks(chunks);
}

void TTraceList::SpillIfOverBudget() {
  if (FSink && FBudgetRows != 0 && FRows.Count() >= FBudgetRows + FSpillDelay) SpillRows();
}

void TTraceList::RequestScroll() {
  if (FModel.Suspended()) {
    FScrollPending = true;
    return;
  }
  if (OnScrollToLast) OnScrollToLast();
}

void TTraceList::EndUpdate() {
  FModel.EndUpdate();
  if (FSink && !FModel.Suspended()) FSink->BatchEnded();
  if (FScrollPending && !FModel.Suspended()) {
    FScrollPending = false;
    if (OnScrollToLast) OnScrollToLast();
  }
}

bool TTraceList::Search(const QString& text, int column) {
  if (!text.isEmpty() && FDeviceConnected && FDeviceConnected()) {
    ShowUserMessage(TUserMessageKind::Error, QStringLiteral("Error"), QStringLiteral("Please stop the data tracing."));
    return false;
  }
  const TFrameCellSearch search(text.toUpper(), column, ReadShow8ByteMsg(FShow8ByteMsg));
  const auto visible = [&](const TCanMsgProg& msg) { return text.isEmpty() || search.Matches(msg); };
  FModel.BeginReset();
  // Spilled rows keep one bit each: a word of them at a time.
  const std::uint64_t spilled = FSpill.Count();
  for (std::uint64_t first = 0; first < spilled; first += 64) {
    std::uint64_t hidden = 0;
    const std::uint64_t end = std::min<std::uint64_t>(first + 64, spilled);
    for (std::uint64_t row = first; row < end; ++row)
      if (!visible(FSpill.Record(FSink, row).Msg)) hidden |= std::uint64_t{1} << (row - first);
    FSpill.SetHiddenWord(first / 64, hidden);
  }
  for (std::size_t row = 0; row < FRows.Count(); ++row) FRows.State(row).Set(RowFlag::vsVisible, visible(FRows.Record(row).Msg));
  FModel.EndReset();
  return true;
}

void TTraceList::SetColorFilter(bool on) {
  FColorFilter = on;
  FModel.AllRowsChanged();
}

void TTraceList::ClearTrace() {
  ClearRows();
  if (FProjectChanged) FProjectChanged();
}

void TTraceList::Clear() { ClearRows(); }

// A loaded list or project goes to the sink as a whole, and leaves memory as a capture does.
void TTraceList::RowsReplaced() {
  FSpill.Clear();
  FSpillDelay = 0;
  if (FSink) FSink->RowsReplaced(*this);
  SpillIfOverBudget();
  if (OnRowsReplaced) OnRowsReplaced();
}

QString TTraceList::MessagesCountText() const {
  return QString::asprintf(" Messages count: %d", static_cast<int>(RowCount()));
}

QString TTraceList::ColumnTitle(int column) const {
  static const char* const kTitles[] = {"CAN ID", "EXT", "RTR", "DLC", "MSG", "ASCII", "Time"};
  return QString::fromLatin1(kTitles[column]);
}

QString TTraceList::CellText(std::size_t row, int column) const {
  const TCanMsgProg& msg = Row(row).Msg;
  if (column == 6) return QString::number(msg.Time);
  return FrameCellText(msg, column, ReadShow8ByteMsg(FShow8ByteMsg));
}

QVariant TTraceList::CellColor(std::size_t row, int /*column*/) const {
  return FrameRowColor(FFilter, Row(row).Msg.CanId, FColorFilter);
}

QVariant TTraceList::CellImage(std::size_t row, int column) const {
  return FrameRowImageCell(Row(row).Received, column);
}
