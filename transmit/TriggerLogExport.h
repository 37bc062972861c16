#pragma once
// Export of the trigger log: its default column layout. Its cells are exported as the list
// shows them, through TRowListExport.

#include "reports/ListExport.h"

// "Time" and "Message" in their default widths.
[[nodiscard]] TListLayout TriggerLogLayout();
