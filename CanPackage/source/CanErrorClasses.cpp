#include "CanPackage/source/CanErrorClasses.h"

#include <linux/can.h>
#include <linux/can/error.h>

namespace {
constexpr std::uint32_t Bit(TCanErrorClass errorClass) { return 1U << static_cast<unsigned>(errorClass); }
}  // namespace

TCanErrorReport ReadErrorFrame(std::uint32_t canId, const std::uint8_t* data) {
  TCanErrorReport report;
  const auto state = [&](TCanBusState s) {
    report.StateKnown = true;
    report.State = s;
  };
  if (canId & CAN_ERR_CRTL) {
    const std::uint8_t controller = data[1];
    if (controller & (CAN_ERR_CRTL_RX_WARNING | CAN_ERR_CRTL_TX_WARNING)) {
      report.Classes |= Bit(TCanErrorClass::Warning);
      state(TCanBusState::Warning);
    }
    if (controller & (CAN_ERR_CRTL_RX_PASSIVE | CAN_ERR_CRTL_TX_PASSIVE)) {
      report.Classes |= Bit(TCanErrorClass::ErrorPassive);
      state(TCanBusState::ErrorPassive);
    }
    if (controller & CAN_ERR_CRTL_ACTIVE) state(TCanBusState::ErrorActive);
  }
  if (canId & CAN_ERR_PROT) {
    const std::uint8_t kind = data[2], location = data[3];
    if (kind & CAN_ERR_PROT_STUFF) report.Classes |= Bit(TCanErrorClass::Stuff);
    if (kind & CAN_ERR_PROT_FORM) report.Classes |= Bit(TCanErrorClass::Form);
    if (kind & (CAN_ERR_PROT_BIT | CAN_ERR_PROT_BIT0 | CAN_ERR_PROT_BIT1)) report.Classes |= Bit(TCanErrorClass::Bit);
    if (location == CAN_ERR_PROT_LOC_CRC_SEQ || location == CAN_ERR_PROT_LOC_CRC_DEL) report.Classes |= Bit(TCanErrorClass::Crc);
  }
  if (canId & CAN_ERR_ACK) report.Classes |= Bit(TCanErrorClass::Ack);
  if (canId & CAN_ERR_BUSOFF) {
    report.Classes |= Bit(TCanErrorClass::BusOff);
    state(TCanBusState::BusOff);
  }
  if (canId & CAN_ERR_RESTARTED) {
    report.Classes |= Bit(TCanErrorClass::Restarted);
    state(TCanBusState::ErrorActive);
  }
  return report;
}

const char* CanErrorClassName(TCanErrorClass errorClass) {
  static const char* const kNames[kCanErrorClasses] = {"bus-off", "error passive", "warning", "stuff", "form",
                                                       "ACK",     "bit",           "CRC",     "restarts"};
  return kNames[static_cast<std::size_t>(errorClass)];
}

const char* CanBusStateName(TCanBusState state) {
  static const char* const kNames[] = {"error active", "warning", "error passive", "bus-off"};
  return kNames[static_cast<std::size_t>(state)];
}
