#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QTest>
#include <QVBoxLayout>
#include <array>

#include "model/CanText.h"
#include "support/QtPrinters.h"
#include "transmit/CanEditField.h"

namespace {

// A small frame editor: identifier with its Extended box, length, eight data bytes, RTR box,
// and an acceptance code and mask field, shown so that focus really moves between them.
struct EditorFixture : ::testing::Test {
  QWidget window;
  TCanValueEdit* id = new TCanValueEdit(TCanFieldKind::StandardId, &window);
  QCheckBox* extended = new QCheckBox(QStringLiteral("Extended"), &window);
  TCanValueEdit* dlc = new TCanValueEdit(TCanFieldKind::DataLength, &window);
  std::array<TCanValueEdit*, 8> data{};
  QCheckBox* rtr = new QCheckBox(QStringLiteral("RTR"), &window);
  TCanValueEdit* code = new TCanValueEdit(TCanFieldKind::AcceptanceCode, &window);
  TCanValueEdit* mask = new TCanValueEdit(TCanFieldKind::AcceptanceMask, &window);

  void SetUp() override {
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(id);
    layout->addWidget(extended);
    layout->addWidget(dlc);
    for (auto& field : data) {
      field = new TCanValueEdit(TCanFieldKind::DataByte, &window);
      layout->addWidget(field);
    }
    layout->addWidget(rtr);
    layout->addWidget(code);
    layout->addWidget(mask);
    BindExtendedCheckBox(extended, id);
    BindRtrCheckBox(rtr, data);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  }

  // Replaces the text by typing, as a user would.
  static void Type(TCanValueEdit* field, const QString& keys) {
    field->setFocus(Qt::OtherFocusReason);
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClicks(field, keys);
  }
  // Clicks a check box on its indicator (its middle may lie beyond the caption).
  static void Click(QCheckBox* box) { QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2)); }
  // Moves the focus away with the Tab key.
  static void Leave(TCanValueEdit* field) {
    field->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(field, Qt::Key_Tab);
    ASSERT_FALSE(field->hasFocus());
  }
};

}  // namespace

TEST(CanFieldRules, KeyRuleAcceptsHexUpperCasesAndPassesControlCharacters) {
  EXPECT_EQ(ApplyKeyRule(TCanKeyRule::Hexadecimal, QLatin1Char('a')), QLatin1Char('A'));
  EXPECT_EQ(ApplyKeyRule(TCanKeyRule::Hexadecimal, QLatin1Char('F')), QLatin1Char('F'));
  EXPECT_EQ(ApplyKeyRule(TCanKeyRule::Hexadecimal, QLatin1Char('\b')), QLatin1Char('\b'));
  EXPECT_TRUE(ApplyKeyRule(TCanKeyRule::Hexadecimal, QLatin1Char('g')).isNull());
  EXPECT_TRUE(ApplyKeyRule(TCanKeyRule::Hexadecimal, QLatin1Char('-')).isNull());
  EXPECT_EQ(ApplyKeyRule(TCanKeyRule::LengthDigit, QLatin1Char('8')), QLatin1Char('8'));
  EXPECT_TRUE(ApplyKeyRule(TCanKeyRule::LengthDigit, QLatin1Char('9')).isNull());
  EXPECT_TRUE(ApplyKeyRule(TCanKeyRule::LengthDigit, QLatin1Char('a')).isNull());
  EXPECT_EQ(CompleteText(QStringLiteral("7F"), 8, QLatin1Char('F')), QStringLiteral("FFFFFF7F"));
  EXPECT_EQ(CompleteText(QStringLiteral("12345678"), 8, QLatin1Char('0')), QStringLiteral("12345678"));
}

TEST_F(EditorFixture, FieldsStartWithTheirKindsText) {
  EXPECT_EQ(id->text(), QStringLiteral("000"));
  EXPECT_EQ(id->MaxLength(), 3);
  EXPECT_EQ(dlc->text(), QStringLiteral("8"));
  EXPECT_EQ(data[0]->text(), QStringLiteral("00"));
  EXPECT_EQ(code->text(), QStringLiteral("00000000"));
  EXPECT_EQ(mask->text(), QStringLiteral("FFFFFFFF"));
  EXPECT_EQ(mask->CompletionChar(), QLatin1Char('F'));
}

TEST_F(EditorFixture, TypedKeysFollowTheFieldsRule) {
  Type(id, QStringLiteral("1g-a"));
  EXPECT_EQ(id->text(), QStringLiteral("1A")) << "g and minus are dropped, a becomes A";
  Type(data[3], QStringLiteral("zf"));
  EXPECT_EQ(data[3]->text(), QStringLiteral("F"));
  Type(dlc, QStringLiteral("9"));
  EXPECT_EQ(dlc->text(), QString()) << "9 is not a length";
  Type(dlc, QStringLiteral("7"));
  EXPECT_EQ(dlc->text(), QStringLiteral("7"));
  Type(id, QStringLiteral("ABCD"));
  EXPECT_EQ(id->text(), QStringLiteral("ABC")) << "no more than the field's length";
  id->setCursorPosition(1);
  QTest::keyClicks(id, QStringLiteral("9"));
  EXPECT_EQ(id->text(), QStringLiteral("ABC")) << "a full field takes nothing in the middle either";
}

