#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "platform/Registry.h"

namespace {

struct RegistryFileTest : ::testing::Test {
  QTemporaryDir dir;
  QString path() const { return dir.filePath(QStringLiteral("sub/registry.reg")); }

  QString FileText() const {
    QFile file(path());
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
  }
  void WriteFileText(const QString& text) const {
    QDir().mkpath(QFileInfo(path()).absolutePath());
    QFile file(path());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text.toUtf8());
  }
};

}  // namespace

TEST_F(RegistryFileTest, KindsSurviveTheFileAndReadingTheWrongKindFails) {
  {
    TRegistry reg(path());
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("Software\\Tarvell\\Ferrolux"), true));
    reg.WriteInteger(QStringLiteral("Number"), -1);
    reg.WriteString(QStringLiteral("Text"), QStringLiteral("a \"quoted\" \\ path\nnext line"));
    reg.WriteFloat(QStringLiteral("Float"), 1.5);
    reg.WriteBool(QStringLiteral("Flag"), true);
    reg.CloseKey();
  }
  const QString text = FileText();
  EXPECT_TRUE(text.contains(QStringLiteral("[HKEY_CURRENT_USER\\Software\\Tarvell\\Ferrolux]")));
  EXPECT_TRUE(text.contains(QStringLiteral("\"Number\"=dword:FFFFFFFF")));
  EXPECT_TRUE(text.contains(QStringLiteral("\"Flag\"=dword:00000001")));
  EXPECT_TRUE(text.contains(QStringLiteral("\"Float\"=hex:00,00,00,00,00,00,F8,3F")));

  TRegistry reg(path());
  ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\Software\\Tarvell\\Ferrolux\\"), false));
  EXPECT_EQ(reg.ReadInteger(QStringLiteral("number")), -1) << "names compare case-insensitively";
  EXPECT_EQ(reg.ReadString(QStringLiteral("Text")), QStringLiteral("a \"quoted\" \\ path\nnext line"));
  EXPECT_DOUBLE_EQ(reg.ReadFloat(QStringLiteral("Float")), 1.5);
  EXPECT_THROW((void)reg.ReadString(QStringLiteral("Number")), ERegistryException);
  EXPECT_THROW((void)reg.ReadInteger(QStringLiteral("Text")), ERegistryException);
  EXPECT_THROW((void)reg.ReadFloat(QStringLiteral("Number")), ERegistryException);
  EXPECT_THROW((void)reg.ReadInteger(QStringLiteral("Missing")), ERegistryException);
}

TEST_F(RegistryFileTest, OpeningWithoutCreateFailsForAMissingKeyAndRootsAreSeparate) {
  TRegistry reg(path());
  EXPECT_FALSE(reg.OpenKey(QStringLiteral("Software\\X"), false));
  EXPECT_FALSE(QFile::exists(path())) << "a failed open writes nothing";
  ASSERT_TRUE(reg.OpenKey(QStringLiteral("Software\\X"), true));
  reg.CloseKey();
  EXPECT_TRUE(FileText().contains(QStringLiteral("[HKEY_CURRENT_USER\\Software\\X]"))) << "a created key is kept even empty";
  reg.RootKey = THKey::LocalMachine;
  EXPECT_FALSE(reg.OpenKey(QStringLiteral("Software\\X"), false));
  reg.RootKey = THKey::None;
  EXPECT_FALSE(reg.OpenKey(QStringLiteral("Software\\X"), true));
}

TEST_F(RegistryFileTest, HandEditedFileWithBrokenLinesKeepsTheRest) {
  WriteFileText(QStringLiteral("Ferrolux registry 1\n\n[HKEY_CURRENT_USER\\A]\n"
                               "\"Good\"=dword:0000002A\n"
                               "\"Short\"=dword:2A\n"
                               "\"Unclosed=\"x\"\n"
                               "\"Bin\"=hex:01,zz\n"
                               "  \"Name\"=\"value\"  \n"));
  TRegistry reg(path());
  ASSERT_TRUE(reg.OpenKey(QStringLiteral("A"), false));
  EXPECT_EQ(reg.ReadInteger(QStringLiteral("Good")), 42);
  EXPECT_EQ(reg.ReadString(QStringLiteral("Name")), QStringLiteral("value"));
  EXPECT_FALSE(reg.ValueExists(QStringLiteral("Short")));
  EXPECT_FALSE(reg.ValueExists(QStringLiteral("Bin")));
}

TEST_F(RegistryFileTest, CloseMergesIntoWhatOthersWroteMeanwhile) {
  TRegistry first(path());
  ASSERT_TRUE(first.OpenKey(QStringLiteral("K"), true));
  {
    TRegistry second(path());
    ASSERT_TRUE(second.OpenKey(QStringLiteral("K"), true));
    second.WriteInteger(QStringLiteral("Other"), 7);
  }  // closes and writes
  first.WriteInteger(QStringLiteral("Mine"), 8);
  first.CloseKey();

  TRegistry check(path());
  ASSERT_TRUE(check.OpenKey(QStringLiteral("K"), false));
  EXPECT_EQ(check.ReadInteger(QStringLiteral("Other")), 7);
  EXPECT_EQ(check.ReadInteger(QStringLiteral("Mine")), 8);
}

TEST_F(RegistryFileTest, WritingWithoutAnOpenKeyFails) {
  TRegistry reg(path());
  EXPECT_THROW(reg.WriteInteger(QStringLiteral("X"), 1), ERegistryException);
  EXPECT_FALSE(reg.ValueExists(QStringLiteral("X")));
}

TEST_F(RegistryFileTest, UnreadableFileIsNeitherReadNorOverwritten) {
  // A folder where the file should be: it can be neither read nor replaced.
  ASSERT_TRUE(QDir().mkpath(path()));
  TRegistry reg(path());
  EXPECT_FALSE(reg.OpenKey(QStringLiteral("K"), true));
  EXPECT_TRUE(QFileInfo(path()).isDir());
}
