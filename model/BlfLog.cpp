#include "model/BlfLog.h"

#include <zlib.h>

#include <QDateTime>
#include <algorithm>
#include <cstring>
#include <limits>

namespace {

constexpr std::uint32_t kCanMessage = 1;
constexpr std::uint32_t kContainer = 10;
constexpr std::uint32_t kCanMessage2 = 86;
constexpr std::uint16_t kStored = 0;
constexpr std::uint16_t kZlib = 2;
constexpr std::uint32_t kTenMicroseconds = 1;
constexpr std::uint32_t kNanoseconds = 2;
constexpr std::uint32_t kExtendedBit = 0x80000000u;
constexpr std::uint8_t kRemoteFlag = 0x80;

constexpr std::size_t kFileHeaderFields = 72;  // signature to stop time
constexpr std::uint32_t kFileHeaderSize = 144;
constexpr std::size_t kObjectHeader = 16;      // signature to object type
constexpr std::size_t kContainerHeader = 32;   // object header and the compression fields
constexpr std::uint16_t kMessageHeader = 32;   // object header version 1
constexpr std::size_t kMessageBody = 16;
// No container or object of a real log comes near these; a larger size is a damaged one.
constexpr std::uint64_t kMaxObject = 64u << 20;
constexpr std::uint64_t kMaxInnerObject = 1u << 20;
constexpr std::size_t kInflateChunk = 256 * 1024;

bool IsSignature(const std::uint8_t* at, const char* signature) { return std::memcmp(at, signature, 4) == 0; }

std::string OffsetText(std::uint64_t at) { return "offset " + std::to_string(at); }

struct TObjectHeader {
  std::uint16_t HeaderSize = 0;
  std::uint16_t Version = 0;
  std::uint32_t Size = 0;
  std::uint32_t Type = 0;
};

enum class TInflated { Whole, Damaged, Overlong, Unended };

// Inflates a container's data onto the end of `out`, at most `size` bytes. The buffer grows as
// data comes out, so a stated size that lies costs nothing; what came out stays when the
// stream turns out bad.
TInflated InflateOnto(std::vector<std::uint8_t>& out, std::span<const std::uint8_t> data, std::uint32_t size, std::string& message) {
  const std::size_t old = out.size();
  z_stream stream{};
  if (inflateInit(&stream) != Z_OK) return TInflated::Damaged;
  stream.next_in = const_cast<Bytef*>(data.data());  // zlib's interface is not const; it only reads
  stream.avail_in = static_cast<uInt>(data.size());
  int result = Z_OK;
  while (result == Z_OK && stream.total_out < size) {
    const std::size_t chunk = std::min<std::size_t>(size - stream.total_out, kInflateChunk);
    out.resize(old + stream.total_out + chunk);
    stream.next_out = out.data() + old + stream.total_out;
    stream.avail_out = static_cast<uInt>(chunk);
    result = inflate(&stream, Z_NO_FLUSH);
  }
  std::uint8_t probe = 0;
  if (result == Z_OK) {  // all the stated bytes are out: the stream must end here
    stream.next_out = &probe;
    stream.avail_out = 1;
    result = inflate(&stream, Z_NO_FLUSH);
  }
  const bool overlong = result == Z_OK && stream.avail_out == 0;
  if (stream.msg) message = stream.msg;
  out.resize(old + std::min<std::size_t>(stream.total_out, size));
  inflateEnd(&stream);
  if (result == Z_STREAM_END) return TInflated::Whole;
  if (overlong) return TInflated::Overlong;
  return result == Z_BUF_ERROR || result == Z_OK ? TInflated::Unended : TInflated::Damaged;
}

TObjectHeader ObjectHeader(std::span<const std::uint8_t> bytes) {
  TByteReader in(bytes);
  in.Skip(4);
  TObjectHeader header;
  header.HeaderSize = in.U16();
  header.Version = in.U16();
  header.Size = in.U32();
  header.Type = in.U32();
  return header;
}

}  // namespace

