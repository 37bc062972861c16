#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QGroupBox>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>
#include <QHelpEvent>

#include "MainWindowFixture.h"
#include "app/CANUSBAbout.h"
#include "app/CANUSBWarning.h"
#include "stats/StatisticsPage.h"
#include "app/MainPages.h"
#include "app/UserAction.h"
#include "filters/IdFilterPage.h"
#include "views/MonitorPage.h"
#include "views/TracePage.h"
#include "model/CanText.h"
#include "platform/UserMessage.h"
#include "storage/DataFolder.h"
#include "storage/ProjectDocument.h"
#include "support/ScriptedDriver.h"

namespace {

QStringList ActionTexts(const QList<QAction*>& actions) {
  QStringList texts;
  for (QAction* a : actions) texts << (a->isSeparator() ? QStringLiteral("|") : a->text());
  return texts;
}

class FakeList : public TProjectList {
 public:
  void Clear() override { ++Clears; }
  void Edit() { NotifyContentChanged(); }
  int Clears = 0;
};

// Answers the start-up warning, ticking its box or not; reports whether it came.
QPointer<QTimer> AnswerWarning(bool tick, bool* seen) {
  return OnNextModal([=](QWidget* modal) {
    auto* warning = qobject_cast<TfCANUSBWarning*>(modal);
    if (!warning) return;
    *seen = true;
    EXPECT_EQ(warning->windowTitle(), QStringLiteral("Warning"));
    warning->findChild<QCheckBox*>(QStringLiteral("cbDontShowAgain"))->setChecked(tick);
    warning->findChild<QPushButton*>(QStringLiteral("btnOK"))->click();
  });
}

}  // namespace

TEST_F(MainWindowFixture, WarningOnFirstStartStaysAwayOnceItsBoxIsTicked) {
  QFile::remove(TRegistryFile::DefaultPath());
  bool seen = false;
  AnswerWarning(false, &seen);
  Open();
  EXPECT_TRUE(seen) << "shown during creation, before the window";
  Quit();
  EXPECT_EQ(StoredSetting(QStringLiteral("ShowWarningMessage")), 1);

  seen = false;
  AnswerWarning(true, &seen);
  Open();
  EXPECT_TRUE(seen) << "not ticked last time: shown again";
  Quit();
  EXPECT_EQ(StoredSetting(QStringLiteral("ShowWarningMessage")), 0);

  seen = false;
  QPointer<QTimer> guard = AnswerWarning(false, &seen);
  Open();
  EXPECT_FALSE(seen);
  delete guard.data();
}

