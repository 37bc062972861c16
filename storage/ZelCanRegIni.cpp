#include "storage/ZelCanRegIni.h"

#include <cstdlib>

namespace {

// Variant conversions as the store needs them: a Boolean True counts as -1.
std::int64_t VariantToInteger(const QVariant& value) {
  if (value.typeId() == QMetaType::Bool) return value.toBool() ? -1 : 0;
  bool ok = false;
  const std::int64_t result = value.toLongLong(&ok);
  if (!ok && !value.isNull()) throw EPropertyError("Default value is not an integer");
  return result;
}

double VariantToFloat(const QVariant& value) {
  bool ok = false;
  const double result = value.toDouble(&ok);
  if (!ok && !value.isNull()) throw EPropertyError("Default value is not a number");
  return result;
}

bool IsTrueOrdinal(std::int64_t value) { return std::llabs(value) == 1; }

std::int64_t ReadOrdinal(const TPublishedProperty& prop) {
  if (prop.Kind != TPropKind::Ordinal) throw EPropertyError("Property is not ordinal");
  return prop.GetOrdinal();
}

void WriteOrdinal(const TPublishedProperty& prop, std::int64_t value) {
  if (prop.Kind != TPropKind::Ordinal) throw EPropertyError("Property is not ordinal");
  prop.SetOrdinal(value);
}

double ReadFloatProp(const TPublishedProperty& prop) {
  if (prop.Kind != TPropKind::Float) throw EPropertyError("Property is not a float");
  return prop.GetFloat();
}

void WriteFloatProp(const TPublishedProperty& prop, double value) {
  if (prop.Kind != TPropKind::Float) throw EPropertyError("Property is not a float");
  prop.SetFloat(value);
}

QString ReadStringProp(const TPublishedProperty& prop) {
  if (prop.Kind != TPropKind::String) throw EPropertyError("Property is not a string");
  return prop.GetString();
}

void WriteStringProp(const TPublishedProperty& prop, const QString& value) {
  if (prop.Kind != TPropKind::String) throw EPropertyError("Property is not a string");
  prop.SetString(value);
}

}  // namespace

THKey RootKeyHandle(TRootRegistryKey key) {
  switch (key) {
    case rgk_HKEY_CLASSES_ROOT: return THKey::ClassesRoot;
    case rgk_HKEY_CURRENT_USER: return THKey::CurrentUser;
    case rgk_HKEY_LOCAL_MACHINE: return THKey::LocalMachine;
    case rgk_HKEY_CURRENT_CONFIG: return THKey::CurrentConfig;
  }
  return THKey::None;
}

// --- descriptors ---------------------------------------------------------------------------

TKeyFieldType TRegistryValue::KeyType() const {
  switch (PropertyType) {
    case pfFloat:
    case pfDateTime: return kfBinary;
    case pfString: return kfString;
    default: return kfDWord;
  }
}

QString TRegistryValue::DisplayName() const {
  if (PropertyName.isEmpty() && KeyName.isEmpty()) return TRegistryCollection::DefaultItemName();
  return PropertyName + QStringLiteral(" [") + KeyName + QStringLiteral("]");
}

TRegistryValue& TRegistryCollection::Add() {
  FItems.push_back(std::make_unique<TRegistryValue>(this));
  return *FItems.back();
}

// --- store ---------------------------------------------------------------------------------

TZelCanRegIni::TZelCanRegIni(QObject* Owner, QString registryFile) : FOwner(Owner), FRegistryFile(std::move(registryFile)) {}

QString TZelCanRegIni::KeyPath() {
  while (!Keys.isEmpty() && Keys.last().isEmpty()) Keys.removeLast();
  QStringList parts;
  for (const QString& key : Keys)
    if (!key.isEmpty()) parts << key;
  return parts.join(QLatin1Char('\\'));
}

bool TZelCanRegIni::OpenStoreKey(TRegistry& reg) {
  reg.RootKey = RootKeyHandle(RootKey);
  if (reg.RootKey == THKey::None) return false;
  // A key that can neither be opened nor created leaves every value absent.
  reg.OpenKey(KeyPath(), true);
  return true;
}

void TZelCanRegIni::Load() {
  if (!FStorage) return;
  TRegistry reg(FRegistryFile);
  if (!OpenStoreKey(reg)) return;
  for (int i = 0; i < Values.Count(); ++i) {
    const TRegistryValue& item = Values.Items(i);
    if (item.PropertyType > pfBoolean) continue;
    try {
      LoadValue(reg, item);
    } catch (const std::exception&) {
      // A value of the wrong kind or an unusable default keeps the property as it was.
    }
  }
  reg.CloseKey();
}

