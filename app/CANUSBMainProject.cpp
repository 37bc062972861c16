// The main window's project commands (open, save, save as) and the separate list files of
// the predefined messages (".pm1") and the hardware filters (".hf1"), with their dialogs.

#include <QAction>
#include <QFileDialog>
#include <QMessageBox>
#include <QStyle>
#include <QToolBar>

#include "app/CANUSBMain.h"
#include "app/FileDialogs.h"
#include "app/UserAction.h"
#include "filters/HwFilterPage.h"
#include "icons/AppIcons.h"
#include "lists/ListView.h"
#include "platform/UserMessage.h"
#include "storage/DataFolder.h"
#include "storage/ProjectDocument.h"
#include "transmit/PredefinedMessagePage.h"
#include "storage/ProjectFiles.h"
#include "storage/TreeFile.h"

namespace {

const QString kProjectFilter = QStringLiteral("Project File (*.fxproj)");

QString ExecFileDialog(QFileDialog& dialog) {
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().constFirst();
}

}  // namespace

QFileDialog* MakeFileDialog(QWidget* parent, const char* name, const QString& title, QFileDialog::AcceptMode mode) {
  auto* dialog = new QFileDialog(parent, title);
  dialog->setObjectName(QString::fromLatin1(name));
  // The same dialog on every desktop, and one that tests can drive.
  dialog->setOption(QFileDialog::DontUseNativeDialog);
  dialog->setAcceptMode(mode);
  dialog->setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  return dialog;
}

// The two lists that are also kept in files of their own.
struct TfCANUSBMain::TListFileKind {
  QString Filter;
  QString Extension;
  QString Folder;  // below the data folder
  TProjectList* TProjectDocument::*List;
};

const TfCANUSBMain::TListFileKind TfCANUSBMain::kPredefinedMessagesFile{
    QStringLiteral("Predefined Messages (*.pm1)"), QStringLiteral("pm1"), DataFolder::PredefinedMessages,
    &TProjectDocument::PredefinedMessagesTree};
const TfCANUSBMain::TListFileKind TfCANUSBMain::kHardwareFilterFile{QStringLiteral("Hardware Filter (*.hf1)"), QStringLiteral("hf1"),
                                                                    DataFolder::HardwareFilter, &TProjectDocument::HardwareFilterTree};

void TfCANUSBMain::BuildProjectFiles() {
  OpenDialog = MakeFileDialog(this, "OpenDialog", QStringLiteral("Load Project"), QFileDialog::AcceptOpen);
  SaveDialog = MakeFileDialog(this, "SaveDialog", QStringLiteral("Save Project"), QFileDialog::AcceptSave);
  for (QFileDialog* dialog : {OpenDialog, SaveDialog}) {
    dialog->setNameFilter(kProjectFilter);
    dialog->setDefaultSuffix(QStringLiteral("fxproj"));
  }
  ListOpenDialog = MakeFileDialog(this, "ListOpenDialog", QStringLiteral("Open"), QFileDialog::AcceptOpen);
  ListSaveDialog = MakeFileDialog(this, "ListSaveDialog", QStringLiteral("Save"), QFileDialog::AcceptSave);

  actionOpenPredefinedMessages = MakeAction("actionOpenPredefinedMessages", QStringLiteral("Open"), QStringLiteral("Open"),
                                            &TfCANUSBMain::actionOpenPredefinedMessagesExecute);
  actionOpenPredefinedMessages->setIcon(ThemedAppIcon("document-open", "project-open"));
  actionSavePredefinedMessages = MakeAction("actionSavePredefinedMessages", QStringLiteral("Save"), QStringLiteral("Save"),
                                            &TfCANUSBMain::actionSavePredefinedMessagesExecute);
  actionSavePredefinedMessages->setIcon(ThemedAppIcon("document-save", "project-save"));
  QToolBar* bar = PredefinedMessagePage->ToolBar();
  bar->addSeparator();
  for (QAction* action : {actionOpenPredefinedMessages, actionSavePredefinedMessages}) {
    bar->addAction(action);
    if (QWidget* button = bar->widgetForAction(action)) button->setAccessibleName(action->toolTip());
  }
  PredefinedMessagePage->AddRowDependentAction(actionSavePredefinedMessages);
  SetPageShortcut(PredefinedMessagePage, actionOpenPredefinedMessages, QKeySequence::Open);
  SetPageShortcut(PredefinedMessagePage, actionSavePredefinedMessages, QKeySequence::Save);
  UpdateListFileActions();

  HwFilterPage->actionHWFilterOpen->setEnabled(true);
  HwFilterPage->actionHWFilterSpeichern->setEnabled(true);
  connect(HwFilterPage->actionHWFilterOpen, &QAction::triggered, this, [this] { GuardUserAction([this] { actionHWFilterOpenExecute(); }); });
  connect(HwFilterPage->actionHWFilterSpeichern, &QAction::triggered, this,
          [this] { GuardUserAction([this] { actionHWFilterSpeichernExecute(); }); });
}

