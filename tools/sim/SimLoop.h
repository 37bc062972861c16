#pragma once
// The simulator's event loop: commands from the pseudo-terminal go to the adapter emulator,
// its replies and the frames of the traffic source go back. One poll() waits for input, for
// room to write when bytes are pending, and for the next frame to fall due; nothing spins.
// The bus clock runs only while the channel is open, so a replay or a scenario goes on where
// it stopped when the program connects again.

#include <csignal>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <ostream>

#include "CanPackage/source/AsciiAdapterEmulator.h"
#include "tools/sim/OutputQueue.h"
#include "tools/sim/TrafficSource.h"

class TSimLoop {
 public:
  // A due frame that cannot be queued for this long is dropped instead of sent late.
  static constexpr std::int64_t kStaleUs = 100'000;
  // Frames taken from the source before the loop looks at the line again.
  static constexpr int kMaxFramesPerPass = 256;
  static constexpr std::int64_t kFilteredPassPauseUs = 1000;

  TSimLoop(int fd, TAsciiAdapterEmulator& adapter, TTrafficSource& source, std::ostream& log, bool verbose);

  // Frames the program transmits are written here as candump lines with their arrival time.
  void RecordTo(std::ostream* record) { FRecord = record; }

  // Runs until stop is set; the signals that set it are let through only while waiting
  // (waitMask is the signal mask during the wait).
  void Run(const volatile std::sig_atomic_t& stop, const sigset_t& waitMask);

  [[nodiscard]] std::size_t DroppedFrames() const { return FQueue.DroppedFrames() + FStaleFrames; }

 private:
  [[nodiscard]] std::int64_t BusNow(std::int64_t wallUs) const;
  // Queues the due frames; returns the microseconds until the loop must look again, or -1.
  [[nodiscard]] std::int64_t ServeTraffic(std::int64_t wallUs);
  void ReadCommands(std::int64_t wallUs);
  void WritePending();
  void NoteStateChange(bool wasOpen, std::int64_t wallUs);

  int FFd;
  TAsciiAdapterEmulator& FAdapter;
  TTrafficSource& FSource;
  std::ostream& FLog;
  bool FVerbose;
  std::ostream* FRecord = nullptr;
  TOutputQueue FQueue;
  std::optional<TTimedFrame> FLookahead;
  bool FSourceEnded = false;
  std::int64_t FBusUs = 0;       // bus time gathered while open, up to the last close
  std::int64_t FOpenedAtUs = 0;  // wall time of the last open
  std::size_t FStaleFrames = 0;
};