TBlfSystemTime BlfSystemTime(std::int64_t msSinceEpoch) {
  const QDateTime at = QDateTime::fromMSecsSinceEpoch(msSinceEpoch, Qt::UTC);
  const QDate date = at.date();
  const QTime time = at.time();
  if (date.year() < 1601 || date.year() > 30827) return {};
  return {static_cast<std::uint16_t>(date.year()), static_cast<std::uint16_t>(date.month()),
          static_cast<std::uint16_t>(date.dayOfWeek() % 7), static_cast<std::uint16_t>(date.day()),
          static_cast<std::uint16_t>(time.hour()), static_cast<std::uint16_t>(time.minute()),
          static_cast<std::uint16_t>(time.second()), static_cast<std::uint16_t>(time.msec())};
}

std::optional<std::int64_t> BlfSystemTimeMs(const TBlfSystemTime& time) {
  const QDate date(time[0], time[1], time[3]);
  const QTime clock(time[4], time[5], time[6], time[7]);
  if (time[0] == 0 || !date.isValid() || !clock.isValid()) return std::nullopt;
  return QDateTime(date, clock, Qt::UTC).toMSecsSinceEpoch();
}

TBlfReader::TBlfReader(std::istream& in) : FIn(in) {
  // The size bounds every object size the file states; a stream that cannot tell has none.
  const std::istream::pos_type start = in.tellg();
  if (start == std::istream::pos_type(-1)) return;
  if (in.seekg(0, std::ios::end)) {
    const std::istream::pos_type end = in.tellg();
    if (end != std::istream::pos_type(-1) && end >= start) FFileSize = static_cast<std::uint64_t>(end - start);
  }
  in.clear();
  in.seekg(start);
}

std::size_t TBlfReader::Take(std::uint8_t* to, std::size_t count) {
  FIn.read(reinterpret_cast<char*>(to), static_cast<std::streamsize>(count));
  const auto got = static_cast<std::size_t>(FIn.gcount());
  FOffset += got;
  return got;
}

TBlfReader::TAt TBlfReader::FailAt(std::string where, std::string what) {
  FDone = true;
  Fail(std::move(where), std::move(what));
  return TAt::Bad;
}

TBlfReader::TAt TBlfReader::FileHeader() {
  std::array<std::uint8_t, 8> start{};
  if (Take(start.data(), start.size()) < start.size() || !IsSignature(start.data(), "LOGG"))
    return FailAt(OffsetText(0), "is not the start of a BLF file: no LOGG signature");
  const std::uint32_t headerSize = TByteReader(std::span<const std::uint8_t>(start).subspan(4)).U32();
  if (headerSize < kFileHeaderFields || headerSize > 65536)
    return FailAt(OffsetText(4), "is not a BLF file header size: " + std::to_string(headerSize));
  FObject.assign(start.begin(), start.end());
  FObject.resize(headerSize);
  if (Take(FObject.data() + start.size(), headerSize - start.size()) < headerSize - start.size())
    return FailAt(OffsetText(FOffset), "is the end of the file, inside the BLF file header");
  TByteReader header(FObject);
  header.Seek(40);
  TBlfSystemTime startTime{};
  for (std::uint16_t& field : startTime) field = header.U16();
  FStartUs = BlfSystemTimeMs(startTime).value_or(0) * 1000;
  FHeaderRead = true;
  return TAt::More;
}

TBlfReader::TAt TBlfReader::TopObject(TCandumpFrame& frame) {
  const std::uint64_t at = FOffset;
  std::array<std::uint8_t, kObjectHeader> head{};
  const std::size_t got = Take(head.data(), head.size());
  if (got == 0) return EndOfFile();
  if (got < head.size()) return FailAt(OffsetText(at), "is not a complete object: the file ends inside its header");
  if (!IsSignature(head.data(), "LOBJ")) return FailAt(OffsetText(at), "is not an object: no LOBJ signature");
  const TObjectHeader object = ObjectHeader(head);
  if (object.Size < kObjectHeader || object.Size < object.HeaderSize)
    return FailAt(OffsetText(at), "is not a valid object: its size " + std::to_string(object.Size) + " is smaller than its header");
  const std::uint64_t rest = object.Size - kObjectHeader;
  const std::uint64_t left = FFileSize ? (*FFileSize > at + kObjectHeader ? *FFileSize - at - kObjectHeader : 0) : kMaxObject;
  if (rest > left)
    return FailAt(OffsetText(at), "is not a complete object: its size of " + std::to_string(object.Size) +
                                      " bytes runs past the end of the file");
  if (object.Size > kMaxObject)
    return FailAt(OffsetText(at), "is not a valid object: its size of " + std::to_string(object.Size) +
                                      " bytes is more than a log puts in one object");
  FObject.assign(head.begin(), head.end());
  FObject.resize(object.Size);
  if (Take(FObject.data() + kObjectHeader, rest) < rest)
    return FailAt(OffsetText(at), "is not a complete object: the file ends " + std::to_string(FOffset - at) +
                                      " bytes into its " + std::to_string(object.Size));
  std::array<std::uint8_t, 3> padding{};
  Take(padding.data(), object.Size % 4);
  if (object.Type == kContainer) return Container(at, FObject);
  return Message(at, FObject, frame);
}

