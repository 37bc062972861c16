#include <QMenu>
#include <QTest>

#include "HwFilterFixture.h"
#include "filters/HwFilterPage.h"
#include "lists/ListView.h"

namespace {
class HwFilterPageTest : public HwFilterFixture {
 protected:
  HwFilterPageTest() {
    Page.show();
    Page.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&Page));
  }

  static void Type(QLineEdit* field, const char* text) {
    field->clear();
    QTest::keyClicks(field, text);
  }
  // Focus into the field and out again, as tabbing through the editor does.
  void Leave(QWidget* field) {
    field->setFocus(Qt::TabFocusReason);
    Page.edHWFilterDescription->setFocus(Qt::TabFocusReason);
  }
  void Select(int row) { Page.vstHWIdFilter()->setCurrentIndex(Filter.Model().index(row, 2)); }
  static QString Labels(const THwBitGroup& group) {
    QString out;
    for (int bit = 31; bit >= 0; --bit) out += group.Labels[bit]->text();
    return out;
  }

  THwFilterPage Page{Filter};
};
}  // namespace

TEST_F(HwFilterPageTest, ToolBarMenuAndEditorFollowTheRows) {
  const QList<QAction*> menu = Page.btnAddHWFilter->menu()->actions();
  ASSERT_EQ(menu.size(), 4);
  EXPECT_EQ(menu[0], Page.actionAddHWFilterStandard);
  EXPECT_EQ(menu[0]->text(), QStringLiteral("User Defined Standard (11 Bit)"));
  EXPECT_EQ(menu[1]->text(), QStringLiteral("User Defined Extended (29 Bit)"));
  EXPECT_EQ(menu[2]->text(), QStringLiteral("Single CAN ID (11 Bit)"));
  EXPECT_EQ(menu[3]->text(), QStringLiteral("Extended CAN ID Range (29 bit)"));
  EXPECT_EQ(Page.btnAddHWFilter->accessibleName(), QStringLiteral("Add new filter to list"));
  EXPECT_EQ(Page.vstHWIdFilter()->accessibleName(), QStringLiteral("CAN ID Hardware Filter"));
  EXPECT_FALSE(Page.pnlHWFilterSettings->isVisible());
  EXPECT_FALSE(Page.actionRemoveHwFilter->isEnabled());
  EXPECT_FALSE(Page.actionClearHwFilterList->isEnabled());
  EXPECT_FALSE(Page.actionHWFilterOpen->isEnabled());
  EXPECT_FALSE(Page.actionHWFilterSpeichern->isEnabled());
  EXPECT_EQ(Labels(*Page.Standard), QString(32, 'X'));

  Page.actionAddHWFilterRange->trigger();
  EXPECT_TRUE(Page.pnlHWFilterSettings->isVisible());
  EXPECT_TRUE(Page.actionClearHwFilterList->isEnabled());
  EXPECT_EQ(Page.nbHWFilter->currentIndex(), THwFilterPage::pgRange);
  EXPECT_EQ(Page.nbHWFilter->tabText(THwFilterPage::pgRange), QStringLiteral("Range"));
  EXPECT_EQ(Changes, 1);
  Page.actionAddHWFilterExtended->trigger();
  EXPECT_EQ(Page.nbHWFilter->currentIndex(), THwFilterPage::pgExtended);
  EXPECT_EQ(SelectedModelRow(*Page.vstHWIdFilter()), 1);

  Page.actionRemoveHwFilter->trigger();
  EXPECT_EQ(SelectedModelRow(*Page.vstHWIdFilter()), 0);
  EXPECT_EQ(Page.nbHWFilter->currentIndex(), THwFilterPage::pgRange);
  EXPECT_TRUE(Page.vstHWIdFilter()->hasFocus());
  Page.actionClearHwFilterList->trigger();
  EXPECT_FALSE(Page.pnlHWFilterSettings->isVisible());
  EXPECT_FALSE(Page.actionRemoveHwFilter->isEnabled());
}

