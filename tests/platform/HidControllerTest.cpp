#include <gtest/gtest.h>

#include <QEventLoop>

#include "platform/HidDeviceController.h"
#include "platform/HidReportDescriptor.h"
#include "support/ScriptedHidBackend.h"

namespace {

struct Recorder {
  explicit Recorder(THidDeviceController& c) {
    QObject::connect(&c, &THidDeviceController::DeviceChange, [this] { log.push_back("change"); });
    QObject::connect(&c, &THidDeviceController::DeviceArrival, [this](const THidDeviceInfo& d) { log.push_back("arrive " + d.Path); });
    QObject::connect(&c, &THidDeviceController::DeviceUnplug, [this](const THidDeviceInfo& d) { log.push_back("unplug " + d.Path); });
  }
  std::vector<std::string> Take() { return std::exchange(log, {}); }
  std::vector<std::string> log;
};

using Log = std::vector<std::string>;

class HidController : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureCoreApplication();
    auto owned = std::make_unique<ScriptedHidBackend>();
    backend = owned.get();
    first = backend->Plug(HidInfo("/dev/hidraw0", 0x0416, 0x5020));
    controller = std::make_unique<THidDeviceController>(std::move(owned));
    recorder = std::make_unique<Recorder>(*controller);
  }
  ScriptedHidBackend* backend = nullptr;
  std::shared_ptr<ScriptedHidAdapter> first;
  std::unique_ptr<THidDeviceController> controller;
  std::unique_ptr<Recorder> recorder;
};

}  // namespace

TEST_F(HidController, ArrivalAndRemovalFoundByDiffing) {
  controller->Poll();
  EXPECT_EQ(recorder->Take(), (Log{"arrive /dev/hidraw0", "change"})) << "reported once after start-up";
  controller->Poll();
  EXPECT_TRUE(recorder->Take().empty()) << "no change, no report";

  backend->Plug(HidInfo("/dev/hidraw1", 0x046D, 0xC52B, "Mouse", ""));
  controller->Poll();
  EXPECT_EQ(recorder->Take(), (Log{"arrive /dev/hidraw1", "change"}));
  ASSERT_EQ(controller->Devices().size(), 2u);
  EXPECT_EQ(controller->Devices()[1].ProductName, "Mouse");

  backend->Unplug("/dev/hidraw0");
  controller->Poll();
  EXPECT_EQ(recorder->Take(), (Log{"unplug /dev/hidraw0", "change"}));
  EXPECT_FALSE(controller->IsAttached(HidInfo("/dev/hidraw0", 0x0416, 0x5020)));

  // Another device on the node number just freed, within one poll interval.
  backend->Plug(HidInfo("/dev/hidraw0", 0x0483, 0x5020, "CAN-HID", "H0002"));
  backend->Unplug("/dev/hidraw1");
  backend->Plug(HidInfo("/dev/hidraw1", 0x046D, 0xC52B, "Mouse", "S2"));
  controller->Poll();
  EXPECT_EQ(recorder->Take(), (Log{"unplug /dev/hidraw1", "arrive /dev/hidraw0", "arrive /dev/hidraw1", "change"}));
}

TEST_F(HidController, EmptyBusStillReportsOnceAtStartUp) {
  backend->Unplug("/dev/hidraw0");
  controller->Poll();
  EXPECT_EQ(recorder->Take(), Log{"change"});
}

TEST_F(HidController, TimerPollsWithoutBeingAsked) {
  QEventLoop loop;
  QObject::connect(controller.get(), &THidDeviceController::DeviceChange, &loop, &QEventLoop::quit);
  QTimer::singleShot(5000, &loop, &QEventLoop::quit);
  loop.exec();
  EXPECT_EQ(recorder->Take(), (Log{"arrive /dev/hidraw0", "change"}));
  backend->Plug(HidInfo("/dev/hidraw1", 0x0416, 0x5020));
  QTimer::singleShot(5000, &loop, &QEventLoop::quit);
  loop.exec();
  EXPECT_EQ(recorder->Take(), (Log{"arrive /dev/hidraw1", "change"}));
  EXPECT_GE(backend->Enumerations(), 2);
}

