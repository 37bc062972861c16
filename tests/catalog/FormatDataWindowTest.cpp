#include <gtest/gtest.h>

#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QToolButton>

#include "DecoderFixture.h"
#include "app/MainWindowFixture.h"
#include "catalog/FormatData.h"
#include "platform/UserMessage.h"
#include "storage/DataFolder.h"
#include "support/QtTestApp.h"
#include "views/TracePage.h"
#include "views/TrafficViews.h"

namespace {

class FormatDataWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QFile file(Dir.filePath("catalog.ini"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[CANID]\n612=Engine\n");
    file.close();
    Window = std::make_unique<TfFormatData>(Views.Trace(), [this] { return Connected; }, Dir.filePath("catalog.ini"));
    Testers.Attach(&Window->TreeModel());
    Testers.Attach(&Window->List().Model());
    Previous = SetUserMessageHandler([this](TUserMessageKind kind, const QString& caption, const QString& text) {
      Messages << QStringLiteral("%1|%2|%3").arg(static_cast<int>(kind)).arg(caption, text);
    });
  }
  void TearDown() override { SetUserMessageHandler(Previous); }

  void Capture(std::initializer_list<TCanMsgProg> frames) {
    for (const TCanMsgProg& frame : frames) Views.Trace().AddToTrace(frame, true);
  }
  QAbstractItemModel& Tree() { return Window->TreeModel(); }

  QTemporaryDir Dir;
  bool Connected = false;
  QStringList Messages;
  TUserMessageHandler Previous;
  TModelTesters Testers;
  TTrafficViews Views{TTrafficSeams{[] { return false; }, [] { return false; }, [] {}}};
  std::unique_ptr<TfFormatData> Window;
};

TEST_F(FormatDataWindowTest, ComponentsColumnsAndAlignment) {
  for (const char* name : {"btn1", "btn2", "btn3", "vst1", "dlgSave"})
    EXPECT_NE(Window->findChild<QWidget*>(QString::fromLatin1(name)), nullptr) << name;
  for (const char* name : {"btn1", "btn2", "btn3"})
    EXPECT_FALSE(Window->findChild<QToolButton*>(QString::fromLatin1(name))->accessibleName().isEmpty()) << name;
  EXPECT_TRUE(Window->dlgSave->nameFilters().join(QString()).contains("*")) << "no file-type filter of its own";
  EXPECT_EQ(Window->dlgSave->acceptMode(), QFileDialog::AcceptSave);

  QStringList captions;
  for (int column = 0; column < Tree().columnCount(); ++column) captions << Tree().headerData(column, Qt::Horizontal).toString();
  EXPECT_EQ(captions, QStringList({"", "Pos", "Time", "ID", "Len", "Src", "Trg", "", "Msg"}));
  EXPECT_EQ(Window->vst1->columnWidth(0), 50);
  EXPECT_EQ(Window->vst1->columnWidth(7), 30);

  Capture({DiagFrame(0x6F1, {0x12, 0x02, 0x1A, 0x80}, 42)});
  Window->actionDecode->trigger();
  const QModelIndex message = Tree().index(0, 0, Tree().index(0, 0));
  for (int column = 0; column < Tree().columnCount(); ++column) {
    const bool right = column >= 1 && column <= 6;
    const int alignment = Tree().index(0, column, Tree().index(0, 0)).data(Qt::TextAlignmentRole).toInt();
    EXPECT_EQ((alignment & Qt::AlignRight) != 0, right) << column;
  }
  EXPECT_FALSE(message.data(Qt::BackgroundRole).isValid());
}

TEST_F(FormatDataWindowTest, DecodeShowsControlUnitsGreyAndSpannedWithTheirMessagesExpanded) {
  Capture({DiagFrame(0x6F1, {0x12, 0x02, 0x1A, 0x80}, 42), DiagFrame(0x612, {0xF1, 0x02, 0x5A, 0x80}, 43),
           DiagFrame(0x6F1, {0x40, 0x01, 0x3E}, 44)});
  Window->show();
  Window->actionDecode->trigger();
  ASSERT_EQ(Tree().rowCount(), 2);
  const QModelIndex engine = Tree().index(0, 0);
  EXPECT_EQ(engine.data().toString(), "Engine");
  EXPECT_EQ(engine.data(Qt::BackgroundRole).value<QColor>(), QColor(0xEB, 0xEB, 0xEB));
  EXPECT_EQ(Tree().index(1, 0).data().toString(), QString());  // not in the catalog
  EXPECT_TRUE(Window->vst1->isFirstColumnSpanned(0, {}));
  EXPECT_TRUE(Window->vst1->isExpanded(engine));
  EXPECT_TRUE(Window->vst1->isExpanded(Tree().index(1, 0)));
  ASSERT_EQ(Tree().rowCount(engine), 2);
  EXPECT_EQ(Tree().index(1, TFormatDataList::colMsg, engine).data().toString(), "5A 80");
  EXPECT_EQ(Tree().index(1, TFormatDataList::colPos, engine).data().toString(), "2");

  Window->actionClear->trigger();
  EXPECT_EQ(Tree().rowCount(), 0);
  EXPECT_TRUE(Messages.isEmpty()) << Messages.join('\n').toStdString();
}

// An extended identifier and a long message fit their columns after a decode.
TEST_F(FormatDataWindowTest, DecodeWidensTheIdAndMsgColumnsToTheirContent) {
  TCanMsgProg extended = DiagFrame(0x18FEF1F1, {0x12, 0x06, 1, 2, 3, 4, 5, 6});
  extended.Extended = true;
  Capture({extended});
  std::vector<TCanMsgProg> longMessage = MultiFrameMessage(0x612, 0xF1, 60);
  for (const TCanMsgProg& frame : longMessage) Views.Trace().AddToTrace(frame, true);
  Window->show();
  Window->actionDecode->trigger();
  const QModelIndex unit = Tree().index(0, 0);
  const QFontMetrics metrics(Window->vst1->font());
  for (int column : {TFormatDataList::colId, TFormatDataList::colMsg}) {
    int widest = 0;
    for (int row = 0; row < Tree().rowCount(unit); ++row)
      widest = std::max(widest, metrics.horizontalAdvance(Tree().index(row, column, unit).data().toString()));
    EXPECT_GT(Window->vst1->columnWidth(column), widest) << column;
  }
  EXPECT_EQ(Tree().index(0, TFormatDataList::colId, unit).data().toString(), QStringLiteral("18FEF1F1"));
}

TEST_F(FormatDataWindowTest, DecodeIsRefusedWhileConnectedAndLeavesTheListAlone) {
  Capture({DiagFrame(0x6F1, {0x12, 0x02, 0x1A, 0x80})});
  Window->actionDecode->trigger();
  Connected = true;
  Views.Trace().AddToTrace(DiagFrame(0x6F1, {0x40, 0x01, 0x3E}), true);
  Window->actionDecode->trigger();
  EXPECT_EQ(Messages, QStringList({"0|Ferrolux|Please stop the logging first."}));
  EXPECT_EQ(Tree().rowCount(), 1);
}

TEST_F(FormatDataWindowTest, WithoutTheCatalogFileControlUnitsReadNoIdsAvailable) {
  TfFormatData window(Views.Trace(), [] { return false; }, Dir.filePath("missing.ini"));
  EXPECT_FALSE(window.List().Catalog().has_value());
  Capture({DiagFrame(0x6F1, {0x12, 0x02, 0x1A, 0x80})});
  window.actionDecode->trigger();
  EXPECT_EQ(window.TreeModel().index(0, 0).data().toString(), "No IDs available");
}

TEST_F(FormatDataWindowTest, ExportAsksForAFileInTheLogfilesFolderAndHandsTheListOver) {
  EXPECT_FALSE(Window->actionExport->isEnabled()) << "nothing to write the list with yet";
  QString written;
  std::size_t rows = 0;
  Window->SetListExport([&](const TFormatDataList& list, const QString& fileName) {
    written = fileName;
    rows = list.RowCount();
  });
  ASSERT_TRUE(Window->actionExport->isEnabled());
  Capture({DiagFrame(0x6F1, {0x12, 0x02, 0x1A, 0x80})});
  Window->actionDecode->trigger();
  const QString logfiles = DataFolderPath(DataFolder::Logfiles);
  QDir(logfiles).removeRecursively();

  QString startFolder;
  OnNextModal([&](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    startFolder = dialog->directory().absolutePath();
    // Typed as a user would: selectFile leaves the name field alone while it has the focus.
    auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (!name) {
      dialog->reject();
      FAIL() << "no file name field";
    }
    name->setText(QStringLiteral("units.txt"));
    QMetaObject::invokeMethod(dialog, "accept");
  });
  Window->actionExport->trigger();
  EXPECT_EQ(startFolder, QDir(logfiles).absolutePath());
  EXPECT_EQ(written, QDir(logfiles).filePath("units.txt"));
  EXPECT_EQ(rows, 2U);

  written.clear();
  OnNextModal([](QWidget* modal) { static_cast<QDialog*>(modal)->reject(); });
  Window->actionExport->trigger();
  EXPECT_TRUE(written.isEmpty());
}

// The main window creates the window once and its trace page's catalog button shows it.
TEST_F(MainWindowFixture, CatalogButtonShowsTheFormatDataWindow) {
  ASSERT_TRUE(ForceDataFolder());
  QFile catalog(DataFolderPath(DataFolder::Catalog));
  ASSERT_TRUE(catalog.open(QIODevice::WriteOnly));
  catalog.write("[CANID]\n612=Engine\n");
  catalog.close();
  TfCANUSBMain& w = Open();
  catalog.remove();
  ASSERT_NE(w.fFormatData, nullptr);
  EXPECT_TRUE(w.TracePage->actionBMW->isEnabled());
  EXPECT_FALSE(w.fFormatData->isVisible());
  w.TracePage->actionBMW->trigger();
  EXPECT_TRUE(w.fFormatData->isVisible());
  EXPECT_FALSE(w.fFormatData->isModal());
  w.Traffic().Trace().AddToTrace(DiagFrame(0x6F1, {0x12, 0x02, 0x1A, 0x80}), false);
  w.fFormatData->actionDecode->trigger();
  EXPECT_EQ(w.fFormatData->TreeModel().index(0, 0).data().toString(), "Engine");
}

}  // namespace