TEST_F(HwFilterPageTest, BitBoxesFieldsAndLabelsStayInStep) {
  Page.actionAddHWFilterStandard->trigger();
  THwBitGroup& bits = *Page.Standard;
  EXPECT_EQ(bits.MaskBoxes[31], Page.findChild<QCheckBox*>("cbMask31"));
  EXPECT_EQ(Page.Extended->Labels[0], Page.findChild<QLabel*>("labFilterE0"));

  QTest::mouseClick(bits.MaskBoxes[31], Qt::LeftButton);
  EXPECT_EQ(bits.MaskField->text(), QStringLiteral("7FFFFFFF"));
  EXPECT_EQ(bits.Labels[31]->text(), QStringLiteral("0"));
  QTest::mouseClick(bits.CodeBoxes[31], Qt::LeftButton);
  EXPECT_EQ(bits.CodeField->text(), QStringLiteral("80000000"));
  EXPECT_EQ(bits.Labels[31]->text(), QStringLiteral("1"));

  // Typing sets the boxes without rebuilding the field from them.
  Type(bits.CodeField, "a5");
  EXPECT_EQ(bits.CodeField->text(), QStringLiteral("A5"));
  EXPECT_FALSE(bits.CodeBoxes[31]->isChecked());
  EXPECT_TRUE(bits.CodeBoxes[7]->isChecked());
  EXPECT_FALSE(bits.CodeBoxes[6]->isChecked());
  Type(bits.MaskField, "0");
  EXPECT_EQ(Labels(bits), QStringLiteral("00000000000000000000000010100101"));
  // Leaving pads the mask with "F" and the code with "0".
  Leave(bits.MaskField);
  EXPECT_EQ(bits.MaskField->text(), QStringLiteral("FFFFFFF0"));
  EXPECT_EQ(Labels(bits), QStringLiteral("XXXXXXXXXXXXXXXXXXXXXXXXXXXX0101"));
  Leave(bits.CodeField);
  EXPECT_EQ(bits.CodeField->text(), QStringLiteral("000000A5"));
  bits.MaskField->clear();
  Leave(bits.MaskField);
  EXPECT_EQ(Labels(bits), QString(32, 'X'));

  Type(bits.MaskField, "0000FFFF");
  Page.edHWFilterDescription->setText("door");
  QTest::mouseClick(Page.btnApplyHwFilter, Qt::LeftButton);
  EXPECT_EQ(Cell(0, 3), QStringLiteral("000000A5"));
  EXPECT_EQ(Cell(0, 4), QStringLiteral("0000FFFF"));
  EXPECT_EQ(Cell(0, 5), QStringLiteral("door"));

  // Applying on the Extended page turns the row into an extended one.
  Page.nbHWFilter->setCurrentIndex(THwFilterPage::pgExtended);
  Type(Page.Extended->CodeField, "12345678");
  Page.btnApplyHwFilter->click();
  EXPECT_EQ(Cell(0, 1), QStringLiteral("1"));
  EXPECT_EQ(Cell(0, 3), QStringLiteral("12345678"));
  EXPECT_EQ(Cell(0, 4), QStringLiteral("FFFFFFFF"));
}

TEST_F(HwFilterPageTest, SingleAndRangePagesComputeCodeAndMask) {
  Page.actionAddHWFilterSingle->trigger();
  EXPECT_EQ(Page.cbRTRSingleFilter1->currentText(), QStringLiteral("X"));
  Type(Page.edHWFilterSingleID1, "123");
  Page.btnApplyHwFilter->click();
  EXPECT_EQ(Cell(0, 3), QStringLiteral("247F001F"));
  EXPECT_EQ(Cell(0, 4), QStringLiteral("001F001F"));

  Page.actionAddHWFilterRange->trigger();
  EXPECT_EQ(Page.labHWFilterRange1->text(), QStringLiteral("00000000-1FFFFFFF"));
  Type(Page.edHWFilterRangeID1, "12345678");
  EXPECT_EQ(Page.labHWFilterRange1->text(), QStringLiteral("12344000-12345FFF"));
  Type(Page.edHWFilterRangeID2, "FFFFFFFF");
  EXPECT_EQ(Page.edHWFilterRangeID2->text(), QStringLiteral("1FFFFFFF"));
  EXPECT_EQ(Page.labHWFilterRange2->text(), QStringLiteral("1FFFE000-1FFFFFFF"));
  Type(Page.edHWFilterRangeID2, "1fff");  // below 2000: the whole range is shown
  EXPECT_EQ(Page.labHWFilterRange2->text(), QStringLiteral("00000000-1FFFFFFF"));
  Leave(Page.edHWFilterRangeID2);
  EXPECT_EQ(Page.edHWFilterRangeID2->text(), QStringLiteral("00001FFF"));
  Page.btnApplyHwFilter->click();
  EXPECT_EQ(Cell(1, 3), QStringLiteral("91A20000"));
  EXPECT_EQ(Cell(1, 4), QStringLiteral("00000000"));

  // Selecting a range row shows the block starts again.
  Select(0);
  Select(1);
  EXPECT_EQ(Page.nbHWFilter->currentIndex(), THwFilterPage::pgRange);
  EXPECT_EQ(Page.edHWFilterRangeID1->text(), QStringLiteral("12344000"));
  EXPECT_EQ(Page.edHWFilterRangeID2->text(), QStringLiteral("00000000"));
  EXPECT_EQ(Page.labHWFilterRange1->text(), QStringLiteral("12344000-12345FFF"));
}