TEST_F(MainWindowFixture, StartsUnnamedWithItsLayoutAndEverythingIdle) {
  TfCANUSBMain& w = Open();
  EXPECT_EQ(w.windowTitle(), QStringLiteral("Tarvell - Ferrolux Ver. 3.9 - <unnamed>"));
  EXPECT_FALSE(w.Project().Changed());
  EXPECT_TRUE(QDir(DataFolderPath()).exists());

  EXPECT_EQ(ActionTexts(w.menuBar()->actions()), (QStringList{"&File", "&Device", "&Signals", "&About"}));
  const auto* file = w.menuBar()->actions()[0]->menu();
  EXPECT_EQ(ActionTexts(file->actions()),
            (QStringList{"Project new", "Project open", "Project save", "Project save as ...", "|", "Options", "|", "Exit"}));
  EXPECT_EQ(ActionTexts(w.menuBar()->actions()[1]->menu()->actions()), (QStringList{"Open", "Close"}));
  const auto* licence = w.fCANUSBAbout->findChild<QLabel*>(QStringLiteral("labLicense"));
  ASSERT_NE(licence, nullptr);
  EXPECT_EQ(licence->text(), QStringLiteral("Released under the MIT licence."));
  EXPECT_EQ(ActionTexts(w.menuBar()->actions()[2]->menu()->actions()),
            (QStringList{"Load database\u2026", "Recent databases", "Unload databases"}));
  EXPECT_EQ(w.actionCloseProgramm->toolTip(), QStringLiteral("Exit Programm"));
  EXPECT_EQ(w.actionConnect->toolTip(), QStringLiteral("Open CAN Device"));
  EXPECT_EQ(w.actionDisconnect->toolTip(), QStringLiteral("Close CAN Device"));
  EXPECT_EQ(w.actionPopupConnectMenu->toolTip(), QStringLiteral("Open CAN Device"));
  EXPECT_EQ(w.actionGetCanStatus->toolTip(), QStringLiteral("CAN device status"));
  EXPECT_EQ(w.actionCalcuator->toolTip(), QStringLiteral("Calculator"));
  EXPECT_FALSE(w.actionDisconnect->isEnabled());
  EXPECT_TRUE(w.actionConnect->isEnabled());

  auto* bar = w.findChild<QToolBar*>(QStringLiteral("ToolBar1"));
  ASSERT_NE(bar, nullptr);
  QStringList buttons;
  for (QAction* a : bar->actions()) buttons << (a->isSeparator() ? QStringLiteral("|") : bar->widgetForAction(a)->objectName());
  EXPECT_EQ(buttons, (QStringList{"btnProjectNew", "btnProjectOpen", "btnProjectSave", "btnProjectSaveAs", "|", "btnLoadDatabase",
                                  "btnUnloadDatabases", "btnShowPlot", "|", "btnOpenCANUSB",
                                  "btnCloseCANUSB", "|", "btnOptions", "btnGetCanStatus", "|", "btnCalculator", "|", "btnProgrammClose"}));
  EXPECT_EQ(w.btnOpenCANUSB->menu(), w.ConnectPopupMenu);

  QStringList pages;
  for (int i = 0; i < w.Pages()->count(); ++i) pages << w.Pages()->tabText(i);
  EXPECT_EQ(pages, (QStringList{"Monitor", "Trace", "Identifier Filter", "Hardware Filter", "Predefined Messages / Trigger", "Trigger Log",
                                "Signals", "Statistics"}));
  EXPECT_EQ(w.Pages()->currentIndex(), 0);
  EXPECT_EQ(w.Pages()->widget(0), static_cast<QWidget*>(w.MonitorPage));
  EXPECT_EQ(w.Pages()->widget(1), static_cast<QWidget*>(w.TracePage));
  EXPECT_EQ(w.Pages()->widget(2), static_cast<QWidget*>(w.IdFilterPage));
  EXPECT_TRUE(w.MonitorPage->isAncestorOf(w.MonitorPage->panelCanIdetails()));
  EXPECT_TRUE(w.MonitorPage->isAncestorOf(w.Pages()->SendMessageArea()));
  EXPECT_EQ(w.Pages()->SendMessageArea()->title(), QStringLiteral("Send Message"));
  EXPECT_TRUE(w.MonitorPage->panelCanIdetails()->isHidden()) << "details hidden unless the setting asks for them";
  EXPECT_EQ(w.TracePage->Panel18()->text(), QStringLiteral(" Messages count: 0"));

  EXPECT_EQ(w.statusBar()->objectName(), QStringLiteral("StatusBar1"));
  EXPECT_EQ(w.statusBar()->findChildren<QLabel*>(QRegularExpression(QStringLiteral("^StatusBar1Panel\\d$"))).size(), 6);
  EXPECT_EQ(w.StatusPanel(1)->text(), QStringLiteral("Closed"));
  EXPECT_EQ(w.StatusPanel(5)->alignment() & Qt::AlignHCenter, Qt::AlignHCenter);

  EXPECT_FALSE(w.Timer1->isActive());
  EXPECT_EQ(w.Timer1->interval(), 200);
  EXPECT_FALSE(w.Timer3->isActive());
  EXPECT_EQ(w.Timer3->interval(), 1);
  EXPECT_TRUE(w.HintsShown());
}

