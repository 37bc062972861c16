// The plot under the mouse and in its window: clicks on samples and cursors, dragging a cursor
// and panning, the band zoom, the value zoom kept until "Fit", the overlay, the hover label's
// sample, the cursor readout, removing a signal and the picture of the plot.

#include <gtest/gtest.h>

#include <QAction>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QWheelEvent>

#include "platform/UserMessage.h"
#include "plot/PlotWidget.h"
#include "plot/PlotWindow.h"
#include "signals/DbcReader.h"
#include "support/QtPrinters.h"
#include "support/QtTestApp.h"
#include "views/TrafficViews.h"

namespace {

const char* const kDbc =
    "BO_ 16 M: 8 X\n"
    " SG_ Volt : 0|16@1+ (1,0) [0|0] \"V\" X\n"
    " SG_ Mode : 16|8@1+ (1,0) [0|0] \"\" X\n"
    "VAL_ 16 Mode 0 \"Off\" 1 \"On\" ;\n";

void Mouse(QWidget& widget, QEvent::Type type, QPointF pos, Qt::MouseButton button, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::MouseButtons() : Qt::MouseButtons(button);
  QMouseEvent event(type, pos, widget.mapToGlobal(pos), type == QEvent::MouseMove ? Qt::NoButton : button, held, modifiers);
  QCoreApplication::sendEvent(&widget, &event);
}

void Click(QWidget& widget, QPointF pos, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  Mouse(widget, QEvent::MouseButtonPress, pos, Qt::LeftButton, modifiers);
  Mouse(widget, QEvent::MouseButtonRelease, pos, Qt::LeftButton, modifiers);
}

void Drag(QWidget& widget, QPointF from, QPointF to, Qt::MouseButton button, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  Mouse(widget, QEvent::MouseButtonPress, from, button, modifiers);
  Mouse(widget, QEvent::MouseMove, (from + to) / 2, button, modifiers);
  Mouse(widget, QEvent::MouseMove, to, button, modifiers);
  Mouse(widget, QEvent::MouseButtonRelease, to, button, modifiers);
}

void Wheel(QWidget& widget, QPointF pos, int notches, Qt::KeyboardModifiers modifiers) {
  QWheelEvent event(pos, widget.mapToGlobal(pos), QPoint(), QPoint(0, 120 * notches), Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
  QCoreApplication::sendEvent(&widget, &event);
}

// Columns of the strip, right of its legend, where `colour` is drawn.
int ColumnsIn(const QImage& image, const QRect& strip, const QColor& colour) {
  int columns = 0;
  for (int x = strip.left() + 40; x < strip.right(); ++x)
    for (int y = strip.top() + 1; y < strip.bottom(); ++y)
      if (image.pixelColor(x, y) == colour) {
        ++columns;
        break;
      }
  return columns;
}

// Pixels of the strip between the rows `top` and `bottom` that are not background, outside the
// columns a line of `line` runs up (20 rows of it or more, a text's glyphs are shorter): the
// texts beside the steps.
int TextPixels(const QImage& image, const QRect& area, const QColor& line, int top, int bottom) {
  int pixels = 0;
  for (int x = area.left(); x <= area.right(); ++x) {
    int drawn = 0;
    int lineRows = 0;
    for (int y = top; y <= bottom; ++y) {
      const QColor colour = image.pixelColor(x, y);
      drawn += colour != QColor(Qt::white);
      lineRows += colour == line;
    }
    if (lineRows < 20) pixels += drawn;
  }
  return pixels;
}

struct PlotInteraction : ::testing::Test {
  PlotInteraction() {
    std::vector<std::string> warnings;
    databases.Add(ParseDbc(kDbc, "bus.dbc"), warnings);
    samples.DatabasesChanged();
    EXPECT_TRUE(samples.Subscribe(*databases.Find(16, false), 0));
    EXPECT_TRUE(samples.Subscribe(*databases.Find(16, false), 1));
    Feed(0, 11);
    widget.resize(800, 400);
    view.Show(0, 1000);
  }
  // Samples `first` .. `first + count - 1`: at i x 100 ms, Volt i x 10, Mode alternating from
  // Off every `modeRun` samples.
  void Feed(int first, int count, int modeRun = 1) {
    TTrafficViews traffic{TTrafficSeams{}};
    traffic.AddObserver(&samples);
    traffic.BeginDrain();
    TCanMsgProg msg;
    msg.CanId = 16;
    msg.DLC = 8;
    for (int i = first; i < first + count; ++i) {
      msg.Time = i * 100;
      msg.Data[0] = static_cast<std::uint8_t>(i * 10);
      msg.Data[1] = static_cast<std::uint8_t>((i * 10) >> 8);
      msg.Data[2] = static_cast<std::uint8_t>(i / modeRun % 2);
      samples.FrameEntered(msg, true);
    }
    traffic.EndDrain();
    traffic.RemoveObserver(&samples);
  }
  // Where `plot` draws the value at the time in the strip.
  static QPointF PointOf(const TPlotWidget& plot, const TPlotView& shown, std::size_t strip, double time, double value) {
    const QRect area = plot.StripRect(strip);
    const TMinMax range = plot.StripRange(strip);
    return {TPlotWidget::kLeft + shown.XOf(time, plot.PlotWidth()), area.bottom() - (value - range.Min) / (range.Max - range.Min) * (area.height() - 1)};
  }
  QPointF PointOf(std::size_t strip, double time, double value) const { return PointOf(widget, view, strip, time, value); }
  double TimeAtX(double x) const { return view.TimeAt(x - TPlotWidget::kLeft, widget.PlotWidth()); }

  QApplication& app = TestApp();  // before the widgets
  TSignalDatabases databases;
  TPlotSamples samples{databases};
  TPlotView view;
  TPlotWidget widget{samples, view};
  std::vector<TPixelColumn> scratch;
};

// The window shown, so that its plot has its laid-out size.
struct PlotWindowInteraction : PlotInteraction {
  PlotWindowInteraction() {
    window.resize(900, 600);
    window.show();
    window.ShowRange(0, 1000);
    QApplication::processEvents();
  }
  TPlotWindow window{samples};
  TPlotWidget& plot = *window.pbPlot();
};

}  // namespace

TEST_F(PlotInteraction, AClickOnASamplesPointReportsItAndPutsCursorOneOnIt) {
  QSignalSpy clicked(&widget, &TPlotWidget::SampleClicked);
  Click(widget, PointOf(0, 500, 50) + QPointF(3, -2));
  ASSERT_EQ(clicked.count(), 1);
  EXPECT_EQ(clicked.at(0).at(0).value<std::size_t>(), 0u);
  EXPECT_EQ(clicked.at(0).at(1).value<std::size_t>(), 5u);
  EXPECT_EQ(view.Cursor(1), 500.0);
  EXPECT_FALSE(view.Following());

  Click(widget, PointOf(1, 300, 1) + QPointF(-4, 0));
  ASSERT_EQ(clicked.count(), 2);
  EXPECT_EQ(clicked.at(1).at(0).value<std::size_t>(), 1u);
  EXPECT_EQ(clicked.at(1).at(1).value<std::size_t>(), 3u);

  // Half-way between two samples, 36 pixels from either: a cursor at the mouse, no sample.
  const QPointF between = PointOf(0, 550, 55);
  Click(widget, between);
  EXPECT_EQ(clicked.count(), 2);
  EXPECT_NEAR(*view.Cursor(1), TimeAtX(between.x()), 1e-9);
  const QPointF later = PointOf(0, 850, 30);
  Click(widget, later, Qt::ControlModifier);
  EXPECT_EQ(clicked.count(), 2);
  EXPECT_NEAR(*view.Cursor(2), TimeAtX(later.x()), 1e-9);
  EXPECT_NEAR(*view.Cursor(1), TimeAtX(between.x()), 1e-9);
  // Left of the strips, on the value labels, nothing happens.
  Click(widget, QPointF(20, between.y()));
  EXPECT_NEAR(*view.Cursor(1), TimeAtX(between.x()), 1e-9);
}

TEST_F(PlotInteraction, ACursorLineDragsAndAPlainDragPans) {
  view.SetCursor(1, 500);
  const QPointF onLine(PointOf(0, 500, 0).x(), widget.StripRect(0).center().y());
  Drag(widget, onLine, onLine + QPointF(100, 0), Qt::LeftButton);
  EXPECT_NEAR(*view.Cursor(1), TimeAtX(onLine.x() + 100), 1e-9);
  EXPECT_EQ(view.T0(), 0);
  EXPECT_EQ(view.T1(), 1000);

  const double perPixel = 1000.0 / widget.PlotWidth();
  const QPointF away(PointOf(0, 200, 0).x(), widget.StripRect(0).center().y());
  Drag(widget, away, away + QPointF(50, 10), Qt::LeftButton);
  EXPECT_NEAR(view.T0(), -50 * perPixel, 1e-9);
  EXPECT_NEAR(view.T1(), 1000 - 50 * perPixel, 1e-9);
}

TEST_F(PlotInteraction, ABandZoomsToItsTimesAndTheValuesOfItsStrip) {
  QSignalSpy changed(&widget, &TPlotWidget::ViewChanged);
  const QPointF from = PointOf(0, 200, 80);
  const QPointF to = PointOf(0, 600, 20);
  Drag(widget, from, to, Qt::LeftButton, Qt::ShiftModifier);
  EXPECT_NEAR(view.T0(), 200, 1e-9);
  EXPECT_NEAR(view.T1(), 600, 1e-9);
  EXPECT_FALSE(view.Following());
  EXPECT_GE(changed.count(), 1);
  const std::optional<TMinMax> volts = view.ValueRange(samples.Series(0).Key);
  ASSERT_TRUE(volts);
  EXPECT_NEAR(volts->Min, 20, 1e-9);
  EXPECT_NEAR(volts->Max, 80, 1e-9);
  EXPECT_FALSE(view.ValueRange(samples.Series(1).Key));

  // A flat band drawn with the right button: the time only.
  const QPointF left(TPlotWidget::kLeft + 100, widget.StripRect(1).center().y());
  const double t0 = TimeAtX(left.x());
  const double t1 = TimeAtX(left.x() + 200);
  Drag(widget, left, left + QPointF(200, 2), Qt::RightButton);
  EXPECT_NEAR(view.T0(), t0, 1e-9);
  EXPECT_NEAR(view.T1(), t1, 1e-9);
  EXPECT_FALSE(view.ValueRange(samples.Series(1).Key));
}

TEST_F(PlotWindowInteraction, CtrlWheelZoomsTheValuesAboutTheMouseAndFitMakesThemAutomaticAgain) {
  const TMinMax automatic = plot.StripRange(0);
  EXPECT_NEAR(automatic.Min, -5, 1e-9);  // 0 .. 100 and 5 % each side
  EXPECT_NEAR(automatic.Max, 105, 1e-9);
  const QPointF at = PointOf(plot, window.View(), 0, 500, 50);
  Wheel(plot, at, 1, Qt::ControlModifier);
  TMinMax zoomed = plot.StripRange(0);
  EXPECT_NEAR(zoomed.Min, 50 - 55 * 0.8, 1e-6);
  EXPECT_NEAR(zoomed.Max, 50 + 55 * 0.8, 1e-6);
  EXPECT_EQ(window.View().T0(), 0);  // the time axis stays
  EXPECT_EQ(window.View().T1(), 1000);

  // New, larger samples: the zoomed strip keeps its range, the other follows its samples.
  Feed(11, 10);
  window.ShowRange(0, 2000);
  zoomed = plot.StripRange(0);
  EXPECT_NEAR(zoomed.Max, 50 + 55 * 0.8, 1e-6);
  window.actionPlotFit->trigger();
  const TMinMax fitted = plot.StripRange(0);
  EXPECT_NEAR(fitted.Min, -10, 1e-9);
  EXPECT_NEAR(fitted.Max, 210, 1e-9);
  EXPECT_LE(window.View().T0(), 0);
  EXPECT_GT(window.View().T1(), 2000);
}

TEST_F(PlotInteraction, TheOverlayDrawsEverySeriesIntoOneStrip) {
  QImage image = widget.grab().toImage();
  EXPECT_EQ(widget.StripCount(), 2u);
  EXPECT_GT(ColumnsIn(image, widget.StripRect(0), PlotColour(0)), 300);
  EXPECT_EQ(ColumnsIn(image, widget.StripRect(0), PlotColour(1)), 0);

  view.SetOverlaid(true);
  image = widget.grab().toImage();
  ASSERT_EQ(widget.StripCount(), 1u);
  EXPECT_EQ(widget.StripSeries(0), (std::pair<std::size_t, std::size_t>{0, 2}));
  const QRect strip = widget.StripRect(0);
  EXPECT_GT(strip.height(), 300);
  EXPECT_GT(ColumnsIn(image, strip, PlotColour(0)), 300);
  EXPECT_GT(ColumnsIn(image, strip, PlotColour(1)), 300);
  // One range over both: Mode's 0 and 1 lie near the bottom of Volt's 0 .. 100.
  EXPECT_NEAR(widget.StripRange(0).Max, 105, 1e-9);
  // The hover label takes the nearest point of either series.
  EXPECT_EQ(widget.HoverAt(PointOf(0, 300, 1) + QPointF(2, -3)), (TPlotWidget::THit{1, 3}));
  EXPECT_EQ(widget.HoverAt(PointOf(0, 300, 30) + QPointF(2, 3)), (TPlotWidget::THit{0, 3}));
}

TEST_F(PlotInteraction, StepsCarryTheirTableTextsWhereTheLineIsExactOnly) {
  samples.ClearSamples();
  Feed(0, 5000, 500);  // Mode steps every 50 s among samples every 100 ms
  const QRect area(0, 0, 718, 101);
  const auto draw = [&](double t1) {
    view.Show(0, t1);
    QImage image(area.size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    PaintPlotCurve(painter, area, samples.Series(1), view, Qt::blue, scratch);
    return image;
  };
  // Off and On at 0 and 1 of -0.05 .. 1.05: the lines at rows 95 and 5, the texts between.
  const QImage exact = draw(70'000);  // 701 samples over 718 columns
  EXPECT_GT(TextPixels(exact, area, Qt::blue, 10, 90), 20);
  const QImage decimated = draw(500'000);  // 5,000 samples: min/max columns, no texts
  EXPECT_EQ(TextPixels(decimated, area, Qt::blue, 10, 90), 0);
  // The decimated line is there all the same, with its steps.
  int steps = 0;
  for (int x = area.left(); x <= area.right(); ++x) steps += decimated.pixelColor(x, 50) == QColor(Qt::blue);
  EXPECT_GE(steps, 9);
}

TEST_F(PlotInteraction, TheHoverLabelShowsTheStripsNearestSampleInTime) {
  const QPointF volts(PointOf(0, 330, 0).x(), widget.StripRect(0).top() + 20);
  ASSERT_EQ(widget.HoverAt(volts), (TPlotWidget::THit{0, 3}));
  EXPECT_EQ(widget.HoverText({0, 3}), "M.Volt\n0.300 s\n30 V");
  const QPointF mode(PointOf(1, 370, 0).x(), widget.StripRect(1).center().y());
  ASSERT_EQ(widget.HoverAt(mode), (TPlotWidget::THit{1, 4}));
  EXPECT_EQ(widget.HoverText({1, 3}), "M.Mode\n0.300 s\n1 (On)");
  EXPECT_FALSE(widget.HoverAt(QPointF(10, 10)));
  // Drawn while hovering, and gone when the samples are.
  Mouse(widget, QEvent::MouseMove, volts, Qt::NoButton);
  EXPECT_FALSE(widget.grab().isNull());
  samples.ClearSamples();
  EXPECT_FALSE(widget.HoverAt(volts));
  EXPECT_FALSE(widget.grab().isNull());
}

TEST_F(PlotWindowInteraction, TheReadoutShowsEachSignalAtBothCursorsAndTheirDifference) {
  EXPECT_FALSE(window.twPlotCursors->isVisible());
  // A click on a sample: the window passes it on, and the readout opens on cursor 1.
  QSignalSpy clicked(&window, &TPlotWindow::SampleClicked);
  Click(plot, PointOf(plot, window.View(), 0, 300, 30));
  ASSERT_EQ(clicked.count(), 1);
  EXPECT_EQ(clicked.at(0).at(1).value<std::size_t>(), 3u);
  ASSERT_TRUE(window.twPlotCursors->isVisible());
  EXPECT_EQ(window.twPlotCursors->topLevelItem(0)->text(1), "30 V");

  window.PlaceCursor(1, 250);
  window.PlaceCursor(2, 1000);  // exactly on the last sample
  ASSERT_EQ(window.twPlotCursors->topLevelItemCount(), 2);
  const auto row = [this](int index) {
    QStringList cells;
    for (int column = 0; column < 4; ++column) cells << window.twPlotCursors->topLevelItem(index)->text(column);
    return cells;
  };
  EXPECT_EQ(row(0), (QStringList{"M.Volt", "20 V", "100 V", "80 V"}));
  EXPECT_EQ(row(1), (QStringList{"M.Mode", "0 (Off)", "0 (Off)", "0"}));
  EXPECT_TRUE(window.lbPlotCursorTimes->text().contains(QStringLiteral("\u0394t = 750 ms")));
  EXPECT_EQ(window.View().T0(), 0);  // both in view: nothing moved

  // Before the first sample nothing is read; the view moves to show the cursor.
  window.PlaceCursor(1, -2000);
  EXPECT_EQ(row(0), (QStringList{"M.Volt", "", "100 V", ""}));
  EXPECT_LE(window.View().T0(), -2000);
  EXPECT_GT(window.View().T1(), -2000);
  EXPECT_FALSE(window.actionPlotFollow->isChecked());
  EXPECT_TRUE(window.lbPlotCursorTimes->text().contains(QStringLiteral("\u0394t = 3 s")));
  // After the last the last value holds.
  window.PlaceCursor(2, 5000);
  EXPECT_EQ(row(0).at(2), "100 V");
  // New samples read at once.
  Feed(11, 50);
  window.Refresh();
  EXPECT_EQ(row(0).at(2), "500 V");
}

TEST_F(PlotWindowInteraction, RemoveFromPlotInTheStripsMenuAndTheReadout) {
  QMenu menu;
  plot.FillStripMenu(menu, plot.StripRect(1).center());
  QList<QAction*> removes = menu.findChildren<QAction*>(QStringLiteral("actionPlotRemoveSignal"));
  ASSERT_EQ(removes.size(), 1);
  EXPECT_EQ(removes.front()->text(), "Remove from plot");

  window.actionPlotOverlay->setChecked(true);
  EXPECT_TRUE(window.View().Overlaid());
  QMenu overlay;
  plot.FillStripMenu(overlay, plot.StripRect(0).center());
  removes = overlay.findChildren<QAction*>(QStringLiteral("actionPlotRemoveSignal"));
  ASSERT_EQ(removes.size(), 2);
  EXPECT_EQ(removes.at(1)->text(), "Remove M.Mode from plot");
  removes.at(1)->trigger();
  ASSERT_EQ(samples.Count(), 1u);
  EXPECT_EQ(samples.Series(0).Key.Signal, "Volt");

  window.PlaceCursor(1, 100);
  window.twPlotCursors->setCurrentItem(window.twPlotCursors->topLevelItem(0));
  window.twPlotCursors->findChild<QAction*>(QStringLiteral("actionPlotRemoveRow"))->trigger();
  EXPECT_EQ(samples.Count(), 0u);
}

TEST_F(PlotWindowInteraction, TheImageIsWrittenAsPngOfThePlotsSizeAndAFailureIsShown) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("plot.png"));
  ASSERT_TRUE(window.SaveImageTo(path));
  const QImage image(path);
  ASSERT_FALSE(image.isNull());
  EXPECT_EQ(image.size(), plot.size() * plot.devicePixelRatio());
  EXPECT_EQ(image.pixelColor(plot.StripRect(0).left() + 10, plot.StripRect(0).top() + 10), PlotColour(0));

  std::vector<std::pair<TUserMessageKind, QString>> shown;
  const TUserMessageHandler previous = SetUserMessageHandler([&](TUserMessageKind kind, const QString& caption, const QString& text) {
    shown.emplace_back(kind, caption + QLatin1Char(':') + text);
  });
  EXPECT_FALSE(window.SaveImageTo(dir.filePath(QStringLiteral("missing/plot.png"))));
  SetUserMessageHandler(previous);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown.front().first, TUserMessageKind::Error);
  EXPECT_TRUE(shown.front().second.startsWith(QStringLiteral("Save plot image:")));
  EXPECT_GT(shown.front().second.size(), QStringLiteral("Save plot image:").size());
}
