#pragma once
// The calls that need the kernel's CAN protocol family, behind a seam. Everything after the
// bind (time stamps, poll, recvmsg, send, close) works on any datagram socket, so tests put
// one end of a socketpair(AF_UNIX, SOCK_SEQPACKET) carrying struct can_frame behind it.

#include <string>

class TCanSocketApi {
 public:
  virtual ~TCanSocketApi() = default;
  // A raw CAN socket bound to the interface, or -1 with errno set.
  virtual int OpenRaw(const std::string& interfaceName) = 0;
  // Asks for error frames of every class; they arrive with CAN_ERR_FLAG in can_id.
  virtual bool ReceiveErrorFrames(int fd) = 0;
};

// The kernel's raw CAN sockets.
[[nodiscard]] TCanSocketApi& KernelCanSockets();
