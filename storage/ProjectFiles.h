#pragma once
// A project on disk: the XML file NAME.fxproj with the bit-rate settings, and beside it the
// folder NAME_Data holding one list file per list (NAME.sf1 … NAME.lm1).

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>

#include "storage/ProjectPlot.h"

class TProjectList;
class TRowListBase;

// The list files' extensions in the order the project writes and reads them, which is the
// order of TProjectDocument::Lists().
inline const std::array<QString, 6> kProjectListExtensions = {QStringLiteral(".sf1"), QStringLiteral(".hf1"),
                                                              QStringLiteral(".mo1"), QStringLiteral(".tr1"),
                                                              QStringLiteral(".pm1"), QStringLiteral(".lm1")};

inline const QString kProjectDataMissing = QStringLiteral("Project data files not found!");

// "dir/a.b.fxproj" gives "dir/a.b_Data": the last extension removed, then "_Data".
[[nodiscard]] QString ProjectSideFolder(const QString& projectFile);
// "dir/a.b.fxproj" and ".tr1" give "dir/a.b_Data/a.b.tr1".
[[nodiscard]] QString ProjectSideFile(const QString& projectFile, const QString& extension);

struct TProjectBitRates {
  std::int32_t BaudRate = 0;  // kbit/s; 0 = the BTR register pair
  std::int32_t BTR0 = 0;
  std::int32_t BTR1 = 0;
  friend bool operator==(const TProjectBitRates&, const TProjectBitRates&) = default;
};

// The project XML, UTF-16 with a byte order mark and the declared encoding "UTF-16". The signal
// databases, when there are any, follow the settings as <Databases><Database>PATH</Database>...
// (PATH as given: the caller makes it relative to the project folder), then the plotted
// signals as <Plot Overlaid="0|1" Span="SECONDS"><Signal Id="HEX" Extended="0|1">NAME</Signal>...;
// readers that do not know an element pass over it.
[[nodiscard]] QByteArray ProjectXml(const TProjectBitRates& bitRates, const QStringList& databases = {}, const TProjectPlot& plot = {});
// Reads the settings by element name; a malformed document, a missing element or a value that
// is not a decimal integer throws std::runtime_error with the reason.
[[nodiscard]] TProjectBitRates ParseProjectXml(const QByteArray& xml);
// The database paths of a project XML as written; none when the element is absent.
[[nodiscard]] QStringList ParseProjectDatabases(const QByteArray& xml);
// The plot the project keeps; none plotted for a file without one, and a signal that does
// not read as one is left out.
[[nodiscard]] TProjectPlot ParseProjectPlot(const QByteArray& xml);

// A database path as the project keeps it: relative when the file lies in or below the project
// file's folder, else absolute; and back.
[[nodiscard]] QString ProjectRelativePath(const QString& projectFile, const QString& path);
[[nodiscard]] QString ProjectAbsolutePath(const QString& projectFile, const QString& stored);

// Every list a project holds is a row list as well; this is the side the list files see.
[[nodiscard]] TRowListBase& ProjectListRows(TProjectList& list);
