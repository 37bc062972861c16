#pragma once
// ferrolux-sim as a child process with its own XDG_RUNTIME_DIR; killed if the test ends
// before it was stopped. Only this PID is ever signalled.

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

extern char** environ;

class SimProcess {
 public:
  SimProcess(const std::string& program, const std::string& runtimeDir, std::vector<std::string> args) {
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
  ~SimProcess() {
    if (FPid > 0) {
      ::kill(FPid, SIGKILL);
      ::waitpid(FPid, nullptr, 0);
    }
  }
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  // Sends the signal and returns the wait status.
  int Stop(int signal) {
    ::kill(FPid, signal);
    int status = 0;
    ::waitpid(FPid, &status, 0);
    FPid = -1;
    return status;
  }
  [[nodiscard]] bool Started() const { return FPid > 0; }

 private:
  pid_t FPid = -1;
};
