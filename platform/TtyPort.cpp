#include "platform/TtyPort.h"

// The kernel's termios2 carries arbitrary bit rates; it cannot be mixed with <termios.h>,
// so every terminal setting of this program lives in this file.
#include <asm/termbits.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>

namespace TtyPort {

namespace {

bool GetSettings(int fd, termios2& settings) { return ioctl(fd, TCGETS2, &settings) == 0; }
bool PutSettings(int fd, const termios2& settings) { return ioctl(fd, TCSETS2, &settings) == 0; }

void MakeRaw(termios2& t) {
  t.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY);
  t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
  t.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
  t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
  t.c_cflag |= CS8 | CLOCAL | CREAD;
  // With O_NONBLOCK, VMIN 1 makes an empty queue read as EAGAIN and a hang-up as 0 / EIO.
  t.c_cc[VMIN] = 1;
  t.c_cc[VTIME] = 0;
}

TWaitResult Wait(int fd, short events, int timeoutMs) {
  pollfd p{fd, events, 0};
  int n;
  do n = poll(&p, 1, timeoutMs);
  while (n < 0 && errno == EINTR);
  if (n < 0 || (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) return TWaitResult::HungUp;
  return n == 0 ? TWaitResult::Timeout : TWaitResult::Ready;
}

}  // namespace

int OpenRaw(const std::string& path) {
  const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return -1;
  termios2 settings{};
  if (ioctl(fd, TIOCEXCL) != 0 || !GetSettings(fd, settings)) {
    const int error = errno;
    close(fd);
    errno = error;
    return -1;
  }
  MakeRaw(settings);
  if (!PutSettings(fd, settings)) {
    const int error = errno;
    close(fd);
    errno = error;
    return -1;
  }
  return fd;
}

void Close(int fd) {
  if (fd >= 0) close(fd);
}

bool SetBaudRate(int fd, std::uint32_t bitsPerSecond) {
  termios2 t{};
  if (bitsPerSecond == 0 || !GetSettings(fd, t)) return false;
  t.c_cflag &= ~static_cast<tcflag_t>(CBAUD | (CBAUD << IBSHIFT));
  t.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
  t.c_ispeed = bitsPerSecond;
  t.c_ospeed = bitsPerSecond;
  return PutSettings(fd, t);
}

bool SetLineSettings(int fd, int wordLength, bool twoStopBits, int parity) {
  termios2 t{};
  if ((wordLength != 7 && wordLength != 8) || parity < 0 || parity > 4 || !GetSettings(fd, t)) return false;
  t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | CSTOPB | PARENB | PARODD | CMSPAR);
  t.c_cflag |= wordLength == 7 ? CS7 : CS8;
  if (twoStopBits) t.c_cflag |= CSTOPB;
  static constexpr tcflag_t kParity[] = {0, PARENB | PARODD, PARENB, PARENB | CMSPAR | PARODD, PARENB | CMSPAR};
  t.c_cflag |= kParity[parity];
  return PutSettings(fd, t);
}

bool Flush(int fd, bool input, bool output) {
  if (!input && !output) return true;
  const int which = input && output ? TCIOFLUSH : (input ? TCIFLUSH : TCOFLUSH);
  return ioctl(fd, TCFLSH, which) == 0;
}

int BytesWaiting(int fd) {
  int count = 0;
  return ioctl(fd, FIONREAD, &count) == 0 ? count : -1;
}

int BytesUnsent(int fd) {
  int count = 0;
  return ioctl(fd, TIOCOUTQ, &count) == 0 ? count : -1;
}

TWaitResult WaitReadable(int fd, int timeoutMs) { return Wait(fd, POLLIN, timeoutMs); }
TWaitResult WaitWritable(int fd, int timeoutMs) { return Wait(fd, POLLOUT, timeoutMs); }
bool HungUp(int fd) { return Wait(fd, 0, 0) == TWaitResult::HungUp; }

}  // namespace TtyPort
