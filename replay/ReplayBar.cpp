#include "replay/ReplayBar.h"

#include <QFileInfo>

#include "icons/AppIcons.h"
#include "lists/ListView.h"
#include "model/LogFormat.h"

namespace {
constexpr int kProgressIntervalMs = 100;

QString Seconds(std::int64_t ns) { return QString::number(static_cast<double>(ns) / 1e9, 'f', 3); }
QString Milliseconds(std::int64_t ns) { return QString::number(static_cast<double>(ns) / 1e6, 'f', 2); }
}  // namespace

QString ReplayProgressText(const TReplayProgress& progress, bool running, bool paused) {
  const QString of = progress.Total ? QString::number(*progress.Total) : QStringLiteral("endless");
  if (!running)
    return QStringLiteral("Sent %1 of %2 frames, %3 s, largest lag %4 ms")
        .arg(QString::number(progress.Sent), of, Seconds(progress.ReplayTimeNs), Milliseconds(progress.MaxLagNs));
  QString text = QStringLiteral("Frame %1 of %2, %3 s, lag %4 ms")
                     .arg(QString::number(progress.Sent), of, Seconds(progress.ReplayTimeNs), Milliseconds(progress.LagNs));
  if (paused) text += QStringLiteral(" (paused)");
  return text;
}

TReplayBar::TReplayBar(TReplayBarSeams seams, QWidget* parent)
    : QToolBar(parent),
      FSeams(std::move(seams)),
      FController({FSeams.Send, [] { return false; }, [this] { ShowState(); }}, TReplayController::TWakeup::EventLoop) {
  setObjectName(QStringLiteral("tbReplay"));
  setWindowTitle(QStringLiteral("Replay"));
  BuildControls();
  FProgressTimer.setInterval(kProgressIntervalMs);
  connect(&FProgressTimer, &QTimer::timeout, this, [this] { ShowProgress(); });
  SetAdapterOpen(false);
}

void TReplayBar::BuildControls() {
  addWidget(new QLabel(QStringLiteral(" Replay "), this));
  cbReplaySource = new QComboBox(this);
  cbReplaySource->setObjectName(QStringLiteral("cbReplaySource"));
  cbReplaySource->setAccessibleName(QStringLiteral("Replay source"));
  cbReplaySource->addItems({QStringLiteral("Trace"), QStringLiteral("Log file")});
  addWidget(cbReplaySource);
  actionReplayChooseLog = AddToolAction(this, QStringLiteral("actionReplayChooseLog"), QStringLiteral("Log..."),
                                        QStringLiteral("Choose the log file to replay"), false,
                                        ThemedAppIcon("document-open", "project-open"));
  addSeparator();
  actionReplayPlay = AddToolAction(this, QStringLiteral("actionReplayPlay"), QStringLiteral("Play"),
                                   QStringLiteral("Play the replay, or go on after a pause"), false,
                                   ThemedAppIcon("media-playback-start", "play"));
  actionReplayPause = AddToolAction(this, QStringLiteral("actionReplayPause"), QStringLiteral("Pause"),
                                    QStringLiteral("Pause the replay"), false, ThemedAppIcon("media-playback-pause", "pause"));
  actionReplayStop = AddToolAction(this, QStringLiteral("actionReplayStop"), QStringLiteral("Stop"),
                                   QStringLiteral("Stop the replay"), false, ThemedAppIcon("media-playback-stop", "stop"));
  actionReplayStep = AddToolAction(this, QStringLiteral("actionReplayStep"), QStringLiteral("Step"),
                                   QStringLiteral("Send the next frame only"), false, ThemedAppIcon("media-skip-forward", "step"));
  // The progress next to the buttons, wide enough that its changing text moves nothing.
  lbReplayProgress = new QLabel(this);
  lbReplayProgress->setObjectName(QStringLiteral("lbReplayProgress"));
  lbReplayProgress->setMinimumWidth(lbReplayProgress->fontMetrics().horizontalAdvance(
      QStringLiteral("Frame 1000000 of 1000000, 1000.000 s, lag 10.00 ms (paused)")));
  addWidget(lbReplayProgress);
  addSeparator();
  seReplaySpeed = new QDoubleSpinBox(this);
  seReplaySpeed->setObjectName(QStringLiteral("seReplaySpeed"));
  seReplaySpeed->setAccessibleName(QStringLiteral("Speed factor"));
  seReplaySpeed->setRange(TReplayPace::kMinSpeed, TReplayPace::kMaxSpeed);
  seReplaySpeed->setSingleStep(0.1);
  seReplaySpeed->setDecimals(1);
  seReplaySpeed->setValue(1.0);
  seReplaySpeed->setSuffix(QStringLiteral(" x"));
  addWidget(seReplaySpeed);
  cbReplayAsFastAsPossible = new QCheckBox(QStringLiteral("As fast as possible"), this);
  cbReplayAsFastAsPossible->setObjectName(QStringLiteral("cbReplayAsFastAsPossible"));
  cbReplayAsFastAsPossible->setToolTip(QStringLiteral("Send each frame as soon as the adapter takes it"));
  addWidget(cbReplayAsFastAsPossible);
  seReplayLoops = new QSpinBox(this);
  seReplayLoops->setObjectName(QStringLiteral("seReplayLoops"));
  seReplayLoops->setAccessibleName(QStringLiteral("Loops"));
  seReplayLoops->setRange(0, 1'000'000);
  seReplayLoops->setValue(1);
  seReplayLoops->setSpecialValueText(QStringLiteral("Endless"));
  seReplayLoops->setSuffix(QStringLiteral(" times"));
  addWidget(seReplayLoops);
  cbReplayCheckedIds = new QCheckBox(QStringLiteral("Checked IDs only"), this);
  cbReplayCheckedIds->setObjectName(QStringLiteral("cbReplayCheckedIds"));
  cbReplayCheckedIds->setToolTip(QStringLiteral("Only identifiers checked in the software filter"));
  addWidget(cbReplayCheckedIds);

  connect(actionReplayChooseLog, &QAction::triggered, this, [this] { RunUserAction([this] { ChooseLog(); }); });
  connect(actionReplayPlay, &QAction::triggered, this, [this] { RunUserAction([this] { Play(); }); });
  connect(actionReplayPause, &QAction::triggered, this, [this] { FController.Pause(); });
  connect(actionReplayStop, &QAction::triggered, this, [this] { FController.Stop(); });
  connect(actionReplayStep, &QAction::triggered, this, [this] { RunUserAction([this] { Step(); }); });
  connect(cbReplayAsFastAsPossible, &QCheckBox::toggled, seReplaySpeed, [this](bool fast) { seReplaySpeed->setEnabled(!fast); });
}

