#include <QTest>

#include "TrafficFixture.h"
#include "filters/IdFilterPage.h"

namespace {
class IdFilterPageTest : public TrafficFixture {
 protected:
  TIdFilterPage Page{Views.IdFilter()};
  void Select(int row) { Page.vstIdFilter()->setCurrentIndex(Page.vstIdFilter()->model()->index(row, 1)); }
};
}  // namespace

TEST_F(IdFilterPageTest, AddModeSwitchesTheEditorAndApplyAddsAnUncheckedRow) {
  Page.show();
  EXPECT_TRUE(Page.edFilterCANID->isReadOnly());
  EXPECT_EQ(Page.cbFilterExtended->toolTip(), QStringLiteral("29bit CAN ID"));
  Page.actionAddIdToFilterList->trigger();
  EXPECT_FALSE(Page.edFilterCANID->isReadOnly());
  EXPECT_EQ(Page.edFilterCANID->text(), QStringLiteral("000"));
  EXPECT_EQ(Page.btnApplyFilter->text(), QStringLiteral("Add"));
  EXPECT_EQ(Page.panelAddAplyFilter->text(), QStringLiteral("Add CAN ID"));
  QTest::mouseClick(Page.cbFilterExtended, Qt::LeftButton);
  EXPECT_EQ(Page.edFilterCANID->text(), QStringLiteral("00000000"));
  EXPECT_EQ(Page.edFilterCANID->maxLength(), 8);
  Page.edFilterCANID->clear();
  QTest::keyClicks(Page.edFilterCANID, "1a-z2");  // the key rule drops non-hex, upper-cases
  EXPECT_EQ(Page.edFilterCANID->text(), QStringLiteral("1A2"));
  QTest::keyClicks(Page.edFilterDescription, "door");
  QTest::mouseClick(Page.btnApplyFilter, Qt::LeftButton);
  ASSERT_EQ(Views.IdFilter().RowCount(), 1u);
  EXPECT_EQ(FilterCell(0, 0), QStringLiteral("000001A2"));
  EXPECT_EQ(Page.vstIdFilter()->model()->index(0, 0).data(Qt::CheckStateRole).toInt(), Qt::Unchecked);
  EXPECT_EQ(Page.btnApplyFilter->text(), QStringLiteral("Apply"));
  EXPECT_EQ(Page.panelAddAplyFilter->text(), QStringLiteral("Edit selected CAN ID"));
  EXPECT_TRUE(Page.edFilterCANID->isReadOnly());
  EXPECT_FALSE(Page.cbFilterExtended->isEnabled());
}

TEST_F(IdFilterPageTest, SelectionShowsTheRowAndApplyRenamesIt) {
  Receive({Frame(0x123, 1), Frame(0x1FFFFFFF, 1, {}, true)});
  Select(1);
  EXPECT_EQ(Page.edFilterCANID->text(), QStringLiteral("1FFFFFFF"));
  EXPECT_EQ(Page.edFilterCANID->maxLength(), 8);
  EXPECT_TRUE(Page.cbFilterExtended->isChecked());
  Select(0);
  EXPECT_EQ(Page.edFilterCANID->text(), QStringLiteral("123"));
  EXPECT_EQ(Page.edFilterCANID->maxLength(), 3);
  EXPECT_EQ(Page.edFilterDescription->text(), QStringLiteral("CAN ID: 123"));
  Page.edFilterDescription->setText("engine");
  Page.btnApplyFilter->click();
  EXPECT_EQ(Views.Monitor().Model().index(0, 8).data().toString(), QStringLiteral("engine"));
}

TEST_F(IdFilterPageTest, ColourOnlyWithASelectedRowAndCheckingThroughTheView) {
  Receive({Frame(0x10, 1), Frame(0x20, 1)});
  int asked = 0;
  Page.PickColor = [&](const QColor&) {
    ++asked;
    return QColor(0x10, 0x20, 0x30);
  };
  Page.actionSetCaiIdFilterColor->trigger();
  EXPECT_EQ(asked, 0);
  Select(1);
  QTest::mouseClick(Page.panelFilterColor, Qt::LeftButton);
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(Views.IdFilter().Row(1).Color, 0x302010u);
  Page.PickColor = [](const QColor&) { return QColor(); };  // cancelled
  Page.actionSetCaiIdFilterColor->trigger();
  EXPECT_EQ(Views.IdFilter().Row(1).Color, 0x302010u);

  QAbstractItemModel* model = Page.vstIdFilter()->model();
  model->setData(model->index(0, 0), Qt::Unchecked, Qt::CheckStateRole);
  EXPECT_FALSE(Views.IdFilter().Admits(0x10));
  Page.actionCheckUncheckAll->trigger();
  Page.actionCheckUncheckAll->trigger();
  EXPECT_TRUE(Views.IdFilter().Admits(0x10));
  Page.actionRemoveSelectedCANID->trigger();
  EXPECT_EQ(Views.IdFilter().FindCanIdFilterDataNode(0x20), nullptr);
  Page.actionClearFilterList->trigger();
  EXPECT_EQ(model->rowCount(), 0);
}
