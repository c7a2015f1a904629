#include "panel/panel_widget.h"

#include <QEvent>
#include <QIcon>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>
#include <QTimer>

#include "astro/map_projection.h"
#include "astro/time_helpers.h"
#include "panel/panel_painter.h"
#include "panel/step_buttons.h"
#include "tick/commands.h"

namespace kelvora::gui {
namespace {

constexpr int kIconSize = 32;

// A transparent layer above the value boxes: the mouse handlers' drawings go
// over the controls as they did when drawn straight onto the window (the
// read-out line lies over the status line).
class OverlayLayer : public QWidget {
 public:
  OverlayLayer(QWidget* parent, PanelOverlayState& state, const DrawingResources& resources)
      : QWidget(parent), state_(state), resources_(resources) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
  }

 protected:
  void paintEvent(QPaintEvent* event) override {
    QPainter painter(this);
    // A grab renders into a pixmap: a snapshot, which must not wipe anything.
    const QPaintDevice* target = redirected(nullptr);
    const bool snapshot = target != nullptr && target->devType() == QInternal::Pixmap;
    PaintOverlay(painter, state_, resources_, parentWidget()->font(), event->region(), !snapshot);
  }

 private:
  PanelOverlayState& state_;
  const DrawingResources& resources_;
};

}  // namespace

struct PanelWidget::Impl {
  TrackerModel& model;
  const DrawingResources& resources;
  PanelHost& host;
  PanelPictures pictures;
  PanelOverlayState overlay;
  OverlayLayer* layer;
};

PanelWidget::PanelWidget(TrackerModel& model, const DrawingResources& resources, PanelHost& host,
                         QWidget* parent)
    : QWidget(parent), impl_(new Impl{model, resources, host, LoadPanelPictures(), {}, nullptr}) {
  setFixedSize(kClientWidth, kClientHeight);
  setMouseTracking(true);
  setAutoFillBackground(false);
  impl_->layer = new OverlayLayer(this, impl_->overlay, resources);
  impl_->layer->setGeometry(0, 0, kClientWidth, kClientHeight);
  impl_->layer->raise();
}

PanelWidget::~PanelWidget() {
  delete impl_;
  impl_ = nullptr;
}

const PanelOverlayState& PanelWidget::OverlayState() const { return impl_->overlay; }

void PanelWidget::InvalidateRect(const PixelRect& rect) {
  update(QRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top));
}

QImage PanelWidget::RenderToImage() {
  QImage image(kClientWidth, kClientHeight, QImage::Format_RGB32);
  image.fill(palette().color(QPalette::Window));
  QPainter painter(&image);
  PaintPanel(painter, impl_->model, impl_->resources, impl_->pictures, palette());
  PaintOverlay(painter, impl_->overlay, impl_->resources, font(), QRegion(image.rect()), false);
  return image;
}

void PanelWidget::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  painter.setClipRegion(event->region());
  painter.fillRect(rect(), palette().color(QPalette::Window));
  if (window()->isMinimized()) {
    const QPixmap icon = window()->windowIcon().pixmap(kIconSize, kIconSize);
    painter.drawPixmap((width() - icon.width() + 1) / 2, (height() - icon.height() + 1) / 2, icon);
    return;
  }
  PaintPanel(painter, impl_->model, impl_->resources, impl_->pictures, palette());
}

bool PanelWidget::event(QEvent* event) {
  // Controls added after construction would stack above the overlay layer.
  if ((event->type() == QEvent::ChildAdded || event->type() == QEvent::ChildPolished) &&
      impl_ != nullptr && impl_->layer != nullptr) {
    QTimer::singleShot(0, impl_->layer, [layer = impl_->layer] { layer->raise(); });
  }
  // A value box takes the moves over it for itself: the pointer entering
  // one has left the buttons.
  if (event->type() == QEvent::ChildAdded) {
    QObject* child = static_cast<QChildEvent*>(event)->child();
    if (child->isWidgetType()) child->installEventFilter(this);
  }
  return QWidget::event(event);
}

bool PanelWidget::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Enter) TakeCaptionsAway();
  return QWidget::eventFilter(watched, event);
}

void PanelWidget::TakeCaptionsAway() {
  PanelOverlayState& overlay = impl_->overlay;
  for (const StepButton button : kCaptionEraseOrder) {
    const auto index = static_cast<std::size_t>(button);
    if (!overlay.captionFlags[index]) continue;
    update(CaptionEraseArea(button, impl_->resources));
    overlay.captionFlags[index] = false;
    overlay.captions[index].pending = false;
  }
  overlay.stepCaptionShown = false;
}

// Repaints where the second station's cross is now, ahead of a move or a
// removal: the cross reaches four pixels past its point, below the map's
// last row when it stands in the bottom rows, where the map's repaint does
// not go.
static void EraseStation2Cross(PanelWidget& panel, const TrackerModel& model,
                               const PanelOverlayState& overlay) {
  if (model.station2.HasLocator()) {
    const MapPoint marker = model.tracking.station2Marker;
    panel.update(PlacedCrossArea(QPoint(marker.x, marker.y)));
  }
  if (overlay.placedCross.Shown()) panel.update(PlacedCrossArea(overlay.placedAt));
}

