#include "catalog/FormatData.h"

#include <QApplication>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <algorithm>

#include "catalog/DiagnosticDecoder.h"
#include "lists/ListView.h"
#include "storage/DataFolder.h"

TfFormatData::TfFormatData(const TTraceList& trace, std::function<bool()> deviceConnected, const QString& catalogPath,
                           QWidget* parent)
    : QMainWindow(parent, Qt::Window),
      FTrace(trace),
      FDeviceConnected(std::move(deviceConnected)),
      FList(TControlUnitCatalog::Load(catalogPath)),
      FTreeModel(FList) {
  setObjectName(QStringLiteral("fFormatData"));
  setWindowTitle(QStringLiteral("Format Data"));
  resize(900, 600);
  BuildToolBar();
  BuildList();
  statusBar()->setObjectName(QStringLiteral("StatusBar1"));

  dlgSave = new QFileDialog(this);
  dlgSave->setObjectName(QStringLiteral("dlgSave"));
  dlgSave->setAcceptMode(QFileDialog::AcceptSave);
  dlgSave->setFileMode(QFileDialog::AnyFile);
}

void TfFormatData::BuildToolBar() {
  auto* bar = addToolBar(QStringLiteral("Format Data"));
  bar->setObjectName(QStringLiteral("ToolBar1"));
  bar->setMovable(false);
  const auto add = [&](const char* name, const char* button, const QString& hint, QStyle::StandardPixmap icon) {
    QAction* action = AddToolAction(bar, QString::fromLatin1(name), {}, hint, false, style()->standardIcon(icon));
    bar->widgetForAction(action)->setObjectName(QString::fromLatin1(button));
    return action;
  };
  actionDecode = add("actionDecode", "btn1", QStringLiteral("Decode Trace"), QStyle::SP_MediaPlay);
  actionClear = add("actionClear", "btn2", QStringLiteral("Clear List"), QStyle::SP_DialogResetButton);
  actionExport = add("actionExport", "btn3", QStringLiteral("Export List"), QStyle::SP_DialogSaveButton);
  actionExport->setEnabled(false);
  connect(actionDecode, &QAction::triggered, this, [this] { RunUserAction([this] { btn1Click(); }); });
  connect(actionClear, &QAction::triggered, this, [this] { RunUserAction([this] { btn2Click(); }); });
  connect(actionExport, &QAction::triggered, this, [this] { RunUserAction([this] { btn3Click(); }); });
}

void TfFormatData::BuildList() {
  vst1 = CreateTreeListView(this, QStringLiteral("vst1"), QStringLiteral("Diagnostic messages"));
  vst1->setModel(&FTreeModel);
  for (int column = 0; column < FList.ColumnCount(); ++column)
    vst1->setColumnWidth(column, TFormatDataList::ColumnWidth(column));
  setCentralWidget(vst1);
}

void TfFormatData::btn1Click() {
  if (FDeviceConnected && FDeviceConnected()) {
    ShowUserMessage(TUserMessageKind::Information, QApplication::applicationName(),
                    QStringLiteral("Please stop the logging first."));
    return;
  }
  TWaitCursor wait;
  DecodeTrace(FTrace, FList);
  ShowDecodedRows();
}

// The name of a control unit runs on over the empty cells to its right.
void TfFormatData::ShowDecodedRows() {
  const int units = FTreeModel.rowCount();
  for (int row = 0; row < units; ++row) vst1->setFirstColumnSpanned(row, {}, true);
  vst1->expandAll();
  // An extended identifier or a long message does not fit the starting widths.
  for (int column : {TFormatDataList::colId, TFormatDataList::colMsg}) {
    vst1->resizeColumnToContents(column);
    vst1->setColumnWidth(column, std::max(TFormatDataList::ColumnWidth(column), vst1->columnWidth(column)));
  }
}

void TfFormatData::btn2Click() {
  TWaitCursor wait;
  FList.Clear();
}

void TfFormatData::btn3Click() {
  if (!FExport) return;
  ForceDataFolder(DataFolder::Logfiles);
  dlgSave->setDirectory(DataFolderPath(DataFolder::Logfiles));
  if (dlgSave->exec() != QDialog::Accepted || dlgSave->selectedFiles().isEmpty()) return;
  FExport(FList, dlgSave->selectedFiles().constFirst());
}

void TfFormatData::SetListExport(TListExport exportList) {
  FExport = std::move(exportList);
  actionExport->setEnabled(static_cast<bool>(FExport));
}
