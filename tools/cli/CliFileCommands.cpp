#include "tools/cli/CliFileCommands.h"

#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <optional>

#include "catalog/DiagnosticDecoder.h"
#include "catalog/FormatDataExport.h"
#include "signals/SignalCsv.h"
#include "storage/MyRegValues.h"
#include "storage/ProjectCaption.h"
#include "stats/StatisticsReport.h"
#include "storage/TreeFile.h"
#include "tools/cli/CliCommands.h"
#include "tools/cli/CliOptions.h"
#include "transmit/TriggerLogExport.h"
#include "transmit/TriggerLogList.h"
#include "views/TraceLogFile.h"
#include "views/TrafficExport.h"
#include "views/TrafficViews.h"

namespace {

constexpr int kExitOk = 0;
constexpr std::size_t kImportBatch = 65536;

enum class TListKind { Trace, Monitor, TriggerLog };

QString ExtensionOf(const QString& path) { return QLatin1Char('.') + QFileInfo(path).suffix().toLower(); }

// A log format named by the extension.
std::optional<TLogFormat> LogFormatOf(const QString& extension) { return LogFormatOfExtension(extension.toStdString()); }

// A log format that is also written.
std::optional<TLogFormat> WrittenLogFormatOf(const QString& extension) {
  const std::optional<TLogFormat> format = LogFormatOf(extension);
  if (format && LogFormatInfo(*format).Writable) return format;
  return std::nullopt;
}

// Which list an input file holds, by its extension; a name without a known one may still be
// a log, by its content.
std::optional<TListKind> InputKind(const QString& path) {
  const QString extension = ExtensionOf(path);
  if (extension == QLatin1String(".tr1") || LogFormatOfFile(path)) return TListKind::Trace;
  if (extension == QLatin1String(".mo1")) return TListKind::Monitor;
  if (extension == QLatin1String(".lm1")) return TListKind::TriggerLog;
  return std::nullopt;
}

std::optional<TExportFormat> ExportFormatOf(const QString& extension) {
  if (extension == QLatin1String(".csv")) return TExportFormat::Csv;
  if (extension == QLatin1String(".html")) return TExportFormat::Html;
  if (extension == QLatin1String(".rtf")) return TExportFormat::Rtf;
  return std::nullopt;
}

// The trace is the one list that also goes out as a log or a list file.
bool TraceOnlyOutput(const QString& extension) {
  return extension == QLatin1String(".tr1") || WrittenLogFormatOf(extension);
}

TListKind RequireInputKind(const QString& in) {
  const std::optional<TListKind> kind = InputKind(in);
  if (!kind) throw TUsageError("cannot read '" + in.toStdString() + "': use .log, .asc, .blf, .trc, .csv, .tr1, .mo1 or .lm1");
  return *kind;
}

void RequireOutputFor(TListKind kind, const QString& out) {
  const QString extension = ExtensionOf(out);
  // A .csv written is the list's export; SavvyCAN's CSV is only read.
  if (ExportFormatOf(extension)) return;
  if (TraceOnlyOutput(extension)) {
    if (kind == TListKind::Trace) return;
    throw TUsageError("only a trace becomes a " + extension.toStdString() + " file");
  }
  throw TUsageError("cannot write '" + out.toStdString() + "': use .log, .asc, .blf, .trc, .tr1, .csv, .html or .rtf");
}

// The user's stored settings, read without writing the store back.
template <typename Read>
auto StoredSetting(Read read) {
  TZelCanRegIni regIni;
  ConfigureFerroluxRegIni(regIni);
  regIni.SaveOnExit = false;
  const TMyRegValues settings(regIni);
  return read(settings);
}

bool StoredShow8ByteMsg() {
  return StoredSetting([](const TMyRegValues& settings) { return settings.FShow8ByteMsg; });
}

// The lists a file can hold, as the window has them, with no adapter behind them.
class TFileLists {
 public:
  explicit TFileLists(bool show8ByteMsg)
      : FTraffic(TTrafficSeams{[show8ByteMsg] { return show8ByteMsg; }, [] { return false; }, [] {}}) {}

  void Read(TListKind kind, const QString& path) {
    if (ExtensionOf(path) != QLatin1String(".tr1") && kind == TListKind::Trace) {
      ImportLog(path);
      return;
    }
    try {
      LoadTreeFile(path, List(kind));
    } catch (const TTreeFileError& error) {
      throw TCliFailure{path.toStdString() + ": " + error.what()};
    }
  }

  void Write(TListKind kind, const QString& in, const QString& out) {
    const QString extension = ExtensionOf(out);
    if (const std::optional<TLogFormat> format = WrittenLogFormatOf(extension)) {
      QString error;
      if (!SaveTraceLog(FTraffic.Trace(), *format, out, error)) throw TCliFailure{error.toStdString()};
      return;
    }
    if (extension == QLatin1String(".tr1")) {
      SaveTreeFile(out, FTraffic.Trace());
      return;
    }
    Export(kind, *ExportFormatOf(extension), out, ProjectCaption(in));
  }

  [[nodiscard]] const TTraceList& Trace() { return FTraffic.Trace(); }

 private:
  TRowListBase& List(TListKind kind) {
    switch (kind) {
      case TListKind::Trace: return FTraffic.Trace();
      case TListKind::Monitor: return FTraffic.Monitor();
      case TListKind::TriggerLog: return FTriggerLog;
    }
    return FTraffic.Trace();
  }

