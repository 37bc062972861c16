#pragma once
// A scripted serial adapter on a pseudo-terminal, announced as a virtual device so that the
// real device layer lists and opens it. Its thread reads the commands the driver sends and
// answers each with what the responder returns; tests can also push bytes (frame lines,
// garbage) at any time, or hang up to play an unplugged adapter.

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/VirtualDevices.h"

// Points XDG_RUNTIME_DIR at a fresh directory for the lifetime of the object.
class TScopedRuntimeDir {
 public:
  TScopedRuntimeDir() {
    if (const char* old = std::getenv("XDG_RUNTIME_DIR")) FOld = old, FHadOld = true;
    std::string pattern = (std::filesystem::temp_directory_path() / "ferrolux-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    FPath = pattern;
    setenv("XDG_RUNTIME_DIR", FPath.c_str(), 1);
  }
  ~TScopedRuntimeDir() {
    if (FHadOld) setenv("XDG_RUNTIME_DIR", FOld.c_str(), 1);
    else unsetenv("XDG_RUNTIME_DIR");
    std::error_code ec;
    std::filesystem::remove_all(FPath, ec);
  }
  TScopedRuntimeDir(const TScopedRuntimeDir&) = delete;
  TScopedRuntimeDir& operator=(const TScopedRuntimeDir&) = delete;
  [[nodiscard]] const std::string& Path() const { return FPath; }

 private:
  std::string FPath;
  std::string FOld;
  bool FHadOld = false;
};

// Answers like a well-behaved adapter: CR for set-up and channel commands, "V1013" for the
// version, "z" / "Z" for transmitted frames.
inline std::string StandardReply(const std::string& command) {
  if (command == "V") return "V1013\r";
  if (!command.empty() && (command[0] == 't' || command[0] == 'r')) return "z\r";
  if (!command.empty() && (command[0] == 'T' || command[0] == 'R')) return "Z\r";
  return "\r";
}

class TPtyAdapter {
 public:
  using TResponder = std::function<std::string(const std::string& command)>;

  explicit TPtyAdapter(std::string serial = "PTY00001", std::string description = "CAN-IF") : FSerial(std::move(serial)) {
    FMaster = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    char name[128] = {};
    if (FMaster < 0 || grantpt(FMaster) != 0 || unlockpt(FMaster) != 0 || ptsname_r(FMaster, name, sizeof name) != 0)
      throw std::runtime_error("no pseudo-terminal");
    FTtyPath = name;
    FAnnouncement = AnnounceVirtualDevice(FSerial, description, FTtyPath);
    FThread = std::thread([this] { Run(); });
  }

  ~TPtyAdapter() {
    Stop();
    WithdrawVirtualDevice(FSerial);
    if (FMaster >= 0) close(FMaster);
  }
  TPtyAdapter(const TPtyAdapter&) = delete;
  TPtyAdapter& operator=(const TPtyAdapter&) = delete;

  void SetResponder(TResponder responder) {
    std::lock_guard lock(FLock);
    FResponder = std::move(responder);
  }

  // Writes bytes to the driver's side, blocking while the terminal's input queue is full.
  void Send(std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size() && !FStop.load()) {
      const ssize_t n = write(FMaster, bytes.data() + done, bytes.size() - done);
      if (n > 0) done += static_cast<std::size_t>(n);
      else if (n < 0 && errno != EINTR && errno != EAGAIN) break;
    }
  }

  // The adapter is unplugged: the driver's side sees a hang-up.
  void Hangup() {
    Stop();
    close(FMaster);
    FMaster = -1;
  }

  [[nodiscard]] std::vector<std::string> Commands() {
    std::lock_guard lock(FLock);
    return FCommands;
  }
  // Waits until `count` commands have arrived.
  bool WaitForCommands(std::size_t count, int timeoutMs = 2000) {
    std::unique_lock lock(FLock);
    return FArrived.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return FCommands.size() >= count; });
  }
  void ClearCommands() {
    std::lock_guard lock(FLock);
    FCommands.clear();
  }

  [[nodiscard]] const std::string& Serial() const { return FSerial; }
  [[nodiscard]] const std::string& TtyPath() const { return FTtyPath; }
  [[nodiscard]] const std::string& Announcement() const { return FAnnouncement; }

 private:
  void Stop() {
    FStop.store(true);
    if (FThread.joinable()) FThread.join();
  }

  void Run() {
    std::string line;
    char buffer[256];
    while (!FStop.load()) {
      pollfd p{FMaster, POLLIN, 0};
      if (poll(&p, 1, 20) <= 0) continue;
      const ssize_t n = (p.revents & POLLIN) != 0 ? read(FMaster, buffer, sizeof buffer) : -1;
      if (n <= 0) {  // no driver side open (yet or any more)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        continue;
      }
      for (ssize_t i = 0; i < n; ++i) {
        if (buffer[i] != '\r') {
          line.push_back(buffer[i]);
          continue;
        }
        Answer(line);
        line.clear();
      }
    }
  }

  void Answer(const std::string& command) {
    std::string reply;
    {
      std::lock_guard lock(FLock);
      FCommands.push_back(command);
      reply = FResponder ? FResponder(command) : StandardReply(command);
    }
    FArrived.notify_all();
    Send(reply);
  }

  std::string FSerial;
  std::string FTtyPath;
  std::string FAnnouncement;
  int FMaster = -1;
  std::thread FThread;
  std::atomic<bool> FStop{false};
  std::mutex FLock;
  std::condition_variable FArrived;
  TResponder FResponder;
  std::vector<std::string> FCommands;
};
