#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cstdlib>

#include "storage/DataFolder.h"
#include "storage/MyRegValues.h"

namespace {

const QString kKey = QStringLiteral("Software\\Tarvell\\Ferrolux");

struct SettingsStore : ::testing::Test {
  QTemporaryDir dir;
  QString path() const { return dir.filePath(QStringLiteral("registry.reg")); }

  // The store exactly as the main window configures it, on the test's file.
  std::unique_ptr<TZelCanRegIni> MakeStore() const {
    auto store = std::make_unique<TZelCanRegIni>(nullptr, path());
    ConfigureFerroluxRegIni(*store);
    return store;
  }
  void Put(const std::function<void(TRegistry&)>& write) const {
    TRegistry reg(path());
    ASSERT_TRUE(reg.OpenKey(kKey, true));
    write(reg);
  }
  const TRegKey* StoredKey(TRegistryFile& file) const {
    EXPECT_TRUE(file.Load(path()));
    return file.Find(QStringLiteral("HKEY_CURRENT_USER\\") + kKey);
  }
};

// A settings object with one property of each kind, for the kinds the application's own
// settings do not use.
class TKindsValues final : public TRegistryValues {
 public:
  explicit TKindsValues(TZelCanRegIni& store) : TRegistryValues(store) {
    PublishInteger(QStringLiteral("Count"), Count);
    PublishFloat(QStringLiteral("Ratio"), Ratio);
    PublishFloat(QStringLiteral("Stamp"), Stamp);
    PublishString(QStringLiteral("Title"), Title);
    AfterConstruction();
  }
  ~TKindsValues() override { BeforeDestruction(); }
  std::int32_t Count = 0;
  double Ratio = 0;
  double Stamp = 0;
  QString Title;
};

void AddDescriptor(TZelCanRegIni& store, const QString& name, TPropFieldType type, const QVariant& def) {
  TRegistryValue& item = store.Values.Add();
  item.PropertyName = name;
  item.KeyName = name;
  item.PropertyType = type;
  item.DefaultValue = def;
}

}  // namespace

TEST_F(SettingsStore, FirstStartTakesEveryDefaultCreatesTheKeyAndWritesOnlyAtExit) {
  auto store = MakeStore();
  {
    TMyRegValues settings(*store);
    EXPECT_FALSE(settings.FSaveFormSizeAndPosition);
    EXPECT_TRUE(settings.FShowWarningMessage);
    EXPECT_EQ(settings.FCanBitRate, 500);
    EXPECT_EQ(settings.FCanBitRateBTR0, 128);
    EXPECT_EQ(settings.FCanBitRateBTR1, 216);
    EXPECT_TRUE(settings.FShowHints);
    EXPECT_EQ(settings.FFormTop, 0);
    EXPECT_EQ(settings.FFormLeft, 0);
    EXPECT_EQ(settings.FFormWidth, 847);
    EXPECT_EQ(settings.FFormHeight, 797);
    EXPECT_EQ(settings.FFormState, 0);
    EXPECT_FALSE(settings.FShowCanIdDetails);
    EXPECT_FALSE(settings.FActivateColorButtons);
    EXPECT_TRUE(settings.FShow8ByteMsg);

    TRegistryFile file;
    const TRegKey* key = StoredKey(file);
    ASSERT_NE(key, nullptr) << "loading creates the key";
    EXPECT_TRUE(key->Values.isEmpty()) << "nothing is written before exit";
    settings.FCanBitRate = 125;
  }
  TRegistryFile file;
  const TRegKey* key = StoredKey(file);
  ASSERT_NE(key, nullptr);
  ASSERT_EQ(key->Values.size(), 14);
  for (const TRegValue& value : key->Values) EXPECT_EQ(value.Data.Kind, TRegDataKind::DWord) << value.Name.toStdString();
  EXPECT_EQ(key->Values[QStringLiteral("CANBITRATE")].Data.DWord, 125u);
  EXPECT_EQ(key->Values[QStringLiteral("CANBITRATE")].Name, QStringLiteral("CanBitRate"));
  EXPECT_EQ(key->Values[QStringLiteral("SHOWWARNINGMESSAGE")].Data.DWord, 1u) << "a default True is stored as 1";
}

