#include "platform/HidReportDescriptor.h"

#include <algorithm>
#include <map>
#include <vector>

#include "platform/LittleEndian.h"

namespace {

// Item prefix: bits 0-1 size code, bits 2-3 type, bits 4-7 tag.
constexpr std::uint8_t kTypeMain = 0;
constexpr std::uint8_t kTypeGlobal = 1;
constexpr std::uint8_t kMainInput = 0x8;
constexpr std::uint8_t kMainOutput = 0x9;
constexpr std::uint8_t kGlobalReportSize = 0x7;
constexpr std::uint8_t kGlobalReportId = 0x8;
constexpr std::uint8_t kGlobalReportCount = 0x9;
constexpr std::uint8_t kGlobalPush = 0xA;
constexpr std::uint8_t kGlobalPop = 0xB;
constexpr std::uint8_t kLongItem = 0xFE;

struct GlobalState {
  std::uint32_t reportSize = 0;
  std::uint32_t reportCount = 0;
  std::uint32_t reportId = 0;
};

std::size_t LongestInBytes(const std::map<std::uint32_t, std::uint64_t>& bitsPerId) {
  std::uint64_t longest = 0;
  for (const auto& [id, bits] : bitsPerId) longest = std::max(longest, bits);
  return longest == 0 ? 0 : static_cast<std::size_t>((longest + 7) / 8) + 1;
}

}  // namespace

THidDescriptorSummary SummariseReportDescriptor(std::span<const std::uint8_t> descriptor) {
  THidDescriptorSummary summary;
  GlobalState global;
  std::vector<GlobalState> stack;
  std::map<std::uint32_t, std::uint64_t> inputBits;
  std::map<std::uint32_t, std::uint64_t> outputBits;

  std::size_t pos = 0;
  while (pos < descriptor.size()) {
    const std::uint8_t prefix = descriptor[pos];
    if (prefix == kLongItem) {
      if (pos + 1 >= descriptor.size()) break;
      pos += 3 + std::size_t{descriptor[pos + 1]};
      continue;
    }
    const std::size_t size = (prefix & 3) == 3 ? 4 : (prefix & 3);
    if (pos + 1 + size > descriptor.size()) break;  // truncated item: stop at what is known
    const std::uint32_t value = ReadLittleEndian(descriptor.subspan(pos + 1, size));
    const std::uint8_t type = (prefix >> 2) & 3;
    const std::uint8_t tag = prefix >> 4;
    pos += 1 + size;

    if (type == kTypeGlobal) {
      switch (tag) {
        case kGlobalReportSize: global.reportSize = value; break;
        case kGlobalReportCount: global.reportCount = value; break;
        case kGlobalReportId:
          global.reportId = value;
          summary.NumberedReports = true;
          break;
        case kGlobalPush: stack.push_back(global); break;
        case kGlobalPop:
          if (!stack.empty()) {
            global = stack.back();
            stack.pop_back();
          }
          break;
        default: break;
      }
    } else if (type == kTypeMain && (tag == kMainInput || tag == kMainOutput)) {
      auto& bits = tag == kMainInput ? inputBits : outputBits;
      bits[global.reportId] += std::uint64_t{global.reportSize} * global.reportCount;
    }
  }
  summary.InputLength = LongestInBytes(inputBits);
  summary.OutputLength = LongestInBytes(outputBits);
  return summary;
}
