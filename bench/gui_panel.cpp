// Speed of the panel: painting the whole client area, and one mouse move
// over the earth map (the read-out line plus the tick that every move runs).
#include <QApplication>
#include <QCoreApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cstdint>

#include "astro/footprint.h"
#include "panel/panel_painter.h"
#include "panel/panel_widget.h"
#include "state/records.h"
#include "tick/tick.h"

namespace kelvora::gui {
namespace {

// 2000-01-01 12:00:00 UTC.
constexpr std::int64_t kBenchClock = 946728000;

class TickingHost : public PanelHost {
 public:
  explicit TickingHost(TrackerModel& model) : model_(model) {}
  void RunTickNow() override { RunTick(model_, kRefreshTimerId, kBenchClock); }
  void RestartStatusTimer() override {}
  void PushTexts() override {}
  std::int64_t Clock() const override { return kBenchClock; }

 private:
  TrackerModel& model_;
};

// A model as the tick leaves it: markers, footprint, phase, a second station.
TrackerModel TickedModel(bool skyMap) {
  TrackerModel model;
  model.home.latitude = 29.42;
  model.home.longitude = 95.36;
  model.station2.latitude = 51.5;
  model.station2.longitude = 0.1;
  model.station2.locator = "IO91WM";
  if (skyMap) {
    model.view.skyMap = true;
    model.view.mapBitmap = kSkyMapBitmap;
  }
  RunTick(model, kTickTimerId, kBenchClock);
  return model;
}

void BM_PaintWholePanel(benchmark::State& state) {
  TrackerModel model = TickedModel(state.range(0) != 0);
  const DrawingResources resources = CreateDrawingResources();
  const PanelPictures pictures = LoadPanelPictures();
  const QPalette palette;
  QImage image(kClientWidth, kClientHeight, QImage::Format_RGB32);
  for (auto _ : state) {
    QPainter painter(&image);
    painter.fillRect(image.rect(), palette.color(QPalette::Window));
    PaintPanel(painter, model, resources, pictures, palette);
    painter.end();
    benchmark::DoNotOptimize(image.constBits());
  }
}
BENCHMARK(BM_PaintWholePanel)->ArgName("sky")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The widget's own paint handler into its backing store.
void BM_RepaintShownPanel(benchmark::State& state) {
  TrackerModel model = TickedModel(false);
  TickingHost host(model);
  const DrawingResources resources = CreateDrawingResources();
  PanelWidget panel(model, resources, host);
  panel.show();
  QCoreApplication::processEvents();
  for (auto _ : state) {
    panel.repaint();
  }
}
BENCHMARK(BM_RepaintShownPanel)->Unit(benchmark::kMicrosecond);

// A move over the earth map as the window sees it: the tick that runs for the
// message, then the panel's handler (read-out line, status timer, texts).
void BM_MouseMoveOverEarthMap(benchmark::State& state) {
  TrackerModel model = TickedModel(false);
  TickingHost host(model);
  const DrawingResources resources = CreateDrawingResources();
  PanelWidget panel(model, resources, host);
  int step = 0;
  for (auto _ : state) {
    const int x = 20 + (step * 7) % 400;
    const int y = 180 + (step * 13) % 290;
    ++step;
    host.RunTickNow();
    const QPointF at(x, y);
    QMouseEvent move(QEvent::MouseMove, at, at, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&panel, &move);
  }
  benchmark::DoNotOptimize(panel.OverlayState().readoutLine);
}
BENCHMARK(BM_MouseMoveOverEarthMap)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kelvora::gui

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
