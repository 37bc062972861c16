// Bytes as an adapter's serial line delivers them: cut into reply units (once in one piece,
// once a byte at a time, which must agree) and each unit decoded as a received frame line.
// The same bytes as a transmit command read strictly by an adapter must write back unchanged.

#include <cctype>
#include <cstdint>
#include <string>
#include <vector>

#include "CanPackage/source/AsciiProtocol.h"
#include "CanPackage/source/SerialLineAssembler.h"
#include "tests/fuzz/FuzzCheck.h"

namespace {

std::vector<std::string> Units(TSerialLineAssembler& lines) {
  std::vector<std::string> units;
  while (auto unit = lines.Take()) {
    FuzzCheck(unit->Text.size() <= AsciiProtocol::kMaxLineLength, "reply unit longer than the longest line");
    FuzzCheck(unit->Refused == (unit->Text.back() == AsciiProtocol::BEL), "refusal flag disagrees with terminator");
    units.push_back(std::move(unit->Text));
  }
  return units;
}

void DecodeUnits(const std::vector<std::string>& units) {
  for (const std::string& unit : units) {
    const auto msg = AsciiProtocol::DecodeFrameLine(unit);
    if (msg) FuzzCheck(msg->len <= 9, "decoded length is not one decimal digit");
  }
}

std::string Upper(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return upper;
}

void CheckStrictRead(std::string_view command) {
  const auto msg = AsciiProtocol::ParseTransmitLine(command);
  if (!msg) return;
  const std::string written = AsciiProtocol::TransmitLine(*msg);
  FuzzCheck(written.front() == command.front() && written.substr(1) == Upper(command.substr(1)),
            "transmit line does not write back");
  const auto echoed = AsciiProtocol::DecodeFrameLine(AsciiProtocol::FrameLine(*msg, 0xBEEF));
  FuzzCheck(echoed && echoed->id == msg->CanId && echoed->len == msg->DLC && echoed->timestamp == 0xBEEF,
            "frame line of a transmit command does not decode to it");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  const std::string_view bytes = FuzzText(data, size);

  TSerialLineAssembler whole;
  whole.Feed(bytes, 0);
  TSerialLineAssembler bytewise;
  for (std::size_t i = 0; i < bytes.size(); ++i) bytewise.Feed(bytes.substr(i, 1), static_cast<std::uint32_t>(i));
  const std::vector<std::string> units = Units(whole);
  FuzzCheck(units == Units(bytewise), "units depend on how the stream was split");
  FuzzCheck(whole.Partial() == bytewise.Partial() && whole.Overflows() == bytewise.Overflows(),
            "partial line depends on how the stream was split");
  DecodeUnits(units);
  bytewise.DropStalePartial(static_cast<std::uint32_t>(size), 0, 50);
  FuzzCheck(bytewise.Partial().empty(), "partial line of this read survived");

  CheckStrictRead(bytes);
  return 0;
}
