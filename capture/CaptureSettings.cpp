#include "capture/CaptureSettings.h"

#include <QString>
#include <algorithm>

#include "platform/Registry.h"

namespace {
const QString kCaptureKey = QStringLiteral("Software\\Tarvell\\Ferrolux\\Capture");
const QString kMemoryMiB = QStringLiteral("MemoryMiB");
}  // namespace

std::int32_t ReadTraceMemoryMiB() {
  TRegistry reg;
  if (!reg.OpenKey(kCaptureKey, false) || !reg.ValueExists(kMemoryMiB)) return kDefaultTraceMemoryMiB;
  return std::clamp(reg.ReadInteger(kMemoryMiB), kMinTraceMemoryMiB, kMaxTraceMemoryMiB);
}

void StoreTraceMemoryMiB(std::int32_t mib) {
  TRegistry reg;
  if (reg.OpenKey(kCaptureKey, true)) reg.WriteInteger(kMemoryMiB, std::clamp(mib, kMinTraceMemoryMiB, kMaxTraceMemoryMiB));
}
