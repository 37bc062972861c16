#pragma once
// The real captures the suites read live in tests/data. A missing one ends the program at once
// with its path: a test that quietly found nothing would pass for the wrong reason.
#include <QFileInfo>
#include <QString>
#include <cstdio>
#include <cstdlib>
#include <string>

inline std::string TestDataPath(const char* name) {
  const std::string path = std::string(FERROLUX_TEST_DATA) + "/" + name;
  if (!QFileInfo::exists(QString::fromStdString(path))) {
    std::fprintf(stderr, "test data missing: %s\n", path.c_str());
    std::abort();
  }
  return path;
}

inline QString TestDataFile(const char* name) { return QString::fromStdString(TestDataPath(name)); }
