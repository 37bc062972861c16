#pragma once
// Settings store: a table of value descriptors maps named, typed properties of a settings
// object to registry values. Properties are found by name at run time through the settings
// object's table of published properties; a name that does not resolve is skipped.

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/Registry.h"

enum TRootRegistryKey : int {
  rgk_HKEY_CLASSES_ROOT = 0,
  rgk_HKEY_CURRENT_USER = 1,
  rgk_HKEY_LOCAL_MACHINE = 2,
  rgk_HKEY_CURRENT_CONFIG = 3,
};

enum TPropFieldType : int { pfInteger = 0, pfWord = 1, pfFloat = 2, pfDateTime = 3, pfString = 4, pfBoolean = 5 };
enum TKeyFieldType : int { kfString = 0, kfDWord = 1, kfBinary = 2 };

// The registry root a store value selects; None for any value outside the four.
[[nodiscard]] THKey RootKeyHandle(TRootRegistryKey key);

class TRegistryCollection;

class TRegistryValue {
 public:
  explicit TRegistryValue(TRegistryCollection* collection) : FCollection(collection) {}

  QString PropertyName;
  QString KeyName;
  QVariant DefaultValue;
  TPropFieldType PropertyType = pfString;

  // Always follows PropertyType; the setter exists for the descriptor table and changes nothing.
  [[nodiscard]] TKeyFieldType KeyType() const;
  void SetKeyType(TKeyFieldType) {}

  [[nodiscard]] QString DisplayName() const;
  [[nodiscard]] TRegistryCollection* Collection() const { return FCollection; }

 private:
  TRegistryCollection* FCollection;
};

class TZelCanRegIni;

class TRegistryCollection {
 public:
  explicit TRegistryCollection(TZelCanRegIni* owner) : FOwner(owner) {}

  TRegistryValue& Add();
  [[nodiscard]] int Count() const { return static_cast<int>(FItems.size()); }
  [[nodiscard]] TRegistryValue& Items(int index) { return *FItems.at(static_cast<std::size_t>(index)); }
  [[nodiscard]] const TRegistryValue& Items(int index) const { return *FItems.at(static_cast<std::size_t>(index)); }
  [[nodiscard]] TZelCanRegIni* Owner() const { return FOwner; }
  // The name an item shows when it has neither a property nor a key name.
  [[nodiscard]] static QString DefaultItemName() { return QStringLiteral("TRegistryValue"); }

 private:
  TZelCanRegIni* FOwner;
  std::vector<std::unique_ptr<TRegistryValue>> FItems;
};

// One persisted property of a settings object: its kind and how to get and set it.
enum class TPropKind { Ordinal, Float, String };

struct TPublishedProperty {
  QString Name;
  TPropKind Kind = TPropKind::Ordinal;
  std::function<std::int64_t()> GetOrdinal;
  std::function<void(std::int64_t)> SetOrdinal;
  std::function<double()> GetFloat;
  std::function<void(double)> SetFloat;
  std::function<QString()> GetString;
  std::function<void(const QString&)> SetString;
};

class EPropertyError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TRegistryValues;

class TZelCanRegIni {
 public:
  // `registryFile` is the per-user store file; tests point it elsewhere.
  explicit TZelCanRegIni(QObject* Owner = nullptr, QString registryFile = TRegistryFile::DefaultPath());
  TZelCanRegIni(const TZelCanRegIni&) = delete;
  TZelCanRegIni& operator=(const TZelCanRegIni&) = delete;

  [[nodiscard]] TRegistryValues* Storage() const { return FStorage; }
  void SetStorage(TRegistryValues* storage) { FStorage = storage; }
  [[nodiscard]] QObject* Owner() const { return FOwner; }

  void Load();
  void Save();

  // Drops trailing empty entries from Keys and joins the rest with "\".
  QString KeyPath();

  bool LoadOnCreate = false;
  QStringList Keys;
  TRootRegistryKey RootKey = rgk_HKEY_CURRENT_USER;
  TRegistryCollection Values{this};
  bool SaveOnExit = false;

 private:
  // Opens (creating if needed) the key; false without a root.
  bool OpenStoreKey(TRegistry& reg);
  void LoadValue(TRegistry& reg, const TRegistryValue& item);
  void SaveValue(TRegistry& reg, const TRegistryValue& item, const TPublishedProperty& prop);

  TRegistryValues* FStorage = nullptr;
  QObject* FOwner;
  QString FRegistryFile;
};

// A settings object: a table of published properties the store reads and writes by name.
// The most derived class calls AfterConstruction at the end of its constructor and
// BeforeDestruction at the start of its destructor, so loading and saving see its fields.
class TRegistryValues {
 public:
  explicit TRegistryValues(TZelCanRegIni& RegistryClass);
  virtual ~TRegistryValues();
  TRegistryValues(const TRegistryValues&) = delete;
  TRegistryValues& operator=(const TRegistryValues&) = delete;

  [[nodiscard]] TZelCanRegIni& RegClass() const { return FRegClass; }
  void Load() { FRegClass.Load(); }
  void Save() { FRegClass.Save(); }

  // Case-insensitive lookup by name; null when no property has that name.
  [[nodiscard]] const TPublishedProperty* FindProperty(const QString& name) const;

 protected:
  void AfterConstruction();
  void BeforeDestruction();

  void PublishInteger(const QString& name, std::int32_t& field);
  void PublishBoolean(const QString& name, bool& field);
  void PublishFloat(const QString& name, double& field);
  void PublishString(const QString& name, QString& field);

 private:
  TZelCanRegIni& FRegClass;
  std::vector<TPublishedProperty> FProperties;
  bool FSaved = false;
};
