// Shows the hardware filter page with one row of each kind in a window. With an output folder
// it saves a picture of each editor page and quits.
//   hw-filter-harness [OUTDIR]

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include "filters/HwFilterPage.h"
#include "platform/UserMessage.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QString outDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
  SetUserMessageHandler([](TUserMessageKind, const QString& caption, const QString& text) {
    QMessageBox::information(nullptr, caption, text);
  });

  THwFilterList filter([] {}, [] { return 1; });
  THwFilterPage page(filter);
  page.resize(1100, 820);
  page.show();

  // One row of each kind, as a user would compose them.
  page.actionAddHWFilterStandard->trigger();
  page.Standard->CodeField->setText(QStringLiteral("24600000"));
  page.Standard->MaskField->setText(QStringLiteral("001FFFFF"));
  page.Standard->FieldToBoxes(page.Standard->CodeField);
  page.Standard->FieldToBoxes(page.Standard->MaskField);
  page.edHWFilterDescription->setText(QStringLiteral("engine 123"));
  page.btnApplyHwFilter->click();
  page.actionAddHWFilterExtended->trigger();
  page.actionAddHWFilterSingle->trigger();
  page.edHWFilterSingleID1->setText(QStringLiteral("123"));
  page.btnApplyHwFilter->click();
  page.actionAddHWFilterRange->trigger();
  page.edHWFilterRangeID1->setText(QStringLiteral("12345678"));
  page.btnApplyHwFilter->click();
  filter.SetRowChecked(0, true);

  if (!outDir.isEmpty()) {
    QTimer::singleShot(300, [&] {
      for (int row = 0; row < 4; ++row) {
        page.vstHWIdFilter()->setCurrentIndex(filter.Model().index(row, 2));
        app.processEvents();
        page.grab().save(QStringLiteral("%1/hwfilter%2.png").arg(outDir).arg(row));
      }
      app.quit();
    });
  }
  return app.exec();
}
