#pragma once
// The main window's caption for a project: the fixed prefix and the project's file name
// without its last extension. The HTML reports carry the same caption as their title.

#include <QString>

inline const QString kMainCaptionPrefix = QStringLiteral("Tarvell - Ferrolux Ver. 3.9 - ");

// "/p/bus.v2.fxproj" gives the prefix and "bus.v2".
[[nodiscard]] QString ProjectCaption(const QString& projectFile);
