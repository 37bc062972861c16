#include "plot/PlotWindow.h"

#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QToolBar>

#include "icons/AppIcons.h"
#include "plot/PlotExport.h"
#include "plot/PlotWidget.h"
#include "platform/UserMessage.h"

namespace {
const QString kExportCaption = QStringLiteral("Export plot");
constexpr int kSpans[] = {1, 5, 10, 30, 60, 300, 900};  // seconds
constexpr int kDefaultSpan = 10;
}  // namespace

TPlotWindow::TPlotWindow(TPlotSamples& samples, QWidget* parent) : QMainWindow(parent, Qt::Window), FSamples(samples) {
  setObjectName(QStringLiteral("fPlot"));
  setWindowTitle(QStringLiteral("Plot"));
  resize(1000, 640);
  FPlot = new TPlotWidget(FSamples, FView, this);
  setCentralWidget(FPlot);

  QToolBar* bar = addToolBar(QStringLiteral("Plot"));
  bar->setObjectName(QStringLiteral("tbPlot"));
  bar->setMovable(false);
  bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  actionPlotFit = bar->addAction(QStringLiteral("Fit"), this, [this] { Fit(); });
  actionPlotFit->setObjectName(QStringLiteral("actionPlotFit"));
  actionPlotFit->setIcon(ThemedAppIcon("zoom-fit-best", "zoom-fit"));
  actionPlotFit->setToolTip(QStringLiteral("Show every sample"));
  actionPlotFollow = bar->addAction(QStringLiteral("Follow"));
  actionPlotFollow->setObjectName(QStringLiteral("actionPlotFollow"));
  actionPlotFollow->setIcon(AppIcon("auto-scroll"));
  actionPlotFollow->setToolTip(QStringLiteral("Follow the bus: show its last seconds"));
  actionPlotFollow->setCheckable(true);
  actionPlotFollow->setChecked(true);
  connect(actionPlotFollow, &QAction::toggled, this, [this](bool on) {
    FView.SetFollowing(on);
    Refresh();
  });
  cbPlotSpan = new QComboBox(bar);
  cbPlotSpan->setObjectName(QStringLiteral("cbPlotSpan"));
  cbPlotSpan->setAccessibleName(QStringLiteral("Seconds shown while following"));
  for (int seconds : kSpans) cbPlotSpan->addItem(QStringLiteral("%1 s").arg(seconds), seconds);
  cbPlotSpan->setCurrentIndex(cbPlotSpan->findData(kDefaultSpan));
  bar->addWidget(cbPlotSpan);
  connect(cbPlotSpan, &QComboBox::currentIndexChanged, this, [this] { SpanChosen(); });
  bar->addSeparator();
  actionPlotExport = bar->addAction(QStringLiteral("Export\u2026"), this, [this] {
    if (FExportDialog->exec() == QDialog::Accepted && !FExportDialog->selectedFiles().isEmpty()) ExportTo(FExportDialog->selectedFiles().front());
  });
  actionPlotExport->setObjectName(QStringLiteral("actionPlotExport"));
  actionPlotExport->setIcon(ThemedAppIcon("document-save-as", "export"));
  actionPlotExport->setToolTip(QStringLiteral("Export the plotted samples as semicolon text"));
  actionPlotClear = bar->addAction(QStringLiteral("Remove all"), this, [this] {
    while (FSamples.Count() > 0) FSamples.Unsubscribe(FSamples.Count() - 1);
  });
  actionPlotClear->setObjectName(QStringLiteral("actionPlotClear"));
  actionPlotClear->setIcon(ThemedAppIcon("edit-clear", "clear"));
  actionPlotClear->setToolTip(QStringLiteral("Remove every signal from the plot"));

  FExportDialog = new QFileDialog(this, kExportCaption);
  FExportDialog->setObjectName(QStringLiteral("PlotExportDialog"));
  FExportDialog->setOption(QFileDialog::DontUseNativeDialog);
  FExportDialog->setAcceptMode(QFileDialog::AcceptSave);
  FExportDialog->setNameFilter(QStringLiteral("Semicolon text (*.csv)"));
  FExportDialog->setDefaultSuffix(QStringLiteral("csv"));

  connect(FPlot, &TPlotWidget::ViewChanged, this, [this] { ViewChanged(); });
  SpanChosen();
}

void TPlotWindow::Refresh() {
  FView.Follow(FSamples.LastTime());
  if (isVisible()) FPlot->update();
}

void TPlotWindow::Fit() {
  FView.Fit(FSamples);
  ViewChanged();
  FPlot->update();
}

void TPlotWindow::ShowRange(double t0, double t1) {
  FView.Show(t0, t1);
  ViewChanged();
  FPlot->update();
}

void TPlotWindow::ExportTo(const QString& fileName) {
  QString error;
  if (!SavePlotSamples(FSamples, fileName, error)) ShowUserMessage(TUserMessageKind::Error, kExportCaption, error);
}

// A zoom, pan or fit stops the following; the button shows it.
void TPlotWindow::ViewChanged() {
  const QSignalBlocker block(actionPlotFollow);
  actionPlotFollow->setChecked(FView.Following());
}

void TPlotWindow::SpanChosen() {
  FView.SetSpan(cbPlotSpan->currentData().toInt() * 1000.0);
  Refresh();
}
