#include <QDesktopServices>
#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QUrl>
#include <sstream>

#include "MainWindowFixture.h"
#include "app/ListExportActions.h"
#include "platform/UserMessage.h"
#include "storage/DataFolder.h"
#include "views/MonitorPage.h"
#include "views/TracePage.h"

namespace {
// Stands in for the desktop's browser: remembers what it was asked to open.
class TUrlCatcher : public QObject {
  Q_OBJECT
 public:
  QList<QUrl> Opened;
 public slots:
  void Open(const QUrl& url) { Opened << url; }
};

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TCanMsgProg Frame(std::int64_t id, std::int32_t time) {
  TCanMsgProg msg;
  msg.CanId = id;
  msg.DLC = 1;
  msg.Data[0] = 0x41;
  msg.Time = time;
  return msg;
}

struct ExportActionsTest : MainWindowFixture {
  void SetUp() override {
    MainWindowFixture::SetUp();
    StoreSetting(QStringLiteral("Show8ByteMsg"), 0);
    QDir(DataFolderPath(DataFolder::Reports)).removeRecursively();
    QDir(DataFolderPath(DataFolder::Logfiles)).removeRecursively();
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &browser, "Open");
    Open();
    window->Traffic().BeginDrain();
    for (std::int64_t id : {0x200, 0x100}) window->Traffic().DispatchReceivedMessage(Frame(id, 40));
    window->Traffic().EndDrain();
  }
  void TearDown() override {
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    MainWindowFixture::TearDown();
  }
  // Answers the next save dialog with `name` in filter `filter`, or cancels it.
  static QPointer<QTimer> AnswerSaveDialog(const QString& name, const QString& filter, QStringList* seen = nullptr,
                                           std::function<void()> then = {}) {
    return OnNextModal([=](QWidget* modal) {
      auto* dialog = qobject_cast<TLogFileSaveDialog*>(modal);
      if (!dialog) return;
      if (seen)
        *seen << dialog->objectName() << dialog->windowTitle() << dialog->nameFilters().join('|') << dialog->defaultSuffix()
              << dialog->directory().absolutePath();
      if (name.isEmpty()) return dialog->reject();
      dialog->selectNameFilter(filter);
      dialog->selectFile(name);
      // selectFile leaves the name field alone while it has the focus; type it as a user would.
      if (auto* field = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) field->setText(name);
      if (then) then();
      QMetaObject::invokeMethod(dialog, "accept");
    });
  }

  TUrlCatcher browser;
};
}  // namespace

TEST_F(ExportActionsTest, PrintWritesTheReportIntoANewReportsFolderAndOpensIt) {
  ASSERT_TRUE(window->MonitorPage->actionPrintMonitorData->isEnabled());
  window->MonitorPage->actionPrintMonitorData->trigger();
  const QString report = DataFolderPath(DataFolder::TempReport);
  ASSERT_EQ(browser.Opened, QList<QUrl>{QUrl::fromLocalFile(report)});
  const QByteArray page = ReadAll(report);
  EXPECT_TRUE(page.contains("Ver. 3.9 - &lt;unnamed&gt;</span>"));
  EXPECT_TRUE(page.contains(">Monitor Data</span>"));
  EXPECT_LT(page.indexOf(">100</td>"), page.indexOf(">200</td>"));

  // Each print replaces the report.
  window->TracePage->actionPrintTraceData->trigger();
  EXPECT_EQ(browser.Opened.size(), 2);
  EXPECT_TRUE(ReadAll(report).contains(">Tracer Data</span>"));
}

// No browser to hand the report to (the offscreen desktop has none): one message says where it is.
TEST_F(ExportActionsTest, PrintWithoutABrowserSaysWhereTheReportWas) {
  QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
  QStringList shown;
  const TUserMessageHandler previous = SetUserMessageHandler(
      [&](TUserMessageKind, const QString& caption, const QString& text) { shown << caption + "|" + text; });
  window->TracePage->actionPrintTraceData->trigger();
  SetUserMessageHandler(previous);
  const QString report = DataFolderPath(DataFolder::TempReport);
  EXPECT_EQ(shown, QStringList{"Print|No browser could be started to print the report. It was written to " + report + "."});
  EXPECT_TRUE(ReadAll(report).contains(">Tracer Data</span>"));
}

