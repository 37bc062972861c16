// The window's project and list-file commands, driven through their real dialogs.
#include <gmock/gmock.h>

#include <QAction>
#include <QDir>
#include <QStatusBar>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QToolBar>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QWheelEvent>
#include <deque>

#include "app/MainPages.h"
#include "app/MainWindowFixture.h"
#include "filters/HwFilterPage.h"
#include "signals/SignalsController.h"
#include "plot/PlotSamples.h"
#include "plot/PlotWidget.h"
#include "plot/PlotWindow.h"
#include "signals/SignalDrag.h"
#include "signals/SignalsPage.h"
#include "storage/ProjectFiles.h"
#include "views/TracePage.h"
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

namespace {

const char* const kBodyDbc =
    "BO_ 291 Body: 2 X\n"
    " SG_ Door : 0|8@1+ (1,0) [0|0] \"\" Dash\n"
    " SG_ Lamp : 8|8@1- (2,0) [0|0] \"W\" Dash,Log\n"
    "CM_ SG_ 291 Door \"Front left\";\n"
    "VAL_ 291 Door 1 \"Open\" 0 \"Shut\" ;\n";

TCanMsgProg BodyFrame(std::uint8_t door, std::uint8_t lamp, std::int32_t time) {
  TCanMsgProg msg;
  msg.CanId = 0x123;
  msg.DLC = 2;
  msg.Data[0] = door;
  msg.Data[1] = lamp;
  msg.Time = time;
  return msg;
}

void Receive(TfCANUSBMain& w, std::initializer_list<TCanMsgProg> frames) {
  w.Traffic().BeginDrain();
  for (const TCanMsgProg& msg : frames) w.Traffic().DispatchReceivedMessage(msg);
  w.Traffic().EndDrain();
}

QString Cell(const QAbstractItemModel& model, int row, int column, const QModelIndex& parent = {}) {
  return model.index(row, column, parent).data().toString();
}

QString WriteFile(const QString& path, const char* text) {
  QFile file(path);
  EXPECT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(text);
  return path;
}

}  // namespace

TEST_F(ProjectWindow, ALoadedDatabaseDecodesOnTheSignalsPageTheTraceAndTheMonitor) {
  TfCANUSBMain& w = Open();
  const QString dbc = WriteFile(Dir.filePath(QStringLiteral("body.dbc")), kBodyDbc);
  Receive(w, {BodyFrame(0, 0, 5)});  // before any database: nothing decoded
  const QAbstractItemModel& tree = *w.SignalsPage->vstSignals()->model();
  EXPECT_EQ(tree.rowCount(), 0);
  EXPECT_FALSE(w.actionUnloadDatabases->isEnabled());

  TDialogSeen seen;
  AnswerNextFileDialog(w, dbc, &seen);
  w.actionLoadDatabase->trigger();
  EXPECT_EQ(seen.Title, QStringLiteral("Load database"));
  EXPECT_EQ(seen.Filters, QStringList{"Signal database (*.dbc)"});
  EXPECT_TRUE(w.actionUnloadDatabases->isEnabled());
  EXPECT_TRUE(w.Project().Changed());

  Receive(w, {BodyFrame(1, 0xFE, 15), BodyFrame(0, 3, 25)});
  ASSERT_EQ(tree.rowCount(), 1);
  EXPECT_EQ(Cell(tree, 0, TSignalTreeModel::scName), QStringLiteral("Body"));
  EXPECT_EQ(Cell(tree, 0, TSignalTreeModel::scId), QStringLiteral("123"));
  EXPECT_EQ(Cell(tree, 0, TSignalTreeModel::scCount), QStringLiteral("2"));
  EXPECT_EQ(Cell(tree, 0, TSignalTreeModel::scCycle), QStringLiteral("10"));
  const QModelIndex body = tree.index(0, 0);
  ASSERT_EQ(tree.rowCount(body), 2);
  EXPECT_EQ(Cell(tree, 0, TSignalTreeModel::scValue, body), QStringLiteral("Shut"));
  EXPECT_EQ(tree.index(0, TSignalTreeModel::scName, body).data(Qt::ToolTipRole).toString(), QStringLiteral("Front left"));
  EXPECT_EQ(Cell(tree, 1, TSignalTreeModel::scValue, body), QStringLiteral("6 W"));
  EXPECT_EQ(Cell(tree, 1, TSignalTreeModel::scRaw, body), QStringLiteral("0x03"));
  EXPECT_EQ(Cell(tree, 1, TSignalTreeModel::scMinimum, body), QStringLiteral("-4 W"));
  EXPECT_EQ(Cell(tree, 1, TSignalTreeModel::scMaximum, body), QStringLiteral("6 W"));
  EXPECT_EQ(Cell(tree, 1, TSignalTreeModel::scReceivers, body), QStringLiteral("Dash, Log"));

  // The trace's details pane follows the selected row.
  QTreeView* trace = w.TracePage->vstDataTrace();
  trace->setCurrentIndex(trace->model()->index(1, 0));
  const QAbstractItemModel& details = *w.TraceSignalsPane->vstTraceSignals()->model();
  ASSERT_EQ(details.rowCount(), 2);
  EXPECT_EQ(Cell(details, 0, 1), QStringLiteral("Open"));
  EXPECT_EQ(Cell(details, 1, 1), QStringLiteral("-4 W"));
  EXPECT_EQ(Cell(details, 1, 2), QStringLiteral("0xFE"));

  // The monitor names the message where the description is the automatic one.
  const QAbstractItemModel& monitor = w.Traffic().Monitor().Model();
  EXPECT_EQ(Cell(monitor, 0, 8), QStringLiteral("Body"));
  w.Traffic().IdFilter().ApplyEdit(QStringLiteral("123"), false, QStringLiteral("Driver door"));
  EXPECT_EQ(Cell(monitor, 0, 8), QStringLiteral("Driver door")) << "a typed description stays";
  w.Traffic().IdFilter().ApplyEdit(QStringLiteral("123"), false, QStringLiteral("CAN ID: 123"));
  w.actionUnloadDatabases->trigger();
  EXPECT_EQ(Cell(monitor, 0, 8), QStringLiteral("CAN ID: 123"));
  EXPECT_EQ(tree.rowCount(), 0);
  EXPECT_EQ(details.rowCount(), 0);
  EXPECT_FALSE(w.actionUnloadDatabases->isEnabled());

  // A refused file is said with its position; what was loaded stays.
  w.LoadDatabases({dbc});
  const QString broken = WriteFile(Dir.filePath(QStringLiteral("broken.dbc")), "BO_ 5 X 8 Y\n");
  AnswerNextFileDialog(w, broken);
  w.actionLoadDatabase->trigger();
  EXPECT_EQ(Messages, QStringList{"Load database: " + broken + ":1:9: expected ':'"});
  EXPECT_EQ(w.Signals().Paths(), QStringList{dbc});
  EXPECT_EQ(w.Signals().RecentFiles().value(0), dbc);
}

