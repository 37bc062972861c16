#pragma once
// Raw access to a serial terminal (a USB-serial tty or a pseudo-terminal): no echo, no line
// discipline, exclusive use, non-blocking I/O.

#include <cstdint>
#include <string>

namespace TtyPort {

// Opens `path` raw and exclusive; returns the descriptor, or -1 with errno set.
int OpenRaw(const std::string& path);
void Close(int fd);

// Any bit rate: standard ones and those the chip can divide to (250000, 10400, ...).
bool SetBaudRate(int fd, std::uint32_t bitsPerSecond);
// wordLength 7 or 8; parity 0 none, 1 odd, 2 even, 3 mark, 4 space.
bool SetLineSettings(int fd, int wordLength, bool twoStopBits, int parity);
bool Flush(int fd, bool input, bool output);

// Bytes in the input / output queue, or -1.
int BytesWaiting(int fd);
int BytesUnsent(int fd);

enum class TWaitResult { Ready, Timeout, HungUp };
// Blocks until input is waiting, the line hung up (adapter unplugged) or the time ran out.
TWaitResult WaitReadable(int fd, int timeoutMs);
// As above for room in the output queue.
TWaitResult WaitWritable(int fd, int timeoutMs);
// True once the other end is gone; never blocks.
bool HungUp(int fd);

}  // namespace TtyPort
