// Shows the "Format Data" window after decoding a candump log put into the trace, with the
// given catalog file. With an output file it saves a picture of the window and quits.
//   format-data-harness LOG CATALOG [PNG]

#include <QApplication>
#include <QTimer>
#include <cstdio>

#include "catalog/CaptureFrames.h"
#include "catalog/FormatData.h"
#include "views/TrafficViews.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Ferrolux"));
  if (argc < 3) {
    std::fprintf(stderr, "usage: format-data-harness LOG CATALOG [PNG]\n");
    return 2;
  }
  TTrafficViews views(TTrafficSeams{[] { return false; }, [] { return false; }, [] {}});
  for (const TCanMsgProg& frame : CaptureFrames(argv[1])) views.Trace().AddToTrace(frame, true);
  TfFormatData window(views.Trace(), [] { return false; }, QString::fromLocal8Bit(argv[2]));
  window.resize(1100, 700);
  window.show();
  window.actionDecode->trigger();
  if (argc > 3) {
    QTimer::singleShot(500, [&] {
      // Scroll to the diagnostic exchange: the first message row of the tester at 0x6F0.
      QAbstractItemModel& tree = window.TreeModel();
      for (int unit = 0; unit < tree.rowCount(); ++unit)
        for (int row = 0; row < tree.rowCount(tree.index(unit, 0)); ++row)
          if (tree.index(row, TFormatDataList::colId, tree.index(unit, 0)).data().toString() == "6F0") {
            window.vst1->scrollTo(tree.index(row, 0, tree.index(unit, 0)), QAbstractItemView::PositionAtTop);
            window.vst1->setCurrentIndex(tree.index(row, 0, tree.index(unit, 0)));
            unit = tree.rowCount();
            break;
          }
    });
    QTimer::singleShot(1000, [&] {
      window.grab().save(QString::fromLocal8Bit(argv[3]));
      app.quit();
    });
  }
  return app.exec();
}