TEST_F(ProjectWindow, TheProjectKeepsItsDatabasesAndOpensWithoutAMissingOne) {
  TfCANUSBMain& w = Open();
  const QString folder = DataFolderPath(DataFolder::Projects);
  QDir().mkpath(folder + QStringLiteral("/dbc"));
  const QString inside = WriteFile(folder + QStringLiteral("/dbc/body.dbc"), kBodyDbc);
  const QString outside = WriteFile(Dir.filePath(QStringLiteral("other.dbc")), "BO_ 1 Other: 1 X\n");
  w.LoadDatabases({inside, outside});
  const QString path = folder + QStringLiteral("/signals.fxproj");
  QFile::remove(path);
  AnswerNextFileDialog(w, path);
  w.actionProjectSaveAs->trigger();
  QFile xml(path);
  ASSERT_TRUE(xml.open(QIODevice::ReadOnly));
  EXPECT_EQ(ParseProjectDatabases(xml.readAll()), (QStringList{"dbc/body.dbc", outside}));

  w.actionProjectNew->trigger();
  EXPECT_TRUE(w.Signals().Paths().isEmpty());
  QFile::remove(outside);
  AnswerNextFileDialog(w, path);
  w.actionProjectOpen->trigger();
  EXPECT_EQ(w.Project().ProjectName(), path);
  EXPECT_EQ(w.Signals().Paths(), QStringList{inside});
  EXPECT_THAT(w.statusBar()->currentMessage().toStdString(),
              ::testing::HasSubstr("Signal database not loaded: " + outside.toStdString() + ": cannot open"));
  EXPECT_TRUE(Messages.isEmpty());
}