TEST_F(SettingsStore, BooleansAreTrueOnlyForOneAndMinusOne) {
  Put([](TRegistry& reg) {
    reg.WriteInteger(QStringLiteral("ShowHints"), 2);
    reg.WriteInteger(QStringLiteral("ShowWarningMessage"), -1);
    reg.WriteInteger(QStringLiteral("ShowCanIdDetails"), 1);
    reg.WriteInteger(QStringLiteral("Show8ByteMsg"), 0);
  });
  auto store = MakeStore();
  {
    TMyRegValues settings(*store);
    EXPECT_FALSE(settings.FShowHints);
    EXPECT_TRUE(settings.FShowWarningMessage);
    EXPECT_TRUE(settings.FShowCanIdDetails);
    EXPECT_FALSE(settings.FShow8ByteMsg);
  }
  TRegistry reg(path());
  ASSERT_TRUE(reg.OpenKey(kKey, false));
  EXPECT_EQ(reg.ReadInteger(QStringLiteral("ShowWarningMessage")), 1) << "True is written back as 1";
  EXPECT_EQ(reg.ReadInteger(QStringLiteral("ShowHints")), 0);
}

TEST_F(SettingsStore, ValueOfTheWrongKindKeepsThePreviousValueNotTheDefault) {
  Put([](TRegistry& reg) {
    reg.WriteString(QStringLiteral("CanBitRate"), QStringLiteral("250"));
    reg.WriteFloat(QStringLiteral("ShowWarningMessage"), 1.0);
    reg.WriteInteger(QStringLiteral("CanBitRateBTR0"), 3);
  });
  auto store = MakeStore();
  TMyRegValues settings(*store);
  EXPECT_EQ(settings.FCanBitRate, 0) << "the field keeps its value from before the load";
  EXPECT_FALSE(settings.FShowWarningMessage);
  EXPECT_EQ(settings.FCanBitRateBTR0, 3) << "the next values load as usual";
  EXPECT_EQ(settings.FCanBitRateBTR1, 216);
}

TEST_F(SettingsStore, DescriptorNamingNoPropertyIsSkippedOnLoadAndSave) {
  Put([](TRegistry& reg) { reg.WriteInteger(QStringLiteral("Ghost"), 9); });
  auto store = MakeStore();
  AddDescriptor(*store, QStringLiteral("NoSuchProperty"), pfInteger, 5);
  store->Values.Items(store->Values.Count() - 1).KeyName = QStringLiteral("Ghost");
  AddDescriptor(*store, QStringLiteral("AlsoMissing"), pfString, QStringLiteral("x"));
  { TMyRegValues settings(*store); }
  TRegistry reg(path());
  ASSERT_TRUE(reg.OpenKey(kKey, false));
  EXPECT_EQ(reg.ReadInteger(QStringLiteral("Ghost")), 9) << "left as it was";
  EXPECT_FALSE(reg.ValueExists(QStringLiteral("AlsoMissing")));
  EXPECT_TRUE(reg.ValueExists(QStringLiteral("CanBitRate")));
}

TEST_F(SettingsStore, KeyPathDropsTrailingEmptyEntriesFromTheList) {
  TZelCanRegIni store(nullptr, path());
  store.Keys = QStringList{QStringLiteral("Software"), QStringLiteral("Tarvell"), QStringLiteral("Ferrolux"), QString(), QString()};
  EXPECT_EQ(store.KeyPath(), kKey);
  EXPECT_EQ(store.Keys.size(), 3);
  store.Keys = QStringList{QStringLiteral("Software"), QString(), QStringLiteral("X")};
  EXPECT_EQ(store.KeyPath(), QStringLiteral("Software\\X")) << "an empty entry in the middle contributes nothing";
  EXPECT_EQ(store.Keys.size(), 3);
}

TEST_F(SettingsStore, FloatDateTimeAndStringKindsRoundTrip) {
  TZelCanRegIni store(nullptr, path());
  store.LoadOnCreate = store.SaveOnExit = true;
  store.Keys = QStringList{QStringLiteral("Software"), QStringLiteral("Test")};
  AddDescriptor(store, QStringLiteral("Count"), pfWord, 4);
  AddDescriptor(store, QStringLiteral("Ratio"), pfFloat, 0.25);
  AddDescriptor(store, QStringLiteral("Stamp"), pfDateTime, 45000.5);
  AddDescriptor(store, QStringLiteral("Title"), pfString, QStringLiteral("none"));
  EXPECT_EQ(store.Values.Items(1).KeyType(), kfBinary);
  EXPECT_EQ(store.Values.Items(3).KeyType(), kfString);
  {
    TKindsValues values(store);
    EXPECT_EQ(values.Count, 4);
    EXPECT_DOUBLE_EQ(values.Ratio, 0.25);
    EXPECT_DOUBLE_EQ(values.Stamp, 45000.5);
    EXPECT_EQ(values.Title, QStringLiteral("none"));
    values.Ratio = 2.5;
    values.Title = QStringLiteral("changed");
  }
  TRegistry reg(path());
  ASSERT_TRUE(reg.OpenKey(QStringLiteral("Software\\Test"), false));
  EXPECT_DOUBLE_EQ(reg.ReadFloat(QStringLiteral("Ratio")), 2.5);
  EXPECT_EQ(reg.ReadString(QStringLiteral("Title")), QStringLiteral("changed"));
  EXPECT_THROW((void)reg.ReadInteger(QStringLiteral("Ratio")), ERegistryException) << "binary, not a DWORD";
}

