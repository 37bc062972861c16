#include "storage/ProjectCaption.h"

#include <QFileInfo>

QString ProjectCaption(const QString& projectFile) { return kMainCaptionPrefix + QFileInfo(projectFile).completeBaseName(); }
