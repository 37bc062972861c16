#pragma once
// State and bit timing of CAN network interfaces through rtnetlink (libnl-route-3), behind a
// seam so the driver can be tested on machines without CAN interfaces.

#include <cstdint>
#include <optional>
#include <string>

struct TCanLinkState {
  bool Up = false;
  bool HasBitTiming = false;  // a virtual interface (vcan) has none
  std::uint32_t BitRate = 0;  // bit/s, when HasBitTiming
};

enum class TCanLinkChange { Done, NotPermitted, Failed };

class TCanLinkApi {
 public:
  virtual ~TCanLinkApi() = default;
  // Nothing when the interface is unknown or netlink cannot be asked.
  [[nodiscard]] virtual std::optional<TCanLinkState> Read(const std::string& interfaceName) = 0;
  // Sets the bit rate (where the interface has bit timing) and brings the interface up.
  [[nodiscard]] virtual TCanLinkChange BringUp(const std::string& interfaceName, std::uint32_t bitRate) = 0;
};

[[nodiscard]] TCanLinkApi& NetlinkCanLinks();
