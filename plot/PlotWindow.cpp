#include "plot/PlotWindow.h"

#include <QAction>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QHeaderView>
#include <QImageWriter>
#include <QLabel>
#include <QMimeData>
#include <QSaveFile>
#include <QSplitter>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "icons/AppIcons.h"
#include "platform/UserMessage.h"
#include "plot/PlotExport.h"
#include "plot/PlotReadout.h"
#include "plot/PlotWidget.h"
#include "signals/SignalDrag.h"

namespace {
const QString kExportCaption = QStringLiteral("Export plot");
const QString kImageCaption = QStringLiteral("Save plot image");
constexpr int kSpans[] = {1, 5, 10, 30, 60, 300, 900};  // seconds
constexpr int kDefaultSpan = 10;
enum TReadoutColumn { rcSignal, rcCursor1, rcCursor2, rcDelta };

QFileDialog* SaveDialog(QWidget* parent, const QString& caption, const QString& name, const QString& filter, const QString& suffix) {
  auto* dialog = new QFileDialog(parent, caption);
  dialog->setObjectName(name);
  dialog->setOption(QFileDialog::DontUseNativeDialog);
  dialog->setAcceptMode(QFileDialog::AcceptSave);
  dialog->setNameFilter(filter);
  dialog->setDefaultSuffix(suffix);
  return dialog;
}

// Runs the dialog; the chosen file, empty when cancelled.
QString ChosenFile(QFileDialog& dialog) {
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().front();
}

}  // namespace

TPlotWindow::TPlotWindow(TPlotSamples& samples, QWidget* parent) : QMainWindow(parent, Qt::Window), FSamples(samples) {
  setObjectName(QStringLiteral("fPlot"));
  setWindowTitle(QStringLiteral("Plot"));
  resize(1000, 640);
  FSplitter = new QSplitter(Qt::Vertical, this);
  FSplitter->setChildrenCollapsible(false);
  FPlot = new TPlotWidget(FSamples, FView, FSplitter);
  FSplitter->addWidget(FPlot);
  BuildReadout(FSplitter);
  FSplitter->addWidget(FReadout);
  FSplitter->setStretchFactor(0, 1);
  setCentralWidget(FSplitter);
  BuildToolBar();

  FExportDialog = SaveDialog(this, kExportCaption, QStringLiteral("PlotExportDialog"), QStringLiteral("Semicolon text (*.csv)"), QStringLiteral("csv"));
  FImageDialog = SaveDialog(this, kImageCaption, QStringLiteral("PlotImageDialog"), QStringLiteral("PNG image (*.png)"), QStringLiteral("png"));

  connect(FPlot, &TPlotWidget::ViewChanged, this, [this] { ViewChanged(); });
  connect(FPlot, &TPlotWidget::CursorsChanged, this, [this] { UpdateReadout(); });
  connect(FPlot, &TPlotWidget::SampleClicked, this, &TPlotWindow::SampleClicked);
  connect(FPlot, &TPlotWidget::RemoveRequested, this, [this](std::size_t series) { Remove(series); });
  setAcceptDrops(true);
  SpanChosen();
}

