#include "capture/CaptureWriter.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace {
constexpr auto kSyncInterval = std::chrono::milliseconds(1000);

// Writes all of `size` bytes unless the system refuses; 0 or the errno.
int WriteAll(int fd, const std::uint8_t* bytes, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, bytes, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    bytes += n;
    size -= static_cast<std::size_t>(n);
  }
  return 0;
}
}  // namespace

TCaptureWriter::~TCaptureWriter() { Stop(); }

bool TCaptureWriter::Start(const std::string& path, const std::vector<std::uint8_t>& header, std::string& error) {
  if (Running()) return false;
  FFd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  int failure = FFd < 0 ? errno : WriteAll(FFd, header.data(), header.size());
  if (failure == 0 && ::fdatasync(FFd) != 0) failure = errno;
  if (failure != 0) {
    error = std::strerror(failure);
    if (FFd >= 0) {
      ::close(FFd);
      ::unlink(path.c_str());
    }
    FFd = -1;
    return false;
  }
  FGoodBytes = static_cast<std::int64_t>(header.size());
  FFailed = false;
  {
    std::lock_guard lock(FLock);
    FStopRequested = false;
    FReport = TReport{};
    FBlocksSubmitted = FBlocksDone = 0;
  }
  FThread = std::thread([this] { Execute(); });
  return true;
}

void TCaptureWriter::Submit(std::vector<std::uint8_t> block, std::uint32_t rows) {
  {
    std::lock_guard lock(FLock);
    FQueue.push_back(TBlock{std::move(block), rows});
    ++FBlocksSubmitted;
  }
  FWake.notify_one();
}

TCaptureWriter::TReport TCaptureWriter::Report() const {
  std::lock_guard lock(FLock);
  return FReport;
}

void TCaptureWriter::WaitWritten() {
  std::unique_lock lock(FLock);
  FWritten.wait(lock, [this] { return FBlocksDone == FBlocksSubmitted || !FThread.joinable(); });
}

void TCaptureWriter::Stop() {
  if (!FThread.joinable()) return;
  {
    std::lock_guard lock(FLock);
    FStopRequested = true;
  }
  FWake.notify_one();
  FThread.join();
}

void TCaptureWriter::Execute() {
  auto lastSync = std::chrono::steady_clock::now();
  bool unsynced = false;
  std::deque<TBlock> blocks;
  for (;;) {
    bool stop = false;
    {
      std::unique_lock lock(FLock);
      FWake.wait_for(lock, kSyncInterval, [this] { return FStopRequested || !FQueue.empty(); });
      blocks.swap(FQueue);
      stop = FStopRequested;
    }
    for (const TBlock& block : blocks) unsynced = WriteBlock(block) || unsynced;
    {
      std::lock_guard lock(FLock);
      FBlocksDone += blocks.size();
    }
    FWritten.notify_all();
    blocks.clear();
    // A crash of the program loses nothing the kernel has; the sync is for the machine's.
    const auto now = std::chrono::steady_clock::now();
    if (unsynced && (stop || now - lastSync >= kSyncInterval)) {
      ::fdatasync(FFd);
      lastSync = now;
      unsynced = false;
    }
    if (stop) break;
  }
  ::close(FFd);
  FFd = -1;
}

bool TCaptureWriter::WriteBlock(const TBlock& block) {
  if (FFailed) return false;
  const int failure = WriteAll(FFd, block.Bytes.data(), block.Bytes.size());
  if (failure != 0) {
    Fail(failure);
    return false;
  }
  FGoodBytes += static_cast<std::int64_t>(block.Bytes.size());
  std::lock_guard lock(FLock);
  FReport.RowsWritten += block.Rows;
  return true;
}

void TCaptureWriter::Fail(int error) {
  FFailed = true;
  // A part of the block may have reached the file: it goes, so the file ends in a whole block
  // (a reader would pass over the torn one anyway).
  if (::ftruncate(FFd, FGoodBytes) == 0) ::lseek(FFd, FGoodBytes, SEEK_SET);
  std::lock_guard lock(FLock);
  FReport.Failed = true;
  FReport.Error = std::strerror(error);
}
