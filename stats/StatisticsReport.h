#pragma once
// The bus figures of a capture as semicolon text, UTF-8 with CR LF line ends: a captions line,
// one line per identifier in ascending order, then "Total" with the sums and the load over the
// capture's span. Periods in milliseconds and rates with three decimals; a figure that needs a
// span or two frames is empty without one.
//
//   ID;Count;Bits;Frames/s;Mean period ms;Min period ms;Max period ms;Std period ms;Load %
//   100;11;1430;10.000;100.000;99.000;101.000;0.667;0.572
//   Total;11;1430;10.000;;;;;0.572

#include <QByteArray>

#include "stats/BusStatistics.h"

[[nodiscard]] QByteArray StatisticsCsvUtf8(const TBusStatistics& statistics);
