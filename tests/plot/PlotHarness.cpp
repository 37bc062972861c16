// Shows the "Plot" window over a candump log decoded with a DBC, for looking at it, not a
// test: the log goes through the traffic's frame path in drains of 500 frames, the named
// signals (MESSAGE.SIGNAL) are plotted from the trace, and the window is fitted to the whole
// capture, or shows [FROM, TO) seconds. With OUT.png it saves a picture and quits.
//   plot-harness DBC LOG SIGNALS [OUT.png [FROM TO]]

#include <QApplication>
#include <QTimer>
#include <cstdio>

#include "plot/PlotSamples.h"
#include "plot/PlotWindow.h"
#include "views/TraceLogFile.h"
#include "views/TrafficViews.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QStringList args = app.arguments();
  if (args.size() < 4) {
    std::fprintf(stderr, "usage: plot-harness DBC LOG MESSAGE.SIGNAL[,...] [OUT.png [FROM TO]]\n");
    return 2;
  }
  TSignalDatabases databases;
  std::vector<std::string> warnings;
  if (const std::string refused = databases.Load(args[1].toStdString(), warnings); !refused.empty()) {
    std::fprintf(stderr, "%s\n", refused.c_str());
    return 1;
  }
  TTrafficViews traffic{TTrafficSeams{}};
  TPlotSamples samples(databases, &traffic.Trace());
  traffic.AddObserver(&samples);
  TLogImport import(traffic, args[2]);
  while (import.Step(500) == TLogImport::TState::Reading) {
  }
  for (const QString& name : args[3].split(QLatin1Char(','))) {
    const QStringList parts = name.split(QLatin1Char('.'));
    for (std::size_t file = 0; file < databases.FileCount(); ++file)
      for (const TMessageDef& message : databases.File(file).Messages)
        for (std::size_t signal = 0; signal < message.Signals.size(); ++signal)
          if (parts.size() == 2 && message.Name == parts[0].toStdString() && message.Signals[signal].Name == parts[1].toStdString() &&
              samples.Subscribe(message, signal))
            samples.AddHistory(samples.Count() - 1);
  }
  TPlotWindow window(samples);
  samples.OnChanged = [&window] { window.Refresh(); };
  window.resize(1200, 760);
  window.show();
  if (args.size() >= 7) window.ShowRange(args[5].toDouble() * 1000, args[6].toDouble() * 1000);
  else window.Fit();
  if (args.size() >= 5) {
    QTimer::singleShot(800, [&] {
      window.grab().save(args[4]);
      app.quit();
    });
  }
  const int result = app.exec();
  traffic.RemoveObserver(&samples);
  return result;
}
