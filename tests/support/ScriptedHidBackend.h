#pragma once
// HID devices for tests, behind the controller's backend seam. A scripted adapter answers
// each command report with a reply report the way the real adapter does, and hands every
// input report to every open channel, as hidraw does.

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>

#include "CanPackage/source/HidReport.h"
#include "platform/HidBackend.h"
#include "support/CoreApplication.h"

using Report = std::vector<std::uint8_t>;

inline Report ReplyReport(std::string_view text) {
  Report r(HidReport::kLength, 0);
  std::copy(text.begin(), text.end(), r.begin() + 1);
  return r;
}

// One 16-byte slot of a frame report.
struct FrameSlot {
  char marker = 't';
  std::uint32_t id = 0;
  std::uint8_t len = 0;
  std::vector<std::uint8_t> data;
  std::uint16_t time = 0;
};

inline Report FrameReport(const std::vector<std::optional<FrameSlot>>& frameSlots) {
  Report r(HidReport::kLength, 0);
  for (std::size_t i = 0; i < frameSlots.size() && i < 4; ++i) {
    if (!frameSlots[i]) continue;
    std::uint8_t* s = r.data() + 1 + 16 * i;
    s[0] = static_cast<std::uint8_t>(frameSlots[i]->marker);
    for (int b = 0; b < 4; ++b) s[1 + b] = static_cast<std::uint8_t>(frameSlots[i]->id >> (8 * b));
    s[5] = frameSlots[i]->len;
    std::copy_n(frameSlots[i]->data.begin(), std::min<std::size_t>(frameSlots[i]->data.size(), 8), s + 6);
    s[14] = static_cast<std::uint8_t>(frameSlots[i]->time);
    s[15] = static_cast<std::uint8_t>(frameSlots[i]->time >> 8);
  }
  return r;
}

class ScriptedInputQueue {
 public:
  void Push(const Report& r) {
    {
      std::lock_guard lock(FLock);
      FReports.push_back(r);
    }
    FReady.notify_all();
  }
  // Like a channel read: bytes, 0 on timeout.
  int Pop(std::span<std::uint8_t> out, int timeoutMs) {
    std::unique_lock lock(FLock);
    if (!FReady.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return !FReports.empty(); })) return 0;
    const Report r = std::move(FReports.front());
    FReports.pop_front();
    const std::size_t n = std::min(out.size(), r.size());
    std::copy_n(r.begin(), n, out.begin());
    return static_cast<int>(n);
  }
  std::size_t Size() {
    std::lock_guard lock(FLock);
    return FReports.size();
  }

 private:
  std::mutex FLock;
  std::condition_variable FReady;
  std::deque<Report> FReports;
};

class ScriptedHidAdapter {
 public:
  // A well-behaved adapter: the version, CR for every set-up command, "z" for a frame.
  static std::optional<std::string> DefaultReply(const std::string& command) {
    const char first = command.empty() ? '\r' : command.front();
    if (first == 'V') return std::string("V1013\r");
    if (first == 't' || first == 'T' || first == 'r' || first == 'R') return std::string("z\r");
    if (std::string("SsMmZOC\r").find(first) != std::string::npos) return std::string("\r");
    return std::string("\a");
  }

  // Answer `command` (with its CR) by `reply` instead; nullopt stays silent.
  void Answer(const std::string& command, std::optional<std::string> reply) {
    std::lock_guard lock(FLock);
    FAnswers[command] = std::move(reply);
  }
  void FailWrites(bool fail) { FWriteFails = fail; }
  void FailReads(bool fail) { FReadFails = fail; }
  [[nodiscard]] bool ReadsFail() const { return FReadFails; }

  std::vector<std::string> Commands() {
    std::lock_guard lock(FLock);
    return FCommands;
  }

  // An input report reaches every open channel.
  void Send(const Report& r) {
    std::lock_guard lock(FLock);
    for (auto& weak : FChannels)
      if (auto queue = weak.lock()) queue->Push(r);
  }