void TPlotWindow::BuildToolBar() {
  QToolBar* bar = addToolBar(QStringLiteral("Plot"));
  bar->setObjectName(QStringLiteral("tbPlot"));
  bar->setMovable(false);
  bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  actionPlotFit = bar->addAction(QStringLiteral("Fit"), this, [this] { Fit(); });
  actionPlotFit->setObjectName(QStringLiteral("actionPlotFit"));
  actionPlotFit->setIcon(ThemedAppIcon("zoom-fit-best", "zoom-fit"));
  actionPlotFit->setToolTip(QStringLiteral("Show every sample, each strip over its own values"));
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
  actionPlotOverlay = bar->addAction(QStringLiteral("Overlay"));
  actionPlotOverlay->setObjectName(QStringLiteral("actionPlotOverlay"));
  actionPlotOverlay->setIcon(AppIcon("plot"));
  actionPlotOverlay->setToolTip(QStringLiteral("Draw every signal in one strip over one value range"));
  actionPlotOverlay->setCheckable(true);
  connect(actionPlotOverlay, &QAction::toggled, this, [this](bool on) {
    FView.SetOverlaid(on);
    FPlot->update();
  });
  bar->addSeparator();
  actionPlotExport = bar->addAction(QStringLiteral("Export\u2026"), this, [this] {
    if (const QString file = ChosenFile(*FExportDialog); !file.isEmpty()) ExportTo(file);
  });
  actionPlotExport->setObjectName(QStringLiteral("actionPlotExport"));
  actionPlotExport->setIcon(ThemedAppIcon("document-save-as", "export"));
  actionPlotExport->setToolTip(QStringLiteral("Export the plotted samples as semicolon text"));
  actionPlotSaveImage = bar->addAction(QStringLiteral("Save image\u2026"), this, [this] {
    if (const QString file = ChosenFile(*FImageDialog); !file.isEmpty()) SaveImageTo(file);
  });
  actionPlotSaveImage->setObjectName(QStringLiteral("actionPlotSaveImage"));
  actionPlotSaveImage->setIcon(ThemedAppIcon("image-x-generic", "export"));
  actionPlotSaveImage->setToolTip(QStringLiteral("Save the plot as drawn as a PNG picture"));
  actionPlotClear = bar->addAction(QStringLiteral("Remove all"), this, [this] {
    while (FSamples.Count() > 0) FSamples.Unsubscribe(FSamples.Count() - 1);
  });
  actionPlotClear->setObjectName(QStringLiteral("actionPlotClear"));
  actionPlotClear->setIcon(ThemedAppIcon("edit-clear", "clear"));
  actionPlotClear->setToolTip(QStringLiteral("Remove every signal from the plot"));
}

void TPlotWindow::BuildReadout(QWidget* parent) {
  FReadout = new QWidget(parent);
  auto* layout = new QVBoxLayout(FReadout);
  layout->setContentsMargins(4, 2, 4, 2);
  lbPlotCursorTimes = new QLabel(FReadout);
  lbPlotCursorTimes->setObjectName(QStringLiteral("lbPlotCursorTimes"));
  lbPlotCursorTimes->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->addWidget(lbPlotCursorTimes);
  twPlotCursors = new QTreeWidget(FReadout);
  twPlotCursors->setObjectName(QStringLiteral("twPlotCursors"));
  twPlotCursors->setAccessibleName(QStringLiteral("Values at the cursors"));
  twPlotCursors->setRootIsDecorated(false);
  twPlotCursors->setUniformRowHeights(true);
  twPlotCursors->setHeaderLabels({QStringLiteral("Signal"), QStringLiteral("Cursor 1"), QStringLiteral("Cursor 2"), QStringLiteral("\u0394 value")});
  twPlotCursors->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  twPlotCursors->setContextMenuPolicy(Qt::ActionsContextMenu);
  auto* remove = new QAction(QStringLiteral("Remove from plot"), twPlotCursors);
  remove->setObjectName(QStringLiteral("actionPlotRemoveRow"));
  connect(remove, &QAction::triggered, this, [this] {
    const int row = twPlotCursors->indexOfTopLevelItem(twPlotCursors->currentItem());
    if (row >= 0) Remove(static_cast<std::size_t>(row));
  });
  twPlotCursors->addAction(remove);
  layout->addWidget(twPlotCursors);
}

void TPlotWindow::Refresh() {
  FView.Follow(FSamples.LastTime());
  {
    const QSignalBlocker block(actionPlotOverlay);
    actionPlotOverlay->setChecked(FView.Overlaid());
  }
  UpdateReadout();
  if (isVisible()) FPlot->update();
}

void TPlotWindow::Fit() {
  FView.AutoValueRanges();
  FView.Fit(FSamples);
  ViewChanged();
  FPlot->update();
}

void TPlotWindow::ShowRange(double t0, double t1) {
  FView.Show(t0, t1);
  ViewChanged();
  FPlot->update();
}

void TPlotWindow::PlaceCursor(int which, double time) {
  if (!std::isfinite(time) || (which != 1 && which != 2)) return;
  FView.SetCursor(which, time);
  FView.SetFollowing(false);
  if (time < FView.T0() || time > FView.T1()) {
    const double half = (FView.T1() - FView.T0()) / 2;
    FView.Show(time - half, time + half);
  }
  ViewChanged();
  UpdateReadout();
  FPlot->update();
}

void TPlotWindow::Remove(std::size_t series) {
  FSamples.Unsubscribe(series);
  UpdateReadout();
  FPlot->update();
}