  void ImportLog(const QString& path) {
    TLogImport import(FTraffic, path);
    while (import.Step(kImportBatch) == TLogImport::TState::Reading) {
    }
    if (import.State() == TLogImport::TState::CannotOpen) throw TCliFailure{"cannot open '" + path.toStdString() + "'"};
    if (import.State() == TLogImport::TState::UnknownFormat)
      throw TCliFailure{"'" + path.toStdString() + "' is not a log file in a format that is read"};
    if (import.State() == TLogImport::TState::Bad) throw TCliFailure{path.toStdString() + ": " + import.Problem().Text()};
  }

  void Export(TListKind kind, TExportFormat format, const QString& out, const QString& title) {
    const TListLook look = DefaultListLook();
    switch (kind) {
      case TListKind::Trace: {
        const TTraceExport trace(FTraffic.Trace(), look);
        WriteListExport(out, format, TraceExportJob(trace, TraceLayout()), title, QStringLiteral("CAN Data Tracer"));
        return;
      }
      case TListKind::Monitor: {
        const TRowListExport monitor(FTraffic.Monitor(), look);
        WriteListExport(out, format, {monitor, MonitorLayout(), {}}, title, QStringLiteral("CAN Data Monitor"));
        return;
      }
      case TListKind::TriggerLog: {
        const TRowListExport log(FTriggerLog, look);
        WriteListExport(out, format, {log, TriggerLogLayout(), {}}, title, QStringLiteral("Trigger Log"));
        return;
      }
    }
  }

  TTrafficViews FTraffic;
  TTriggerLogList FTriggerLog;
};

}  // namespace

int RunConvert(const TCliArgs& args) {
  const QString in = QString::fromStdString(args.Arguments.at(0));
  const QString out = QString::fromStdString(args.Arguments.at(1));
  const TListKind kind = RequireInputKind(in);
  RequireOutputFor(kind, out);
  TFileLists lists(StoredShow8ByteMsg());
  lists.Read(kind, in);
  lists.Write(kind, in, out);
  return kExitOk;
}

int RunDecode(const TCliArgs& args) {
  const QString in = QString::fromStdString(args.Arguments.at(0));
  const TListKind kind = RequireInputKind(in);
  if (kind != TListKind::Trace) throw TUsageError("only a trace can be decoded");
  std::optional<TControlUnitCatalog> catalog;
  if (args.Has("catalog")) {
    const QString path = QString::fromStdString(args.Value("catalog"));
    catalog = TControlUnitCatalog::Load(path);
    if (!catalog) throw TCliFailure{"cannot open catalog '" + path.toStdString() + "'"};
  }
  TFileLists lists(StoredShow8ByteMsg());
  lists.Read(kind, in);
  TFormatDataList rows(std::move(catalog));
  DecodeTrace(lists.Trace(), rows);
  const QByteArray text = FormatDataCsvUtf8(rows);
  std::fwrite(text.constData(), 1, static_cast<std::size_t>(text.size()), stdout);
  std::fflush(stdout);
  return kExitOk;
}

int RunSignals(const TCliArgs& args) {
  const QString in = QString::fromStdString(args.Arguments.at(0));
  if (RequireInputKind(in) != TListKind::Trace) throw TUsageError("only a trace holds the frames to decode");
  if (!args.Has(CliOption::Dbc.Name)) throw TUsageError("missing --dbc FILE");
  TSignalDatabases databases;
  LoadSignalDatabases(args, databases);
  TFileLists lists(StoredShow8ByteMsg());
  lists.Read(TListKind::Trace, in);
  QFile out;
  if (!out.open(stdout, QIODevice::WriteOnly)) throw TCliFailure{"cannot write to standard output"};
  TSignalCsvWriter writer(databases, out);
  writer.WriteCaptions();
  const TTraceList& trace = lists.Trace();
  for (std::size_t row = 0; row < trace.RowCount(); ++row) writer.WriteFrame(trace.Row(row).Msg);
  writer.Flush();
  return kExitOk;
}

// Bus figures of a capture, on the trace rows' time stamps, at the given or the stored bit rate.
int RunStats(const TCliArgs& args) {
  const QString in = QString::fromStdString(args.Arguments.at(0));
  if (RequireInputKind(in) != TListKind::Trace) throw TUsageError("only a trace holds the frames to count");
  double bitRate = ReadBitRateOption(args);
  if (bitRate == 0) {
    bitRate = StoredSetting([](const TMyRegValues& settings) {
      return BitRateInUse(settings.FCanBitRate, static_cast<std::uint8_t>(settings.FCanBitRateBTR0),
                          static_cast<std::uint8_t>(settings.FCanBitRateBTR1));
    });
  }
  TFileLists lists(false);
  lists.Read(TListKind::Trace, in);
  TBusStatistics statistics(bitRate);
  const TTraceList& trace = lists.Trace();
  for (std::size_t row = 0; row < trace.RowCount(); ++row)
    statistics.Add(trace.Row(row).Msg, std::int64_t{1000} * trace.Row(row).Msg.Time);
  const QByteArray text = StatisticsCsvUtf8(statistics);
  std::fwrite(text.constData(), 1, static_cast<std::size_t>(text.size()), stdout);
  std::fflush(stdout);
  return kExitOk;
}