void TZelCanRegIni::LoadValue(TRegistry& reg, const TRegistryValue& item) {
  const bool exists = reg.ValueExists(item.KeyName);
  switch (item.PropertyType) {
    case pfInteger:
    case pfWord:
    case pfBoolean: {
      const std::int64_t value = exists ? reg.ReadInteger(item.KeyName) : VariantToInteger(item.DefaultValue);
      if (const TPublishedProperty* prop = FStorage->FindProperty(item.PropertyName))
        WriteOrdinal(*prop, item.PropertyType == pfBoolean ? (IsTrueOrdinal(value) ? 1 : 0) : value);
      break;
    }
    case pfFloat:
    case pfDateTime: {
      const double value = exists ? reg.ReadFloat(item.KeyName) : VariantToFloat(item.DefaultValue);
      if (const TPublishedProperty* prop = FStorage->FindProperty(item.PropertyName)) WriteFloatProp(*prop, value);
      break;
    }
    case pfString: {
      const QString value = exists ? reg.ReadString(item.KeyName) : item.DefaultValue.toString();
      if (const TPublishedProperty* prop = FStorage->FindProperty(item.PropertyName)) WriteStringProp(*prop, value);
      break;
    }
  }
}

void TZelCanRegIni::Save() {
  if (!FStorage) return;
  TRegistry reg(FRegistryFile);
  if (!OpenStoreKey(reg)) return;
  for (int i = 0; i < Values.Count(); ++i) {
    const TRegistryValue& item = Values.Items(i);
    const TPublishedProperty* prop = FStorage->FindProperty(item.PropertyName);
    if (!prop) continue;
    try {
      SaveValue(reg, item, *prop);
    } catch (const std::exception&) {
      // A failed write leaves that value as it was and goes on with the next.
    }
  }
  reg.CloseKey();
}

void TZelCanRegIni::SaveValue(TRegistry& reg, const TRegistryValue& item, const TPublishedProperty& prop) {
  switch (item.PropertyType) {
    case pfInteger:
    case pfWord: reg.WriteInteger(item.KeyName, static_cast<std::int32_t>(ReadOrdinal(prop))); break;
    case pfBoolean: reg.WriteBool(item.KeyName, IsTrueOrdinal(ReadOrdinal(prop))); break;
    case pfFloat: reg.WriteFloat(item.KeyName, ReadFloatProp(prop)); break;
    case pfDateTime: reg.WriteDateTime(item.KeyName, ReadFloatProp(prop)); break;
    case pfString: reg.WriteString(item.KeyName, ReadStringProp(prop)); break;
  }
}

// --- settings object -----------------------------------------------------------------------

TRegistryValues::TRegistryValues(TZelCanRegIni& RegistryClass) : FRegClass(RegistryClass) { FRegClass.SetStorage(this); }

TRegistryValues::~TRegistryValues() {
  if (FRegClass.Storage() == this) FRegClass.SetStorage(nullptr);
}

void TRegistryValues::AfterConstruction() {
  if (FRegClass.LoadOnCreate) FRegClass.Load();
}

void TRegistryValues::BeforeDestruction() {
  if (FSaved) return;
  FSaved = true;
  if (FRegClass.SaveOnExit && FRegClass.Storage() == this) FRegClass.Save();
}

const TPublishedProperty* TRegistryValues::FindProperty(const QString& name) const {
  for (const TPublishedProperty& prop : FProperties)
    if (prop.Name.compare(name, Qt::CaseInsensitive) == 0) return &prop;
  return nullptr;
}

void TRegistryValues::PublishInteger(const QString& name, std::int32_t& field) {
  TPublishedProperty prop{name, TPropKind::Ordinal, {}, {}, {}, {}, {}, {}};
  prop.GetOrdinal = [&field] { return static_cast<std::int64_t>(field); };
  prop.SetOrdinal = [&field](std::int64_t v) { field = static_cast<std::int32_t>(v); };
  FProperties.push_back(std::move(prop));
}

void TRegistryValues::PublishBoolean(const QString& name, bool& field) {
  TPublishedProperty prop{name, TPropKind::Ordinal, {}, {}, {}, {}, {}, {}};
  prop.GetOrdinal = [&field] { return static_cast<std::int64_t>(field ? 1 : 0); };
  prop.SetOrdinal = [&field](std::int64_t v) { field = v != 0; };
  FProperties.push_back(std::move(prop));
}

void TRegistryValues::PublishFloat(const QString& name, double& field) {
  TPublishedProperty prop{name, TPropKind::Float, {}, {}, {}, {}, {}, {}};
  prop.GetFloat = [&field] { return field; };
  prop.SetFloat = [&field](double v) { field = v; };
  FProperties.push_back(std::move(prop));
}

void TRegistryValues::PublishString(const QString& name, QString& field) {
  TPublishedProperty prop{name, TPropKind::String, {}, {}, {}, {}, {}, {}};
  prop.GetString = [&field] { return field; };
  prop.SetString = [&field](const QString& v) { field = v; };
  FProperties.push_back(std::move(prop));
}