  bool Receive(std::span<const std::uint8_t> report) {
    if (FWriteFails) return false;
    const std::string command = HidReport::ReplyText(report);
    std::optional<std::string> reply;
    {
      std::lock_guard lock(FLock);
      FCommands.push_back(command);
      const auto answer = FAnswers.find(command);
      reply = answer != FAnswers.end() ? answer->second : DefaultReply(command);
    }
    if (reply) Send(ReplyReport(*reply));
    return true;
  }

  std::shared_ptr<ScriptedInputQueue> AddChannel() {
    auto queue = std::make_shared<ScriptedInputQueue>();
    std::lock_guard lock(FLock);
    FChannels.push_back(queue);
    return queue;
  }
  int OpenChannels() {
    std::lock_guard lock(FLock);
    return static_cast<int>(std::count_if(FChannels.begin(), FChannels.end(), [](auto& w) { return !w.expired(); }));
  }

 private:
  std::mutex FLock;
  std::map<std::string, std::optional<std::string>> FAnswers;
  std::vector<std::string> FCommands;
  std::vector<std::weak_ptr<ScriptedInputQueue>> FChannels;
  std::atomic<bool> FWriteFails{false};
  std::atomic<bool> FReadFails{false};
};

class ScriptedHidChannel final : public IHidChannel {
 public:
  explicit ScriptedHidChannel(std::shared_ptr<ScriptedHidAdapter> adapter)
      : FAdapter(std::move(adapter)), FQueue(FAdapter->AddChannel()) {}
  bool Write(std::span<const std::uint8_t> report) override { return FAdapter->Receive(report); }
  int Read(std::span<std::uint8_t> report, int timeoutMs) override {
    if (FAdapter->ReadsFail()) return -1;
    return FQueue->Pop(report, timeoutMs);
  }
  ScriptedInputQueue& Queue() { return *FQueue; }

 private:
  std::shared_ptr<ScriptedHidAdapter> FAdapter;
  std::shared_ptr<ScriptedInputQueue> FQueue;
};

class ScriptedHidBackend final : public IHidBackend {
 public:
  // Attaches a device; the next enumeration lists it after those attached before.
  std::shared_ptr<ScriptedHidAdapter> Plug(THidDeviceInfo info) {
    auto adapter = std::make_shared<ScriptedHidAdapter>();
    std::lock_guard lock(FLock);
    FDevices.emplace_back(std::move(info), adapter);
    return adapter;
  }
  void Unplug(const std::string& path) {
    std::lock_guard lock(FLock);
    std::erase_if(FDevices, [&](auto& d) { return d.first.Path == path; });
  }
  void RefuseOpen(const std::string& path) { FRefused.push_back(path); }
  [[nodiscard]] int Enumerations() const { return FEnumerations; }

  std::vector<THidDeviceInfo> Enumerate() override {
    ++FEnumerations;
    std::lock_guard lock(FLock);
    std::vector<THidDeviceInfo> list;
    for (auto& d : FDevices) list.push_back(d.first);
    return list;
  }
  std::unique_ptr<IHidChannel> OpenChannel(const THidDeviceInfo& device) override {
    if (std::find(FRefused.begin(), FRefused.end(), device.Path) != FRefused.end()) return nullptr;
    std::lock_guard lock(FLock);
    for (auto& d : FDevices)
      if (d.first == device) return std::make_unique<ScriptedHidChannel>(d.second);
    return nullptr;
  }
  THidReportLengths ReportLengths(const THidDeviceInfo&) override { return {HidReport::kLength, HidReport::kLength}; }

 private:
  std::mutex FLock;
  std::vector<std::pair<THidDeviceInfo, std::shared_ptr<ScriptedHidAdapter>>> FDevices;
  std::vector<std::string> FRefused;
  std::atomic<int> FEnumerations{0};
};

inline THidDeviceInfo HidInfo(std::string path, std::uint16_t vid, std::uint16_t pid, QString product = "CAN-HID",
                              QString serial = "H0001") {
  return {std::move(path), vid, pid, std::move(product), std::move(serial)};
}