TBlfReader::TAt TBlfReader::Container(std::uint64_t at, std::span<const std::uint8_t> object) {
  if (object.size() < kContainerHeader)
    return FailAt(OffsetText(at), "is not a valid log container: " + std::to_string(object.size()) + " bytes are too few for its header");
  TByteReader fields(object);
  fields.Seek(kObjectHeader);
  const std::uint16_t method = fields.U16();
  fields.Skip(6);
  const std::uint32_t size = fields.U32();
  const std::span<const std::uint8_t> data = object.subspan(kContainerHeader);
  // Taken data leaves the buffer before new data comes in, so the buffer holds at most an
  // object that began in the last container and this container's data.
  FData.erase(FData.begin(), FData.begin() + static_cast<std::ptrdiff_t>(FDataPos));
  FDataBase += FDataPos;
  FDataPos = 0;
  FContainerAt = at;
  if (method == kStored) {
    FData.insert(FData.end(), data.begin(), data.end());
    return TAt::More;
  }
  if (method != kZlib)
    return FailAt(OffsetText(at), "is not a readable log container: compression method " + std::to_string(method) + " is not known");
  if (size > kMaxObject)
    return FailAt(OffsetText(at), "is not a valid log container: it states " + std::to_string(size) + " uncompressed bytes");
  Inflate(at, data, size);
  return TAt::More;
}

void TBlfReader::Inflate(std::uint64_t at, std::span<const std::uint8_t> data, std::uint32_t size) {
  std::string message;
  const TInflated result = InflateOnto(FData, data, size, message);
  if (result == TInflated::Whole) return;
  // What inflated before the damage still counts; the problem is told once it is taken.
  std::string what;
  switch (result) {
    case TInflated::Damaged: what = "is not a readable log container: its zlib data is damaged (" + message + ")"; break;
    case TInflated::Overlong:
      what = "is not a valid log container: it inflates to more than the " + std::to_string(size) + " bytes it states";
      break;
    default: what = "is not a complete log container: its zlib stream does not end within it"; break;
  }
  FDeferred = TLogProblem{OffsetText(at), what};
}

TBlfReader::TAt TBlfReader::InnerObject(TCandumpFrame& frame) {
  for (;;) {
    const std::size_t available = FData.size() - FDataPos;
    // Objects are padded; the next signature lies within the next eight bytes.
    std::size_t skip = 0;
    while (skip < 8 && skip + 4 <= available && !IsSignature(FData.data() + FDataPos + skip, "LOBJ")) ++skip;
    if (skip + 4 > available) return TAt::More;
    const auto inside = [this](std::size_t at) { return " at byte " + std::to_string(FDataBase + at) + " of the uncompressed data"; };
    if (skip == 8) return FailAt(OffsetText(FContainerAt), "is not a valid log container: no object signature" + inside(FDataPos));
    if (available - skip < kObjectHeader) return TAt::More;
    const TObjectHeader object = ObjectHeader(std::span<const std::uint8_t>(FData).subspan(FDataPos + skip, kObjectHeader));
    if (object.Size < kObjectHeader || object.Size < object.HeaderSize || object.Size > kMaxInnerObject)
      return FailAt(OffsetText(FContainerAt),
                    "is not a valid log container: the object" + inside(FDataPos + skip) + " states a size of " + std::to_string(object.Size));
    if (available - skip < object.Size) return TAt::More;
    FDataPos += skip;
    const std::span<const std::uint8_t> bytes = std::span<const std::uint8_t>(FData).subspan(FDataPos, object.Size);
    FDataPos += object.Size;
    const TAt step = Message(FContainerAt, bytes, frame);
    if (step != TAt::More) return step;
  }
}

