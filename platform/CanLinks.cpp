#include "platform/CanLinks.h"

#include <net/if.h>
#include <netlink/errno.h>
#include <netlink/netlink.h>
#include <netlink/route/link.h>
#include <netlink/route/link/can.h>

#include <memory>

namespace {

struct TSocketFree {
  void operator()(nl_sock* socket) const { nl_socket_free(socket); }
};
struct TLinkPut {
  void operator()(rtnl_link* link) const { rtnl_link_put(link); }
};
using TNlSocket = std::unique_ptr<nl_sock, TSocketFree>;
using TLink = std::unique_ptr<rtnl_link, TLinkPut>;

TNlSocket Connect() {
  TNlSocket socket(nl_socket_alloc());
  if (socket && nl_connect(socket.get(), NETLINK_ROUTE) != 0) socket.reset();
  return socket;
}

TLink Fetch(nl_sock* socket, const std::string& name) {
  rtnl_link* link = nullptr;
  if (rtnl_link_get_kernel(socket, 0, name.c_str(), &link) != 0) return TLink();
  return TLink(link);
}

TCanLinkChange Outcome(int error) {
  if (error == 0) return TCanLinkChange::Done;
  return error == -NLE_PERM ? TCanLinkChange::NotPermitted : TCanLinkChange::Failed;
}

class TNetlinkCanLinks final : public TCanLinkApi {
 public:
  std::optional<TCanLinkState> Read(const std::string& interfaceName) override {
    TNlSocket socket = Connect();
    if (!socket) return std::nullopt;
    TLink link = Fetch(socket.get(), interfaceName);
    if (!link) return std::nullopt;
    TCanLinkState state;
    state.Up = (rtnl_link_get_flags(link.get()) & IFF_UP) != 0;
    std::uint32_t bitRate = 0;
    if (rtnl_link_is_can(link.get()) && rtnl_link_can_get_bitrate(link.get(), &bitRate) == 0 && bitRate != 0) {
      state.HasBitTiming = true;
      state.BitRate = bitRate;
    }
    return state;
  }

  TCanLinkChange BringUp(const std::string& interfaceName, std::uint32_t bitRate) override {
    TNlSocket socket = Connect();
    if (!socket) return TCanLinkChange::Failed;
    TLink link = Fetch(socket.get(), interfaceName);
    if (!link) return TCanLinkChange::Failed;
    // The bit timing can only change while the interface is down, so it goes first.
    if (rtnl_link_is_can(link.get())) {
      TLink timing(rtnl_link_alloc());
      rtnl_link_set_type(timing.get(), "can");
      rtnl_link_can_set_bitrate(timing.get(), bitRate);
      if (const int error = rtnl_link_change(socket.get(), link.get(), timing.get(), 0); error != 0) return Outcome(error);
    }
    TLink up(rtnl_link_alloc());
    rtnl_link_set_flags(up.get(), IFF_UP);
    return Outcome(rtnl_link_change(socket.get(), link.get(), up.get(), 0));
  }
};

}  // namespace

TCanLinkApi& NetlinkCanLinks() {
  static TNetlinkCanLinks links;
  return links;
}
