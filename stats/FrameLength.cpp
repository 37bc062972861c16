#include "stats/FrameLength.h"

#include <array>

namespace {

constexpr std::uint16_t kCrc15Polynomial = 0x4599;
constexpr int kFixedTail = 1 + 1 + 1 + 7 + 3;  // CRC delimiter, ACK slot and delimiter, EOF, IFS

// A frame's header is 19 or 39 bits, so the data bytes and the CRC sit at the same offset in
// every frame of a kind: the header splits into a few leading bits and whole bytes, the data
// bytes are taken as they are, and the CRC into a byte and seven bits. Prepended zero bits
// change no CRC (it starts at 0), so the CRC runs over the header padded to whole bytes.
struct TCrcTable {
  std::array<std::uint16_t, 256> Next{};
  constexpr TCrcTable() {
    for (unsigned byte = 0; byte < 256; ++byte) {
      std::uint16_t crc = static_cast<std::uint16_t>(byte << 7);
      for (int bit = 0; bit < 8; ++bit)
        crc = static_cast<std::uint16_t>(((crc & 0x4000U) ? ((crc << 1) ^ kCrc15Polynomial) : (crc << 1)) & 0x7FFFU);
      Next[byte] = crc;
    }
  }
};
constexpr TCrcTable kCrcTable;

// The same for a byte followed by one to seven zero bytes: the CRC is linear, so four or eight
// data bytes are as many independent lookups instead of a chain.
struct TCrcSlices {
  std::array<std::array<std::uint16_t, 256>, 8> Next{};
  constexpr TCrcSlices() {
    for (unsigned byte = 0; byte < 256; ++byte) {
      std::uint16_t crc = kCrcTable.Next[byte];
      Next[0][byte] = crc;
      for (std::size_t k = 1; k < 8; ++k) {
        crc = static_cast<std::uint16_t>(((crc << 8) & 0x7FFFU) ^ kCrcTable.Next[(crc >> 7) & 0xFFU]);
        Next[k][byte] = crc;
      }
    }
  }
};
constexpr TCrcSlices kCrcSlices;

std::uint16_t CrcBit(std::uint16_t crc, unsigned bit) {
  const bool top = ((crc >> 14) & 1U) != bit;
  crc = static_cast<std::uint16_t>((crc << 1) & 0x7FFFU);
  return top ? static_cast<std::uint16_t>(crc ^ kCrc15Polynomial) : crc;
}

// Stuffing as a machine over whole bytes. Its state is the value of the last bit and the length
// of its run, 1 to 4 (a fifth equal bit gets its stuff bit, which starts a run of one): eight
// states, state = 4 x bit + run - 1. A stream's start acts as a run of the other value.
constexpr int kStates = 8;
constexpr int StateOf(unsigned bit, int run) { return static_cast<int>(bit) * 4 + run - 1; }

struct TStuffMachine {
  unsigned Bit = 0;
  int Run = 0;
  int Stuffed = 0;
  constexpr TStuffMachine() = default;
  constexpr explicit TStuffMachine(int state) : Bit(static_cast<unsigned>(state) >> 2), Run((state & 3) + 1) {}
  constexpr void Feed(unsigned bit) {
    if (Run > 0 && bit == Bit) {
      if (++Run == 5) {  // five equal bits: one of the other value, which starts a run of one
        ++Stuffed;
        Bit ^= 1U;
        Run = 1;
      }
    } else {
      Bit = bit;
      Run = 1;
    }
  }
  [[nodiscard]] constexpr int State() const { return StateOf(Bit, Run); }
};

// One entry per byte holds the step from every state at once, a byte per state: the stuff
// bits (0 to 2) in its low bits and 8 x the next state above them. Stepping is then a shift
// and a mask on the entry, and the entries' loads depend only on the data, never on the state
// before: the chain from byte to byte is two instructions, not a load.
constexpr std::uint64_t kStuffedMask = 0x3;
constexpr std::uint64_t kShiftMask = 0x38;
struct TStuffTable {
  std::array<std::uint64_t, 256> Step{};
  constexpr TStuffTable() {
    for (unsigned byte = 0; byte < 256; ++byte)
      for (int state = 0; state < kStates; ++state) {
        TStuffMachine m(state);
        for (int bit = 7; bit >= 0; --bit) m.Feed((byte >> bit) & 1U);
        Step[byte] |= static_cast<std::uint64_t>(m.Stuffed | m.State() << 3) << (8 * state);
      }
  }
};
constexpr TStuffTable kStuffTable;

// Where stuffing stands: the stuff bits so far and the state as the entries' shift.
struct TStuffCount {
  std::uint32_t Shift = 0;  // 8 x the state
  std::uint32_t Stuffed = 0;
  void Byte(std::uint8_t byte) {
    const std::uint64_t step = kStuffTable.Step[byte] >> Shift;
    Stuffed += static_cast<std::uint32_t>(step & kStuffedMask);
    Shift = static_cast<std::uint32_t>(step & kShiftMask);
  }
  [[nodiscard]] int State() const { return static_cast<int>(Shift >> 3); }
};

// The first `count` bits (1 to 7) of a stream, from its start: the stuff bits, and the state
// as a step's shift (8 x state).
struct TStuffStep {
  std::uint8_t Stuffed = 0;
  std::uint8_t Shift = 0;
};
struct TFirstBitsTable {
  std::array<std::array<TStuffStep, 128>, 8> Step{};
  constexpr TFirstBitsTable() {
    for (int count = 1; count < 8; ++count)
      for (unsigned value = 0; value < (1U << count); ++value) {
        TStuffMachine m;
        for (int bit = count - 1; bit >= 0; --bit) m.Feed((value >> bit) & 1U);
        Step[static_cast<std::size_t>(count)][value] = {static_cast<std::uint8_t>(m.Stuffed),
                                                        static_cast<std::uint8_t>(8 * m.State())};
      }
  }
};
constexpr TFirstBitsTable kFirstBitsTable;

// The stuff bits of the last seven bits of a stream (the low bits of the CRC) from every
// state, four bits per state.
struct TLastBitsTable {
  std::array<std::uint32_t, 128> Stuffed{};
  constexpr TLastBitsTable() {
    for (unsigned value = 0; value < 128; ++value)
      for (int state = 0; state < kStates; ++state) {
        TStuffMachine m(state);
        for (int bit = 6; bit >= 0; --bit) m.Feed((value >> bit) & 1U);
        Stuffed[value] |= static_cast<std::uint32_t>(m.Stuffed) << (4 * state);
      }
  }
};
constexpr TLastBitsTable kLastBitsTable;

class TFrameStream {
 public:
  TFrameStream() = default;
  explicit TFrameStream(TFrameHeaderState header)
      : FCrc(static_cast<std::uint16_t>(header.Crc)), FStuff{header.StuffState, header.Stuffed} {}
  void Crc(std::uint8_t byte) { FCrc = static_cast<std::uint16_t>(((FCrc << 8) & 0x7FFFU) ^ kCrcTable.Next[((FCrc >> 7) ^ byte) & 0xFFU]); }
  void Stuff(std::uint8_t byte) { FStuff.Byte(byte); }
  // The header: `lead` bits then `bytes` whole bytes, all in `header`'s low bits.
  void Header(std::uint64_t header, int lead, int bytes) {
    for (int i = bytes; i >= 0; --i) Crc(static_cast<std::uint8_t>(header >> (8 * i)));
    const TStuffStep first = kFirstBitsTable.Step[static_cast<std::size_t>(lead)][(header >> (8 * bytes)) & ((1U << lead) - 1U)];
    FStuff = {first.Shift, first.Stuffed};
    for (int i = bytes - 1; i >= 0; --i) Stuff(static_cast<std::uint8_t>(header >> (8 * i)));
  }
  void Data(std::uint8_t byte) {
    Crc(byte);
    Stuff(byte);
  }
  // `count` bytes (4 or 8) at once: the register's 15 bits sit above them and are all shifted
  // out by them, so each byte is an independent lookup.
  template <int count>
  void DataBlock(const std::uint8_t* bytes) {
    static_assert(count == 4 || count == 8);
    std::uint64_t x = std::uint64_t{FCrc} << (8 * count - 15);
#pragma GCC unroll 8
    for (int i = 0; i < count; ++i) x ^= std::uint64_t{bytes[i]} << (8 * (count - 1 - i));
    std::uint32_t crc = 0;
#pragma GCC unroll 8
    for (int i = 0; i < count; ++i) crc ^= kCrcSlices.Next[static_cast<std::size_t>(i)][(x >> (8 * i)) & 0xFFU];
    FCrc = static_cast<std::uint16_t>(crc);
#pragma GCC unroll 8
    for (int i = 0; i < count; ++i) Stuff(bytes[i]);
  }
  [[nodiscard]] TFrameHeaderState State(int bits) const { return {FCrc, FStuff.Shift, FStuff.Stuffed, static_cast<std::uint32_t>(bits)}; }
  // The CRC's 15 bits close the stuffed part; the stuff bits it got in all.
  [[nodiscard]] int Finish() {
    Stuff(static_cast<std::uint8_t>(FCrc >> 7));
    return static_cast<int>(FStuff.Stuffed + ((kLastBitsTable.Stuffed[FCrc & 0x7FU] >> (4 * FStuff.State())) & 0xFU));
  }

