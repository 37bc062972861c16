// The main window's bus statistics: the "Statistics" page fed at the drain, the bus load of
// the last second in the status bar, and a fresh start at every connect and cleared trace.

#include <QAction>
#include <QLabel>
#include <QStatusBar>
#include <chrono>

#include "app/CANUSBMain.h"
#include "app/MainPages.h"
#include "signals/SignalsController.h"
#include "stats/StatisticsPage.h"
#include "storage/MyRegValues.h"
#include "views/TracePage.h"

namespace {
std::int64_t MonotonicUs() {
  return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch()).count();
}
}  // namespace

void TfCANUSBMain::BuildStatistics() {
  FStatistics = std::make_unique<TTrafficStatistics>(500'000);
  FStatistics->Clock = &MonotonicUs;
  // A loaded signal database's cycle time is what a message is late against.
  FStatistics->ExpectedCycleUs = [this](std::int64_t canId, bool extended) -> std::int64_t {
    const TMessageDef* message = FSignals->Databases().Find(canId, extended);
    return message && message->CycleTime ? *message->CycleTime * 1000 : 0;
  };
  FTraffic.AddObserver(FStatistics.get());
  StatisticsPage = new TStatisticsPage(*FStatistics);
  PageControl1->SetPage(TMainPages::pgStatistics, StatisticsPage);
  FStatistics->OnPublished = [this] {
    StatisticsPage->Refresh();
    ShowBusLoad();
  };
  FBusLoadPanel = new QLabel(statusBar());
  FBusLoadPanel->setObjectName(QStringLiteral("BusLoadPanel"));
  FBusLoadPanel->setFrameShape(QFrame::StyledPanel);
  statusBar()->addPermanentWidget(FBusLoadPanel);
  connect(TracePage->actonClearTraceList, &QAction::triggered, this, [this] { RestartStatistics(); });
  RestartStatistics();
}

// The bit rate a SocketCAN interface reports counts over the settings' one.
void TfCANUSBMain::RestartStatistics() {
  const bool socket = CanAdapter.Connected() && CanAdapter.Adapter() == &CanSocket && CanSocket.LinkBitRate() > 0;
  FStatistics->Restart(socket ? CanSocket.LinkBitRate()
                              : BitRateInUse(FSettings->FCanBitRate, static_cast<std::uint8_t>(FSettings->FCanBitRateBTR0),
                                             static_cast<std::uint8_t>(FSettings->FCanBitRateBTR1)));
  StatisticsPage->Refresh();
  ShowBusLoad();
}

// With a SocketCAN channel open, its error frames by class on the page and its bus state here.
void TfCANUSBMain::ShowBusLoad() {
  const double load = FStatistics->Statistics().LastSecondLoad(FStatistics->NowUs(MonotonicUs()));
  QString text = BusLoadText(load);
  if (CanAdapter.Connected() && CanAdapter.Adapter() == &CanSocket) {
    const TCanErrorCounts errors = CanSocket.ErrorCounts();
    StatisticsPage->ShowErrors(&errors);
    text += QStringLiteral("  Bus: ") + QLatin1String(CanBusStateName(errors.State));
    ShowSocketCanLink();  // a down interface and the kernel's drops show as they happen
  } else {
    StatisticsPage->ShowErrors(nullptr);
  }
  FBusLoadPanel->setText(text);
  FBusLoadPanel->setStyleSheet(BusLoadStyle(load));
}
