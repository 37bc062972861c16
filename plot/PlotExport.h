#pragma once
// The plotted signals as semicolon text, UTF-8 with CR LF line ends, one line per sample at
// the time stamp it was taken at (nothing resampled), all signals merged in time order (a tie
// in the order of the plot):
//
//   Time;Signal;Value;Unit
//   1250;EngineData.EngineSpeed;1500.25;rpm
//   1260;EngineData.OilTemp;87.5;°C
//
// Time is the frame's stamp in milliseconds, counted on across the adapter counter's turns
// (see TPlotSamples), Signal the message and signal name, Value the
// shortest text that reads back as the same double. Cells holding ';', '"', CR or LF are
// quoted with their quotes doubled. A write failure throws EExportError.

#include <QIODevice>

#include "plot/PlotSamples.h"

void WritePlotSamples(const TPlotSamples& samples, QIODevice& out);
// Writes the file through QSaveFile, so a failure leaves what was there; false with the
// platform's error text when it fails.
[[nodiscard]] bool SavePlotSamples(const TPlotSamples& samples, const QString& path, QString& error);
