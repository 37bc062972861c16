// The window's side of the capture file: the offer at start and a clean end.
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QSpinBox>

#include "app/MainWindowFixture.h"
#include "capture/CaptureRecorder.h"
#include "capture/CaptureRows.h"
#include "capture/CaptureSettings.h"
#include "app/CANUSBOptions.h"
#include "storage/DataFolder.h"
#include "views/TracePage.h"

namespace {

struct CaptureWindowTest : MainWindowFixture {
  void SetUp() override {
    MainWindowFixture::SetUp();
    QDir(DataFolderPath(DataFolder::Capture)).removeRecursively();
  }
  // A capture of `rows` numbered rows as a killed program leaves it: the last block torn.
  static QString LeaveCapture(std::size_t rows) {
    QDir().mkpath(DataFolderPath(DataFolder::Capture));
    const QString path = DataFolderPath(DataFolder::Capture) + QStringLiteral("/capture-20260102-030405-000.flxcap");
    std::vector<std::uint8_t> bytes = CaptureBytes(1, rows);
    EncodeCaptureBlock(rows, NumberedRows(rows, 5), bytes);
    bytes.pop_back();
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    return path;
  }
  static QStringList CaptureFiles() {
    return QDir(DataFolderPath(DataFolder::Capture)).entryList({QStringLiteral("*.flxcap")}, QDir::Files);
  }
};

TEST_F(CaptureWindowTest, ACaptureLeftBehindIsOfferedAndBecomesTheTrace) {
  const QString left = LeaveCapture(300);
  QString text, caption;
  AnswerNextMessageBox(QMessageBox::Yes, &text, &caption);
  TfCANUSBMain& w = Open();
  EXPECT_EQ(caption, QStringLiteral("Ferrolux"));
  EXPECT_TRUE(text.startsWith(QStringLiteral("The last capture did not end cleanly: 300 frames from 2023-11-"))) << text.toStdString();
  ASSERT_EQ(w.Traffic().Trace().RowCount(), 300U);
  for (std::size_t r = 0; r < 300; ++r) {
    const TTraceData expected = NumberedRow(r);
    ASSERT_EQ(std::memcmp(&w.Traffic().Trace().Row(r), &expected, sizeof expected), 0) << r;
  }
  EXPECT_EQ(w.TracePage->Panel18()->text(), QStringLiteral(" Messages count: 300"));
  EXPECT_EQ(w.Traffic().Monitor().RowCount(), 300U);  // as an import: the monitor has them too
  // The rows moved into the window's own capture; the old file is gone.
  EXPECT_FALSE(QFile::exists(left));
  ASSERT_EQ(CaptureFiles().size(), 1);
  EXPECT_FALSE(w.CapturePanel()->isVisible());
  // A clean end leaves nothing to offer.
  Quit();
  EXPECT_TRUE(CaptureFiles().isEmpty());
}

TEST_F(CaptureWindowTest, ACaptureRefusedIsDeletedAndNotOfferedAgain) {
  const QString left = LeaveCapture(20);
  QString text;
  AnswerNextMessageBox(QMessageBox::No, &text);
  TfCANUSBMain& w = Open();
  EXPECT_FALSE(text.isEmpty());
  EXPECT_EQ(w.Traffic().Trace().RowCount(), 0U);
  EXPECT_FALSE(QFile::exists(left));
  Quit();
}

// The memory budget is set in the options; OK stores it and the trace keeps to it at once,
// Cancel changes nothing.
TEST_F(CaptureWindowTest, TheOptionsSetTheTraceMemoryAndTheTraceKeepsToIt) {
  StoreTraceMemoryMiB(kDefaultTraceMemoryMiB);
  TfCANUSBMain& w = Open();
  ShowActive();
  const auto setMemory = [&](int mib, bool accept) {
    QPointer<QTimer> answer = OnNextModal([&](QWidget* modal) {
      auto* options = qobject_cast<TfCANUSBOptions*>(modal);
      ASSERT_NE(options, nullptr);
      EXPECT_EQ(options->edTraceMemory->value(), ReadTraceMemoryMiB()) << "the stored value is shown";
      options->edTraceMemory->setValue(mib);
      accept ? options->accept() : options->reject();
    });
    w.actionOptions->trigger();
    delete answer.data();
  };
  setMemory(3, false);
  EXPECT_EQ(ReadTraceMemoryMiB(), kDefaultTraceMemoryMiB);
  setMemory(1, true);
  EXPECT_EQ(ReadTraceMemoryMiB(), 1);

  const std::size_t rows = 3 * (std::size_t{1} << 20) / (sizeof(TTraceData) + sizeof(TRowState));
  w.Traffic().BeginDrain();
  for (std::size_t row = 0; row < rows; ++row) w.Traffic().DispatchReceivedMessage(NumberedRow(row).Msg);
  w.Traffic().EndDrain();
  EXPECT_GT(w.Traffic().Trace().SpilledRows(), rows / 2);
  EXPECT_EQ(w.Traffic().Trace().RowCount(), rows);
  StoreTraceMemoryMiB(kDefaultTraceMemoryMiB);
  QPointer<QTimer> exit = AnswerNextMessageBox(QMessageBox::Yes);
  Quit();
  delete exit.data();
}

TEST_F(CaptureWindowTest, ClearDeletesTheCaptureFile) {
  TfCANUSBMain& w = Open();
  w.Traffic().Trace().AddToTrace(NumberedRow(1).Msg, true);
  w.Capture().Sync();
  ASSERT_EQ(CaptureFiles().size(), 1);
  w.Traffic().Trace().ClearTrace();
  EXPECT_TRUE(CaptureFiles().isEmpty());
  Quit();
}
}  // namespace
