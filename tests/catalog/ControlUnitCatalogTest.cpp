#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "catalog/ControlUnitCatalog.h"

namespace {

QStringList EntryLines(const TControlUnitCatalog& catalog) {
  QStringList lines;
  for (const TControlUnitEntry& entry : catalog.Entries()) lines << QStringLiteral("%1=%2").arg(entry.CanId, 0, 16).arg(entry.Name);
  return lines;
}

TEST(ControlUnitCatalogTest, KeysAreReadLenientlyInFileOrderAndOnlyFromTheirSection) {
  const auto catalog = TControlUnitCatalog::Parse(
      "\xEF\xBB\xBF; control units\r\n"
      "[Other]\r\n612=Not this one\r\n"
      "[CANID]\r\n"
      "0x612=Engine\r\n"
      "6f1 = Tester ; inline note\r\n"
      "  640=Indented\r\n"
      "6G4=Skips G\r\n"
      "612=Second engine\r\n"
      "[canid]\r\n"
      "7DF=Functional\r\n");
  EXPECT_EQ(EntryLines(catalog), QStringList({"612=Engine", "6f1=Tester", "640=Indented", "64=Skips G", "612=Second engine",
                                               "7df=Functional"}));
  EXPECT_EQ(catalog.NameOf(0x612), "Engine");  // the first entry of an identifier names it
  EXPECT_EQ(catalog.NameOf(0x6F1), "Tester");
  EXPECT_EQ(catalog.NameOf(0x613), QString());
}

TEST(ControlUnitCatalogTest, AKeyWithoutReadableValueIsAnUnknownControlUnitInItsPlace) {
  const auto catalog = TControlUnitCatalog::Parse("[CANID]\n612=Engine\n640\n641 ; no value\n642=\n650=Body\n");
  EXPECT_EQ(EntryLines(catalog), QStringList({"612=Engine", "640=Unknown Control Unit", "641=Unknown Control Unit", "642=",
                                              "650=Body"}));
}

TEST(ControlUnitCatalogTest, NamesInUtf8OrWindows1252) {
  const auto catalog = TControlUnitCatalog::Parse("[CANID]\n612=Getriebe \xC3\xB6l\n613=Getriebe \xF6l\n");
  EXPECT_EQ(catalog.NameOf(0x612), QStringLiteral("Getriebe \u00F6l"));
  EXPECT_EQ(catalog.NameOf(0x613), QStringLiteral("Getriebe \u00F6l"));
}

TEST(ControlUnitCatalogTest, AMissingFileIsNoCatalogAndAnEmptyFileAnEmptyOne) {
  QTemporaryDir dir;
  const QString path = dir.filePath("catalog.ini");
  EXPECT_FALSE(TControlUnitCatalog::Load(path).has_value());
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.close();
  const auto empty = TControlUnitCatalog::Load(path);
  ASSERT_TRUE(empty.has_value());
  EXPECT_TRUE(empty->Entries().empty());
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("[CANID]\n612=Engine\n");
  file.close();
  EXPECT_EQ(TControlUnitCatalog::Load(path)->NameOf(0x612), "Engine");
}

}  // namespace
