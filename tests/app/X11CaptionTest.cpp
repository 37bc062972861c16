// The caption as the X server holds it, on a real X display (the test runs under xvfb-run):
// the window's own text alone, with nothing the toolkit adds.
#include <QProcess>

#include "MainWindowFixture.h"
#include "app/UserAction.h"

TEST_F(MainWindowFixture, TheX11WindowCaptionIsTheProgramsTextAlone) {
  ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb")) << "needs an X display";
  TFerroluxApplication::SetUp();
  TfCANUSBMain& w = Open();
  ShowActive();
  QProcess xprop;
  xprop.start(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(w.winId()), QStringLiteral("_NET_WM_NAME"),
                                        QStringLiteral("WM_NAME")});
  ASSERT_TRUE(xprop.waitForFinished(10'000));
  const QString properties = QString::fromUtf8(xprop.readAllStandardOutput());
  EXPECT_TRUE(properties.contains(QStringLiteral("_NET_WM_NAME(UTF8_STRING) = \"Tarvell - Ferrolux Ver. 3.9 - <unnamed>\"\n")))
      << properties.toStdString();
  EXPECT_TRUE(properties.contains(QStringLiteral("WM_NAME(STRING) = \"Tarvell - Ferrolux Ver. 3.9 - <unnamed>\"\n")) ||
              properties.contains(QStringLiteral("WM_NAME(UTF8_STRING) = \"Tarvell - Ferrolux Ver. 3.9 - <unnamed>\"\n")))
      << properties.toStdString();
}
