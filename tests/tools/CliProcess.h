#pragma once
// ferrolux-cli started as a separate process, its output collected from files.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

struct TCliRun {
  int ExitStatus = -1;
  std::string Out;
  std::string Err;
};

class TCliProcess {
 public:
  using TEnvironment = std::vector<std::pair<std::string, std::string>>;

  TCliProcess(const std::string& dir, const std::vector<std::string>& args, const TEnvironment& env = {})
      : FOut(dir + "/out.txt"), FErr(dir + "/err.txt") {
    FPid = fork();
    if (FPid == 0) {
      for (const auto& [name, value] : env) setenv(name.c_str(), value.c_str(), 1);
      const int out = open(FOut.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      const int err = open(FErr.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      dup2(out, 1);
      dup2(err, 2);
      std::vector<char*> argv{const_cast<char*>(FERROLUX_CLI)};
      for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      execv(FERROLUX_CLI, argv.data());
      _exit(127);
    }
  }
  void Signal(int sig) { kill(FPid, sig); }
  TCliRun Wait(int timeoutMs = 10000) {
    TCliRun run;
    int status = 0;
    for (int waited = 0; waitpid(FPid, &status, WNOHANG) == 0; waited += 10) {
      if (waited > timeoutMs) {
        kill(FPid, SIGKILL);
        waitpid(FPid, &status, 0);
        ADD_FAILURE() << "ferrolux-cli did not finish";
        return run;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    run.ExitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.Out = Slurp(FOut);
    run.Err = Slurp(FErr);
    return run;
  }

 private:
  static std::string Slurp(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  std::string FOut;
  std::string FErr;
  pid_t FPid = -1;
};

inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::stringstream s(text);
  for (std::string line; std::getline(s, line);) lines.push_back(line);
  return lines;
}
