#pragma once
// Checked Message rows whose triggers no traffic of the benchmarks and the soak matches: every
// received frame is compared with all of them, and none is answered.

#include <cstdint>

#include "transmit/PredefinedMessageList.h"

inline void ArmNonMatchingTriggers(TPredefinedMessageList& rows, std::int64_t firstTriggerId, int count = 20) {
  for (int i = 0; i < count; ++i) {
    const std::size_t row = rows.AddMessage();
    TPredefinedEdit edit;
    edit.TriggerType = static_cast<std::uint8_t>(TTriggerType::Message);
    edit.TriggerCode.CanId = firstTriggerId + i;
    edit.TriggerCode.DLC = 8;
    rows.ApplyEdit(row, edit);
    rows.SetRowChecked(row, true);
  }
}
