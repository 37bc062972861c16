#pragma once
// The real ferrolux-sim as a child process in its own runtime directory, and the candump
// logs the tests let it replay. The process is killed if a test ends before stopping it.

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "model/CanMsgProg.h"

extern char** environ;

class TSimProcess {
 public:
  // `program` is the path of ferrolux-sim; it announces itself below `runtimeDir`.
  TSimProcess(const std::string& program, const std::string& runtimeDir, std::vector<std::string> args)
      : FRuntimeDir(runtimeDir) {
    std::vector<std::string> env{"XDG_RUNTIME_DIR=" + runtimeDir};
    for (char** e = environ; *e; ++e)
      if (std::strncmp(*e, "XDG_RUNTIME_DIR=", 16) != 0) env.emplace_back(*e);
    args.insert(args.begin(), program);
    std::vector<char*> argv, envp;
    for (auto& a : args) argv.push_back(a.data());
    for (auto& e : env) envp.push_back(e.data());
    argv.push_back(nullptr);
    envp.push_back(nullptr);
    if (::posix_spawn(&FPid, program.c_str(), nullptr, nullptr, argv.data(), envp.data()) != 0) FPid = -1;
  }
  ~TSimProcess() {
    if (FPid > 0) {
      ::kill(FPid, SIGKILL);
      ::waitpid(FPid, nullptr, 0);
    }
  }
  TSimProcess(const TSimProcess&) = delete;
  TSimProcess& operator=(const TSimProcess&) = delete;

  // Sends the signal and returns the wait status.
  int Stop(int signal) {
    ::kill(FPid, signal);
    int status = 0;
    ::waitpid(FPid, &status, 0);
    FPid = -1;
    return status;
  }
  [[nodiscard]] bool Started() const { return FPid > 0; }

  // The announcement file of `serial`, as the device layer finds it.
  [[nodiscard]] std::filesystem::path Announcement(const std::string& serial) const {
    return std::filesystem::path(FRuntimeDir) / "ferrolux" / "devices" / (serial + ".dev");
  }
  // Waits (at most 10 s) until the announcement of `serial` is there or gone.
  [[nodiscard]] bool WaitForAnnouncement(const std::string& serial, bool present = true) const {
    using namespace std::chrono_literals;
    for (auto end = std::chrono::steady_clock::now() + 10s; std::chrono::steady_clock::now() < end;
         std::this_thread::sleep_for(20ms))
      if (std::filesystem::exists(Announcement(serial)) == present) return true;
    return false;
  }

 private:
  std::string FRuntimeDir;
  pid_t FPid = -1;
};

// `count` frames for a replay: identifiers taken in turn from `ids` (above 0x7FF extended),
// data lengths 2..8, the first two data bytes the frame's index.
inline std::vector<TCanMsgProg> ReplayFrames(int count, const std::vector<std::int64_t>& ids) {
  std::vector<TCanMsgProg> frames;
  for (int i = 0; i < count; ++i) {
    TCanMsgProg msg;
    msg.CanId = ids[static_cast<std::size_t>(i) % ids.size()];
    msg.Extended = msg.CanId > 0x7FF;
    msg.DLC = 2 + i % 7;
    msg.Data[0] = static_cast<std::uint8_t>(i >> 8);
    msg.Data[1] = static_cast<std::uint8_t>(i);
    for (int b = 2; b < msg.DLC; ++b) msg.Data[static_cast<std::size_t>(b)] = static_cast<std::uint8_t>(0x10 * b + i % 16);
    frames.push_back(msg);
  }
  return frames;
}

// The frames as a candump log, `spacingUs` apart.
inline void WriteCandumpLog(const std::string& path, const std::vector<TCanMsgProg>& frames, std::int64_t spacingUs) {
  std::ofstream out(path);
  std::int64_t us = 1'700'000'000'000'000;
  for (const TCanMsgProg& msg : frames) {
    char head[64];
    std::snprintf(head, sizeof head, msg.Extended ? "(%lld.%06lld) can0 %08llX#" : "(%lld.%06lld) can0 %03llX#",
                  static_cast<long long>(us / 1'000'000), static_cast<long long>(us % 1'000'000),
                  static_cast<unsigned long long>(msg.CanId));
    out << head;
    for (int b = 0; b < msg.DLC; ++b) {
      char byte[3];
      std::snprintf(byte, sizeof byte, "%02X", msg.Data[static_cast<std::size_t>(b)]);
      out << byte;
    }
    out << '\n';
    us += spacingUs;
  }
}
