// Shows the traffic pages in a window and feeds them a candump log through the receive queue
// and the drain tick, 200 ms per tick. With an output folder it saves a picture of each page
// once the log is through and quits.
//   traffic-harness LOG [OUTDIR]

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QTabWidget>
#include <QTimer>
#include <cstdio>

#include "filters/IdFilterPage.h"
#include "views/MonitorPage.h"
#include "views/TracePage.h"
#include "views/TrafficViews.h"

namespace {
// "(1436509052.249713) can0 123#11223344" -> frame with a millisecond time stamp that wraps at
// 60000 as the adapters' do.
bool ParseCandumpLine(const QByteArray& line, TCanMsgProg& msg) {
  const QList<QByteArray> parts = line.trimmed().split(' ');
  if (parts.size() < 3 || !parts[0].startsWith('(')) return false;
  const double seconds = parts[0].mid(1, parts[0].size() - 2).toDouble();
  const QList<QByteArray> frame = parts[2].split('#');
  if (frame.size() != 2) return false;
  bool ok = false;
  msg = TCanMsgProg{};
  msg.CanId = frame[0].toLongLong(&ok, 16);
  msg.Extended = frame[0].size() > 3;
  msg.RTR = frame[1].startsWith('R');
  const QByteArray data = QByteArray::fromHex(msg.RTR ? QByteArray() : frame[1]);
  msg.DLC = static_cast<std::int32_t>(std::min<qsizetype>(data.size(), 8));
  for (int i = 0; i < msg.DLC; ++i) msg.Data[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(data[i]);
  msg.Time = static_cast<std::int32_t>(static_cast<std::int64_t>(seconds * 1000.0) % 60000);
  return ok;
}
}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: traffic-harness LOG [OUTDIR]\n");
    return 2;
  }
  QFile log(QString::fromLocal8Bit(argv[1]));
  if (!log.open(QIODevice::ReadOnly)) return 1;
  const QString outDir = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
  SetUserMessageHandler([](TUserMessageKind, const QString& caption, const QString& text) {
    QMessageBox::critical(nullptr, caption, text);
  });

  TTrafficViews views(TTrafficSeams{[] { return false; }, [] { return false; }, [] {}});
  QTabWidget pages;
  pages.setObjectName(QStringLiteral("PageControl1"));
  auto* monitor = new TMonitorPage(views.Monitor(), views.CanIdDetails());
  auto* trace = new TTracePage(views.Trace());
  auto* filter = new TIdFilterPage(views.IdFilter());
  pages.addTab(monitor, QStringLiteral("Monitor"));
  pages.addTab(trace, QStringLiteral("Trace"));
  pages.addTab(filter, QStringLiteral("Identifier Filter"));
  pages.resize(1280, 860);
  monitor->actionShowIdDetailsWindow->trigger();
  monitor->actionMonitorColor->setChecked(true);
  trace->actionTraceColor->setChecked(true);
  trace->actionTraceScroll->setChecked(true);
  pages.show();

  ReceiveQueue queue;
  int ticks = 0;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] {
    // About 1.5 s of the log's bus time per tick.
    for (int i = 0; i < 350 && !log.atEnd(); ++i) {
      TCanMsgProg msg;
      if (ParseCandumpLine(log.readLine(), msg)) queue.Enqueue(std::make_unique<TCanMsgProg>(msg));
    }
    views.DrainTick(queue);
    if (++ticks == 3) {
      // Colour two identifiers and select a monitor row, as a user would.
      views.IdFilter().SetRowColor(0, 0x0000C0);
      views.IdFilter().SetRowColor(3, 0x008000);
      monitor->vstDataMonitor()->setCurrentIndex(monitor->vstDataMonitor()->model()->index(4, 0));
      filter->vstIdFilter()->setCurrentIndex(filter->vstIdFilter()->model()->index(3, 0));
    }
    if (ticks == 6) {
      views.IdFilter().SetRowChecked(1, false);
    }
    if (!outDir.isEmpty() && (log.atEnd() || ticks == 40)) {
      timer.stop();
      for (int page = 0; page < pages.count(); ++page) {
        pages.setCurrentIndex(page);
        app.processEvents();
        pages.grab().save(QStringLiteral("%1/page%2.png").arg(outDir).arg(page));
      }
      app.quit();
    }
  });
  timer.start(200);
  return app.exec();
}
