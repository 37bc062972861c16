// Frame lengths on the wire: hand-worked frames, a plain bit-by-bit model of the standard's
// rules (bits as a list, CRC one bit at a time, stuffing by scanning) over random frames, and
// the bounds the standard gives.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "stats/FrameLength.h"

namespace {

TCanMsgProg Frame(std::int64_t id, bool extended, bool rtr, int dlc, std::uint8_t fill) {
  TCanMsgProg msg;
  msg.CanId = id;
  msg.Extended = extended;
  msg.RTR = rtr;
  msg.DLC = dlc;
  for (auto& byte : msg.Data) byte = fill;
  return msg;
}

// CRC-15 and stuff bits of a bit list, one bit at a time.
struct TModelStream {
  int Crc = 0;
};
TModelStream ModelCrc(const std::vector<int>& bits) {
  TModelStream model;
  for (int bit : bits) {
    const int next = bit ^ ((model.Crc >> 14) & 1);
    model.Crc = (model.Crc << 1) & 0x7FFF;
    if (next) model.Crc ^= 0x4599;
  }
  return model;
}
int ModelStuffing(const std::vector<int>& bits) {
  int stuffed = 0, run = 0, last = -1;
  for (int bit : bits) {
    run = bit == last ? run + 1 : 1;
    last = bit;
    if (run == 5) {
      ++stuffed;
      last = 1 - bit;
      run = 1;
    }
  }
  return stuffed;
}

// The frame as the standard draws it, one bit at a time.
int ModelBits(const TCanMsgProg& msg) {
  std::vector<int> bits;
  const auto put = [&](std::uint64_t value, int count) {
    for (int i = count - 1; i >= 0; --i) bits.push_back(static_cast<int>((value >> i) & 1));
  };
  put(0, 1);  // SOF
  if (msg.Extended) {
    put(static_cast<std::uint64_t>(msg.CanId) >> 18, 11);
    put(1, 1);  // SRR
    put(1, 1);  // IDE
    put(static_cast<std::uint64_t>(msg.CanId) & 0x3FFFF, 18);
    put(msg.RTR ? 1 : 0, 1);
    put(0, 2);  // r1, r0
  } else {
    put(static_cast<std::uint64_t>(msg.CanId), 11);
    put(msg.RTR ? 1 : 0, 1);
    put(0, 2);  // IDE, r0
  }
  put(static_cast<std::uint64_t>(msg.DLC), 4);
  if (!msg.RTR)
    for (int i = 0; i < std::min(msg.DLC, 8); ++i) put(msg.Data[static_cast<std::size_t>(i)], 8);
  put(static_cast<std::uint64_t>(ModelCrc(bits).Crc), 15);
  return static_cast<int>(bits.size()) + ModelStuffing(bits) + 13;
}

}  // namespace

TEST(FrameLength, HandWorkedFrames) {
  // 34 dominant bits up to the end of a zero CRC: a stuff bit after every fifth, 6 in all.
  EXPECT_EQ(FrameBitsOnWire(Frame(0x000, false, false, 0, 0)), 34 + 6 + 13);
  // A remote frame carries no data, whatever its DLC says.
  EXPECT_EQ(FrameBitsOnWire(Frame(0x123, false, true, 8, 0xFF)), FrameBitsOnWire(Frame(0x123, false, true, 8, 0x00)));
  EXPECT_LT(FrameBitsOnWire(Frame(0x123, false, true, 8, 0)), 47 + 8 + 8);
  // Alternating data never stuffs inside the data field.
  const int alternating = FrameBitsOnWire(Frame(0x555, false, false, 8, 0x55));
  EXPECT_EQ(alternating, ModelBits(Frame(0x555, false, false, 8, 0x55)));
  EXPECT_LE(alternating, 47 + 64 + 8) << "stuffing only where the header and CRC bring runs";
  // All-zero and all-one data of eight bytes stuff the most.
  EXPECT_EQ(FrameBitsOnWire(Frame(0x000, false, false, 8, 0x00)), ModelBits(Frame(0x000, false, false, 8, 0x00)));
  EXPECT_EQ(FrameBitsOnWire(Frame(0x7FF, false, false, 8, 0xFF)), ModelBits(Frame(0x7FF, false, false, 8, 0xFF)));
  EXPECT_EQ(FrameBitsOnWire(Frame(0x1FFFFFFF, true, false, 8, 0xFF)), ModelBits(Frame(0x1FFFFFFF, true, false, 8, 0xFF)));
  EXPECT_EQ(FrameBitsOnWire(Frame(0, true, false, 0, 0)), ModelBits(Frame(0, true, false, 0, 0)));
}

TEST(FrameLength, CrcAndStuffingOfAStreamAgreeWithTheBitModelAtEveryLength) {
  std::mt19937 random(42);
  std::uint8_t stream[16];
  for (int bits = 0; bits <= 128; ++bits) {
    for (auto& byte : stream) byte = static_cast<std::uint8_t>(random());
    std::vector<int> list;
    for (int i = 0; i < bits; ++i) list.push_back((stream[i / 8] >> (7 - i % 8)) & 1);
    ASSERT_EQ(CanCrc15(stream, bits), ModelCrc(list).Crc) << bits;
    ASSERT_EQ(CanStuffBits(stream, bits), ModelStuffing(list)) << bits;
  }
}

TEST(FrameLength, RandomFramesMatchTheModelAndStayWithinTheBounds) {
  std::mt19937 random(7);
  for (int i = 0; i < 20000; ++i) {
    const bool extended = (random() & 1) != 0;
    TCanMsgProg msg = Frame(static_cast<std::int64_t>(random() & (extended ? 0x1FFFFFFF : 0x7FF)), extended, (random() % 8) == 0,
                            static_cast<int>(random() % 9), 0);
    // Runs of equal bytes as well as noise, so that long runs of equal bits occur.
    for (auto& byte : msg.Data) byte = (random() & 3) == 0 ? static_cast<std::uint8_t>(random()) : ((random() & 1) ? 0xFF : 0x00);
    const int n = msg.RTR ? 0 : msg.DLC;
    const int bits = FrameBitsOnWire(msg);
    ASSERT_EQ(bits, ModelBits(msg)) << i;
    ASSERT_EQ(FrameBitsOnWire(FrameHeaderState(msg), msg), bits) << i;
    ASSERT_GE(bits, (extended ? 67 : 47) + 8 * n) << i;
    ASSERT_LE(bits, (extended ? 80 : 55) + 10 * n) << i;
  }
}

// Bytes from the fifth on are worked out from every run the fourth can leave: each run of
// either value that the first four bytes end in, before every value of the fifth.
TEST(FrameLength, EveryRunBeforeTheFifthByteMatchesTheModel) {
  for (const int dlc : {5, 6, 8})
    for (const unsigned value : {0U, 1U})
      for (int run = 1; run <= 8; ++run)
        for (unsigned fifth = 0; fifth < 256; ++fifth) {
          TCanMsgProg msg = Frame(0x123, false, false, dlc, 0);
          const unsigned ones = (1U << run) - 1U;
          msg.Data[3] = static_cast<std::uint8_t>(value ? ones : ~ones);  // the last `run` bits equal `value`
          msg.Data[2] = value ? 0x00 : 0xFF;
          msg.Data[4] = static_cast<std::uint8_t>(fifth);
          msg.Data[5] = static_cast<std::uint8_t>(fifth * 7);
          ASSERT_EQ(FrameBitsOnWire(msg), ModelBits(msg)) << dlc << " " << value << " " << run << " " << fifth;
        }
}