TEST_F(MainWindowFixture, DisplaySettingsAreAppliedAtStart) {
  StoreSetting(QStringLiteral("ShowCanIdDetails"), 1);
  StoreSetting(QStringLiteral("ActivateColorButtons"), 1);
  StoreSetting(QStringLiteral("ShowHints"), 0);
  TfCANUSBMain& w = Open();
  EXPECT_FALSE(w.MonitorPage->panelCanIdetails()->isHidden());
  EXPECT_TRUE(w.actionShowIdDetailsWindow->isChecked());
  EXPECT_TRUE(w.actionMonitorColor->isChecked());
  EXPECT_TRUE(w.actionTraceColor->isChecked());
  EXPECT_FALSE(w.HintsShown());
  w.actionShowIdDetailsWindow->trigger();
  EXPECT_TRUE(w.MonitorPage->panelCanIdetails()->isHidden());
  EXPECT_FALSE(w.actionShowIdDetailsWindow->isChecked());
}

TEST_F(MainWindowFixture, CatalogButtonOnlyWhenTheCatalogFileExists) {
  const QString catalog = DataFolderPath(DataFolder::Catalog);
  QFile::remove(catalog);
  EXPECT_FALSE(Open().TracePage->actionBMW->isVisible());
  Quit();
  ASSERT_TRUE(ForceDataFolder());
  QFile file(catalog);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.close();
  EXPECT_TRUE(Open().TracePage->actionBMW->isVisible());
  QFile::remove(catalog);
}

TEST_F(MainWindowFixture, CaptionShowsTheProjectFileWithoutFolderAndExtension) {
  TfCANUSBMain& w = Open();
  w.ChangeProjectName(QStringLiteral("/home/x/projects/Test.fxproj"));
  EXPECT_EQ(w.windowTitle(), QStringLiteral("Tarvell - Ferrolux Ver. 3.9 - Test"));
  w.ChangeProjectName(QStringLiteral("/p/bus.v2.fxproj"));
  EXPECT_EQ(w.windowTitle(), QStringLiteral("Tarvell - Ferrolux Ver. 3.9 - bus.v2"));
}

TEST_F(MainWindowFixture, NormalGeometryIsRestoredAndStored) {
  StoreSetting(QStringLiteral("SaveFormSizeAndPosition"), 1);
  StoreSetting(QStringLiteral("FormLeft"), 40);
  StoreSetting(QStringLiteral("FormTop"), 30);
  StoreSetting(QStringLiteral("FormWidth"), 900);
  StoreSetting(QStringLiteral("FormHeight"), 700);
  TfCANUSBMain& w = Open();
  ShowActive();
  EXPECT_EQ(w.pos(), QPoint(40, 30));
  EXPECT_EQ(w.size(), QSize(900, 700));
  w.move(50, 60);
  w.resize(800, 600);
  Quit();
  EXPECT_EQ(StoredSetting(QStringLiteral("FormState")), 0);
  EXPECT_EQ(StoredSetting(QStringLiteral("FormLeft")), 50);
  EXPECT_EQ(StoredSetting(QStringLiteral("FormTop")), 60);
  EXPECT_EQ(StoredSetting(QStringLiteral("FormWidth")), 800);
  EXPECT_EQ(StoredSetting(QStringLiteral("FormHeight")), 600);
}

TEST_F(MainWindowFixture, MaximisedStoresOnlyTheStateAndStartsMaximised) {
  StoreSetting(QStringLiteral("SaveFormSizeAndPosition"), 1);
  StoreSetting(QStringLiteral("FormWidth"), 900);
  StoreSetting(QStringLiteral("FormHeight"), 700);
  Open();
  ShowActive();
  window->showMaximized();
  Quit();
  EXPECT_EQ(StoredSetting(QStringLiteral("FormState")), 2);
  EXPECT_EQ(StoredSetting(QStringLiteral("FormWidth")), 900) << "normal geometry stays as stored before";

  TfCANUSBMain& w = Open();
  EXPECT_TRUE(w.windowState() & Qt::WindowMaximized);
  ShowActive();
  EXPECT_TRUE(w.isMaximized());
}

