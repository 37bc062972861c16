#pragma once
// The "Format Data" window: decodes the trace into diagnostic messages grouped by control
// unit and shows them in the tree list vst1. Created once with the main window and shown
// beside it; the catalog is read when it is created.

#include <QAction>
#include <QFileDialog>
#include <QMainWindow>
#include <QTreeView>
#include <functional>

#include "catalog/FormatDataList.h"
#include "catalog/FormatDataTreeModel.h"

class TTraceList;

class TfFormatData : public QMainWindow {
  Q_OBJECT

 public:
  // Reads the catalog from `catalogPath`; `deviceConnected` refuses a decode while true.
  TfFormatData(const TTraceList& trace, std::function<bool()> deviceConnected, const QString& catalogPath,
               QWidget* parent = nullptr);

  [[nodiscard]] TFormatDataList& List() { return FList; }
  [[nodiscard]] TFormatDataTreeModel& TreeModel() { return FTreeModel; }

  void btn1Click();  // decode the trace
  void btn2Click();  // clear the list
  void btn3Click();  // export the list

  // Writes the list to the chosen file; the export button stays disabled until it is set.
  using TListExport = std::function<void(const TFormatDataList& list, const QString& fileName)>;
  void SetListExport(TListExport exportList);

  QAction* actionDecode = nullptr;
  QAction* actionClear = nullptr;
  QAction* actionExport = nullptr;
  QTreeView* vst1 = nullptr;
  QFileDialog* dlgSave = nullptr;

 private:
  void BuildToolBar();
  void BuildList();
  void ShowDecodedRows();

  const TTraceList& FTrace;
  std::function<bool()> FDeviceConnected;
  TFormatDataList FList;
  TFormatDataTreeModel FTreeModel;
  TListExport FExport;
};
