#include "stats/StatisticsReport.h"

#include <QString>

#include "model/CanText.h"

namespace {

QByteArray Fixed(double value) { return QByteArray::number(value, 'f', 3); }
QByteArray Milliseconds(double us) { return Fixed(us / 1000.0); }

// ";Frames/s" and the load cell of `frames` frames of `bits` bits over the capture's span.
struct TRates {
  double Seconds;
  double BitRate;
  [[nodiscard]] QByteArray FramesPerSecond(std::uint64_t frames) const {
    return Seconds > 0 ? Fixed(static_cast<double>(frames) / Seconds) : QByteArray();
  }
  [[nodiscard]] QByteArray LoadPercent(std::uint64_t bits) const {
    return Seconds > 0 ? Fixed(static_cast<double>(bits) / BitRate / Seconds * 100.0) : QByteArray();
  }
};

QByteArray Periods(const TIdStatistics& id) {
  if (id.Periods() == 0) return ";;;";
  return Milliseconds(id.MeanPeriodUs()) + ';' + Milliseconds(static_cast<double>(id.MinPeriodUs)) + ';' +
         Milliseconds(static_cast<double>(id.MaxPeriodUs)) + ';' + Milliseconds(id.StdPeriodUs());
}

}  // namespace

QByteArray StatisticsCsvUtf8(const TBusStatistics& statistics) {
  const TRates rates{static_cast<double>(statistics.SpanUs()) / 1e6, statistics.BitRate()};
  QByteArray text = "ID;Count;Bits;Frames/s;Mean period ms;Min period ms;Max period ms;Std period ms;Load %\r\n";
  for (const TIdStatistics* id : statistics.InIdentifierOrder()) {
    if (id->Count == 0) continue;  // known from a database only
    text += CanIdToText(id->Extended, id->CanId).toLatin1() + ';' + QByteArray::number(id->Count) + ';' +
            QByteArray::number(id->Bits) + ';' + rates.FramesPerSecond(id->Count) + ';' + Periods(*id) + ';' +
            rates.LoadPercent(id->Bits) + "\r\n";
  }
  text += "Total;" + QByteArray::number(statistics.Frames()) + ';' + QByteArray::number(statistics.Bits()) + ';' +
          rates.FramesPerSecond(statistics.Frames()) + ";;;;;" + rates.LoadPercent(statistics.Bits()) + "\r\n";
  return text;
}
