#pragma once
// The predefined messages: frames the program sends by itself, each row on a timer, in
// answer to a received frame that matches its trigger under a mask, or on a hot key. The
// list holds the rows and every rule of sending them; the page only shows and edits them.

#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

#include "lists/RowListOf.h"
#include "storage/ProjectList.h"
#include "transmit/PredefinedMessageData.h"

// Masked comparison of a received frame `r` with a trigger code `c`; a 1 bit in the mask `m`
// means "don't care". Identifier (all 64 bits) and length always count; a code with RTR set
// matches on them alone, otherwise the data bytes the received frame carries count too.
// The received frame's flags and the code's Extended flag take no part.
[[nodiscard]] bool MatchCanMsg(const TCanMsgProg& r, const TCanMsgProg& c, const TCanMsgProg& m);

[[nodiscard]] QString TriggerTypeText(std::uint8_t triggerType);

struct TPredefinedSeams {
  // Writes the frame and enters it into the views as a sent frame.
  std::function<void(const TCanMsgProg&)> Send;
  std::function<void(const QString&)> AddTriggerLogEntry;
  // The system's 32-bit millisecond tick count.
  std::function<std::uint32_t()> TickCount;
};

// What the editor hands over on "Apply".
struct TPredefinedEdit {
  QString Description;
  std::uint8_t TriggerType = 0;
  TCanMsgProg Message;
  std::uint16_t HotKey = 0;
  bool LogMessage = false;
  QString LogText;
  std::int32_t Period = 0;         // taken for a Timer row
  TCanMsgProg TriggerCode;         // taken with the mask for a Message row
  TCanMsgProg TriggerMask;
};

class TPredefinedMessageList : public TRowListOf<TPredefinedMessageData>, public TProjectList {
 public:
  explicit TPredefinedMessageList(TPredefinedSeams seams);

  // Editing. Each returns the row to select afterwards, or kNoRow.
  std::size_t AddMessage();
  std::size_t CopyMessage(std::size_t row);
  std::size_t DeleteMessage(std::size_t row);
  // One place up or down; a row without a neighbour that way goes to the top.
  std::size_t MoveMessageUp(std::size_t row);
  std::size_t MoveMessageDown(std::size_t row);
  // Dragging: `row` goes before `target`, or after it when `after`.
  std::size_t DropMessage(std::size_t row, std::size_t target, bool after);
  void DeleteAllMessages();
  void Clear() override;
  void ApplyEdit(std::size_t row, const TPredefinedEdit& edit);
  [[nodiscard]] bool RowsDraggable() const override { return true; }
  // Checking a row enables it; this is not a change of the project.
  void SetRowChecked(std::size_t row, bool checked) override;

  // Sending.
  // The scheduler tick: sends the checked Timer rows that are due.
  void SendDueTimerMessages();
  // A received frame: every checked Message row whose trigger matches answers, in list order.
  void MatchTriggerMessages(const TCanMsgProg& msg);
  // A key press anywhere in the window, as a shortcut value.
  void SendHotKeyMessages(std::uint16_t hotKey);
  // Whether pressing `hotKey` would send a row: such a key is the rows', not a shortcut's.
  [[nodiscard]] bool SendsOnHotKey(std::uint16_t hotKey) const;

  // Cells.
  [[nodiscard]] int ColumnCount() const override { return 8; }
  [[nodiscard]] QString ColumnTitle(int column) const override;
  [[nodiscard]] QString CellText(std::size_t row, int column) const override;
  [[nodiscard]] QString FileCaption(std::size_t row) const override;

 protected:
  void RowsReplaced() override { FArmedStale = true; }

 private:
  void SendRow(const TPredefinedMessageData& row, bool logFirst);
  void AppendRow(const TPredefinedMessageData& record);
  std::size_t MoveTo(std::size_t row, std::size_t to);
  std::uint32_t ReadTick();
  void NoteTick(std::uint32_t now);
  const std::vector<std::size_t>& ArmedMessageRows();

  TPredefinedSeams FSeams;
  // Checked, enabled Message rows in list order: a received frame is offered to these only.
  std::vector<std::size_t> FArmedRows;
  bool FArmedStale = true;
  bool FTickSeen = false;
  std::uint32_t FLastTick = 0;
};
