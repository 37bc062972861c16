#pragma once
// Little-endian reading from and writing to byte buffers. Every read checks that the bytes are
// there first; a read past the end throws TStreamReadError instead of touching memory.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <stdexcept>
#include <vector>

class TStreamReadError : public std::runtime_error {
 public:
  TStreamReadError() : std::runtime_error("Stream read error") {}
};

class TByteReader {
 public:
  explicit TByteReader(std::span<const std::uint8_t> bytes) : FBytes(bytes) {}

  [[nodiscard]] std::int64_t Size() const { return static_cast<std::int64_t>(FBytes.size()); }
  // May lie beyond the end after a seek; the next read then fails.
  [[nodiscard]] std::int64_t Position() const { return FPosition; }
  void Seek(std::int64_t position) { FPosition = position; }
  [[nodiscard]] bool AtEnd() const { return FPosition >= Size(); }
  [[nodiscard]] std::int64_t Available() const { return FPosition >= Size() ? 0 : Size() - FPosition; }

  [[nodiscard]] const std::uint8_t* Take(std::int64_t count) {
    if (count < 0 || FPosition < 0 || count > Available()) throw TStreamReadError();
    const std::uint8_t* at = FBytes.data() + FPosition;
    FPosition += count;
    return at;
  }
  void Skip(std::int64_t count) { (void)Take(count); }
  void Read(void* to, std::int64_t count) { std::memcpy(to, Take(count), static_cast<std::size_t>(count)); }
  [[nodiscard]] std::uint8_t U8() { return *Take(1); }
  [[nodiscard]] std::uint16_t U16() { return static_cast<std::uint16_t>(Unsigned(2)); }
  [[nodiscard]] std::uint32_t U32() { return static_cast<std::uint32_t>(Unsigned(4)); }
  [[nodiscard]] std::int32_t I32() { return static_cast<std::int32_t>(U32()); }
  [[nodiscard]] std::uint64_t U64() { return Unsigned(8); }

 private:
  std::uint64_t Unsigned(int width) {
    const std::uint8_t* at = Take(width);
    std::uint64_t value = 0;
    for (int i = 0; i < width; ++i) value |= std::uint64_t{at[i]} << (8 * i);
    return value;
  }

  std::span<const std::uint8_t> FBytes;
  std::int64_t FPosition = 0;
};

class TByteWriter {
 public:
  [[nodiscard]] std::size_t Size() const { return FBytes.size(); }
  [[nodiscard]] const std::vector<std::uint8_t>& Bytes() const { return FBytes; }
  void Reserve(std::size_t bytes) { FBytes.reserve(bytes); }
  void Clear() { FBytes.clear(); }
  void Truncate(std::size_t size) { FBytes.resize(size); }

  void Append(const void* bytes, std::size_t count) {
    const auto* from = static_cast<const std::uint8_t*>(bytes);
    FBytes.insert(FBytes.end(), from, from + count);
  }
  void U8(std::uint8_t value) { FBytes.push_back(value); }
  void U16(std::uint16_t value) { Unsigned(value, 2); }
  void U32(std::uint32_t value) { Unsigned(value, 4); }
  void I32(std::int32_t value) { U32(static_cast<std::uint32_t>(value)); }
  void U64(std::uint64_t value) { Unsigned(value, 8); }
  void Zeros(std::size_t count) { FBytes.insert(FBytes.end(), count, 0); }
  // Overwrites four bytes written before.
  void PatchI32(std::size_t at, std::int32_t value) {
    for (int i = 0; i < 4; ++i) FBytes[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) >> (8 * i));
  }

 private:
  void Unsigned(std::uint64_t value, int width) {
    for (int i = 0; i < width; ++i) FBytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
  }

  std::vector<std::uint8_t> FBytes;
};
