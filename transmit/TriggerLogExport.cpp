#include "transmit/TriggerLogExport.h"

TListLayout TriggerLogLayout() {
  return TListLayout{DefaultListLook(),
                     {TExportColumn{0, QStringLiteral("Time"), 100, TTextAlign::Left, TTextAlign::Left},
                      TExportColumn{1, QStringLiteral("Message"), 400, TTextAlign::Left, TTextAlign::Left}}};
}