TEST_F(HwFilterPageTest, SelectingASingleRowRestoresTheIdentifiersButNotTheRtrSelectors) {
  Page.actionAddHWFilterSingle->trigger();
  Type(Page.edHWFilterSingleID1, "123");
  Type(Page.edHWFilterSingleID2, "456");
  Page.cbRTRSingleFilter1->setCurrentText("1");
  Page.btnApplyHwFilter->click();
  EXPECT_EQ(Cell(0, 3), QStringLiteral("247F8ADF"));  // RTR 1 of identifier 1: code bit only
  EXPECT_EQ(Cell(0, 4), QStringLiteral("000F001F"));

  Page.actionAddHWFilterStandard->trigger();
  Page.edHWFilterDescription->setText("standard");
  Page.Standard->CodeField->setText("00000001");
  Page.btnApplyHwFilter->click();
  Page.cbRTRSingleFilter1->setCurrentText("0");
  Type(Page.edHWFilterSingleID1, "7");

  Select(0);
  EXPECT_EQ(Page.nbHWFilter->currentIndex(), THwFilterPage::pgSingle);
  EXPECT_EQ(Page.edHWFilterSingleID1->text(), QStringLiteral("123"));
  EXPECT_EQ(Page.edHWFilterSingleID2->text(), QStringLiteral("456"));
  EXPECT_EQ(Page.cbRTRSingleFilter1->currentText(), QStringLiteral("0"));
  EXPECT_EQ(Page.edHWFilterDescription->text(), QString());
  Page.btnApplyHwFilter->click();
  EXPECT_EQ(Cell(0, 3), QStringLiteral("246F8ADF"));  // RTR 0: bit 20 left clear
  EXPECT_EQ(Cell(0, 4), QStringLiteral("000F001F"));

  Select(1);
  EXPECT_EQ(Page.nbHWFilter->currentIndex(), THwFilterPage::pgStandard);
  EXPECT_EQ(Page.edHWFilterDescription->text(), QStringLiteral("standard"));
  EXPECT_EQ(Page.Standard->CodeField->text(), QStringLiteral("00000001"));
  EXPECT_TRUE(Page.Standard->CodeBoxes[0]->isChecked());
  EXPECT_EQ(Page.Standard->Labels[0]->text(), QStringLiteral("X"));
}

TEST_F(HwFilterPageTest, CheckBoxClickInTheListIsRefusedWithoutADriver) {
  Page.actionAddHWFilterStandard->trigger();
  QTreeView* view = Page.vstHWIdFilter();
  const QRect cell = view->visualRect(Filter.Model().index(0, 0));
  // The check indicator sits at the left of the cell.
  QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(cell.left() + 10, cell.center().y()));
  ASSERT_EQ(Messages.size(), 1u);
  EXPECT_TRUE(Messages[0].Text.endsWith(QStringLiteral(": 0")));
  EXPECT_EQ(Filter.Model().index(0, 0).data(Qt::CheckStateRole).toInt(), Qt::Unchecked);
  MaxFilters = 1;
  QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(cell.left() + 10, cell.center().y()));
  EXPECT_EQ(Filter.Model().index(0, 0).data(Qt::CheckStateRole).toInt(), Qt::Checked);
  EXPECT_EQ(Filter.GetHardwareFilters()[0].Mask, 0xFFFFFFFFu);
  EXPECT_EQ(Changes, 1);
}
