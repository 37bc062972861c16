#include "storage/MyRegValues.h"

namespace {

struct TSettingRow {
  const char* Name;
  TPropFieldType Type;
  QVariant Default;
};

// In the order the store reads and writes them; each value is named like its property.
const TSettingRow kSettings[] = {
    {"SaveFormSizeAndPosition", pfBoolean, false},
    {"ShowWarningMessage", pfBoolean, true},
    {"CanBitRate", pfInteger, 500},
    {"CanBitRateBTR0", pfInteger, 128},
    {"CanBitRateBTR1", pfInteger, 216},
    {"ShowHints", pfBoolean, true},
    {"FormTop", pfInteger, 0},
    {"FormLeft", pfInteger, 0},
    {"FormWidth", pfInteger, 847},
    {"FormHeight", pfInteger, 797},
    {"FormState", pfInteger, 0},
    {"ShowCanIdDetails", pfBoolean, false},
    {"ActivateColorButtons", pfBoolean, false},
    {"Show8ByteMsg", pfBoolean, true},
};

}  // namespace

void ConfigureFerroluxRegIni(TZelCanRegIni& regIni) {
  regIni.LoadOnCreate = true;
  regIni.SaveOnExit = true;
  regIni.RootKey = rgk_HKEY_CURRENT_USER;
  regIni.Keys = QStringList{QStringLiteral("Software"), QStringLiteral("Tarvell"), QStringLiteral("Ferrolux")};
  for (const TSettingRow& row : kSettings) {
    TRegistryValue& item = regIni.Values.Add();
    item.PropertyName = QString::fromLatin1(row.Name);
    item.KeyName = item.PropertyName;
    item.PropertyType = row.Type;
    item.DefaultValue = row.Default;
  }
}

TMyRegValues::TMyRegValues(TZelCanRegIni& RegistryClass) : TRegistryValues(RegistryClass) {
  PublishBoolean(QStringLiteral("SaveFormSizeAndPosition"), FSaveFormSizeAndPosition);
  PublishBoolean(QStringLiteral("ShowWarningMessage"), FShowWarningMessage);
  PublishInteger(QStringLiteral("CanBitRate"), FCanBitRate);
  PublishInteger(QStringLiteral("CanBitRateBTR0"), FCanBitRateBTR0);
  PublishInteger(QStringLiteral("CanBitRateBTR1"), FCanBitRateBTR1);
  PublishBoolean(QStringLiteral("ShowHints"), FShowHints);
  PublishInteger(QStringLiteral("FormTop"), FFormTop);
  PublishInteger(QStringLiteral("FormLeft"), FFormLeft);
  PublishInteger(QStringLiteral("FormWidth"), FFormWidth);
  PublishInteger(QStringLiteral("FormHeight"), FFormHeight);
  PublishInteger(QStringLiteral("FormState"), FFormState);
  PublishBoolean(QStringLiteral("ShowCanIdDetails"), FShowCanIdDetails);
  PublishBoolean(QStringLiteral("ActivateColorButtons"), FActivateColorButtons);
  PublishBoolean(QStringLiteral("Show8ByteMsg"), FShow8ByteMsg);
  AfterConstruction();
}

TMyRegValues::~TMyRegValues() { BeforeDestruction(); }