TEST_F(MainWindowFixture, MinimisedStoresStateOneAndNextStartKeepsTheDesignedGeometry) {
  StoreSetting(QStringLiteral("SaveFormSizeAndPosition"), 1);
  StoreSetting(QStringLiteral("FormWidth"), 900);
  StoreSetting(QStringLiteral("FormHeight"), 700);
  Open();
  ShowActive();
  window->resize(640, 480);
  window->showMinimized();
  Quit();
  EXPECT_EQ(StoredSetting(QStringLiteral("FormState")), 1);
  EXPECT_EQ(StoredSetting(QStringLiteral("FormWidth")), 900);

  TfCANUSBMain& w = Open();
  EXPECT_EQ(w.size(), QSize(847, 797));
  EXPECT_FALSE(w.windowState() & (Qt::WindowMaximized | Qt::WindowMinimized));
}

TEST_F(MainWindowFixture, GeometryIsNeitherAppliedNorStoredWhenSwitchedOff) {
  StoreSetting(QStringLiteral("FormWidth"), 900);
  TfCANUSBMain& w = Open();
  EXPECT_EQ(w.size(), QSize(847, 797));
  w.resize(500, 400);
  Quit();
  EXPECT_EQ(StoredSetting(QStringLiteral("FormWidth")), 900);
}

TEST_F(MainWindowFixture, ClosingAChangedProjectAsksAndOnlyYesCloses) {
  TfCANUSBMain& w = Open();
  ShowActive();
  w.Project().SetChanged(true);
  for (auto answer : {QMessageBox::No, QMessageBox::Cancel}) {
    QString text, caption;
    AnswerNextMessageBox(answer, &text, &caption);
    EXPECT_FALSE(w.close());
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(text, QStringLiteral("Project was changed. Exit without saving?"));
    EXPECT_EQ(caption, QStringLiteral("Close Ferrolux"));
  }
  AnswerNextMessageBox(QMessageBox::Yes);
  EXPECT_TRUE(w.close());
}

TEST_F(MainWindowFixture, ClosingAnUnchangedProjectAsksNothing) {
  TfCANUSBMain& w = Open();
  ShowActive();
  QString text;
  QPointer<QTimer> guard = AnswerNextMessageBox(QMessageBox::Cancel, &text);
  EXPECT_TRUE(w.close());
  EXPECT_TRUE(text.isEmpty());
  delete guard.data();
}

TEST_F(MainWindowFixture, ProjectNewAsksBeforeDroppingChanges) {
  TfCANUSBMain& w = Open();
  FakeList monitor, trace;
  w.SetProjectList(TfCANUSBMain::TProjectListRole::Monitor, &monitor);
  w.SetProjectList(TfCANUSBMain::TProjectListRole::Trace, &trace);
  EXPECT_EQ(w.Project().MonitorTree, &monitor);
  monitor.Edit();
  ASSERT_TRUE(w.Project().Changed()) << "a list's content change marks the project";

  QString text, caption;
  AnswerNextMessageBox(QMessageBox::Cancel, &text, &caption);
  w.actionProjectNew->trigger();
  EXPECT_EQ(text, QStringLiteral("All unsaved data will be deleted."));
  EXPECT_EQ(caption, QStringLiteral("Warning"));
  EXPECT_EQ(monitor.Clears, 0);
  EXPECT_TRUE(w.Project().Changed());

  AnswerNextMessageBox(QMessageBox::Ok);
  w.actionProjectNew->trigger();
  EXPECT_EQ(monitor.Clears, 1);
  EXPECT_EQ(trace.Clears, 1);
  EXPECT_FALSE(w.Project().Changed());

  QPointer<QTimer> guard = AnswerNextMessageBox(QMessageBox::Cancel, &text);
  text.clear();
  w.actionProjectNew->trigger();
  EXPECT_TRUE(text.isEmpty()) << "an unchanged project is renewed without asking";
  EXPECT_EQ(monitor.Clears, 2);
  delete guard.data();
}