 private:
  std::uint16_t FCrc = 0;
  TStuffCount FStuff;
};

}  // namespace

std::uint16_t CanCrc15(const std::uint8_t* stream, int bits) {
  std::uint16_t crc = 0;
  int bit = 0;
  for (; bit + 8 <= bits; bit += 8) crc = static_cast<std::uint16_t>(((crc << 8) & 0x7FFFU) ^ kCrcTable.Next[((crc >> 7) ^ stream[bit >> 3]) & 0xFFU]);
  for (; bit < bits; ++bit) crc = CrcBit(crc, (stream[bit >> 3] >> (7 - (bit & 7))) & 1U);
  return crc;
}

int CanStuffBits(const std::uint8_t* stream, int bits) {
  if (bits <= 0) return 0;
  // The start acts as a run of the value the first bit is not.
  TStuffCount count{static_cast<std::uint32_t>(8 * StateOf((stream[0] >> 7) ^ 1U, 1)), 0};
  int bit = 0;
  for (; bit + 8 <= bits; bit += 8) count.Byte(stream[bit >> 3]);
  TStuffMachine m(count.State());
  for (; bit < bits; ++bit) m.Feed((stream[bit >> 3] >> (7 - (bit & 7))) & 1U);
  return static_cast<int>(count.Stuffed) + m.Stuffed;
}

