#pragma once
// A signal database as a DBC file describes it: messages by identifier, each with the signals
// its data bytes carry. Texts are UTF-8 whatever the file's encoding was. The reader fills it;
// the codec, the Signals page and ferrolux-cli only read it.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

enum class TByteOrder : std::uint8_t { Motorola, Intel };  // "@0" and "@1"
enum class TSignalValueType : std::uint8_t { Integer, Float, Double };  // SIG_VALTYPE_ 0, 1, 2

// A selector value range of extended multiplexing, both ends included.
struct TMuxRange {
  std::uint64_t First = 0;
  std::uint64_t Last = 0;
};

// Raw value (as a two's-complement signed value for signed signals) to text, sorted by value.
using TValueTable = std::vector<std::pair<std::int64_t, std::string>>;

struct TSignalDef {
  std::string Name;
  int Line = 0;  // where the file defines it
  int StartBit = 0;
  int Length = 0;
  TByteOrder Order = TByteOrder::Intel;
  bool Signed = false;
  TSignalValueType ValueType = TSignalValueType::Integer;
  double Factor = 1;
  double Offset = 0;
  double Minimum = 0;
  double Maximum = 0;
  std::string Unit;
  std::vector<std::string> Receivers;
  std::string Comment;
  std::optional<double> StartValue;  // GenSigStartValue, raw

  // Multiplexing: a multiplexor's raw value selects other signals ("M", or "mNM" in a chain);
  // a multiplexed signal is present only when its selector holds one of its values.
  bool Multiplexor = false;
  std::optional<std::uint64_t> MuxValue;  // N of "mN" / "mNM"
  std::vector<TMuxRange> MuxRanges;       // from SG_MUL_VAL_; replaces MuxValue when given
  std::string MuxSwitchName;              // the selector SG_MUL_VAL_ names
  int Selector = -1;                      // index of the selecting signal in the message, -1 none

  TValueTable Values;  // VAL_

  // Where the codec finds the bits, set by the reader for every signal it keeps.
  int Shift = 0;         // right shift of the 64-bit data word (Intel: little-endian, Motorola: big-endian)
  int BytesNeeded = 0;   // the frame's DLC must be at least this
};

struct TMessageDef {
  std::uint32_t Id = 0;  // without the extended flag
  int Line = 0;
  bool Extended = false;
  std::string Name;
  int Size = 0;  // bytes
  std::vector<std::string> Transmitters;
  std::string Comment;
  std::optional<std::int64_t> CycleTime;  // GenMsgCycleTime, ms
  bool CanFd = false;                     // VFrameFormat names an FD format
  // False for messages the adapters cannot carry (over 8 bytes, CAN FD): kept, not decoded.
  bool Decodable = true;
  bool Multiplexed = false;  // some signal has a selector
  std::vector<TSignalDef> Signals;  // in definition order
};

struct TDbcDatabase {
  std::string FileName;
  std::string Version;
  std::string Comment;
  std::vector<std::string> Nodes;
  std::vector<std::pair<std::string, TValueTable>> ValueTables;  // VAL_TABLE_, by name
  std::vector<TMessageDef> Messages;  // in definition order
  std::vector<std::string> Warnings;  // "FILE:LINE:COLUMN: ..." for what was left out
  std::size_t SkippedStatements = 0;  // statements read over to their ';'
};

// The identifier as the frame record and the lookups key it: bit 31 marks a 29-bit identifier.
[[nodiscard]] constexpr std::uint32_t MessageKey(std::uint32_t id, bool extended) {
  return extended ? (id | 0x80000000U) : id;
}
