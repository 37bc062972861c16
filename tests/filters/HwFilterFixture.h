#pragma once
// A hardware filter list with counting seams, the model tester and captured messages.

#include <gtest/gtest.h>

#include <vector>

#include "filters/HwFilterList.h"
#include "platform/UserMessage.h"
#include "support/QtTestApp.h"

struct TShownMessage {
  TUserMessageKind Kind;
  QString Caption;
  QString Text;
};

class HwFilterFixture : public ::testing::Test {
 protected:
  HwFilterFixture() {
    TestApp();
    Testers.Attach(&Filter.Model());
    FOldHandler = SetUserMessageHandler([this](TUserMessageKind kind, const QString& caption, const QString& text) {
      Messages.push_back({kind, caption, text});
    });
  }
  ~HwFilterFixture() override { SetUserMessageHandler(FOldHandler); }

  QString Cell(int row, int column) { return Filter.Model().index(row, column).data().toString(); }

  void Load(std::initializer_list<std::pair<THwFilterData, bool>> rows) {
    Filter.BeginLoad();
    for (const auto& [record, checked] : rows) Filter.AppendLoadedRow(&record, TRowState::CheckBox(checked));
    Filter.EndLoad();
  }

  static THwFilterData Record(std::int64_t code, std::int64_t mask) {
    THwFilterData record;
    record.Code = code;
    record.Mask = mask;
    return record;
  }

  int MaxFilters = 0;
  int Changes = 0;
  std::vector<TShownMessage> Messages;
  TModelTesters Testers;
  THwFilterList Filter{[this] { ++Changes; }, [this] { return MaxFilters; }};

 private:
  TUserMessageHandler FOldHandler;
};