void TPlotWindow::ExportTo(const QString& fileName) {
  QString error;
  if (!SavePlotSamples(FSamples, fileName, error)) ShowUserMessage(TUserMessageKind::Error, kExportCaption, error);
}

// Through QSaveFile, so that a failed write leaves what the file held.
bool TPlotWindow::SaveImageTo(const QString& fileName) {
  QSaveFile file(fileName);
  QImageWriter writer(&file, "png");
  QString error;
  if (!file.open(QIODevice::WriteOnly)) error = file.errorString();
  else if (!writer.write(FPlot->grab().toImage())) error = writer.errorString();
  else if (!file.commit()) error = file.errorString();
  if (error.isEmpty()) return true;
  file.cancelWriting();
  ShowUserMessage(TUserMessageKind::Error, kImageCaption, error);
  return false;
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

// As high as its rows need, at most a third of the window, the rest for the plot.
void TPlotWindow::ShowReadout() {
  FReadout->show();
  const int rows = std::max(1, static_cast<int>(FSamples.Count()));
  const int wanted = lbPlotCursorTimes->sizeHint().height() + twPlotCursors->header()->sizeHint().height() +
                     rows * (twPlotCursors->fontMetrics().height() + 4) + 12;
  const int total = FSplitter->height();
  const int readout = std::min(wanted, total / 3);
  FSplitter->setSizes({total - readout, readout});
}

// One binary search per signal and cursor, so it runs at every drain however long the capture.
void TPlotWindow::UpdateReadout() {
  const std::optional<double> first = FView.Cursor(1);
  const std::optional<double> second = FView.Cursor(2);
  if (!first && !second) {
    FReadout->hide();
    return;
  }
  if (FReadout->isHidden()) ShowReadout();
  const double resolution = (FView.T1() - FView.T0()) / FPlot->PlotWidth();
  QStringList times;
  if (first) times << QStringLiteral("Cursor 1: ") + PlotTimeText(*first, resolution);
  if (second) times << QStringLiteral("Cursor 2: ") + PlotTimeText(*second, resolution);
  if (first && second) times << QStringLiteral("\u0394t = ") + PlotDurationText(*second - *first);
  lbPlotCursorTimes->setText(times.join(QStringLiteral("    ")));
  const int count = static_cast<int>(FSamples.Count());
  while (twPlotCursors->topLevelItemCount() > count) delete twPlotCursors->takeTopLevelItem(twPlotCursors->topLevelItemCount() - 1);
  while (twPlotCursors->topLevelItemCount() < count) twPlotCursors->addTopLevelItem(new QTreeWidgetItem);
  for (int row = 0; row < count; ++row) {
    const TPlotSeries& series = FSamples.Series(static_cast<std::size_t>(row));
    const TCursorReading reading = ReadCursors(series, first, second);
    QTreeWidgetItem* item = twPlotCursors->topLevelItem(row);
    item->setText(rcSignal, QString::fromStdString(series.Name()));
    item->setForeground(rcSignal, PlotColour(static_cast<std::size_t>(row)));
    item->setText(rcCursor1, reading.Values[0]);
    item->setText(rcCursor2, reading.Values[1]);
    item->setText(rcDelta, reading.Delta);
  }
}

int TPlotWindow::SpanSeconds() const { return cbPlotSpan->currentData().toInt(); }

void TPlotWindow::ApplyLayout(bool overlaid, int spanSeconds) {
  FView.SetOverlaid(overlaid);
  actionPlotOverlay->setChecked(overlaid);
  int nearest = 0;
  for (int index = 1; index < cbPlotSpan->count(); ++index)
    if (std::abs(cbPlotSpan->itemData(index).toInt() - spanSeconds) < std::abs(cbPlotSpan->itemData(nearest).toInt() - spanSeconds))
      nearest = index;
  cbPlotSpan->setCurrentIndex(nearest);
  FPlot->update();
}

void TPlotWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasFormat(kSignalsMimeType)) event->acceptProposedAction();
}

void TPlotWindow::dropEvent(QDropEvent* event) {
  const std::vector<TSignalKey> keys = SignalsFromMimeData(*event->mimeData());
  if (keys.empty() || !OnSignalsDropped) return;
  event->acceptProposedAction();
  OnSignalsDropped(keys);
}