TEST_F(ExportActionsTest, ExportAsksForFileAndFormatAndFollowsTheViewsColumns) {
  QStringList seen;
  QHeaderView* header = window->MonitorPage->vstDataMonitor()->header();
  header->moveSection(header->visualIndex(8), 0);  // Description first
  header->resizeSection(8, 150);
  const QString logfiles = DataFolderPath(DataFolder::Logfiles);
  AnswerSaveDialog(logfiles + "/monitor.csv", "CSV File (*.csv)", &seen);
  window->MonitorPage->actionExportMonitorData->trigger();
  EXPECT_EQ(seen, (QStringList{"LogFileSaveDialog", "Export Data", "CSV File (*.csv)|HTML File (*.html)|RTF File (*.rtf)", "csv",
                               QDir(logfiles).absolutePath()}));
  const QByteArray csv = ReadAll(logfiles + "/monitor.csv");
  EXPECT_EQ(QString::fromUtf16(reinterpret_cast<const char16_t*>(csv.constData() + 2), (csv.size() - 2) / 2).section("\r\n", 0, 1),
            QStringLiteral("Description;CAN ID;EXT;RTR;DLC;MSG;ASCII;Period;Count\r\nCAN ID: 100;100;0;0;1;41;A;;1"));

  AnswerSaveDialog(logfiles + "/monitor.rtf", "RTF File (*.rtf)");
  window->MonitorPage->actionExportMonitorData->trigger();
  EXPECT_TRUE(ReadAll(logfiles + "/monitor.rtf").contains("\\trgaph70\\cellx2250\\cellx3900"));  // 150 px, then CAN ID 110 px

  AnswerSaveDialog(logfiles + "/trace.html", "HTML File (*.html)");
  window->TracePage->actionExportTraceData->trigger();
  EXPECT_TRUE(ReadAll(logfiles + "/trace.html").contains(">CAN Data Tracer</span>"));
  EXPECT_TRUE(browser.Opened.isEmpty());
}

TEST_F(ExportActionsTest, OnlyTheTraceOffersTheLogFormatsAndWritesEveryRowStamped) {
  QStringList seen;
  const QString logfiles = DataFolderPath(DataFolder::Logfiles);
  AnswerSaveDialog(logfiles + "/trace.log", "candump log (*.log)", &seen);
  window->TracePage->actionExportTraceData->trigger();
  ASSERT_GE(seen.size(), 3);
  EXPECT_EQ(seen[2], "CSV File (*.csv)|HTML File (*.html)|RTF File (*.rtf)|candump log (*.log)|ASC log (*.asc)|BLF log (*.blf)|"
                     "TRC trace (*.trc)");
  EXPECT_EQ(ReadAll(logfiles + "/trace.log"), QByteArray("(0.040000) can0 200#41\n(0.040000) can0 100#41\n"));

  // Each log filter writes its own format, whatever the name typed.
  for (const char* filter : {"ASC log (*.asc)", "BLF log (*.blf)", "TRC trace (*.trc)"}) {
    const QString name = logfiles + "/trace-" + QString::fromLatin1(filter).left(3) + ".bin";
    AnswerSaveDialog(name, filter);
    window->TracePage->actionExportTraceData->trigger();
    std::istringstream in(ReadAll(name).toStdString());
    const std::optional<TLogFormat> format = SniffLogFormat(in.str());
    ASSERT_TRUE(format) << filter;
    EXPECT_EQ(QString::fromLatin1(filter).section(' ', 0, 0), QString::fromLatin1(LogFormatInfo(*format).Name).section(' ', 0, 0));
    const TLogFile log = ReadLogFile(*MakeLogReader(*format, in));
    ASSERT_EQ(log.Frames.size(), 2u) << filter;
    EXPECT_EQ(log.Frames[1].Msg.CanId, 0x100);
    EXPECT_EQ(log.Frames[1].TimeUs - log.Frames[0].TimeUs, 0);
    EXPECT_FALSE(log.FirstProblem) << filter;
  }

  seen.clear();
  AnswerSaveDialog({}, {}, &seen);
  window->MonitorPage->actionExportMonitorData->trigger();
  ASSERT_GE(seen.size(), 3);
  EXPECT_FALSE(seen[2].contains("candump"));
}

TEST_F(ExportActionsTest, CancelWritesNothingAndAFailedWriteShowsTheError) {
  AnswerSaveDialog({}, {});
  window->TracePage->actionExportTraceData->trigger();
  EXPECT_TRUE(QDir(DataFolderPath(DataFolder::Logfiles)).entryList(QDir::Files).isEmpty());

  QString error;
  AnswerSaveDialog(DataFolderPath("/no/such/trace.csv"), "CSV File (*.csv)", nullptr,
                   [&] { AnswerNextMessageBox(QMessageBox::Ok, &error); });
  window->TracePage->actionExportTraceData->trigger();
  EXPECT_TRUE(error.contains("trace.csv")) << error.toStdString();
}

#include "ExportActionsTest.moc"
