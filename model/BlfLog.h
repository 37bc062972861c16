#pragma once
// Vector's BLF binary log, little-endian throughout:
//
//   file header   "LOGG", u32 header size (>= 72, 144 as written), application and format
//                 versions (8 x u8), u64 file size, u64 uncompressed size, u32 object count,
//                 u32 objects read, start and stop time as SYSTEMTIME (8 x u16: year, month,
//                 weekday, day, hour, minute, second, millisecond)
//   objects       each "LOBJ", u16 header size, u16 header version, u32 object size (header
//                 included, padding of size % 4 bytes after it not), u32 object type; version 1
//                 goes on with u32 flags, u16 client, u16 object version, u64 time stamp,
//                 version 2 with u32 flags, u8 time status, u8, u16 object version, u64 time
//                 stamp, u64 original time stamp. Flags 1: the time stamp counts 10 us, else 1 ns.
//   container     type 10: u16 compression (0 stored, 2 zlib), 6 bytes, u32 uncompressed size,
//                 4 bytes, then the data. The data of all containers in a row is one stream of
//                 objects; an object may begin in one container and end in the next.
//   CAN message   type 1 (CAN_MESSAGE) and 86 (CAN_MESSAGE2) after the header: u16 channel,
//                 u8 flags (0x01 transmitted, 0x80 remote), u8 length, u32 identifier (bit 31:
//                 extended), 8 data bytes; CAN_MESSAGE2 has 8 bytes more.
//
// Other objects are passed over by their size and counted. A frame's TimeUs is the start time
// plus its time stamp. Every size is checked before it is used: a damaged object, a size that
// runs past the end of the file or a zlib stream that does not end stops the reading with the
// file offset of the object or container, after every frame before it.

#include <array>
#include <vector>

#include "model/LogReader.h"
#include "storage/ByteCursor.h"

class TBlfReader : public TLogReader {
 public:
  explicit TBlfReader(std::istream& in);
  [[nodiscard]] std::uint64_t BytesRead() const override { return FOffset; }

 protected:
  TStep ReadFrame(TCandumpFrame& frame) override;

 private:
  enum class TAt { Frame, More, End, Bad };
  TAt FileHeader();
  TAt TopObject(TCandumpFrame& frame);
  TAt Container(std::uint64_t at, std::span<const std::uint8_t> object);
  void Inflate(std::uint64_t at, std::span<const std::uint8_t> data, std::uint32_t size);
  TAt InnerObject(TCandumpFrame& frame);
  // at: the file offset of the object, or of the container it came in.
  TAt Message(std::uint64_t at, std::span<const std::uint8_t> object, TCandumpFrame& frame);
  TAt EndOfFile();
  TAt FailAt(std::string where, std::string what);
  std::size_t Take(std::uint8_t* to, std::size_t count);

  std::istream& FIn;
  std::optional<std::uint64_t> FFileSize;
  std::uint64_t FOffset = 0;
  bool FHeaderRead = false;
  bool FDone = false;
  std::int64_t FStartUs = 0;
  std::vector<std::uint8_t> FObject;
  // Uncompressed container data not yet taken, from FDataPos on.
  std::vector<std::uint8_t> FData;
  std::size_t FDataPos = 0;
  std::uint64_t FDataBase = 0;     // position of FData[0] in the uncompressed stream
  std::uint64_t FContainerAt = 0;  // file offset of the container last read
  std::optional<TLogProblem> FDeferred;  // a container's damage, told after its good part
};

// Containers of about 128 KiB compressed with zlib level 6, CAN_MESSAGE objects with
// nanosecond time stamps from the first frame's time to the millisecond, channel 1, received.
// The file header, with sizes, count and times, is written last: the device must seek.
class TBlfWriter : public TLogWriter {
 public:
  static constexpr std::size_t kContainerBytes = 128 * 1024;

  explicit TBlfWriter(QIODevice& out);
  void Write(const TCandumpFrame& frame) override;
  [[nodiscard]] bool Finish() override;

 private:
  void WriteContainer();

  TByteWriter FObjects;
  std::vector<std::uint8_t> FCompressed;
  std::uint64_t FFileSize = 0;
  std::uint64_t FUncompressedSize = 0;
  std::uint32_t FCount = 0;
  std::optional<std::int64_t> FStartMs;
  std::int64_t FLastUs = 0;
};

// SYSTEMTIME fields of milliseconds since 1970 (UTC), and back; all zero or a date that does
// not exist is nothing.
using TBlfSystemTime = std::array<std::uint16_t, 8>;
[[nodiscard]] TBlfSystemTime BlfSystemTime(std::int64_t msSinceEpoch);
[[nodiscard]] std::optional<std::int64_t> BlfSystemTimeMs(const TBlfSystemTime& time);
