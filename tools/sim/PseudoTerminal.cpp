#include "tools/sim/PseudoTerminal.h"

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace {
[[noreturn]] void Fail(const char* what) { throw std::system_error(errno, std::generic_category(), what); }
}  // namespace

TPseudoTerminal::TPseudoTerminal() {
  FMaster = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (FMaster < 0) Fail("posix_openpt");
  char name[128];
  if (::grantpt(FMaster) != 0 || ::unlockpt(FMaster) != 0 || ::ptsname_r(FMaster, name, sizeof name) != 0) {
    const int saved = errno;
    ::close(FMaster);
    errno = saved;
    Fail("pseudo-terminal slave");
  }
  FSlavePath = name;
  FSlave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  // No echo, no line editing, no CR/LF translation: the line protocol passes byte for byte.
  termios settings{};
  const bool raw = FSlave >= 0 && ::tcgetattr(FSlave, &settings) == 0 &&
                   (::cfmakeraw(&settings), ::tcsetattr(FSlave, TCSANOW, &settings) == 0);
  if (!raw) {
    const int saved = errno;
    if (FSlave >= 0) ::close(FSlave);
    ::close(FMaster);
    errno = saved;
    Fail(FSlavePath.c_str());
  }
  ::fcntl(FMaster, F_SETFL, ::fcntl(FMaster, F_GETFL) | O_NONBLOCK);
}

TPseudoTerminal::~TPseudoTerminal() {
  ::close(FSlave);
  ::close(FMaster);
}
