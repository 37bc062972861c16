#include "capture/CaptureImport.h"

#include <QDateTime>
#include <algorithm>

#include "views/TrafficViews.h"

TCaptureImport::TCaptureImport(TTrafficViews& views, const QString& path) : FViews(views) {
  const TCaptureReader::TResult result = FReader.Open(path);
  FUsable = result == TCaptureReader::TResult::Good || result == TCaptureReader::TResult::Torn;
}

QString TCaptureImport::OfferText() const {
  const QString date = QDateTime::fromMSecsSinceEpoch(StartMs()).toLocalTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
  return QStringLiteral("The last capture did not end cleanly: %1 frames from %2. Open it?").arg(Rows()).arg(date);
}

bool TCaptureImport::Step(std::size_t maxRows) {
  if (!FUsable || FFailed || FEntered == Rows()) return false;
  const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(maxRows, Rows() - FEntered));
  if (!FReader.Read(FEntered, count, FPage)) {
    FFailed = true;
    return false;
  }
  FViews.BeginDrain();
  try {
    for (const TTraceData& row : FPage) {
      if (row.Received) FViews.EnterReceivedMessage(row.Msg);
      else FViews.EnterSentMessage(row.Msg);
    }
  } catch (...) {
    FViews.EndDrain();
    throw;
  }
  FViews.EndDrain();
  FEntered += count;
  return FEntered < Rows();
}

int TCaptureImport::Progress() const {
  return Rows() == 0 ? 1000 : static_cast<int>(FEntered * 1000 / Rows());
}
