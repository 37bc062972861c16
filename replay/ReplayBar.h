#pragma once
// The "Replay" tool bar of the trace page: the trace as it stands or a log file played back
// onto the open adapter, with speed, loops, the software filter's checked identifiers, and
// the progress. It only collects the user's choices; the controller does the replay.

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QSpinBox>
#include <QTimer>
#include <QToolBar>
#include <functional>
#include <vector>

#include "replay/ReplayController.h"

struct TReplayBarSeams {
  // The one send path, on this thread.
  std::function<bool(const TCanMsgProg&)> Send;
  // The trace's rows in row order.
  std::function<std::vector<TTraceFrame>()> TraceFrames;
  // Whether the software filter has the frame's identifier checked.
  std::function<bool(const TCanMsgProg&)> CheckedInFilter;
  // A log file the user picks; empty when cancelled.
  std::function<QString()> ChooseLog;
};

class TReplayBar : public QToolBar {
  Q_OBJECT

 public:
  enum TSource { srcTrace, srcLogFile };

  explicit TReplayBar(TReplayBarSeams seams, QWidget* parent = nullptr);

  // Replays need an open adapter; closing it ends the replay.
  void SetAdapterOpen(bool open);
  [[nodiscard]] const TReplayController& Controller() const { return FController; }
  [[nodiscard]] const QString& LogFile() const { return FLogFile; }
  void SetLogFile(const QString& path);

  QComboBox* cbReplaySource = nullptr;
  QAction* actionReplayChooseLog = nullptr;
  QAction* actionReplayPlay = nullptr;
  QAction* actionReplayPause = nullptr;
  QAction* actionReplayStop = nullptr;
  QAction* actionReplayStep = nullptr;
  QDoubleSpinBox* seReplaySpeed = nullptr;
  QCheckBox* cbReplayAsFastAsPossible = nullptr;
  QSpinBox* seReplayLoops = nullptr;
  QCheckBox* cbReplayCheckedIds = nullptr;
  QLabel* lbReplayProgress = nullptr;

 private:
  void BuildControls();
  void Play();
  void Step();
  void ChooseLog();
  // False, with the reason shown, when there is nothing to replay.
  bool StartReplay(bool paused);
  [[nodiscard]] std::vector<TReplayFrame> SourceFrames();
  [[nodiscard]] TReplayPace Pace() const;
  void ShowState();
  void ShowProgress();

  TReplayBarSeams FSeams;
  TReplayController FController;
  QString FLogFile;
  QString FSourceNote;  // what the reader passed over in the log
  bool FAdapterOpen = false;
  QTimer FProgressTimer;
};

// "Frame 12 of 400, 0.110 s, lag 0.04 ms", as the progress shows a replay.
[[nodiscard]] QString ReplayProgressText(const TReplayProgress& progress, bool running, bool paused);
