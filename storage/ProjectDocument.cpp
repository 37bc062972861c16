#include "storage/ProjectDocument.h"

void TProjectDocument::SetProjectName(const QString& value) {
  if (value != FProjectName) FProjectName = value;
}

void TProjectDocument::SetChanged(bool value) {
  if (value == FChanged) return;
  FChanged = value;
  if (OnChanged) OnChanged(value);
}

void TProjectDocument::New() {
  SetProjectName(kUnnamedProject);
  if (OnChangeName) OnChangeName(kUnnamedProject);
  for (TProjectList* list : Lists())
    if (list) list->Clear();
  if (OpenDatabases) OpenDatabases({});
  if (OpenPlotLayout) OpenPlotLayout({});
  FChanged = false;
}