namespace {

// The frame's header into `stream`; returns its length in bits.
[[gnu::always_inline]] inline int Header(const TCanMsgProg& msg, TFrameStream& stream) {
  const auto id = static_cast<std::uint32_t>(msg.CanId);
  const std::uint64_t rtr = msg.RTR ? 1U : 0U;
  const auto dlc = static_cast<std::uint64_t>(msg.DLC) & 0xFU;
  if (msg.Extended) {  // SOF 0, base identifier, SRR 1, IDE 1, extension, RTR, r1 0, r0 0, DLC: 7 + 4 x 8
    stream.Header((std::uint64_t{(id >> 18) & 0x7FFU} << 27) | (std::uint64_t{3} << 25) | (std::uint64_t{id & 0x3FFFFU} << 7) |
                      (rtr << 6) | dlc,
                  7, 4);
    return 39;
  }
  // SOF 0, identifier, RTR, IDE 0, r0 0, DLC: 3 + 2 x 8
  stream.Header((std::uint64_t{id & 0x7FFU} << 7) | (rtr << 6) | dlc, 3, 2);
  return 19;
}

// The data bytes, the CRC and the fixed tail after a header of `bits` bits.
[[gnu::always_inline]] inline int Rest(const TCanMsgProg& msg, TFrameStream& stream, int bits) {
  if (!msg.RTR) {
    const int bytes = msg.UsedBytes();
    int i = 0;
    for (; i + 8 <= bytes; i += 8) stream.DataBlock<8>(&msg.Data[static_cast<std::size_t>(i)]);
    for (; i + 4 <= bytes; i += 4) stream.DataBlock<4>(&msg.Data[static_cast<std::size_t>(i)]);
    for (; i < bytes; ++i) stream.Data(msg.Data[static_cast<std::size_t>(i)]);
    bits += 8 * bytes;
  }
  return bits + 15 + stream.Finish() + kFixedTail;
}

}  // namespace

TFrameHeaderState FrameHeaderState(const TCanMsgProg& msg) {
  TFrameStream stream;
  const int bits = Header(msg, stream);
  return stream.State(bits);
}

int FrameBitsOnWire(TFrameHeaderState header, const TCanMsgProg& msg) {
  TFrameStream stream(header);
  return Rest(msg, stream, static_cast<int>(header.Bits));
}

int FrameBitsOnWire(const TCanMsgProg& msg) {
  TFrameStream stream;
  const int bits = Header(msg, stream);
  return Rest(msg, stream, bits);
}
