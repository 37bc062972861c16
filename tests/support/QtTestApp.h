#pragma once
// One QApplication for the whole test program (widgets, pixmaps and models need it).

#include <QAbstractItemModelTester>
#include <QApplication>
#include <memory>
#include <vector>

inline QApplication& TestApp() {
  static int argc = 1;
  static char name[] = "ferrolux-test";
  static char* argv[] = {name, nullptr};
  // Never destroyed: tearing Qt down during static destruction crashes.
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

// Keeps a model tester attached for the test's lifetime; it fails the test on a broken
// model contract.
class TModelTesters {
 public:
  void Attach(QAbstractItemModel* model) {
    FTesters.push_back(std::make_unique<QAbstractItemModelTester>(model, QAbstractItemModelTester::FailureReportingMode::Fatal));
  }

 private:
  std::vector<std::unique_ptr<QAbstractItemModelTester>> FTesters;
};
