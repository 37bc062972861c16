#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "storage/ProjectDocument.h"

namespace {

class FakeList : public TProjectList {
 public:
  FakeList(std::string name, std::vector<std::string>& log) : FName(std::move(name)), FLog(log) {}
  void Clear() override { FLog.push_back(FName); }
  void Edit() { NotifyContentChanged(); }

 private:
  std::string FName;
  std::vector<std::string>& FLog;
};

}  // namespace

TEST(ProjectDocument, NewNamesTheProjectEmptiesTheListsInOrderAndClearsChangedSilently) {
  std::vector<std::string> cleared;
  FakeList sw("sw", cleared), hw("hw", cleared), mon("mon", cleared), trace("trace", cleared), log("log", cleared);
  TProjectDocument project;
  project.SoftwareFilterTree = &sw;
  project.HardwareFilterTree = &hw;
  project.MonitorTree = &mon;
  project.TraceTree = &trace;
  // PredefinedMessagesTree left unset: skipped.
  project.LogMessageTree = &log;
  std::vector<QString> names;
  int changedEvents = 0;
  project.OnChangeName = [&](const QString& name) { names.push_back(name); };
  project.OnChanged = [&](bool) { ++changedEvents; };
  project.SetChanged(true);
  changedEvents = 0;

  project.New();
  EXPECT_EQ(project.ProjectName(), QStringLiteral("<unnamed>"));
  EXPECT_EQ(names, std::vector<QString>{QStringLiteral("<unnamed>")});
  EXPECT_EQ(cleared, (std::vector<std::string>{"sw", "hw", "mon", "trace", "log"}));
  EXPECT_FALSE(project.Changed());
  EXPECT_EQ(changedEvents, 0);
}

TEST(ProjectDocument, ChangedFiresOnlyOnRealChangesAndTheNameSetterFiresNothing) {
  TProjectDocument project;
  std::vector<bool> events;
  int nameEvents = 0;
  project.OnChanged = [&](bool changed) { events.push_back(changed); };
  project.OnChangeName = [&](const QString&) { ++nameEvents; };
  project.SetChanged(true);
  project.SetChanged(true);
  project.SetChanged(false);
  EXPECT_EQ(events, (std::vector<bool>{true, false}));
  project.SetProjectName(QStringLiteral("/tmp/a.fxproj"));
  EXPECT_EQ(project.ProjectName(), QStringLiteral("/tmp/a.fxproj"));
  EXPECT_EQ(nameEvents, 0);
}

TEST(ProjectDocument, ListReportsContentChangesThroughItsCallback) {
  std::vector<std::string> cleared;
  FakeList list("x", cleared);
  list.Edit();  // no callback set: nothing happens
  TProjectDocument project;
  list.OnContentChanged = [&] { project.SetChanged(true); };
  list.Edit();
  EXPECT_TRUE(project.Changed());
}