TEST_F(MainWindowFixture, KeysReachTheHotKeyDispatchOnceAndStillReachTheControl) {
  TfCANUSBMain& w = Open();
  auto* edit = new QLineEdit;
  TMainPages::Place(w.Pages()->SendMessageArea(), edit);
  std::vector<QKeyCombination> keys;
  w.HotKeyDispatch = [&](QKeyCombination k) { keys.push_back(k); };
  ShowActive();
  edit->setFocus();
  QTest::keyClick(edit, Qt::Key_F5, Qt::ControlModifier);
  QTest::keyClick(edit, Qt::Key_A);
  // The Ctrl key's own press comes first, as every key press does.
  ASSERT_EQ(keys.size(), 3u);
  EXPECT_EQ(keys[0].key(), Qt::Key_Control);
  EXPECT_EQ(keys[1], QKeyCombination(Qt::ControlModifier, Qt::Key_F5));
  EXPECT_EQ(keys[2], QKeyCombination(Qt::NoModifier, Qt::Key_A));
  EXPECT_EQ(edit->text(), QStringLiteral("a")) << "the key is not consumed";
}

TEST_F(MainWindowFixture, DrainTickShowsTheQueueFillAndEmptiesIt) {
  TfCANUSBMain& w = Open();
  for (int i = 0; i < 3; ++i) w.Queue()->Enqueue(std::make_unique<TCanMsgProg>());
  w.Timer1Timer();
  EXPECT_EQ(w.StatusPanel(4)->text(), QStringLiteral("Buff: 3"));
  EXPECT_EQ(w.Queue()->Count(), 0u);
  w.Timer1Timer();
  EXPECT_EQ(w.StatusPanel(4)->text(), QStringLiteral("Buff: 0"));
}

TEST_F(MainWindowFixture, CloseStopsTheReaderBeforeTheQueueGoes) {
  ScriptedDriver driver;
  driver.Script({{1, 5}}, true);
  TfCANUSBMain& w = Open();
  w.Adapter().SetAdapter(&driver);
  w.ReaderThread().Start();
  ASSERT_TRUE(QTest::qWaitFor([&] { return w.Queue()->Count() > 100; }));
  EXPECT_TRUE(w.close());
  EXPECT_FALSE(w.ReaderThread().Runing());
  EXPECT_EQ(w.Queue(), nullptr);
  const long reads = driver.Reads();
  QTest::qWait(20);
  EXPECT_EQ(driver.Reads(), reads);
  window.reset();
}

TEST_F(MainWindowFixture, ConnectedDeviceIsClosedFirstOnExit) {
  ScriptedDriver driver;
  TfCANUSBMain& w = Open();
  w.Adapter().SetAdapter(&driver);
  w.Adapter().SetConnected(true);
  w.Timer1->start();
  EXPECT_TRUE(w.close());
  EXPECT_FALSE(w.Adapter().Connected());
  EXPECT_FALSE(w.Timer1->isActive());
  window.reset();
}

TEST(UserActionBoundary, ConversionErrorsEndInTheStandardErrorBox) {
  QString text, caption;
  AnswerNextMessageBox(QMessageBox::Ok, &text, &caption);
  GuardUserAction([] { (void)HexToInt64(QStringLiteral("12G")); });
  EXPECT_EQ(caption, QStringLiteral("Ferrolux"));
  EXPECT_TRUE(text.contains(QStringLiteral("12G"))) << text.toStdString();

  text.clear();
  AnswerNextMessageBox(QMessageBox::Ok, &text);
  QTimer::singleShot(0, [] { throw EConvertError("thrown in an event handler"); });
  ASSERT_TRUE(QTest::qWaitFor([&] { return !text.isEmpty(); }));
  EXPECT_EQ(text, QStringLiteral("thrown in an event handler"));
}

