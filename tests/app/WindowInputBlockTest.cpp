// The window during an import's first moment: clicks, keys, shortcuts and its close are held
// back while other windows (the progress dialog's place) take theirs; the close comes after.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QPushButton>
#include <QTest>

#include "app/WindowInputBlock.h"

TEST(WindowInputBlock, HoldsBackTheWindowsInputAndAsksItsCloseAgainAfterwards) {
  QMainWindow window;
  auto* button = new QPushButton(QStringLiteral("Go"), &window);
  window.setCentralWidget(button);
  auto* action = new QAction(QStringLiteral("New"), &window);
  action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
  window.addAction(action);
  QPushButton other(QStringLiteral("Cancel"));
  window.show();
  other.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  int clicks = 0, triggers = 0, otherClicks = 0;
  QObject::connect(button, &QPushButton::clicked, [&] { ++clicks; });
  QObject::connect(action, &QAction::triggered, [&] { ++triggers; });
  QObject::connect(&other, &QPushButton::clicked, [&] { ++otherClicks; });

  const auto pressNew = [&window] {
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&window, Qt::Key_N, Qt::ControlModifier);
  };
  pressNew();
  ASSERT_EQ(triggers, 1);

  {
    const TWindowInputBlock block(window);
    pressNew();
    QTest::mouseClick(button, Qt::LeftButton);
    QTest::keyClick(button, Qt::Key_Space);
    EXPECT_FALSE(window.close());
    QTest::mouseClick(&other, Qt::LeftButton);
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(triggers, 1);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(otherClicks, 1);
  }
  QTest::mouseClick(button, Qt::LeftButton);
  pressNew();
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(triggers, 2);
  QCoreApplication::processEvents();
  EXPECT_FALSE(window.isVisible()) << "the close asked during the block";
}
