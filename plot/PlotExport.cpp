#include "plot/PlotExport.h"

#include <QSaveFile>

#include "reports/DelimitedText.h"
#include "reports/OutputBuffer.h"
#include "signals/SignalText.h"

namespace {
constexpr char kSeparator = ';';
}  // namespace

void WritePlotSamples(const TPlotSamples& samples, QIODevice& out) {
  TOutputBuffer text(out);
  text.Append(std::string_view("Time;Signal;Value;Unit\r\n"));
  std::vector<std::string> names;
  for (std::size_t series = 0; series < samples.Count(); ++series) names.push_back(samples.Series(series).Name());
  std::vector<std::size_t> next(samples.Count(), 0);
  for (;;) {
    // The series whose next sample comes first; few series, so a scan beats a heap.
    std::size_t pick = samples.Count();
    for (std::size_t series = 0; series < samples.Count(); ++series) {
      const TSampleColumn& column = samples.Series(series).Samples;
      if (next[series] >= column.Size()) continue;
      if (pick == samples.Count() || column.Time(next[series]) < samples.Series(pick).Samples.Time(next[pick])) pick = series;
    }
    if (pick == samples.Count()) break;
    const TPlotSeries& series = samples.Series(pick);
    const std::size_t index = next[pick]++;
    text.Append(ShortestDouble(series.Samples.Time(index)));
    text.Put(kSeparator);
    AppendDelimitedField(names[pick], kSeparator, text);
    text.Put(kSeparator);
    text.Append(ShortestDouble(series.Samples.Value(index)));
    text.Put(kSeparator);
    AppendDelimitedField(series.Unit, kSeparator, text);
    text.Append(std::string_view("\r\n"));
    text.Settle();
  }
  text.Flush();
}

bool SavePlotSamples(const TPlotSamples& samples, const QString& path, QString& error) {
  QSaveFile file(path);
  try {
    if (!file.open(QIODevice::WriteOnly)) throw EExportError(file.errorString());
    WritePlotSamples(samples, file);
    if (!file.commit()) throw EExportError(file.errorString());
  } catch (const EExportError& failure) {
    error = QString::fromStdString(failure.what());
    file.cancelWriting();
    return false;
  }
  return true;
}