TEST(UserActionBoundary, UserMessagesBecomeMessageBoxes) {
  InstallMessageBoxHandler();
  QString text, caption;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  OnNextModal([&](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(box, nullptr);
    text = box->text();
    caption = box->windowTitle();
    icon = box->icon();
    box->accept();
  });
  ShowUserMessage(TUserMessageKind::Warning, QStringLiteral("Warning"), QStringLiteral("Adapter state: "));
  EXPECT_EQ(text, QStringLiteral("Adapter state: "));
  EXPECT_EQ(caption, QStringLiteral("Warning"));
  EXPECT_EQ(icon, QMessageBox::Warning);
  SetUserMessageHandler(nullptr);
}

TEST_F(MainWindowFixture, CalculatorMissingIsReported) {
  TfCANUSBMain& w = Open();
  const QByteArray path = qgetenv("PATH");
  qputenv("PATH", "/nonexistent");
  QString text;
  AnswerNextMessageBox(QMessageBox::Ok, &text);
  w.actionCalcuator->trigger();
  qputenv("PATH", path);
  EXPECT_TRUE(text.startsWith(QStringLiteral("No calculator program is installed"))) << text.toStdString();
}

TEST_F(MainWindowFixture, HintsFollowTheSetting) {
  TfCANUSBMain& w = Open();
  ShowActive();
  auto* button = w.findChild<QToolButton*>(QStringLiteral("btnOptions"));
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->accessibleName(), QStringLiteral("Options"));
  const auto askForHint = [&] {
    QToolTip::hideText();
    EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }));
    QHelpEvent help(QEvent::ToolTip, QPoint(4, 4), button->mapToGlobal(QPoint(4, 4)));
    QApplication::sendEvent(button, &help);
    return QToolTip::isVisible();
  };
  EXPECT_TRUE(askForHint());
  EXPECT_EQ(QToolTip::text(), QStringLiteral("Options"));
  w.ApplyShowHints(false);
  EXPECT_FALSE(askForHint());
}

// The statistics follow the drain; a cleared trace starts them again.
TEST_F(MainWindowFixture, StatisticsPageAndBusLoadPanelFollowTheDrain) {
  TfCANUSBMain& w = Open();
  TCanMsgProg msg;
  msg.DLC = 8;
  w.Traffic().BeginDrain();
  for (int i = 0; i < 200; ++i) {
    msg.CanId = 0x100 + i % 4;
    msg.Time = i * 5;  // 200 frames within the second
    w.Traffic().DispatchReceivedMessage(msg);
  }
  w.Traffic().EndDrain();
  EXPECT_EQ(w.StatisticsPage->Model().rowCount(), 4);
  EXPECT_EQ(w.TrafficStatistics().Statistics().Frames(), 200u);
  EXPECT_EQ(w.StatisticsPage->List()->model()->index(0, 0).data().toString(), QStringLiteral("100")) << "sorted by identifier";
  EXPECT_TRUE(w.BusLoadPanel()->text().startsWith(QStringLiteral("Load: "))) << w.BusLoadPanel()->text().toStdString();
  EXPECT_NE(w.BusLoadPanel()->text(), QStringLiteral("Load: 0.0 %"));
  EXPECT_TRUE(w.StatisticsPage->BusFigures()->text().contains(QStringLiteral("Bit rate 500.0 kbit/s")));
  w.TracePage->actonClearTraceList->trigger();
  EXPECT_EQ(w.StatisticsPage->Model().rowCount(), 0);
}
