#pragma once
// Signals dragged from the Signals page onto a plot: one line per signal, "identifier in hex,
// x for extended or s, name", tab-separated, UTF-8. A drop from elsewhere may carry anything:
// what does not read as such a line is left out.

#include <QMimeData>
#include <QString>
#include <memory>
#include <vector>

#include "signals/SignalKey.h"

inline const QString kSignalsMimeType = QStringLiteral("application/x-ferrolux-signals");

[[nodiscard]] std::unique_ptr<QMimeData> SignalsMimeData(const std::vector<TSignalKey>& keys);
[[nodiscard]] std::vector<TSignalKey> SignalsFromMimeData(const QMimeData& data);
