#pragma once
// The capture file's own thread. The user-interface thread hands it whole blocks through one
// queue; the thread owns the file, appends the blocks in order and syncs them to the disk at
// least once a second. The queue, the stop request and the thread's report share one lock:
// the user-interface side owns Submit, Stop and Report, the thread everything else.
//
// A write that fails (a full disk, a removed one) cuts the file back to the last whole block,
// so what was written stays readable, and ends the writing: the report then names the error,
// and later blocks are dropped.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class TCaptureWriter {
 public:
  struct TReport {
    std::uint64_t RowsWritten = 0;  // in whole blocks handed to the file
    bool Failed = false;
    std::string Error;  // the system's text for the failure
  };

  TCaptureWriter() = default;
  ~TCaptureWriter();
  TCaptureWriter(const TCaptureWriter&) = delete;
  TCaptureWriter& operator=(const TCaptureWriter&) = delete;

  // Creates the file (never an existing one), writes `header` and starts the thread.
  [[nodiscard]] bool Start(const std::string& path, const std::vector<std::uint8_t>& header, std::string& error);
  [[nodiscard]] bool Running() const { return FThread.joinable(); }
  // Queues one encoded block of `rows` rows.
  void Submit(std::vector<std::uint8_t> block, std::uint32_t rows);
  [[nodiscard]] TReport Report() const;
  // Blocks until every block submitted so far is written (or dropped after a failure).
  void WaitWritten();
  // Writes what is queued, syncs, closes the file and joins the thread. Safe twice.
  void Stop();

 private:
  struct TBlock {
    std::vector<std::uint8_t> Bytes;
    std::uint32_t Rows;
  };
  void Execute();
  // Thread side: appends one block; false after a failure was reported.
  bool WriteBlock(const TBlock& block);
  void Fail(int error);

  mutable std::mutex FLock;
  std::condition_variable FWake;
  std::condition_variable FWritten;
  std::uint64_t FBlocksSubmitted = 0;  // guarded by FLock
  std::uint64_t FBlocksDone = 0;  // guarded by FLock
  std::deque<TBlock> FQueue;  // guarded by FLock
  bool FStopRequested = false;  // guarded by FLock
  TReport FReport;  // guarded by FLock

  // Thread side only, after Start.
  int FFd = -1;
  std::int64_t FGoodBytes = 0;
  bool FFailed = false;
  std::thread FThread;
};
