// Bytes as the HID adapter's input reports deliver them, of any length: decoded as frame slots
// and as reply text. A command's output report must read back as the command.

#include <cstdint>
#include <span>
#include <string>

#include "CanPackage/source/HidReport.h"
#include "tests/fuzz/FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  const std::span<const std::uint8_t> report(data, size);

  const TCanMsgs frames = HidReport::DecodeFrameReport(report);
  FuzzCheck(frames.size() <= HidReport::kSlotCount, "more frames than slots");
  for (const TCanMsg& msg : frames)
    if ((msg.flags & kCanMsgFlagExtended) == 0) FuzzCheck(msg.id <= 0xFFFF, "standard identifier wider than 16 bits");
  const std::string reply = HidReport::ReplyText(report);
  FuzzCheck(reply.size() <= HidReport::kMaxCommandLength, "reply longer than a report's payload");
  if (HidReport::LooksLikeFrameReport(report)) FuzzCheck(size > 1, "an empty report looks like frames");

  const std::string_view command = FuzzText(data, size);
  if (const auto out = HidReport::CommandReport(command)) {
    FuzzCheck(out->size() == HidReport::kLength, "command report of the wrong length");
    FuzzCheck(HidReport::ReplyText(*out) == command.substr(0, command.find('\0')), "command report reads back wrong");
  }
  return 0;
}
