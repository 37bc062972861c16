#pragma once
// A capture file left behind, entered into the trace as an import would be: through the
// dispatch of live traffic, received rows as received and sent rows as sent, a batch at a
// time, each batch one drain of the lists. Rows keep the time stamps they were captured with.

#include <QString>
#include <cstdint>
#include <vector>

#include "capture/CaptureFile.h"

class TTrafficViews;

class TCaptureImport {
 public:
  TCaptureImport(TTrafficViews& views, const QString& path);

  // False when the file is not a capture (or cannot be read): nothing to offer.
  [[nodiscard]] bool Usable() const { return FUsable; }
  [[nodiscard]] std::uint64_t Rows() const { return FReader.Rows(); }
  [[nodiscard]] std::int64_t StartMs() const { return FReader.StartMs(); }
  // "The last capture did not end cleanly: N frames from DATE. Open it?"
  [[nodiscard]] QString OfferText() const;

  // Enters up to maxRows further rows; false once all are entered or the file failed.
  bool Step(std::size_t maxRows);
  [[nodiscard]] std::uint64_t Entered() const { return FEntered; }
  [[nodiscard]] bool Failed() const { return FFailed; }
  // 0..1000 by the rows entered.
  [[nodiscard]] int Progress() const;

 private:
  TTrafficViews& FViews;
  TCaptureReader FReader;
  std::vector<TTraceData> FPage;
  std::uint64_t FEntered = 0;
  bool FUsable = false;
  bool FFailed = false;
};
