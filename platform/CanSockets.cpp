#include "platform/CanSockets.h"

#include <cerrno>
#include <cstring>
#include <linux/can.h>
#include <linux/can/error.h>
#include <linux/can/raw.h>
#include <net/if.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

class TKernelCanSockets final : public TCanSocketApi {
 public:
  int OpenRaw(const std::string& interfaceName) override {
    if (interfaceName.empty() || interfaceName.size() >= IFNAMSIZ) {
      errno = ENODEV;
      return -1;
    }
    const unsigned index = if_nametoindex(interfaceName.c_str());
    if (index == 0) return -1;
    const int fd = socket(PF_CAN, SOCK_RAW | SOCK_CLOEXEC, CAN_RAW);
    if (fd < 0) return -1;
    sockaddr_can address{};
    address.can_family = AF_CAN;
    address.can_ifindex = static_cast<int>(index);
    if (bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
      const int error = errno;
      close(fd);
      errno = error;
      return -1;
    }
    return fd;
  }

  bool ReceiveErrorFrames(int fd) override {
    const can_err_mask_t mask = CAN_ERR_MASK;
    return setsockopt(fd, SOL_CAN_RAW, CAN_RAW_ERR_FILTER, &mask, sizeof mask) == 0;
  }
};

}  // namespace

TCanSocketApi& KernelCanSockets() {
  static TKernelCanSockets sockets;
  return sockets;
}
