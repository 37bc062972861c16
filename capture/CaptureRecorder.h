#pragma once
// Keeps the trace's capture file: every row the trace takes goes into the current block, and
// a full block, or a partial one at the end of a batch a quarter of a second after the last
// hand-over, goes to the writer thread. The recorder holds the capture folder's lock while
// it lives, so a capture file there without a lock holder is one a program left behind when it
// did not end cleanly. A clean end deletes the file; so do "Clear" and a new project.
//
// When the folder cannot be used at start (read-only, removed, another instance holds it) the
// trace lives in memory only, as when a write fails later: StatusText says so.

#include <QLockFile>
#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#include "capture/CaptureFile.h"
#include "capture/CaptureWriter.h"
#include "views/TraceList.h"

class TCaptureRecorder : public TTraceSink {
 public:
  static constexpr std::size_t kBlockRows = 16384;  // 640 KiB of rows
  static constexpr auto kHandOverInterval = std::chrono::milliseconds(250);

  explicit TCaptureRecorder(QString folder);
  ~TCaptureRecorder() override;
  TCaptureRecorder(const TCaptureRecorder&) = delete;
  TCaptureRecorder& operator=(const TCaptureRecorder&) = delete;

  // Takes the folder for this program. Returns the capture files left behind there, oldest
  // first; none when the folder cannot be taken.
  QStringList Open();

  // Empty while the capture goes to disk (or will, at its first row); else why it does not.
  [[nodiscard]] QString StatusText() const { return FStatusText; }
  // Told once when writing stops during a capture (the message for the user).
  std::function<void(const QString& text)> OnWriteFailed;
  // The file being written, empty before the first row.
  [[nodiscard]] QString Path() const { return FPath; }
  // Hands the current block to the writer now.
  void HandOver();
  // Hands the current block over and waits until it is in the file (or writing failed).
  void Sync();

  void RowAppended(const TTraceData& row) override;
  void BatchEnded() override;
  void RowsReplaced(const TTraceList& trace) override;
  [[nodiscard]] bool HoldsRows(std::uint64_t rows) override;
  [[nodiscard]] bool ReadRows(std::uint64_t first, std::size_t count, std::vector<TTraceData>& out) override;

 private:
  enum class TState { Idle, Writing, MemoryOnly };
  void StartFile();
  void EndFile();
  void CheckWriter();

  QString FFolder;
  std::unique_ptr<QLockFile> FLock;
  TState FState = TState::MemoryOnly;  // until Open
  bool FFolderTaken = false;
  QString FStatusText;
  QString FPath;
  TCaptureWriter FWriter;
  TCaptureReader FReadBack;  // the file as written, for the rows that left memory
  std::vector<TTraceData> FBlock;
  std::uint64_t FRowsHanded = 0;  // rows of the file before FBlock
  std::chrono::steady_clock::time_point FLastHandOver;
};
