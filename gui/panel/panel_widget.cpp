#include "panel/panel_widget.h"

#include <QPaintEvent>
#include <QPainter>

namespace kelvora::gui {

struct PanelWidget::Impl {
  TrackerModel& model;
  const DrawingResources& resources;
  PanelHost& host;
};

PanelWidget::PanelWidget(TrackerModel& model, const DrawingResources& resources, PanelHost& host,
                         QWidget* parent)
    : QWidget(parent), impl_(new Impl{model, resources, host}) {
  setFixedSize(kClientWidth, kClientHeight);
  setMouseTracking(true);
}

PanelWidget::~PanelWidget() { delete impl_; }

void PanelWidget::InvalidateRect(int left, int top, int right, int bottom) {
  update(QRect(left, top, right - left, bottom - top));
}

QImage PanelWidget::RenderToImage() {
  QImage image(kClientWidth, kClientHeight, QImage::Format_RGB32);
  image.fill(QColor(195, 195, 195));
  return image;
}

void PanelWidget::paintEvent(QPaintEvent* /*event*/) {}
void PanelWidget::mouseMoveEvent(QMouseEvent* /*event*/) {}
void PanelWidget::mousePressEvent(QMouseEvent* /*event*/) {}
void PanelWidget::mouseReleaseEvent(QMouseEvent* /*event*/) {}
void PanelWidget::leaveEvent(QEvent* /*event*/) {}

}  // namespace kelvora::gui
