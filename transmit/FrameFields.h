#pragma once
// The fields of one frame in an editor (identifier, its Extended and RTR boxes, length and
// eight data bytes), read into a frame and shown from one. The send panel, the frame of a
// predefined message and its trigger code and mask rows all use it.

#include <QCheckBox>
#include <QGridLayout>
#include <QString>
#include <array>

#include "model/CanMsgProg.h"
#include "transmit/CanEditField.h"

class TFrameFields {
 public:
  // Creates the identifier, length and data fields named `<prefix>ID`, `<prefix>DLC` and
  // `<prefix><dataName>0..7`; the boxes are the editor's and may serve several rows.
  TFrameFields(QWidget* parent, const QString& prefix, const QString& dataName, QCheckBox* extended, QCheckBox* rtr);

  // Binds the Extended box to the identifier field and the RTR box to the data fields.
  void BindBoxes();

  TCanValueEdit* Id = nullptr;
  TCanValueEdit* Dlc = nullptr;
  std::array<TCanValueEdit*, 8> Data{};
  QCheckBox* Extended = nullptr;
  QCheckBox* Rtr = nullptr;

  // The frame the fields hold; Extended and RTR from the boxes, time 0.
  [[nodiscard]] TCanMsgProg Read() const;
  // Shows `msg`, its flags in the boxes, without the resets a click on the boxes makes.
  void Show(const TCanMsgProg& msg);
  // Shows the values of `msg` only, the fields shaped as the boxes `extended` and `rtr` say.
  void ShowValues(const TCanMsgProg& msg, bool extended, bool rtr);

  // Lays the fields out in one row of `grid` from `column` on: identifier, length, data.
  void PlaceInRow(QGridLayout* grid, int row, int column) const;
  // Tab runs identifier, Extended, length, RTR, data bytes 0 to 7, then `next` (if any).
  void ChainTabOrder(QWidget* next) const;
  // A byte string pasted into a data field fills it and the fields after it, as many as the
  // string holds up to byte 7; a string with anything but hex digits and separators changes
  // nothing.
  void AcceptPastedBytes();
};

// "Delete all messages?" with Yes, No and Cancel; true only for Yes.
[[nodiscard]] bool AskDeleteAllMessages(QWidget* parent);
