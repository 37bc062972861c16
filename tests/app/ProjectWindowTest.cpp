// The window's project and list-file commands, driven through their real dialogs.
#include <QAction>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QToolBar>
#include <deque>

#include "app/MainWindowFixture.h"
#include "filters/HwFilterPage.h"
#include "platform/UserMessage.h"
#include "storage/DataFolder.h"
#include "storage/ProjectDocument.h"
#include "storage/TreeFile.h"
#include "transmit/PredefinedMessagePage.h"

namespace {

struct TDialogSeen {
  QString Title, Directory;
  QStringList Filters;
  QString Suffix;
};

struct ProjectWindow : MainWindowFixture {
  void SetUp() override {
    MainWindowFixture::SetUp();
    Previous = SetUserMessageHandler([this](TUserMessageKind, const QString& caption, const QString& text) {
      Messages << caption + QStringLiteral(": ") + text;
    });
  }
  void TearDown() override {
    SetUserMessageHandler(Previous);
    MainWindowFixture::TearDown();
  }
  void AddHwFilter(TfCANUSBMain& w, std::int64_t code) {
    THwFilterData record;
    record.Code = code;
    w.HardwareFilter().BeginLoad();
    w.HardwareFilter().AppendLoadedRow(&record, TRowState::CheckBox(true));
    w.HardwareFilter().EndLoad();
  }

  // Answers the window's next file dialog with `file`, or cancels it when `file` is empty;
  // a dialog nobody expected fails the test.
  void AnswerNextFileDialog(TfCANUSBMain& w, const QString& file, TDialogSeen* seen = nullptr) {
    Answers.push_back({file, seen});
    w.FileDialogRunner = [this](QFileDialog& dialog) {
      if (Answers.empty()) {
        ADD_FAILURE() << "unexpected file dialog " << dialog.windowTitle().toStdString();
        return QString();
      }
      const auto [file, seen] = Answers.front();
      Answers.pop_front();
      if (seen) *seen = {dialog.windowTitle(), dialog.directory().absolutePath(), dialog.nameFilters(), dialog.defaultSuffix()};
      return file;
    };
  }

  std::deque<std::pair<QString, TDialogSeen*>> Answers;
  QTemporaryDir Dir;
  QStringList Messages;
  TUserMessageHandler Previous;
};

}  // namespace

TEST_F(ProjectWindow, CancellingTheOpenDialogKeepsUnsavedChanges) {
  TfCANUSBMain& w = Open();
  AddHwFilter(w, 0x100);
  w.Project().SetChanged(true);
  TDialogSeen seen;
  AnswerNextFileDialog(w, {}, &seen);
  QString question;
  AnswerNextMessageBox(QMessageBox::Ok, &question);
  w.actionProjectOpen->trigger();
  EXPECT_EQ(question, QStringLiteral("All unsaved data will be deleted."));
  EXPECT_EQ(seen.Title, QStringLiteral("Load Project"));
  EXPECT_EQ(seen.Directory, DataFolderPath(DataFolder::Projects));
  EXPECT_EQ(seen.Filters, QStringList{QStringLiteral("Project File (*.fxproj)")});
  EXPECT_EQ(seen.Suffix, QStringLiteral("fxproj"));
  EXPECT_TRUE(w.Project().Changed());
  EXPECT_EQ(w.HardwareFilter().RowCount(), 1u);
}

