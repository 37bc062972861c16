// Waiting for a lost adapter, apart from the window: when a look reopens, when it does not.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <stdexcept>

#include "app/DeviceReturnWatch.h"
#include "support/CoreApplication.h"

namespace {

struct ReturnWatch : ::testing::Test {
  void SetUp() override {
    EnsureCoreApplication();
    watch.IsListed = [this](const QString& kind, const QString& serial) {
      asked.push_back(kind + QLatin1Char('/') + serial);
      return listed;
    };
    watch.Reopen = [this] {
      ++reopens;
      return opens;
    };
  }
  TDeviceReturnWatch watch;
  QStringList asked;
  bool listed = false;
  bool opens = false;
  int reopens = 0;
};

}  // namespace

TEST_F(ReturnWatch, ReopensOnlyTheAwaitedDeviceOnceItIsListedAndThenStops) {
  EXPECT_FALSE(watch.Look()) << "nothing awaited";
  EXPECT_TRUE(asked.isEmpty());

  watch.Await(QStringLiteral("ACUSB"), QStringLiteral("SIM00001"));
  EXPECT_FALSE(watch.Look());
  EXPECT_EQ(asked, QStringList{QStringLiteral("ACUSB/SIM00001")});
  EXPECT_EQ(reopens, 0) << "not listed: no open is tried";

  listed = true;  // listed, but the open fails (the device is not ready yet)
  EXPECT_FALSE(watch.Look());
  EXPECT_FALSE(watch.Look());
  EXPECT_EQ(reopens, 2);
  EXPECT_TRUE(watch.Awaiting()) << "a failed reopen keeps waiting";

  opens = true;
  EXPECT_TRUE(watch.Look());
  EXPECT_FALSE(watch.Awaiting());
  EXPECT_FALSE(watch.Look());
  EXPECT_EQ(reopens, 3);
}

TEST_F(ReturnWatch, CancelStopsTheTimedLooksAndALookInsideAReopenDoesNothing) {
  listed = true;
  watch.Await(QStringLiteral("ZELHID"), QStringLiteral("Q0001"));
  // The open shows a message and runs an event loop, in which another look comes.
  watch.Reopen = [this] {
    ++reopens;
    EXPECT_FALSE(watch.Look());
    return false;
  };
  QElapsedTimer clock;
  clock.start();
  while (reopens == 0 && clock.elapsed() < 5000) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
  EXPECT_EQ(reopens, 1) << "the timer looks by itself, once a second";

  watch.Cancel();
  EXPECT_FALSE(watch.Awaiting());
  clock.restart();
  while (clock.elapsed() < 1500) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
  EXPECT_EQ(reopens, 1) << "no look after the wait was cancelled";
}

// A reopen that fails by throwing (a driver error shown at the window's boundary) leaves the
// watch able to look again.
TEST_F(ReturnWatch, AReopenThatThrowsDoesNotStopLaterLooks) {
  watch.Await(QStringLiteral("ACUSB"), QStringLiteral("SIM00001"));
  listed = true;
  watch.Reopen = [this]() -> bool {
    if (++reopens == 1) throw std::runtime_error("port busy");
    return true;
  };
  EXPECT_THROW(watch.Look(), std::runtime_error);
  EXPECT_TRUE(watch.Look());
  EXPECT_EQ(reopens, 2);
  EXPECT_FALSE(watch.Awaiting());
}