// The predefined-message file commands need the predefined list; they wait until it is placed.
void TfCANUSBMain::UpdateListFileActions() {
  const bool placed = FProject && FProject->PredefinedMessagesTree;
  if (actionOpenPredefinedMessages) actionOpenPredefinedMessages->setEnabled(placed);
  // Saving, like the row commands, only while the list has rows.
  if (actionSavePredefinedMessages) actionSavePredefinedMessages->setEnabled(placed && FPredefined.RowCount() > 0);
}

QString TfCANUSBMain::RunFileDialog(QFileDialog& dialog) {
  return FileDialogRunner ? FileDialogRunner(dialog) : ExecFileDialog(dialog);
}

bool TfCANUSBMain::ConfirmDiscardChanges() {
  if (!FProject->Changed()) return true;
  const auto answer = QMessageBox::warning(this, QStringLiteral("Warning"), QStringLiteral("All unsaved data will be deleted."),
                                           QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel);
  return answer == QMessageBox::Ok;
}

// --- project -------------------------------------------------------------------------------

// Changed is cleared only when a project was really opened: a cancelled dialog or a project
// that could not be read leaves the lists, and so their unsaved state, as they were.
void TfCANUSBMain::actionProjectOpenExecute() {
  if (!ConfirmDiscardChanges()) return;
  ForceDataFolder(DataFolder::Projects);
  OpenDialog->setDirectory(DataFolderPath(DataFolder::Projects));
  const QString fileName = RunFileDialog(*OpenDialog);
  if (fileName.isEmpty()) return;
  bool opened = false;
  {
    TWaitCursor wait;
    opened = FProject->Open(fileName);
  }
  if (opened) FProject->SetChanged(false);
}

void TfCANUSBMain::actionProjectSaveExecute() {
  if (FProject->ProjectName() != kUnnamedProject) {
    SaveProjectTo(FProject->ProjectName());
    return;
  }
  ForceDataFolder(DataFolder::Projects);
  SaveDialog->setDirectory(DataFolderPath(DataFolder::Projects));
  actionProjectSaveAsExecute();
}

// The dialog starts wherever it was used last.
void TfCANUSBMain::actionProjectSaveAsExecute() {
  const QString fileName = RunFileDialog(*SaveDialog);
  if (!fileName.isEmpty()) SaveProjectTo(fileName);
}

void TfCANUSBMain::SaveProjectTo(const QString& fileName) {
  {
    TWaitCursor wait;
    FProject->Save(fileName);
  }
  FProject->SetChanged(false);
}

// --- separate list files -------------------------------------------------------------------

// The list of `kind` and the file the user chose for it; null when the list is not placed or
// the dialog was cancelled.
TRowListBase* TfCANUSBMain::ChooseListFile(QFileDialog& dialog, const TListFileKind& kind, QString& fileName) {
  TProjectList* list = FProject.get()->*kind.List;
  if (!list) return nullptr;
  ForceDataFolder(kind.Folder);
  dialog.setDirectory(DataFolderPath(kind.Folder));
  dialog.setNameFilter(kind.Filter);
  dialog.setDefaultSuffix(kind.Extension);
  fileName = RunFileDialog(dialog);
  return fileName.isEmpty() ? nullptr : &ProjectListRows(*list);
}

// A rejected file leaves the list as it was. The attempt still counts as a change.
void TfCANUSBMain::OpenListFile(const TListFileKind& kind) {
  QString fileName;
  TRowListBase* list = ChooseListFile(*ListOpenDialog, kind, fileName);
  if (!list) return;
  try {
    TWaitCursor wait;
    LoadTreeFile(fileName, *list);
  } catch (const std::exception&) {
    ShowUserMessage(TUserMessageKind::Error, QStringLiteral("Error"), QStringLiteral("Wrong or corrupt file."));
  }
  FProject->SetChanged(true);
}

// A failure is reported with the system's reason; the old file stays as it was.
void TfCANUSBMain::SaveListFile(const TListFileKind& kind) {
  QString fileName;
  const TRowListBase* list = ChooseListFile(*ListSaveDialog, kind, fileName);
  if (!list) return;
  TWaitCursor wait;
  SaveTreeFile(fileName, *list);
}

void TfCANUSBMain::actionOpenPredefinedMessagesExecute() { OpenListFile(kPredefinedMessagesFile); }
void TfCANUSBMain::actionSavePredefinedMessagesExecute() { SaveListFile(kPredefinedMessagesFile); }
void TfCANUSBMain::actionHWFilterOpenExecute() { OpenListFile(kHardwareFilterFile); }
void TfCANUSBMain::actionHWFilterSpeichernExecute() { SaveListFile(kHardwareFilterFile); }
