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

// The same for a byte followed by one, two and three zero bytes: the CRC is linear, so four
// data bytes are four independent lookups instead of a chain of four.
struct TCrcSlices {
  std::array<std::array<std::uint16_t, 256>, 4> Next{};
  constexpr TCrcSlices() {
    for (unsigned byte = 0; byte < 256; ++byte) {
      std::uint16_t crc = kCrcTable.Next[byte];
      Next[0][byte] = crc;
      for (std::size_t k = 1; k < 4; ++k) {
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

// Stuffing as a machine over whole bytes: the state is the value of the last bit and the
// length of its run (1 to 5; 0 at the start of the stream); each entry gives the stuff bits a
// byte gets from that state and the state after it.
struct TStuffStep {
  std::uint8_t Stuffed = 0;
  std::uint8_t State = 0;
};
constexpr int kStates = 11;  // 0 start, 1-5 runs of 0s, 6-10 runs of 1s
constexpr int StateOf(unsigned bit, int run) { return run == 0 ? 0 : (bit ? 5 : 0) + run; }

struct TStuffMachine {
  unsigned Bit = 0;
  int Run = 0;
  int Stuffed = 0;
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
};

struct TStuffTable {
  std::array<std::array<TStuffStep, 256>, kStates> Step{};
  constexpr TStuffTable() {
    for (int state = 0; state < kStates; ++state)
      for (unsigned byte = 0; byte < 256; ++byte) {
        TStuffMachine m{state > 5 ? 1U : 0U, state == 0 ? 0 : (state > 5 ? state - 5 : state), 0};
        for (int bit = 7; bit >= 0; --bit) m.Feed((byte >> bit) & 1U);
        Step[static_cast<std::size_t>(state)][byte] = {static_cast<std::uint8_t>(m.Stuffed),
                                                       static_cast<std::uint8_t>(StateOf(m.Bit, m.Run))};
      }
  }
};
constexpr TStuffTable kStuffTable;

// The first `count` bits (1 to 7) of a stream, from the start state.
struct TFirstBitsTable {
  std::array<std::array<TStuffStep, 128>, 8> Step{};
  constexpr TFirstBitsTable() {
    for (int count = 1; count < 8; ++count)
      for (unsigned value = 0; value < (1U << count); ++value) {
        TStuffMachine m;
        for (int bit = count - 1; bit >= 0; --bit) m.Feed((value >> bit) & 1U);
        Step[static_cast<std::size_t>(count)][value] = {static_cast<std::uint8_t>(m.Stuffed),
                                                        static_cast<std::uint8_t>(StateOf(m.Bit, m.Run))};
      }
  }
};
constexpr TFirstBitsTable kFirstBitsTable;

// The last seven bits of a stream from any state: the low bits of the CRC.
struct TLastBitsTable {
  std::array<std::array<std::uint8_t, 128>, kStates> Stuffed{};
  constexpr TLastBitsTable() {
    for (int state = 0; state < kStates; ++state)
      for (unsigned value = 0; value < 128; ++value) {
        TStuffMachine m{state > 5 ? 1U : 0U, state == 0 ? 0 : (state > 5 ? state - 5 : state), 0};
        for (int bit = 6; bit >= 0; --bit) m.Feed((value >> bit) & 1U);
        Stuffed[static_cast<std::size_t>(state)][value] = static_cast<std::uint8_t>(m.Stuffed);
      }
  }
};
constexpr TLastBitsTable kLastBitsTable;

class TFrameStream {
 public:
  TFrameStream() = default;
  explicit TFrameStream(TFrameHeaderState header)
      : FCrc(static_cast<std::uint16_t>(header.Crc)), FState(header.StuffState), FStuffed(static_cast<int>(header.Stuffed)) {}
  void Crc(std::uint8_t byte) { FCrc = static_cast<std::uint16_t>(((FCrc << 8) & 0x7FFFU) ^ kCrcTable.Next[((FCrc >> 7) ^ byte) & 0xFFU]); }
  void Stuff(std::uint8_t byte) {
    const TStuffStep step = kStuffTable.Step[FState][byte];
    FStuffed += step.Stuffed;
    FState = step.State;
  }
  // The header: `lead` bits then `bytes` whole bytes, all in `header`'s low bits.
  void Header(std::uint64_t header, int lead, int bytes) {
    for (int i = bytes; i >= 0; --i) Crc(static_cast<std::uint8_t>(header >> (8 * i)));
    const TStuffStep first = kFirstBitsTable.Step[static_cast<std::size_t>(lead)][(header >> (8 * bytes)) & ((1U << lead) - 1U)];
    FStuffed = first.Stuffed;
    FState = first.State;
    for (int i = bytes - 1; i >= 0; --i) Stuff(static_cast<std::uint8_t>(header >> (8 * i)));
  }
  void Data(std::uint8_t byte) {
    Crc(byte);
    Stuff(byte);
  }
  void Data4(const std::uint8_t* bytes) {
    // The register's 15 bits above the four bytes: all of it is shifted out by them.
    const std::uint32_t x = (std::uint32_t{FCrc} << 17) ^ (std::uint32_t{bytes[0]} << 24 | std::uint32_t{bytes[1]} << 16 |
                                                          std::uint32_t{bytes[2]} << 8 | bytes[3]);
    FCrc = static_cast<std::uint16_t>(kCrcSlices.Next[3][x >> 24] ^ kCrcSlices.Next[2][(x >> 16) & 0xFFU] ^
                                      kCrcSlices.Next[1][(x >> 8) & 0xFFU] ^ kCrcSlices.Next[0][x & 0xFFU]);
    for (int i = 0; i < 4; ++i) Stuff(bytes[i]);
  }
  [[nodiscard]] TFrameHeaderState State(int bits) const {
    return {FCrc, static_cast<std::uint32_t>(FState), static_cast<std::uint32_t>(FStuffed), static_cast<std::uint32_t>(bits)};
  }
  // The CRC's 15 bits close the stuffed part; the stuff bits it got in all.
  [[nodiscard]] int Finish() {
    Stuff(static_cast<std::uint8_t>(FCrc >> 7));
    return FStuffed + kLastBitsTable.Stuffed[FState][FCrc & 0x7FU];
  }

 private:
  std::uint16_t FCrc = 0;
  std::size_t FState = 0;
  int FStuffed = 0;
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
  int state = 0, stuffed = 0, bit = 0;
  for (; bit + 8 <= bits; bit += 8) {
    const TStuffStep step = kStuffTable.Step[static_cast<std::size_t>(state)][stream[bit >> 3]];
    stuffed += step.Stuffed;
    state = step.State;
  }
  TStuffMachine m{state > 5 ? 1U : 0U, state == 0 ? 0 : (state > 5 ? state - 5 : state), 0};
  for (; bit < bits; ++bit) m.Feed((stream[bit >> 3] >> (7 - (bit & 7))) & 1U);
  return stuffed + m.Stuffed;
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
    for (; i + 4 <= bytes; i += 4) stream.Data4(&msg.Data[static_cast<std::size_t>(i)]);
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
