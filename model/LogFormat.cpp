#include "model/LogFormat.h"

#include <QFile>
#include <QFileInfo>
#include <array>
#include <fstream>
#include <stdexcept>

#include "model/AscLog.h"
#include "model/BlfLog.h"
#include "model/LogText.h"
#include "model/SavvyCsvLog.h"
#include "model/TrcLog.h"

namespace {

constexpr std::array<TLogFormatInfo, 5> kFormats = {{
    {TLogFormat::Candump, "candump log", "log", true},
    {TLogFormat::Asc, "ASC log", "asc", true},
    {TLogFormat::Blf, "BLF log", "blf", true},
    {TLogFormat::Trc, "TRC trace", "trc", true},
    {TLogFormat::SavvyCsv, "SavvyCAN CSV", "csv", false},
}};

constexpr qint64 kSniffBytes = 4096;

}  // namespace

std::span<const TLogFormatInfo> LogFormats() { return kFormats; }

const TLogFormatInfo& LogFormatInfo(TLogFormat format) {
  for (const TLogFormatInfo& info : kFormats)
    if (info.Format == format) return info;
  return kFormats[0];
}

std::optional<TLogFormat> LogFormatOfExtension(std::string_view extension) {
  if (!extension.empty() && extension.front() == '.') extension.remove_prefix(1);
  for (const TLogFormatInfo& info : kFormats)
    if (LogEqualNoCase(extension, info.Extension)) return info.Format;
  return std::nullopt;
}

std::optional<TLogFormat> SniffLogFormat(std::string_view head) {
  if (head.substr(0, 4) == "LOGG") return TLogFormat::Blf;
  if (head.substr(0, 3) == "\xEF\xBB\xBF") head.remove_prefix(3);
  const std::size_t begin = head.find_first_not_of(" \t\r\n");
  if (begin == std::string_view::npos) return std::nullopt;
  std::string_view line = head.substr(begin);
  line = line.substr(0, line.find_first_of("\r\n"));
  if (line.front() == '(') return TLogFormat::Candump;
  if (line.front() == ';') return TLogFormat::Trc;
  if (LogStartsNoCase(line, "Time Stamp,")) return TLogFormat::SavvyCsv;
  std::string_view rest = line;
  const std::string_view first = LogNextField(rest);
  for (std::string_view word : {"date", "base", "//", "begin", "internal", "no"})
    if (LogEqualNoCase(first, word)) return TLogFormat::Asc;
  return std::nullopt;
}

std::optional<TLogFormat> LogFormatOfFile(const QString& path) {
  if (const auto format = LogFormatOfExtension(QFileInfo(path).suffix().toStdString())) return format;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  return SniffLogFormat(file.read(kSniffBytes).toStdString());
}

std::unique_ptr<TLogReader> MakeLogReader(TLogFormat format, std::istream& in) {
  switch (format) {
    case TLogFormat::Candump: return std::make_unique<TCandumpReader>(in);
    case TLogFormat::Asc: return std::make_unique<TAscReader>(in);
    case TLogFormat::Blf: return std::make_unique<TBlfReader>(in);
    case TLogFormat::Trc: return std::make_unique<TTrcReader>(in);
    case TLogFormat::SavvyCsv: return std::make_unique<TSavvyCsvReader>(in);
  }
  return nullptr;
}

std::unique_ptr<TLogWriter> MakeLogWriter(TLogFormat format, QIODevice& out) {
  switch (format) {
    case TLogFormat::Candump: return std::make_unique<TCandumpWriter>(out);
    case TLogFormat::Asc: return std::make_unique<TAscWriter>(out);
    case TLogFormat::Blf: return std::make_unique<TBlfWriter>(out);
    case TLogFormat::Trc: return std::make_unique<TTrcWriter>(out);
    case TLogFormat::SavvyCsv: return nullptr;
  }
  return nullptr;
}

TLogFile ReadLogFile(TLogReader& reader) {
  TLogFile file;
  TCandumpFrame frame;
  for (;;) {
    const TLogReader::TStep step = reader.Next(frame);
    if (step == TLogReader::TStep::End) break;
    if (step == TLogReader::TStep::Frame) {
      file.Frames.push_back(frame);
      continue;
    }
    ++file.Skipped;
    if (!file.FirstProblem) file.FirstProblem = reader.Problem();
  }
  file.Skipped += reader.Skipped();
  return file;
}

TLogFile ReadLogFileAt(const QString& path) {
  std::ifstream in(QFile::encodeName(path).toStdString(), std::ios::binary);
  if (!in || !QFileInfo(path).isFile()) throw std::runtime_error("cannot read " + path.toStdString());
  const std::optional<TLogFormat> format = LogFormatOfFile(path);
  if (!format) throw std::runtime_error(path.toStdString() + " is not a log in a format that is read");
  return ReadLogFile(*MakeLogReader(*format, in));
}
