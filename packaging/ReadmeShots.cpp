// Takes the README's pictures from the real main window: connects to the virtual adapter, lets
// the traffic run, then saves each page and the catalog window that exist in this build.
//   ferrolux-readme-shots OUTDIR [SERIAL]
// Run by scripts/screenshots.sh under Xvfb, with HOME and XDG_RUNTIME_DIR of its own.

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QDir>
#include <QMenu>
#include <QTimer>
#include <QTreeView>
#include <algorithm>
#include <cstdio>

#include "app/CANUSBMain.h"
#include "app/MainPages.h"
#include "app/UserAction.h"
#include "icons/AppIcons.h"
#include "plot/PlotWindow.h"
#include "signals/SignalsController.h"
#include "signals/SignalsPage.h"
#include "views/TracePage.h"
#include "transmit/HotKey.h"

namespace {

void Say(const QString& text) {
  std::printf("readme-shots: %s\n", qPrintable(text));
  std::fflush(stdout);
}

// Modal dialogs (the safety warning at start) would wait for a person; close them.
void CloseModalDialogs() {
  auto* timer = new QTimer(qApp);
  QObject::connect(timer, &QTimer::timeout, [] {
    if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
  });
  timer->start(100);
}

bool ConnectTo(TfCANUSBMain& window, const QString& serial) {
  window.ConnectPopupMenuPopup();
  for (QAction* item : window.findChild<QMenu*>(QStringLiteral("ConnectPopupMenu"))->actions())
    if (item->text().contains(serial)) {
      window.actionConnectExecute(item);
      return window.Adapter().Connected();
    }
  return false;
}

void Save(QWidget* widget, const QString& path) {
  widget->grab().save(path);
  Say(QStringLiteral("wrote ") + path);
}

// A page is there once a list has taken the place of its empty sheet.
bool PageBuilt(TMainPages* pages, TMainPages::TPage page) {
  return !pages->PageContent(page)->findChildren<QAbstractItemView*>().isEmpty();
}

void SavePage(TfCANUSBMain& window, TMainPages::TPage page, const QString& path) {
  if (!PageBuilt(window.Pages(), page)) {
    Say(QStringLiteral("skipped %1: that page is not built yet").arg(path));
    return;
  }
  window.Pages()->setCurrentIndex(page);
  QApplication::processEvents();
  Save(&window, path);
}

void SaveCatalogWindow(TfCANUSBMain& window, const QString& path) {
  auto* open = window.findChild<QAction*>(QStringLiteral("actionBMW"));
  if (!open || !open->isVisible() || !open->isEnabled()) {
    Say(QStringLiteral("skipped %1: no catalog window in this build").arg(path));
    return;
  }
  open->trigger();
  QApplication::processEvents();
  for (QWidget* top : QApplication::topLevelWidgets()) {
    const bool ownWindow = top->windowType() == Qt::Window || top->windowType() == Qt::Dialog;
    if (top == &window || !top->isVisible() || !ownWindow) continue;
    if (auto* decode = top->findChild<QAbstractButton*>(QStringLiteral("btn1"))) decode->click();
    QApplication::processEvents();
    top->resize(900, 600);
    Save(top, path);
    return;
  }
  Say(QStringLiteral("skipped %1: the catalog window did not open").arg(path));
}

// The trace's signal pane shows the row selected; the first the demo database decodes.
void SelectFirstDecodedTraceRow(TfCANUSBMain& window) {
  QTreeView* trace = window.TracePage->vstDataTrace();
  const TTraceList& rows = window.Traffic().Trace();
  for (int row = 0; row < trace->model()->rowCount(); ++row)
    if (!window.Signals().MessageName(rows.Row(rows.Model().StoreRow(row)).Msg).isEmpty()) {
      trace->setCurrentIndex(trace->model()->index(row, 0));
      return;
    }
}

// The demo bus's engine speed, throttle, fan mode and battery voltage in the Plot window, as a
// user plots them: the signal's row on the Signals page, then "Plot".
void PlotDemoSignals(TfCANUSBMain& window) {
  const QStringList wanted = {QStringLiteral("EngineSpeed"), QStringLiteral("Throttle"), QStringLiteral("FanMode"), QStringLiteral("BatteryVoltage")};
  QTreeView* tree = window.SignalsPage->vstSignals();
  const QAbstractItemModel& model = *tree->model();
  for (const QString& name : wanted)
    for (int message = 0; message < model.rowCount(); ++message)
      for (int signal = 0; signal < model.rowCount(model.index(message, 0)); ++signal)
        if (model.index(signal, 0, model.index(message, 0)).data().toString() == name) {
          tree->setCurrentIndex(model.index(signal, 0, model.index(message, 0)));
          window.SignalsPage->actionPlotSignals->trigger();
        }
  if (window.PlotWindow()) window.PlotWindow()->resize(1200, 760);
}

// The last seconds of the live plot zoomed in, with both cursors placed and their readout below.
void SavePlotWithCursors(TPlotWindow& plot, double end, const QString& path) {
  plot.ShowRange(end - 4000, end);
  plot.PlaceCursor(1, end - 3000);
  plot.PlaceCursor(2, end - 1000);
  QApplication::processEvents();
  Save(&plot, path);
}

// A few rows of each kind, so the page and the trigger log show what they are for: an answer to
// the virtual adapter's tester, a periodic keep-alive and a hot key.
void AddPredefinedMessages(TPredefinedMessageList& list) {
  const auto frame = [](std::int64_t id, std::initializer_list<std::uint8_t> data) {
    TCanMsgProg msg;
    msg.CanId = id;
    msg.DLC = static_cast<std::int32_t>(data.size());
    std::copy(data.begin(), data.end(), msg.Data.begin());
    return msg;
  };
  const auto add = [&list](const TPredefinedEdit& edit) {
    const std::size_t row = list.AddMessage();
    list.ApplyEdit(row, edit);
    list.SetRowChecked(row, true);
  };
  TPredefinedEdit answer;
  answer.TriggerType = static_cast<std::uint8_t>(TTriggerType::Message);
  answer.Description = QStringLiteral("Answer the tester");
  answer.Message = frame(0x640, {0xF1, 0x02, 0x7E, 0x00});
  answer.TriggerCode = frame(0x6F1, {0x40, 0x02, 0x3E});
  answer.TriggerMask.DLC = 0x0F;
  answer.TriggerMask.Data = {0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  answer.LogMessage = true;
  answer.LogText = QStringLiteral("Tester present answered");
  add(answer);
  TPredefinedEdit keepAlive;
  keepAlive.TriggerType = static_cast<std::uint8_t>(TTriggerType::Timer);
  keepAlive.Description = QStringLiteral("Keep-alive");
  keepAlive.Message = frame(0x7E0, {0x01, 0x3E});
  keepAlive.Period = 500;
  add(keepAlive);
  TPredefinedEdit wakeUp;
  wakeUp.TriggerType = static_cast<std::uint8_t>(TTriggerType::HotKey);
  wakeUp.Description = QStringLiteral("Wake-up");
  wakeUp.Message = frame(0x123, {0x55, 0xAA});
  wakeUp.HotKey = kDefaultHotKey;  // Alt+A
  add(wakeUp);
}

}  // namespace

int main(int argc, char** argv) {
  TFerroluxApplication app(argc, argv);
  TFerroluxApplication::setApplicationName(QStringLiteral("Ferrolux"));
  TFerroluxApplication::setWindowIcon(AppIcon("ferrolux"));
  if (argc < 2) {
    std::fprintf(stderr, "usage: ferrolux-readme-shots OUTDIR [SERIAL]\n");
    return 2;
  }
  const QString outDir = QString::fromLocal8Bit(argv[1]);
  const QString serial = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("SIM00001");
  CloseModalDialogs();

  TfCANUSBMain window;
  AddPredefinedMessages(window.PredefinedMessages());
  window.resize(1200, 780);
  window.show();
  int status = 0;
  QTimer::singleShot(500, [&] {
    if (!ConnectTo(window, serial)) {
      Say(QStringLiteral("no adapter ") + serial);
      status = 1;
      QCoreApplication::exit(status);
      return;
    }
    QTimer::singleShot(1000, [&] { PlotDemoSignals(window); });
    // Long enough for a round of the virtual adapter's diagnostic exchange.
    QTimer::singleShot(7000, [&] {
      const QDir dir(outDir);
      SavePage(window, TMainPages::pgMonitor, dir.filePath(QStringLiteral("monitor.png")));
      SelectFirstDecodedTraceRow(window);
      SavePage(window, TMainPages::pgTrace, dir.filePath(QStringLiteral("trace.png")));
      SavePage(window, TMainPages::pgSignals, dir.filePath(QStringLiteral("signals.png")));
      SavePage(window, TMainPages::pgPredefinedMessages, dir.filePath(QStringLiteral("predefined-messages.png")));
      SavePage(window, TMainPages::pgTriggerLog, dir.filePath(QStringLiteral("trigger-log.png")));
      SavePage(window, TMainPages::pgStatistics, dir.filePath(QStringLiteral("statistics.png")));
      if (window.PlotWindow()) {
        Save(window.PlotWindow(), dir.filePath(QStringLiteral("plot-live.png")));
        SavePlotWithCursors(*window.PlotWindow(), window.PlotSamples().LastTime(), dir.filePath(QStringLiteral("plot-cursors.png")));
        window.PlotWindow()->close();  // before the catalog window is looked for among the windows
      }
      window.actionDisconnectExecute();  // the catalog decodes only once the capture has ended
      SaveCatalogWindow(window, dir.filePath(QStringLiteral("catalog.png")));
      QCoreApplication::exit(status);
    });
  });
  // exit(), not quit(): quitting would ask the window to close, and it asks about the project.
  return TFerroluxApplication::exec();
}