TEST_F(ProjectWindow, SaveAsksForANameOnceThenSavesWithoutDialogAndOpenBringsItBack) {
  TfCANUSBMain& w = Open();
  AddHwFilter(w, 0x7E8);
  w.Project().SetChanged(true);
  const QString path = DataFolderPath(DataFolder::Projects) + QStringLiteral("/bench.fxproj");
  QFile::remove(path);
  TDialogSeen seen;
  AnswerNextFileDialog(w, path, &seen);
  w.actionProjectSave->trigger();
  EXPECT_EQ(seen.Title, QStringLiteral("Save Project"));
  EXPECT_EQ(seen.Directory, DataFolderPath(DataFolder::Projects));
  EXPECT_EQ(w.Project().ProjectName(), path);
  EXPECT_EQ(w.windowTitle(), kMainCaptionPrefix + QStringLiteral("bench"));
  EXPECT_FALSE(w.Project().Changed());

  AddHwFilter(w, 0x7E9);
  w.Project().SetChanged(true);
  w.actionProjectSave->trigger();  // no dialog: the runner left behind fails the test if asked
  EXPECT_FALSE(w.Project().Changed());

  w.actionProjectNew->trigger();
  EXPECT_EQ(w.HardwareFilter().RowCount(), 0u);
  AnswerNextFileDialog(w, path);
  w.actionProjectOpen->trigger();
  ASSERT_EQ(w.HardwareFilter().RowCount(), 1u);
  EXPECT_EQ(w.HardwareFilter().Row(0).Code, 0x7E9);
  EXPECT_EQ(w.Project().ProjectName(), path);
  EXPECT_FALSE(w.Project().Changed());
  EXPECT_TRUE(Messages.isEmpty());
}

TEST_F(ProjectWindow, HardwareFilterFilesThroughTheirDialogsAndARejectedFileKeepsTheList) {
  TfCANUSBMain& w = Open();
  QAction* open = w.HwFilterPage->actionHWFilterOpen;
  QAction* save = w.HwFilterPage->actionHWFilterSpeichern;
  ASSERT_TRUE(open->isEnabled());
  ASSERT_TRUE(save->isEnabled());
  AddHwFilter(w, 0x123);
  const QString path = Dir.filePath(QStringLiteral("filters.hf1"));
  TDialogSeen seen;
  AnswerNextFileDialog(w, path, &seen);
  save->trigger();
  EXPECT_EQ(seen.Title, QStringLiteral("Save"));
  EXPECT_EQ(seen.Directory, DataFolderPath(DataFolder::HardwareFilter));
  EXPECT_EQ(seen.Filters, QStringList{QStringLiteral("Hardware Filter (*.hf1)")});
  EXPECT_EQ(seen.Suffix, QStringLiteral("hf1"));
  ASSERT_TRUE(QFileInfo::exists(path));
  EXPECT_FALSE(w.Project().Changed());

  AddHwFilter(w, 0x456);
  w.Project().SetChanged(false);
  AnswerNextFileDialog(w, path, &seen);
  open->trigger();
  EXPECT_EQ(seen.Title, QStringLiteral("Open"));
  ASSERT_EQ(w.HardwareFilter().RowCount(), 1u);
  EXPECT_EQ(w.HardwareFilter().Row(0).Code, 0x123);
  EXPECT_TRUE(w.Project().Changed());

  const QString corrupt = Dir.filePath(QStringLiteral("corrupt.hf1"));
  QFile file(corrupt);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("0123456789");
  file.close();
  w.Project().SetChanged(false);
  AnswerNextFileDialog(w, corrupt);
  open->trigger();
  EXPECT_EQ(Messages, QStringList{QStringLiteral("Error: Wrong or corrupt file.")});
  ASSERT_EQ(w.HardwareFilter().RowCount(), 1u);
  EXPECT_EQ(w.HardwareFilter().Row(0).Code, 0x123);
  EXPECT_TRUE(w.Project().Changed());
}

TEST_F(ProjectWindow, PredefinedMessageFileCommandsSitOnTheirPageAndSaveNeedsRows) {
  TfCANUSBMain& w = Open();
  ASSERT_TRUE(w.actionOpenPredefinedMessages);
  EXPECT_EQ(w.actionOpenPredefinedMessages->toolTip(), QStringLiteral("Open (Ctrl+O)"));
  EXPECT_EQ(w.actionSavePredefinedMessages->toolTip(), QStringLiteral("Save (Ctrl+S)"));
  ASSERT_NE(w.Project().PredefinedMessagesTree, nullptr);
  EXPECT_TRUE(w.actionOpenPredefinedMessages->isEnabled());
  EXPECT_FALSE(w.actionSavePredefinedMessages->isEnabled()) << "nothing to save without rows";
  w.PredefinedMessagePage->actionPredefinedMessageAdd->trigger();
  EXPECT_TRUE(w.actionSavePredefinedMessages->isEnabled());
  EXPECT_TRUE(w.PredefinedMessagePage->ToolBar()->actions().contains(w.actionOpenPredefinedMessages));
}
