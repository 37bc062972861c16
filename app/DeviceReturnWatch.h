#pragma once
// Waits for an adapter that went away during a capture: once a second, and whenever the
// window learns that the device lists changed, it asks whether the adapter with the
// remembered kind and serial number is listed again and, if so, has it reopened. A reopen
// that fails (the device is listed but not ready yet) is tried again at the next look.

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

class TDeviceReturnWatch : public QObject {
 public:
  static constexpr int kLookIntervalMs = 1000;

  explicit TDeviceReturnWatch(QObject* parent = nullptr);

  // Is an adapter of this kind and serial number in the device lists now?
  std::function<bool(const QString& kind, const QString& serialNr)> IsListed;
  // Opens the remembered device again; true once it is open.
  std::function<bool()> Reopen;

  void Await(const QString& kind, const QString& serialNr);
  // Stops waiting; nothing happens when nothing is awaited.
  void Cancel();
  [[nodiscard]] bool Awaiting() const { return FAwaiting; }
  [[nodiscard]] const QString& SerialNr() const { return FSerialNr; }

  // One look now; true when the device was reopened.
  bool Look();

 private:
  QTimer FTimer;
  bool FAwaiting = false;
  bool FLooking = false;
  QString FKind;
  QString FSerialNr;
};
