#pragma once
// The per-user data folder (documents folder + "/" + application title) and its entries.

#include <QString>

// Shell folder number of the user's documents folder.
constexpr int CSIDL_PERSONAL = 5;

// The path of a shell folder; empty for a number this system does not know.
[[nodiscard]] QString GetSpecialFolderPath(int csidl);

namespace DataFolder {
inline const QString Logfiles = QStringLiteral("/logfiles");
inline const QString Projects = QStringLiteral("/projects");
inline const QString PredefinedMessages = QStringLiteral("/predefined messages");
inline const QString HardwareFilter = QStringLiteral("/hardware filter");
inline const QString Reports = QStringLiteral("/reports");
inline const QString TempReport = QStringLiteral("/reports/tempreport.html");
inline const QString Catalog = QStringLiteral("/BMW.ini");
inline const QString Capture = QStringLiteral("/capture");
}  // namespace DataFolder

// Documents folder + "/" + the application name ("Ferrolux").
[[nodiscard]] QString DataFolderPath();
// DataFolderPath() + entry, e.g. DataFolderPath(DataFolder::Projects).
[[nodiscard]] QString DataFolderPath(const QString& entry);
// Creates the folder with every missing parent: on a fresh account even the documents folder
// may be missing. Returns whether the folder exists afterwards.
bool ForceDataFolder(const QString& entry = {});
