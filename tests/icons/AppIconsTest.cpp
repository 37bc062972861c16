// The program's pictures reach the window: every drawing is rendered in every size, and no
// tool button of the window is left without a picture (a misspelt name gives an empty icon).
#include <QAction>
#include <QDir>
#include <QToolBar>
#include <QToolButton>

#include "app/MainWindowFixture.h"
#include "icons/AppIcons.h"
#include "views/FrameCells.h"

namespace {

bool HasVisiblePixels(const QImage& image) {
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (qAlpha(image.pixel(x, y)) > 0) return true;
  return false;
}

TEST(AppIcons, EveryDrawingIsInTheResourceInEveryToolSize) {
  const QStringList drawings = QDir(QStringLiteral(FERROLUX_ICON_SVG_DIR)).entryList({QStringLiteral("*.svg")});
  ASSERT_GE(drawings.size(), 20);
  for (const QString& file : drawings) {
    const QByteArray name = file.chopped(4).toLatin1();
    const QList<QSize> sizes = AppIcon(name.constData()).availableSizes();
    for (const int size : {16, 24, 32, 48}) {
      EXPECT_TRUE(sizes.contains(QSize(size, size))) << name.constData() << " " << size;
      const QImage image = AppImage(name.constData(), size);
      EXPECT_EQ(image.size(), QSize(size, size)) << name.constData();
      EXPECT_TRUE(HasVisiblePixels(image)) << name.constData();
    }
  }
  EXPECT_TRUE(AppIcon("ferrolux").availableSizes().contains(QSize(256, 256)));
  EXPECT_TRUE(AppIcon("no-such-picture").isNull());
}

TEST(AppIcons, RowImagesTellReceivedFromSent) {
  EXPECT_EQ(FrameRowImage(true).size(), QSize(16, 16));
  EXPECT_EQ(FrameRowImage(false).size(), QSize(16, 16));
  EXPECT_NE(FrameRowImage(true), FrameRowImage(false));
}

TEST_F(MainWindowFixture, EveryToolButtonOfTheWindowHasAPicture) {
  Open();
  int buttons = 0;
  for (QToolBar* bar : window->findChildren<QToolBar*>())
    for (QAction* action : bar->actions()) {
      // Buttons placed as widgets (drop-down menus) carry their picture themselves.
      const auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(action));
      if (!button) continue;
      EXPECT_FALSE(button->icon().isNull()) << button->objectName().toStdString();
      ++buttons;
    }
  EXPECT_GE(buttons, 20);
}

}  // namespace