TEST_F(SettingsStore, KindMismatchBetweenDescriptorAndPropertyIsSwallowed) {
  TZelCanRegIni store(nullptr, path());
  store.LoadOnCreate = true;
  AddDescriptor(store, QStringLiteral("Title"), pfInteger, 3);  // a string property read as integer
  AddDescriptor(store, QStringLiteral("Count"), pfInteger, 6);
  TKindsValues values(store);
  EXPECT_TRUE(values.Title.isEmpty());
  EXPECT_EQ(values.Count, 6);
}

TEST_F(SettingsStore, UnknownTypeOrRootDoesNothing) {
  auto store = MakeStore();
  store->Values.Items(2).PropertyType = static_cast<TPropFieldType>(6);  // CanBitRate
  {
    TMyRegValues settings(*store);
    EXPECT_EQ(settings.FCanBitRate, 0);
  }
  TRegistry reg(path());
  ASSERT_TRUE(reg.OpenKey(kKey, false));
  EXPECT_FALSE(reg.ValueExists(QStringLiteral("CanBitRate")));
  reg.CloseKey();

  QTemporaryDir other;
  TZelCanRegIni noRoot(nullptr, other.filePath(QStringLiteral("r.reg")));
  ConfigureFerroluxRegIni(noRoot);
  noRoot.RootKey = static_cast<TRootRegistryKey>(7);
  { TMyRegValues settings(noRoot); EXPECT_EQ(settings.FCanBitRate, 0); }
  EXPECT_FALSE(QFile::exists(other.filePath(QStringLiteral("r.reg"))));
}

TEST_F(SettingsStore, DescriptorNamesAndDerivedKeyType) {
  TZelCanRegIni store(nullptr, path());
  TRegistryValue& item = store.Values.Add();
  EXPECT_EQ(item.PropertyType, pfString);
  EXPECT_EQ(item.DisplayName(), TRegistryCollection::DefaultItemName());
  item.PropertyName = QStringLiteral("ShowHints");
  item.KeyName = QStringLiteral("Hints");
  item.PropertyType = pfBoolean;
  item.SetKeyType(kfBinary);
  EXPECT_EQ(item.KeyType(), kfDWord);
  EXPECT_EQ(item.DisplayName(), QStringLiteral("ShowHints [Hints]"));
  EXPECT_EQ(store.Values.Owner(), &store);
}

TEST(DataFolderTest, IsCreatedWithEveryMissingParent) {
  QTemporaryDir home;
  const QByteArray oldHome = qgetenv("HOME"), oldConfig = qgetenv("XDG_CONFIG_HOME");
  qputenv("HOME", home.path().toUtf8());
  qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/.config")).toUtf8());
  QCoreApplication::setApplicationName(QStringLiteral("Ferrolux"));

  EXPECT_EQ(DataFolderPath(), home.path() + QStringLiteral("/Documents/Ferrolux"));
  EXPECT_EQ(DataFolderPath(DataFolder::PredefinedMessages), home.path() + QStringLiteral("/Documents/Ferrolux/predefined messages"));
  EXPECT_FALSE(QDir(home.path() + QStringLiteral("/Documents")).exists());
  EXPECT_TRUE(ForceDataFolder());
  EXPECT_TRUE(ForceDataFolder(DataFolder::Projects));
  EXPECT_TRUE(QDir(DataFolderPath(DataFolder::Projects)).exists());
  EXPECT_TRUE(GetSpecialFolderPath(0x1c).isEmpty());

  qputenv("HOME", oldHome);
  qputenv("XDG_CONFIG_HOME", oldConfig);
}