TEST_F(EditorFixture, LeavingAFieldCompletesItWithItsCompletionCharacter) {
  Type(mask, QStringLiteral("7f"));
  Leave(mask);
  EXPECT_EQ(mask->text(), QStringLiteral("FFFFFF7F"));
  Type(code, QStringLiteral("7F"));
  Leave(code);
  EXPECT_EQ(code->text(), QStringLiteral("0000007F"));
  Type(id, QString());
  Leave(id);
  EXPECT_EQ(id->text(), QStringLiteral("000"));
  Type(dlc, QString());
  Leave(dlc);
  EXPECT_EQ(dlc->text(), QStringLiteral("0"));
  Type(data[0], QStringLiteral("5"));
  Leave(data[0]);
  EXPECT_EQ(data[0]->text(), QStringLiteral("05"));
}

TEST_F(EditorFixture, CompletionFollowsTheMarkNotTheKind) {
  // An acceptance code field marked for "F" completes like a mask.
  code->SetCompletionChar(QLatin1Char('F'));
  int completed = 0;
  QObject::connect(code, &TCanValueEdit::Completed, [&] { ++completed; });
  Type(code, QStringLiteral("1"));
  Leave(code);
  EXPECT_EQ(code->text(), QStringLiteral("FFFFFFF1"));
  EXPECT_EQ(completed, 1);
}

TEST_F(EditorFixture, PastedTextKeepsOnlyWhatTheRuleAccepts) {
  QApplication::clipboard()->setText(QStringLiteral("1x-2g3"));
  id->setFocus();
  id->clear();
  QTest::keyClick(id, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(id->text(), QStringLiteral("123"));
  EXPECT_EQ(id->ReadHex(), 0x123);

  QApplication::clipboard()->setText(QStringLiteral("xyz-"));
  code->clear();
  code->paste();
  EXPECT_EQ(code->text(), QString());
  EXPECT_NO_THROW((void)code->ReadHex());
  QApplication::clipboard()->setText(QStringLiteral("de ad"));
  code->paste();
  EXPECT_EQ(code->text(), QStringLiteral("DEAD"));
  QApplication::clipboard()->setText(QStringLiteral("123456"));
  code->paste();
  EXPECT_EQ(code->text(), QStringLiteral("DEAD")) << "a paste that does not fit is refused";
}

TEST_F(EditorFixture, ReadingValues) {
  id->clear();
  EXPECT_EQ(id->ReadHex(), 0) << "an empty field counts as 0";
  extended->setChecked(true);
  id->setText(QStringLiteral("FFFFFFFF"));
  EXPECT_EQ(id->ReadHex(), 0xFFFFFFFFLL) << "no range check";
  data[0]->setText(QStringLiteral("A5"));
  EXPECT_EQ(data[0]->ReadByte(), 0xA5);
  dlc->setText(QStringLiteral("8"));
  EXPECT_EQ(dlc->ReadLength(), 8);
}

TEST_F(EditorFixture, ExtendedBoxReplacesTheIdentifier) {
  Type(id, QStringLiteral("7FF"));
  Click(extended);
  ASSERT_TRUE(extended->isChecked());
  EXPECT_EQ(id->text(), QStringLiteral("00000000"));
  EXPECT_EQ(id->MaxLength(), 8);
  Type(id, QStringLiteral("1234567"));
  Click(extended);
  EXPECT_EQ(id->text(), QStringLiteral("000"));
  EXPECT_EQ(id->MaxLength(), 3);
  Type(id, QString());
  Leave(id);
  EXPECT_EQ(id->text(), QStringLiteral("000"));
}

TEST_F(EditorFixture, RtrBoxResetsAndLocksTheDataFields) {
  Type(data[2], QStringLiteral("AB"));
  Type(data[7], QStringLiteral("CD"));
  Click(rtr);
  for (TCanValueEdit* field : data) {
    EXPECT_EQ(field->text(), QStringLiteral("00"));
    EXPECT_FALSE(field->isEnabled());
  }
  EXPECT_TRUE(dlc->isEnabled()) << "the length stays editable";
  Click(rtr);
  for (TCanValueEdit* field : data) {
    EXPECT_EQ(field->text(), QStringLiteral("00"));
    EXPECT_TRUE(field->isEnabled());
  }
}

TEST(CanValueEditStrictReading, TextSetByProgramIsFilteredToo) {
  TCanValueEdit field(TCanFieldKind::RangeId);
  field.setText(QStringLiteral("12zz"));
  EXPECT_EQ(field.text(), QStringLiteral("12"));
  EXPECT_EQ(field.ReadHex(), 0x12);
}
