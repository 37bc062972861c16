// The main window's catalog window: created once at start, shown by the trace page's
// catalog button beside the main window.

#include <QAction>

#include "app/CANUSBMain.h"
#include "catalog/FormatData.h"
#include "catalog/FormatDataExport.h"
#include "storage/DataFolder.h"
#include "views/TracePage.h"

void TfCANUSBMain::BuildCatalogWindow() {
  fFormatData = new TfFormatData(FTraffic.Trace(), [this] { return CanAdapter.Connected(); },
                                 DataFolderPath(DataFolder::Catalog), this);
  fFormatData->SetListExport(&SaveFormatDataCsv);
  QAction* show = TracePage->actionBMW;
  show->setEnabled(true);
  connect(show, &QAction::triggered, this, [this] {
    fFormatData->show();
    fFormatData->raise();
    fFormatData->activateWindow();
  });
}