TBlfReader::TAt TBlfReader::Message(std::uint64_t at, std::span<const std::uint8_t> object, TCandumpFrame& frame) {
  const TObjectHeader header = ObjectHeader(object);
  if ((header.Type != kCanMessage && header.Type != kCanMessage2) || (header.Version != 1 && header.Version != 2)) {
    CountSkipped();
    return TAt::More;
  }
  const std::uint16_t least = header.Version == 1 ? 32 : 40;
  if (header.HeaderSize < least || object.size() < header.HeaderSize + kMessageBody)
    return FailAt(OffsetText(at), "is not a valid CAN message object: " + std::to_string(object.size()) + " bytes with a header of " +
                             std::to_string(header.HeaderSize));
  TByteReader in(object);
  in.Seek(16);
  const std::uint32_t flags = in.U32();
  in.Seek(24);
  const std::uint64_t stamp = in.U64();
  in.Seek(header.HeaderSize);
  in.Skip(2);  // channel
  const std::uint8_t frameFlags = in.U8();
  const std::uint8_t length = in.U8();
  const std::uint32_t id = in.U32();
  frame = TCandumpFrame{};
  TCanMsgProg& msg = frame.Msg;
  msg.Extended = (id & kExtendedBit) != 0;
  msg.CanId = id & 0x1FFFFFFFu;
  if (!msg.Extended && msg.CanId > 0x7FF)
    return FailAt(OffsetText(at), "is not a valid CAN message object: identifier " + std::to_string(msg.CanId) + " is too large");
  msg.RTR = (frameFlags & kRemoteFlag) != 0;
  msg.DLC = std::min<int>(length, 8);
  if (!msg.RTR) in.Read(msg.Data.data(), msg.DLC);
  std::int64_t stampUs = 0;
  if (flags == kTenMicroseconds) {
    if (stamp > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max() / 20))
      return FailAt(OffsetText(at), "is not a valid CAN message object: its time stamp is out of range");
    stampUs = static_cast<std::int64_t>(stamp * 10);
  } else {
    stampUs = static_cast<std::int64_t>(stamp / 1000);
  }
  frame.TimeUs = FStartUs + stampUs;
  return TAt::Frame;
}

TBlfReader::TAt TBlfReader::EndOfFile() {
  FDone = true;
  if (FDeferred) return FailAt(FDeferred->Where, FDeferred->What);
  const bool padding = std::all_of(FData.begin() + static_cast<std::ptrdiff_t>(FDataPos), FData.end(),
                                   [](std::uint8_t byte) { return byte == 0; });
  if (!padding)
    return FailAt(OffsetText(FContainerAt), "is not a complete log container: the file ends inside the object at byte " +
                                                std::to_string(FDataBase + FDataPos) + " of the uncompressed data");
  return TAt::End;
}

TLogReader::TStep TBlfReader::ReadFrame(TCandumpFrame& frame) {
  if (FDone) return TStep::End;
  if (!FHeaderRead && FileHeader() == TAt::Bad) return TStep::Bad;
  for (;;) {
    TAt step = InnerObject(frame);
    if (step == TAt::More && FDeferred) step = EndOfFile();
    if (step == TAt::More) step = TopObject(frame);
    switch (step) {
      case TAt::Frame: return TStep::Frame;
      case TAt::End: return TStep::End;
      case TAt::Bad: return TStep::Bad;
      case TAt::More: break;
    }
  }
}

TBlfWriter::TBlfWriter(QIODevice& out) : TLogWriter(out) {
  FObjects.Reserve(kContainerBytes + 64);
  const std::string placeholder(kFileHeaderSize, '\0');
  Put(placeholder);
  FFileSize = kFileHeaderSize;
  FUncompressedSize = kFileHeaderSize;
}