TEST_F(HidController, CheckOutIsExclusiveUntilCheckedIn) {
  controller->Poll();
  const THidDeviceInfo info = controller->Devices()[0];
  std::shared_ptr<THidDevice> device = controller->CheckOut(info);
  ASSERT_TRUE(device);
  EXPECT_EQ(first->OpenChannels(), 2);
  EXPECT_EQ(device->InputReportLength(), 65u);
  EXPECT_EQ(device->OutputReportLength(), 65u);
  EXPECT_FALSE(controller->CheckOut(info)) << "already held";
  controller->CheckIn(device);
  device.reset();
  EXPECT_EQ(first->OpenChannels(), 0);
  EXPECT_TRUE(controller->CheckOut(info));

  auto refused = backend->Plug(HidInfo("/dev/hidraw9", 1, 2));
  backend->RefuseOpen("/dev/hidraw9");
  EXPECT_FALSE(controller->CheckOut(HidInfo("/dev/hidraw9", 1, 2)));
  EXPECT_FALSE(controller->IsCheckedOut(HidInfo("/dev/hidraw9", 1, 2)));
}

TEST_F(HidController, ChannelsQueueIndependentlyAndDiscardOnlyTheirOwn) {
  controller->Poll();
  std::shared_ptr<THidDevice> device = controller->CheckOut(controller->Devices()[0]);
  ASSERT_TRUE(device);
  first->Send(ReplyReport("a\r"));
  first->Send(ReplyReport("b\r"));
  device->DiscardQueued(THidChannelKind::Command);
  Report report(65);
  EXPECT_EQ(device->ReadInputReport(THidChannelKind::Command, report, 0), 0);
  ASSERT_EQ(device->ReadInputReport(THidChannelKind::Receive, report, 0), 65);
  EXPECT_EQ(HidReport::ReplyText(report), "a\r");
  ASSERT_TRUE(device->WriteOutputReport(*HidReport::CommandReport("V\r")));
  EXPECT_EQ(first->Commands(), std::vector<std::string>{"V\r"});
}

// A vendor-defined device with 64-byte input and output reports and no report ids.
TEST(HidDescriptor, UnnumberedVendorReports) {
  const std::uint8_t d[] = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08,
                            0x95, 0x40, 0x09, 0x01, 0x81, 0x02, 0x95, 0x40, 0x09, 0x01, 0x91, 0x02, 0xC0};
  const THidDescriptorSummary s = SummariseReportDescriptor(d);
  EXPECT_EQ(s.InputLength, 65u);
  EXPECT_EQ(s.OutputLength, 65u);
  EXPECT_FALSE(s.NumberedReports);
}

TEST(HidDescriptor, NumberedReportsPushPopLongItemsAndTruncation) {
  const std::uint8_t d[] = {
      0x06, 0x00, 0xFF, 0xA1, 0x01,
      0x85, 0x01, 0x75, 0x08, 0x95, 0x10, 0x81, 0x02,  // id 1: 16 input bytes
      0x85, 0x02, 0x75, 0x01, 0x95, 0x04, 0x81, 0x02,  // id 2: 4 input bits ...
      0xA4, 0x75, 0x08, 0x96, 0x20, 0x00, 0x81, 0x02,  //       + 32 bytes (push, 2-byte count)
      0xB4, 0x81, 0x02,                                //       + 4 bits again after pop
      0xFE, 0x02, 0x00, 0xAA, 0xBB,                    // a long item is skipped whole
      0x85, 0x03, 0x75, 0x08, 0x95, 0x08, 0x91, 0x02,  // id 3: 8 output bytes
      0xC0, 0x95};                                     // truncated item at the end
  const THidDescriptorSummary s = SummariseReportDescriptor(d);
  EXPECT_TRUE(s.NumberedReports);
  EXPECT_EQ(s.InputLength, 33u + 1u) << "id 2: 4 bits + 32 bytes + 4 bits, plus the id byte";
  EXPECT_EQ(s.OutputLength, 9u);
  EXPECT_EQ(SummariseReportDescriptor({}).InputLength, 0u);
}

TEST(HidapiBackend, EnumeratesThisMachineAndRefusesAMissingNode) {
  std::unique_ptr<IHidBackend> backend = MakeHidapiBackend();
  for (const THidDeviceInfo& d : backend->Enumerate()) EXPECT_FALSE(d.Path.empty());
  const THidDeviceInfo missing = HidInfo("/dev/hidraw-none", 0x0416, 0x5020);
  EXPECT_EQ(backend->OpenChannel(missing), nullptr);
  EXPECT_EQ(backend->ReportLengths(missing).Input, 0u);
}
