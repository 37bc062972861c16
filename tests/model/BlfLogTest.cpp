// BLF: files as other loggers lay them out (both header versions, both time units, stored and
// zlib containers, objects across a container boundary, objects outside containers, other
// object types), and damaged files: each ends with the offset of what is wrong, after every
// frame before it, without a crash or a hang.
#include <gtest/gtest.h>

#include <zlib.h>

#include <QBuffer>
#include <sstream>

#include "model/BlfLog.h"
#include "model/LogFormat.h"
#include "storage/ByteCursor.h"

namespace {

using TBytes = std::vector<std::uint8_t>;

void ObjectHeader(TByteWriter& out, std::uint16_t headerSize, std::uint16_t version, std::uint32_t size, std::uint32_t type) {
  out.Append("LOBJ", 4);
  out.U16(headerSize);
  out.U16(version);
  out.U32(size);
  out.U32(type);
}

struct TMessage {
  std::uint32_t Type = 1;
  std::uint16_t Version = 1;
  std::uint32_t TimeFlags = 2;
  std::uint64_t Stamp = 0;
  std::uint32_t Id = 0;
  std::uint8_t Flags = 0;
  std::uint8_t Length = 0;
  std::uint8_t Fill = 0;  // every data byte
};

TBytes MessageObject(const TMessage& m) {
  const std::uint16_t headerSize = m.Version == 1 ? 32 : 40;
  const std::uint32_t size = headerSize + (m.Type == 86 ? 24 : 16);
  TByteWriter out;
  ObjectHeader(out, headerSize, m.Version, size, m.Type);
  out.U32(m.TimeFlags);
  out.U16(0);
  out.U16(0);
  out.U64(m.Stamp);
  if (m.Version == 2) out.U64(0);
  out.U16(1);
  out.U8(m.Flags);
  out.U8(m.Length);
  out.U32(m.Id);
  for (int i = 0; i < 8; ++i) out.U8(m.Fill);
  if (m.Type == 86) out.Zeros(8);
  return out.Bytes();
}

// An object of another type with an odd size, padded as the loggers pad.
TBytes OtherObject(std::uint32_t type, std::uint32_t payload) {
  TByteWriter out;
  ObjectHeader(out, 32, 1, 32 + payload, type);
  out.Zeros(16 + payload + (32 + payload) % 4);
  return out.Bytes();
}

TBytes ContainerObject(const TBytes& data, std::uint16_t method) {
  TBytes body = data;
  if (method == 2) {
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    body.resize(size);
    EXPECT_EQ(compress2(body.data(), &size, data.data(), static_cast<uLong>(data.size()), 6), Z_OK);
    body.resize(size);
  }
  TByteWriter out;
  const auto size = static_cast<std::uint32_t>(32 + body.size());
  ObjectHeader(out, 16, 1, size, 10);
  out.U16(method);
  out.Zeros(6);
  out.U32(static_cast<std::uint32_t>(data.size()));
  out.Zeros(4);
  out.Append(body.data(), body.size());
  out.Zeros(size % 4);
  return out.Bytes();
}

TBytes FileHeader(const TBlfSystemTime& start) {
  TByteWriter out;
  out.Append("LOGG", 4);
  out.U32(144);
  out.Zeros(32);
  for (std::uint16_t field : start) out.U16(field);
  out.Zeros(144 - out.Size());
  return out.Bytes();
}

TBytes Joined(std::initializer_list<TBytes> parts) {
  TBytes all;
  for (const TBytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

struct TRead {
  std::vector<TCandumpFrame> Frames;
  std::size_t Skipped = 0;
  std::optional<TLogProblem> Problem;
};

TRead Read(const TBytes& bytes) {
  std::istringstream in(std::string(bytes.begin(), bytes.end()));
  TBlfReader reader(in);
  TRead read;
  TCandumpFrame frame;
  for (;;) {
    const TLogReader::TStep step = reader.Next(frame);
    if (step == TLogReader::TStep::End) break;
    if (step == TLogReader::TStep::Bad) {
      EXPECT_FALSE(read.Problem) << "a second problem after " << read.Problem->Text();
      read.Problem = reader.Problem();
      continue;
    }
    read.Frames.push_back(frame);
  }
  read.Skipped = reader.Skipped();
  return read;
}

// A file as the program writes it: 6,000 frames, so three containers.
TBytes WrittenFile(std::size_t frames = 6000) {
  QBuffer buffer;
  buffer.open(QIODevice::ReadWrite);
  TBlfWriter writer(buffer);
  for (std::size_t i = 0; i < frames; ++i) {
    TCandumpFrame frame;
    frame.TimeUs = 1'000'000 + static_cast<std::int64_t>(i) * 250;
    frame.Msg.CanId = 0x100 + static_cast<std::int64_t>(i % 50);
    frame.Msg.DLC = 8;
    frame.Msg.Data[0] = static_cast<std::uint8_t>(i);
    writer.Write(frame);
  }
  EXPECT_TRUE(writer.Finish());
  const QByteArray& data = buffer.data();
  return TBytes(data.begin(), data.end());
}

// Offsets of the top-level objects of a well-formed file.
std::vector<std::size_t> ObjectOffsets(const TBytes& file) {
  std::vector<std::size_t> offsets;
  for (std::size_t at = 144; at + 16 <= file.size();) {
    offsets.push_back(at);
    TByteReader in(file);
    in.Seek(static_cast<std::int64_t>(at + 8));
    const std::uint32_t size = in.U32();
    at += size + size % 4;
  }
  return offsets;
}

void PatchU32(TBytes& file, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) file[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

TEST(BlfLog, ReadsTheLayoutsOtherLoggersWrite) {
  const TBlfSystemTime start = BlfSystemTime(1'700'000'000'123);
  EXPECT_EQ(start, (TBlfSystemTime{2023, 11, 2, 14, 22, 13, 20, 123})) << "Tuesday is weekday 2";
  EXPECT_EQ(BlfSystemTimeMs(start), 1'700'000'000'123);
  EXPECT_FALSE(BlfSystemTimeMs({}));

  const TBytes inner = Joined({
      MessageObject({.Type = 1, .Version = 1, .TimeFlags = 1, .Stamp = 150, .Id = 0x7FF, .Length = 8, .Fill = 0x11}),
      OtherObject(96, 13),
      MessageObject({.Type = 86, .Version = 2, .TimeFlags = 2, .Stamp = 2'000'999, .Id = 0x80000000u | 0x18DAF110, .Length = 3, .Fill = 0x22}),
      MessageObject({.Type = 1, .Version = 1, .Stamp = 3'000'000, .Id = 0x123, .Flags = 0x80, .Length = 4, .Fill = 0x33}),
      MessageObject({.Type = 1, .Version = 1, .Stamp = 4'000'000, .Id = 0x124, .Flags = 0x01, .Length = 12, .Fill = 0x44}),
      OtherObject(73, 2),
  });
  // The first container ends 20 bytes into the CAN_MESSAGE2 object; the second holds the rest.
  const std::size_t split = 48 + 46 + 20;
  const TBytes file = Joined({FileHeader(start), ContainerObject(TBytes(inner.begin(), inner.begin() + split), 0),
                              ContainerObject(TBytes(inner.begin() + split, inner.end()), 2),
                              MessageObject({.Stamp = 5'000'000, .Id = 0x125, .Length = 0}), OtherObject(65, 1)});
  const TRead read = Read(file);
  ASSERT_FALSE(read.Problem) << read.Problem->Text();
  ASSERT_EQ(read.Frames.size(), 5u);
  const std::int64_t startUs = 1'700'000'000'123'000;
  EXPECT_EQ(read.Frames[0].TimeUs, startUs + 1'500) << "150 units of 10 us";
  EXPECT_EQ(read.Frames[0].Msg.CanId, 0x7FF);
  EXPECT_EQ(read.Frames[0].Msg.Data[7], 0x11);
  EXPECT_EQ(read.Frames[1].TimeUs, startUs + 2'000) << "nanoseconds, rounded down";
  EXPECT_TRUE(read.Frames[1].Msg.Extended);
  EXPECT_EQ(read.Frames[1].Msg.CanId, 0x18DAF110);
  EXPECT_EQ(read.Frames[1].Msg.DLC, 3);
  EXPECT_EQ(read.Frames[1].Msg.Data[2], 0x22);
  EXPECT_EQ(read.Frames[1].Msg.Data[3], 0) << "past the length nothing is taken";
  EXPECT_TRUE(read.Frames[2].Msg.RTR);
  EXPECT_EQ(read.Frames[2].Msg.DLC, 4);
  EXPECT_EQ(read.Frames[2].Msg.Data[0], 0);
  EXPECT_EQ(read.Frames[3].Msg.DLC, 8) << "a length above 8 carries eight bytes";
  EXPECT_EQ(read.Frames[4].Msg.CanId, 0x125) << "an object outside the containers";
  EXPECT_EQ(read.Frames[4].Msg.Time, 3) << "whole milliseconds from the first frame";
  EXPECT_EQ(read.Skipped, 3u);
}

TEST(BlfLog, WrittenFileHeaderContainersAndObjects) {
  const TBytes file = WrittenFile();
  const std::vector<std::size_t> containers = ObjectOffsets(file);
  ASSERT_EQ(containers.size(), 3u);
  TByteReader header(file);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(header.Take(4)), 4), "LOGG");
  EXPECT_EQ(header.U32(), 144u);
  header.Skip(8);
  EXPECT_EQ(header.U64(), file.size()) << "file size";
  EXPECT_EQ(header.U64(), 144 + 3 * 32 + 6000 * 48u) << "uncompressed size";
  EXPECT_EQ(header.U32(), 6000u) << "object count";
  header.Skip(4);
  TBlfSystemTime start{}, stop{};
  for (std::uint16_t& field : start) field = header.U16();
  for (std::uint16_t& field : stop) field = header.U16();
  EXPECT_EQ(start, BlfSystemTime(1'000));
  EXPECT_EQ(stop, BlfSystemTime(1'000 + 5999 / 4));
  TByteReader container(file);
  container.Seek(static_cast<std::int64_t>(containers[0] + 16));
  EXPECT_EQ(container.U16(), 2) << "zlib";
  container.Skip(6);
  EXPECT_GE(container.U32(), TBlfWriter::kContainerBytes);
  const TRead read = Read(file);
  EXPECT_FALSE(read.Problem);
  ASSERT_EQ(read.Frames.size(), 6000u);
  EXPECT_EQ(read.Frames[5999].TimeUs, 1'000'000 + 5999 * 250);
}

// Frames of the containers before `container`.
std::size_t FramesBefore(const TBytes& file, std::size_t container) {
  const std::vector<std::size_t> offsets = ObjectOffsets(file);
  return container == 0 ? 0 : Read(TBytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(offsets[container]))).Frames.size();
}

TEST(BlfLog, ATruncatedFileEndsWithTheOffsetOfTheCutObjectAfterTheFramesBeforeIt) {
  const TBytes file = WrittenFile();
  const std::vector<std::size_t> containers = ObjectOffsets(file);
  for (std::size_t length = 0; length < file.size(); length += 997) {
    const TRead read = Read(TBytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length)));
    ASSERT_TRUE(read.Problem || length >= 144) << length;
    if (length < 144) {
      EXPECT_TRUE(read.Frames.empty());
      continue;
    }
    std::size_t cut = 0;
    while (cut + 1 < containers.size() && containers[cut + 1] <= length + 3) ++cut;
    if (containers[cut] >= length) continue;  // ends at a container's end or in its padding: whole
    ASSERT_TRUE(read.Problem) << length;
    EXPECT_EQ(read.Problem->Where, "offset " + std::to_string(containers[cut])) << length;
    EXPECT_EQ(read.Frames.size(), FramesBefore(file, cut)) << length;
  }
  const TRead header = Read(TBytes(file.begin(), file.begin() + 100));
  EXPECT_EQ(header.Problem->Text(), "offset 100 is the end of the file, inside the BLF file header");
  const TRead inside = Read(TBytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(containers[1] + 7)));
  EXPECT_EQ(inside.Problem->Text(), "offset " + std::to_string(containers[1]) + " is not a complete object: the file ends inside its header");
  const TRead body = Read(TBytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(containers[2] + 500)));
  TByteReader sizes(file);
  sizes.Seek(static_cast<std::int64_t>(containers[2] + 8));
  EXPECT_EQ(body.Problem->Text(), "offset " + std::to_string(containers[2]) + " is not a complete object: its size of " +
                                      std::to_string(sizes.U32()) + " bytes runs past the end of the file");
  EXPECT_EQ(body.Frames.size(), FramesBefore(file, 2));
}

TEST(BlfLog, LyingSizesAndAZlibStreamThatDoesNotEndStopAtTheirContainer) {
  const TBytes good = WrittenFile();
  const std::vector<std::size_t> containers = ObjectOffsets(good);
  const std::size_t second = containers[1];
  const std::string at = "offset " + std::to_string(second) + " ";
  const std::size_t firstFrames = FramesBefore(good, 1);

  TBytes huge = good;
  PatchU32(huge, second + 8, 0xFFFFFF00u);
  TRead read = Read(huge);
  EXPECT_EQ(read.Problem->Text(), at + "is not a complete object: its size of 4294967040 bytes runs past the end of the file");
  EXPECT_EQ(read.Frames.size(), firstFrames);

  TBytes small = good;
  PatchU32(small, second + 8, 8);
  read = Read(small);
  EXPECT_EQ(read.Problem->Text(), at + "is not a valid object: its size 8 is smaller than its header");

  TBytes understated = good;
  PatchU32(understated, second + 24, 4800);  // 100 frames of the container's 2,731
  read = Read(understated);
  EXPECT_EQ(read.Problem->Text(), at + "is not a valid log container: it inflates to more than the 4800 bytes it states");
  EXPECT_EQ(read.Frames.size(), firstFrames + 100) << "what inflated before the stated end";

  // The compressed data cut in half, the object size saying so: a consistent file whose
  // stream stops early.
  TByteReader sizes(good);
  sizes.Seek(static_cast<std::int64_t>(second + 8));
  const std::uint32_t objectSize = sizes.U32();
  const std::uint32_t halfSize = 32 + (objectSize - 32) / 2;
  TBytes unended(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(second + halfSize));
  unended.resize(second + halfSize + halfSize % 4, 0);
  PatchU32(unended, second + 8, halfSize);
  read = Read(unended);
  EXPECT_EQ(read.Problem->Text(), at + "is not a complete log container: its zlib stream does not end within it");
  EXPECT_GT(read.Frames.size(), firstFrames) << "the frames inflated from the first half";
  EXPECT_LT(read.Frames.size(), FramesBefore(good, 2));

  TBytes damaged = good;
  for (std::size_t i = second + 40; i < second + 200; ++i) damaged[i] ^= 0x5A;
  read = Read(damaged);
  ASSERT_TRUE(read.Problem);
  EXPECT_EQ(read.Problem->Where, "offset " + std::to_string(second));
  EXPECT_GE(read.Frames.size(), firstFrames);

  TBytes method = good;
  method[second + 16] = 5;
  read = Read(method);
  EXPECT_EQ(read.Problem->Text(), at + "is not a readable log container: compression method 5 is not known");
}

TEST(BlfLog, BadSignaturesAndInnerSizesAreNamed) {
  const TBytes good = WrittenFile(100);
  TBytes logg = good;
  logg[3] = 'X';
  EXPECT_EQ(Read(logg).Problem->Text(), "offset 0 is not the start of a BLF file: no LOGG signature");
  TBytes headerSize = good;
  PatchU32(headerSize, 4, 12);
  EXPECT_EQ(Read(headerSize).Problem->Text(), "offset 4 is not a BLF file header size: 12");
  TBytes lobj = good;
  lobj[144] = 'X';
  EXPECT_EQ(Read(lobj).Problem->Text(), "offset 144 is not an object: no LOBJ signature");

  // Inside a stored container: a message whose size claims a megabyte and more, and one that
  // is too short for its fields.
  TBytes object = MessageObject({.Id = 0x100, .Length = 1});
  PatchU32(object, 8, 2u << 20);
  TRead read = Read(Joined({FileHeader({}), ContainerObject(Joined({MessageObject({.Id = 0x101}), object}), 0)}));
  EXPECT_EQ(read.Problem->Text(), "offset 144 is not a valid log container: the object at byte 48 of the uncompressed data states a size of 2097152");
  EXPECT_EQ(read.Frames.size(), 1u);
  object = MessageObject({.Id = 0x100, .Length = 1});
  object[4] = 24;  // a header of 24 bytes is too short for version 1
  read = Read(Joined({FileHeader({}), ContainerObject(object, 0)}));
  EXPECT_EQ(read.Problem->Text(), "offset 144 is not a valid CAN message object: 48 bytes with a header of 24");
  read = Read(Joined({FileHeader({}), ContainerObject(MessageObject({.Id = 0x800}), 0)}));
  EXPECT_EQ(read.Problem->Text(), "offset 144 is not a valid CAN message object: identifier 2048 is too large");
  read = Read(Joined({FileHeader({}), ContainerObject(Joined({MessageObject({.Id = 1}), TBytes(12, 0xEE)}), 0)}));
  EXPECT_EQ(read.Problem->Text(), "offset 144 is not a valid log container: no object signature at byte 48 of the uncompressed data");
  read = Read(Joined({FileHeader({}), ContainerObject(Joined({MessageObject({.Id = 1}), TBytes(3, 0)}), 0)}));
  EXPECT_FALSE(read.Problem) << "padding at the end";
  const TBytes whole = MessageObject({.Id = 1});
  read = Read(Joined({FileHeader({}), ContainerObject(TBytes(whole.begin(), whole.begin() + 30), 0)}));
  EXPECT_EQ(read.Problem->Text(), "offset 144 is not a complete log container: the file ends inside the object at byte 0 of the uncompressed data");
}

}  // namespace
