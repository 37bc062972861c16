#pragma once
// What a SocketCAN error frame says, by class: the controller's state (warning, error passive,
// bus-off, back to error active, restarted) and the protocol errors (stuff, form, bit, CRC,
// a missing ACK). The kernel's error frame carries them in its identifier bits and data bytes
// 1 to 3 (<linux/can/error.h>).

#include <array>
#include <cstdint>

enum class TCanErrorClass : std::uint8_t { BusOff, ErrorPassive, Warning, Stuff, Form, Ack, Bit, Crc, Restarted };
inline constexpr std::size_t kCanErrorClasses = 9;

// The bus state an error frame leaves the controller in.
enum class TCanBusState : std::uint8_t { ErrorActive, Warning, ErrorPassive, BusOff };

struct TCanErrorReport {
  std::uint32_t Classes = 0;  // bit (1 << class) for each class the frame reports
  bool StateKnown = false;    // the frame says which state the controller is in
  TCanBusState State = TCanBusState::ErrorActive;
};

[[nodiscard]] TCanErrorReport ReadErrorFrame(std::uint32_t canId, const std::uint8_t* data);
[[nodiscard]] const char* CanErrorClassName(TCanErrorClass errorClass);
[[nodiscard]] const char* CanBusStateName(TCanBusState state);

// Counts per class since the channel was opened, the time of the last error frame and the state.
struct TCanErrorCounts {
  std::array<std::uint64_t, kCanErrorClasses> Count{};
  std::int64_t LastMs = -1;  // the kernel's stamp of the last error frame; -1 before the first
  TCanBusState State = TCanBusState::ErrorActive;
  std::uint64_t KernelDrops = 0;  // frames the kernel dropped because the program's socket queue was full
};
