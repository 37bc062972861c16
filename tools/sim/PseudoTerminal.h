#pragma once
// A pseudo-terminal in raw mode whose slave side stays open for the object's lifetime, so a
// program may open and close the slave as often as it likes without hanging the line up.

#include <string>

class TPseudoTerminal {
 public:
  TPseudoTerminal();  // throws std::system_error
  ~TPseudoTerminal();
  TPseudoTerminal(const TPseudoTerminal&) = delete;
  TPseudoTerminal& operator=(const TPseudoTerminal&) = delete;

  [[nodiscard]] int MasterFd() const { return FMaster; }  // non-blocking
  [[nodiscard]] const std::string& SlavePath() const { return FSlavePath; }

 private:
  int FMaster = -1;
  int FSlave = -1;
  std::string FSlavePath;
};
