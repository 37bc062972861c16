#include "signals/SignalDrag.h"

namespace {
constexpr std::size_t kMostSignals = 4096;  // more than any message holds; a foreign drop stops there
constexpr std::uint32_t kMostId = 0x1FFFFFFF;
}  // namespace

std::unique_ptr<QMimeData> SignalsMimeData(const std::vector<TSignalKey>& keys) {
  QByteArray text;
  for (const TSignalKey& key : keys)
    text += QByteArray::number(key.Id, 16) + '\t' + (key.Extended ? 'x' : 's') + '\t' + QByteArray::fromStdString(key.Signal) + '\n';
  auto data = std::make_unique<QMimeData>();
  data->setData(kSignalsMimeType, text);
  return data;
}

std::vector<TSignalKey> SignalsFromMimeData(const QMimeData& data) {
  std::vector<TSignalKey> keys;
  for (const QByteArray& line : data.data(kSignalsMimeType).split('\n')) {
    const QList<QByteArray> fields = line.split('\t');
    if (fields.size() != 3 || fields[2].isEmpty() || (fields[1] != "x" && fields[1] != "s")) continue;
    bool ok = false;
    const qulonglong id = fields[0].toULongLong(&ok, 16);
    if (!ok || id > kMostId || (fields[1] == "s" && id > 0x7FF)) continue;
    keys.push_back({static_cast<std::uint32_t>(id), fields[1] == "x", fields[2].toStdString()});
    if (keys.size() == kMostSignals) break;
  }
  return keys;
}