void TBlfWriter::Write(const TCandumpFrame& frame) {
  if (!FStartMs) {
    FStartMs = FloorMilliseconds(frame.TimeUs);
  }
  const TCanMsgProg& msg = frame.Msg;
  const std::int64_t sinceStartUs = std::max<std::int64_t>(0, frame.TimeUs - *FStartMs * 1000);
  FLastUs = std::max(FLastUs, frame.TimeUs);
  FObjects.Append("LOBJ", 4);
  FObjects.U16(kMessageHeader);
  FObjects.U16(1);
  FObjects.U32(kMessageHeader + kMessageBody);
  FObjects.U32(kCanMessage);
  FObjects.U32(kNanoseconds);
  FObjects.U16(0);  // client
  FObjects.U16(0);  // object version
  FObjects.U64(static_cast<std::uint64_t>(sinceStartUs) * 1000);
  FObjects.U16(1);  // channel
  FObjects.U8(msg.RTR ? kRemoteFlag : 0);
  FObjects.U8(static_cast<std::uint8_t>(std::clamp(msg.DLC, 0, 15)));
  const auto id = static_cast<std::uint32_t>(msg.CanId) & (msg.Extended ? 0x1FFFFFFFu : 0x7FFu);
  FObjects.U32(msg.Extended ? id | kExtendedBit : id);
  TCanData data{};
  if (!msg.RTR) std::copy_n(msg.Data.begin(), msg.UsedBytes(), data.begin());
  FObjects.Append(data.data(), data.size());
  ++FCount;
  if (FObjects.Size() >= kContainerBytes) WriteContainer();
}

void TBlfWriter::WriteContainer() {
  const std::vector<std::uint8_t>& objects = FObjects.Bytes();
  uLongf compressedSize = compressBound(static_cast<uLong>(objects.size()));
  FCompressed.resize(compressedSize);
  if (compress2(FCompressed.data(), &compressedSize, objects.data(), static_cast<uLong>(objects.size()), 6) != Z_OK) {
    MarkFailed();
    FObjects.Clear();
    return;
  }
  TByteWriter header;
  const auto objectSize = static_cast<std::uint32_t>(kContainerHeader + compressedSize);
  header.Append("LOBJ", 4);
  header.U16(kObjectHeader);
  header.U16(1);
  header.U32(objectSize);
  header.U32(kContainer);
  header.U16(kZlib);
  header.Zeros(6);
  header.U32(static_cast<std::uint32_t>(objects.size()));
  header.Zeros(4);
  const auto& head = header.Bytes();
  Put({reinterpret_cast<const char*>(head.data()), head.size()});
  Put({reinterpret_cast<const char*>(FCompressed.data()), compressedSize});
  Put(std::string(objectSize % 4, '\0'));
  FFileSize += objectSize + objectSize % 4;
  FUncompressedSize += kContainerHeader + objects.size();
  FObjects.Clear();
}

bool TBlfWriter::Finish() {
  if (FObjects.Size() > 0) WriteContainer();
  TByteWriter header;
  header.Append("LOGG", 4);
  header.U32(kFileHeaderSize);
  for (std::uint8_t version : {0, 0, 0, 0, 2, 6, 8, 1}) header.U8(version);  // application 0, format 2.6.8.1
  header.U64(FFileSize);
  header.U64(FUncompressedSize);
  header.U32(FCount);
  header.U32(0);
  const TBlfSystemTime start = FStartMs ? BlfSystemTime(*FStartMs) : TBlfSystemTime{};
  const TBlfSystemTime stop = FStartMs ? BlfSystemTime(FLastUs / 1000) : TBlfSystemTime{};
  for (std::uint16_t field : start) header.U16(field);
  for (std::uint16_t field : stop) header.U16(field);
  header.Zeros(kFileHeaderSize - header.Size());
  if (Failed()) return false;
  const qint64 end = Device().pos();
  const auto& bytes = header.Bytes();
  if (!Device().seek(0)) return false;
  Put({reinterpret_cast<const char*>(bytes.data()), bytes.size()});
  return Device().seek(end) && !Failed();
}