TEST_F(ProjectWindow, ASignalPlotsFromTheSignalsPageFollowsTheBusAndStopsWhenZoomed) {
  TfCANUSBMain& w = Open();
  w.LoadDatabases({WriteFile(Dir.filePath(QStringLiteral("body.dbc")), kBodyDbc)});
  Receive(w, {BodyFrame(0, 1, 100)});
  QTreeView* signalsList = w.SignalsPage->vstSignals();
  const QModelIndex body = signalsList->model()->index(0, 0);
  signalsList->setCurrentIndex(signalsList->model()->index(1, 0, body));  // Lamp
  w.SignalsPage->actionPlotSignals->trigger();
  TPlotWindow* plot = w.PlotWindow();
  ASSERT_NE(plot, nullptr);
  EXPECT_EQ(plot->objectName(), QStringLiteral("fPlot"));
  EXPECT_TRUE(plot->isVisible());
  ASSERT_EQ(w.PlotSamples().Count(), 1U);
  EXPECT_EQ(w.PlotSamples().Series(0).Name(), "Body.Lamp");
  signalsList->setCurrentIndex(body);  // the whole message: Door is added, Lamp is there already
  w.SignalsPage->actionPlotSignals->trigger();
  ASSERT_EQ(w.PlotSamples().Count(), 2U);

  std::vector<TCanMsgProg> frames;
  for (int i = 0; i < 3000; ++i) frames.push_back(BodyFrame(static_cast<std::uint8_t>(i & 1), static_cast<std::uint8_t>(i % 50), 1000 + i * 10));
  w.Traffic().BeginDrain();
  for (const TCanMsgProg& msg : frames) w.Traffic().DispatchReceivedMessage(msg);
  w.Traffic().EndDrain();
  EXPECT_EQ(w.PlotSamples().Series(0).Samples.Size(), 3001U) << "the trace's frame and the new ones";
  TPlotView& view = plot->View();
  EXPECT_TRUE(view.Following());
  EXPECT_EQ(view.T1(), 1000 + 2999 * 10);
  EXPECT_EQ(view.T1() - view.T0(), 10'000);

  // The wheel zooms about the mouse and stops the following; the button follows again.
  TPlotWidget* widget = plot->pbPlot();
  const QPointF at(TPlotWidget::kLeft + widget->PlotWidth() / 2.0, 40);
  QWheelEvent wheel(at, widget->mapToGlobal(at), {}, {0, 120}, Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(widget, &wheel);
  EXPECT_FALSE(view.Following());
  EXPECT_FALSE(plot->actionPlotFollow->isChecked());
  EXPECT_NEAR(view.T1() - view.T0(), 8'000, 1e-6);
  const double zoomedT0 = view.T0();
  QTest::mousePress(widget, Qt::LeftButton, {}, QPoint(300, 50));
  QTest::mouseMove(widget, QPoint(200, 50));
  QTest::mouseRelease(widget, Qt::LeftButton, {}, QPoint(200, 50));
  EXPECT_NEAR(view.T0() - zoomedT0, 100 * 8'000.0 / widget->PlotWidth(), 1e-6);  // dragged left: later times
  plot->actionPlotFollow->trigger();
  EXPECT_TRUE(view.Following());
  EXPECT_EQ(view.T1(), 30'990);
  plot->actionPlotFit->trigger();
  EXPECT_FALSE(view.Following());
  EXPECT_LT(view.T0(), 1000);
  EXPECT_GT(view.T1(), 30'990);

  // The export writes every sample; a cleared trace clears the plot but keeps its signals.
  const QString csv = Dir.filePath(QStringLiteral("plot.csv"));
  plot->ExportTo(csv);
  QFile file(csv);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QList<QByteArray> lines = file.readAll().split('\n');
  ASSERT_EQ(lines.size(), 1 + 2 + 6000 + 1);  // captions, the first frame from the trace, 3000 frames of both, the end
  EXPECT_EQ(lines[0], "Time;Signal;Value;Unit\r");
  EXPECT_EQ(lines[1], "100;Body.Lamp;2;W\r");
  EXPECT_EQ(lines[2], "100;Body.Door;0;\r");
  EXPECT_EQ(lines[3], "1000;Body.Lamp;0;W\r");
  EXPECT_EQ(lines[4], "1000;Body.Door;0;\r");
  EXPECT_EQ(lines[6002], "30990;Body.Door;1;\r");
  plot->ExportTo(Dir.filePath(QStringLiteral("missing/plot.csv")));
  ASSERT_EQ(Messages.size(), 1);
  EXPECT_TRUE(Messages[0].startsWith(QStringLiteral("Export plot: "))) << Messages[0].toStdString();
  w.TracePage->actonClearTraceList->trigger();
  EXPECT_TRUE(w.PlotSamples().Series(0).Samples.Empty());
  EXPECT_EQ(w.PlotSamples().Count(), 2U);

  // An imported log is shown whole.
  plot->actionPlotFollow->trigger();
  ASSERT_TRUE(w.ImportTraceLog(WriteFile(Dir.filePath(QStringLiteral("body.log")),
                                         "(100.000000) can0 123#0102\n(130.000000) can0 123#0103\n(190.000000) can0 123#0004\n")));
  ASSERT_EQ(w.PlotSamples().Series(0).Samples.Size(), 3U);
  EXPECT_EQ(w.PlotSamples().Series(0).Samples.Time(2), 90'000);
  EXPECT_FALSE(view.Following());
  EXPECT_LT(view.T0(), 0 + 1);
  EXPECT_GT(view.T1(), 90'000);
  plot->close();
}

// Signals dropped from the Signals page, a clicked sample showing its trace row, a selected
// row placing the first cursor, and the plotted signals and their layout kept in the project.
TEST_F(ProjectWindow, PlottedSamplesAndTraceRowsFindEachOtherAndTheProjectKeepsThePlot) {
  TfCANUSBMain& w = Open();
  w.LoadDatabases({WriteFile(Dir.filePath(QStringLiteral("body.dbc")), kBodyDbc)});
  std::vector<TCanMsgProg> frames;
  for (int i = 0; i < 9000; ++i) {
    TCanMsgProg msg = BodyFrame(static_cast<std::uint8_t>(i & 1), static_cast<std::uint8_t>(i % 50), 1000 + i / 3 * 10);
    if (i % 3 != 0) msg.CanId = 0x300 + i % 3;  // other traffic between the message's frames
    frames.push_back(msg);
  }
  w.Traffic().BeginDrain();
  for (const TCanMsgProg& msg : frames) w.Traffic().DispatchReceivedMessage(msg);
  w.Traffic().EndDrain();

  TPlotWindow* plot = w.PlotWindow();
  const std::unique_ptr<QMimeData> dragged = SignalsMimeData({{0x123, false, "Lamp"}, {0x7FF, false, "Unknown"}});
  QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, dragged.get(), Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(plot->pbPlot(), &enter);
  ASSERT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(100, 100), Qt::CopyAction, dragged.get(), Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(plot->pbPlot(), &drop);
  ASSERT_EQ(w.PlotSamples().Count(), 2U);
  EXPECT_EQ(w.PlotSamples().Series(0).Samples.Size(), 3000U) << "what the trace held";
  EXPECT_EQ(w.PlotSamples().Series(1).Def, nullptr);
  EXPECT_TRUE(plot->isVisible());
  EXPECT_TRUE(w.Project().Changed());

  // Sample 1234 came from the trace's row 3 x 1234.
  emit plot->SampleClicked(0, 1234);
  EXPECT_EQ(w.PageControl1->currentIndex(), TMainPages::pgTrace);
  QTreeView* trace = w.TracePage->vstDataTrace();
  EXPECT_EQ(w.Traffic().Trace().Model().StoreRow(trace->currentIndex().row()), 3U * 1234);
  // A row selected in the trace puts the first cursor at its time.
  trace->setCurrentIndex(trace->model()->index(4001, 0));
  ASSERT_TRUE(plot->View().Cursor(1).has_value());
  EXPECT_EQ(*plot->View().Cursor(1), 1000 + 4001 / 3 * 10);

  plot->ApplyLayout(true, 60);
  QDir().mkpath(DataFolderPath(DataFolder::Projects));
  const QString path = DataFolderPath(DataFolder::Projects) + QStringLiteral("/plot.fxproj");
  QFile::remove(path);
  AnswerNextFileDialog(w, path);
  w.actionProjectSaveAs->trigger();
  w.actionProjectNew->trigger();
  EXPECT_EQ(w.PlotSamples().Count(), 0U);
  EXPECT_FALSE(plot->View().Overlaid());
  AnswerNextFileDialog(w, path);
  w.actionProjectOpen->trigger();
  ASSERT_EQ(w.PlotSamples().Count(), 2U);
  EXPECT_EQ(w.PlotSamples().Series(0).Name(), "Body.Lamp");
  EXPECT_EQ(w.PlotSamples().Series(0).Samples.Size(), 3000U) << "from the project's trace";
  EXPECT_EQ(w.PlotSamples().Series(1).Key, (TSignalKey{0x7FF, false, "Unknown"}));
  EXPECT_TRUE(plot->View().Overlaid());
  EXPECT_EQ(plot->SpanSeconds(), 60);
  EXPECT_FALSE(plot->View().Following()) << "the project's trace is seen whole";
  EXPECT_LE(plot->View().T0(), 1000);
  EXPECT_GE(plot->View().T1(), 1000 + 2999 * 10);
  EXPECT_FALSE(w.Project().Changed());
  plot->close();
}