void TReplayBar::SetAdapterOpen(bool open) {
  FAdapterOpen = open;
  if (!open) FController.Stop();
  ShowState();
}

void TReplayBar::SetLogFile(const QString& path) {
  FLogFile = path;
  cbReplaySource->setItemText(srcLogFile, path.isEmpty() ? QStringLiteral("Log file") : QFileInfo(path).fileName());
  cbReplaySource->setCurrentIndex(srcLogFile);
}

void TReplayBar::ChooseLog() {
  const QString path = FSeams.ChooseLog();
  if (!path.isEmpty()) SetLogFile(path);
}

void TReplayBar::Play() {
  if (FController.Running()) {
    FController.Resume();
    return;
  }
  StartReplay(false);
}

void TReplayBar::Step() {
  if (FController.Running() || StartReplay(true)) FController.Step();
}

bool TReplayBar::StartReplay(bool paused) {
  if (cbReplaySource->currentIndex() == srcLogFile && FLogFile.isEmpty()) ChooseLog();
  if (cbReplaySource->currentIndex() == srcLogFile && FLogFile.isEmpty()) return false;
  std::vector<TReplayFrame> frames = SourceFrames();
  if (frames.empty()) {
    lbReplayProgress->setText(QStringLiteral("No frames to replay"));
    return false;
  }
  FController.Start(TReplaySchedule(std::move(frames), Pace()), paused);
  return true;
}

std::vector<TReplayFrame> TReplayBar::SourceFrames() {
  TReplayFilter accept;
  if (cbReplayCheckedIds->isChecked()) accept = FSeams.CheckedInFilter;
  FSourceNote.clear();
  if (cbReplaySource->currentIndex() == srcTrace) return ReplayFramesOfTrace(FSeams.TraceFrames(), accept);
  const TLogFile capture = ReadLogFileAt(FLogFile);  // an unreadable file ends in the error box
  if (capture.FirstProblem)
    FSourceNote = QStringLiteral(" (%1 lines passed over; %2)").arg(capture.Skipped).arg(QString::fromStdString(capture.FirstProblem->Text()));
  return ReplayFramesOfLog(capture.Frames, accept);
}

TReplayPace TReplayBar::Pace() const {
  TReplayPace pace;
  pace.Speed = cbReplayAsFastAsPossible->isChecked() ? 0.0 : seReplaySpeed->value();
  pace.Loops = static_cast<std::uint32_t>(seReplayLoops->value());
  return pace;
}

void TReplayBar::ShowState() {
  const bool running = FController.Running();
  const bool paused = FController.Paused();
  actionReplayPlay->setEnabled(FAdapterOpen && (!running || paused));
  actionReplayPause->setEnabled(running && !paused);
  actionReplayStop->setEnabled(running);
  actionReplayStep->setEnabled(FAdapterOpen && (!running || paused));
  for (QWidget* choice : {static_cast<QWidget*>(cbReplaySource), static_cast<QWidget*>(cbReplayAsFastAsPossible),
                          static_cast<QWidget*>(seReplayLoops), static_cast<QWidget*>(cbReplayCheckedIds)})
    choice->setEnabled(FAdapterOpen && !running);
  seReplaySpeed->setEnabled(FAdapterOpen && !running && !cbReplayAsFastAsPossible->isChecked());
  actionReplayChooseLog->setEnabled(!running);
  // The text follows on a timer: a replay at thousands of frames a second changes it each time.
  if (running && !FProgressTimer.isActive()) {
    FProgressTimer.start();
    ShowProgress();
  } else if (!running && FProgressTimer.isActive()) {
    FProgressTimer.stop();
    ShowProgress();
  }
}

void TReplayBar::ShowProgress() {
  lbReplayProgress->setText(ReplayProgressText(FController.Progress(), FController.Running(), FController.Paused()) + FSourceNote);
}