void PanelWidget::mouseMoveEvent(QMouseEvent* event) {
  Impl& d = *impl_;
  PanelOverlayState& overlay = d.overlay;
  const QPoint at = event->position().toPoint();
  const int x = at.x();
  const int y = at.y();

  if (event->buttons() & Qt::RightButton) {
    overlay.pointerText = QString::asprintf("%4d, %4d ", x, y);
    overlay.pointer.Request();
    d.layer->update(PointerTextArea(overlay.pointerText, font()));
  } else if (d.model.view.mapBitmap == kEarthMapBitmap) {
    if (OnEarthMapForReadout(x, y)) {
      d.host.RestartStatusTimer();
      overlay.mapReadoutShown = true;
      const MapReadout readout = ComputeMapReadout(d.model, x, y, d.host.Clock());
      KeepReadoutMoon(d.model.tracking, readout);
      overlay.readoutLine = ReadoutLine(readout);
      overlay.readout.Request();
      d.layer->update(ReadoutArea(overlay.readoutLine, d.resources));
      d.host.PushTexts();
    } else if (overlay.mapReadoutShown) {
      overlay.mapReadoutShown = false;
      InvalidateRect(kReadoutRepaintRect);
      update(ReadoutArea(overlay.readoutLine, d.resources));  // all that was drawn
    }
  }

  if (const std::optional<StepButton> hovered = StepButtonHoveredAt(x, y)) {
    const auto index = static_cast<std::size_t>(*hovered);
    // A pointer moving straight from one button to the next never passes
    // between them: the caption it leaves goes now, or captions pile up.
    for (const StepButton other : kCaptionEraseOrder) {
      const auto otherIndex = static_cast<std::size_t>(other);
      if (other == *hovered || !overlay.captionFlags[otherIndex]) continue;
      update(CaptionEraseArea(other, d.resources));
      overlay.captionFlags[otherIndex] = false;
    }
    overlay.captions[index].Request();
    overlay.captionFlags[index] = true;
    overlay.stepCaptionShown = true;
    d.layer->update(CaptionArea(*hovered, d.resources));
  } else {
    // Repaints made while a caption was up left the buttons out; the first
    // move away brings the whole row back.
    if (overlay.stepCaptionShown) update(StepButtonRow());
    overlay.stepCaptionShown = false;
    // At most one caption goes per move.
    for (const StepButton button : kCaptionEraseOrder) {
      const auto index = static_cast<std::size_t>(button);
      if (!overlay.captionFlags[index]) continue;
      update(CaptionEraseArea(button, d.resources));
      overlay.captionFlags[index] = false;
      break;
    }
  }
  QWidget::mouseMoveEvent(event);
}

void PanelWidget::mousePressEvent(QMouseEvent* event) {
  Impl& d = *impl_;
  const QPoint at = event->position().toPoint();
  const int x = at.x();
  const int y = at.y();
  const std::optional<StepButton> clicked = StepButtonClickedAt(x, y);

  if (event->button() == Qt::LeftButton) {
    if (clicked == StepButton::kOneMinute) {
      StepTime(d.model, StepSecondsForButton(StepButton::kOneMinute), d.host.Clock());
      d.host.RunTickNow();
      InvalidateRect(kMapInsideRepaintRect);
      event->accept();
      return;
    }
    if (clicked) {
      if (*clicked == StepButton::kRiseClear) {
        // No crossing: the status line says so.
        static_cast<void>(JumpToHorizonCrossing(d.model, d.model.home.latitude,
                                                d.model.home.longitude, d.host.Clock()));
      } else {
        StepTime(d.model, StepSecondsForButton(*clicked), d.host.Clock());
      }
      d.host.RunTickNow();
      event->accept();
      return;
    }
    QWidget::mousePressEvent(event);
    return;
  }

  if (event->button() == Qt::RightButton) {
    if (d.model.view.mapBitmap == kEarthMapBitmap && OnEarthMapForRemoval(x, y)) {
      EraseStation2Cross(*this, d.model, d.overlay);
      RemoveStation2(d.model);
      InvalidateRect(kMapInsideRepaintRect);
    }
    if (clicked == StepButton::kRiseClear) {
      ReturnToLiveTime(d.model);
      InvalidateRect(kMapInsideRepaintRect);
      d.host.RunTickNow();
    } else if (clicked == StepButton::kOneMinute) {
      StepTime(d.model, -StepSecondsForButton(StepButton::kOneMinute), d.host.Clock());
      d.host.RunTickNow();
      InvalidateRect(kMapInsideRepaintRect);
    } else if (clicked) {
      StepTime(d.model, -StepSecondsForButton(*clicked), d.host.Clock());
      d.host.RunTickNow();
    } else {
      QWidget::mousePressEvent(event);
    }
    return;
  }
  QWidget::mousePressEvent(event);
}

void PanelWidget::mouseReleaseEvent(QMouseEvent* event) {
  Impl& d = *impl_;
  const QPoint at = event->position().toPoint();
  const int x = at.x();
  const int y = at.y();

  if (event->button() == Qt::LeftButton) {
    if (d.model.view.mapBitmap == kEarthMapBitmap && OnEarthMapForReadout(x, y)) {
      InvalidateRect(kMapRepaintRect);
      EraseStation2Cross(*this, d.model, d.overlay);
      PlaceStation2OnMap(d.model, x, y);
      d.overlay.placedAt = at;
      d.overlay.placedCross.Request();
      d.layer->update(PlacedCrossArea(at));
    }
    d.host.RunTickNow();
  } else if (event->button() == Qt::RightButton) {
    d.host.RunTickNow();
    InvalidateRect(kPointerTextRepaintRect);
    // The text starts a row above that rectangle: erase what was drawn.
    update(PointerTextArea(d.overlay.pointerText, font()));
  }
  QWidget::mouseReleaseEvent(event);
}

void PanelWidget::leaveEvent(QEvent* event) {
  // A caption belongs to the pointer over its button; the read-out stays
  // until a later move or repaint, as a drawing on the window would.
  TakeCaptionsAway();
  QWidget::leaveEvent(event);
}

}  // namespace kelvora::gui
