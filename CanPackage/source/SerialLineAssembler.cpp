#include "CanPackage/source/SerialLineAssembler.h"

#include "CanPackage/source/AsciiProtocol.h"

void TSerialLineAssembler::Feed(std::string_view bytes, std::uint32_t now) {
  using AsciiProtocol::BEL;
  using AsciiProtocol::CR;
  for (const char c : bytes) {
    const bool terminator = c == CR || c == BEL;
    if (FSkipping) {
      FSkipping = !terminator;
      continue;
    }
    if (FPartial.empty()) FPartialSince = now;
    FPartial.push_back(c);
    if (terminator) {
      FUnits.push_back(TUnit{std::move(FPartial), c == BEL});
      FPartial.clear();
    } else if (FPartial.size() >= AsciiProtocol::kMaxLineLength) {
      ++FOverflows;
      FPartial.clear();
      FSkipping = true;
    }
  }
}

std::optional<TSerialLineAssembler::TUnit> TSerialLineAssembler::Take() {
  if (FUnits.empty()) return std::nullopt;
  TUnit unit = std::move(FUnits.front());
  FUnits.pop_front();
  return unit;
}

void TSerialLineAssembler::DropStalePartial(std::uint32_t now, std::uint32_t since, std::uint32_t age) {
  const bool takenDuringRead = static_cast<std::int32_t>(FPartialSince - since) >= 0;  // wrap-safe
  if (!FPartial.empty() && (takenDuringRead || now - FPartialSince >= age)) FPartial.clear();
}

void TSerialLineAssembler::Clear() {
  FUnits.clear();
  FPartial.clear();
  FSkipping = false;
}
