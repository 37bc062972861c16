// Shows the "Plot" window over a candump log decoded with a DBC, for looking at it, not a
// test: the log goes through the traffic's frame path in drains of 500 frames, the named
// signals (MESSAGE.SIGNAL) are plotted from the trace, and the window is fitted to the whole
// capture, or shows [FROM, TO) seconds. With OUT.png it saves a picture and quits. Options:
// --overlay draws every signal in one strip, --cursors=A,B places the cursors at A and B
// seconds, --hover=X,Y puts the mouse at X,Y of the plot.
//   plot-harness [OPTIONS] DBC LOG SIGNALS [OUT.png [FROM TO]]

#include <QAction>
#include <QApplication>
#include <QMouseEvent>
#include <QTimer>
#include <cstdio>

#include "plot/PlotSamples.h"
#include "plot/PlotWidget.h"
#include "plot/PlotWindow.h"
#include "views/TraceLogFile.h"
#include "views/TrafficViews.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QStringList args;
  QStringList options;
  for (const QString& arg : app.arguments()) (arg.startsWith(QStringLiteral("--")) ? options : args) << arg;
  if (args.size() < 4) {
    std::fprintf(stderr, "usage: plot-harness [--overlay] [--cursors=A,B] [--hover=X,Y] DBC LOG MESSAGE.SIGNAL[,...] [OUT.png [FROM TO]]\n");
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
  for (const QString& option : options) {
    const QStringList values = option.section(QLatin1Char('='), 1).split(QLatin1Char(','));
    if (option == QStringLiteral("--overlay")) window.actionPlotOverlay->setChecked(true);
    if (option.startsWith(QStringLiteral("--cursors=")) && values.size() == 2) {
      window.PlaceCursor(1, values[0].toDouble() * 1000);
      window.PlaceCursor(2, values[1].toDouble() * 1000);
    }
    if (option.startsWith(QStringLiteral("--hover=")) && values.size() == 2) {
      QTimer::singleShot(400, [&window, values] {
        const QPointF at(values[0].toDouble(), values[1].toDouble());
        QMouseEvent move(QEvent::MouseMove, at, window.pbPlot()->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(window.pbPlot(), &move);
      });
    }
  }
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
