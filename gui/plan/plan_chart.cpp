#include "plan/plan_chart.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "astro/time_helpers.h"

namespace kelvora::gui {

namespace {

// Room for the degree labels on the left and the date labels below.
constexpr int kLeftMargin = 40;
constexpr int kRightMargin = 10;
constexpr int kTopMargin = 22;
constexpr int kBottomMargin = 20;
constexpr double kGridStepDeg = 30.0;
// Date labels need about this many pixels each.
constexpr double kDateLabelWidth = 48.0;

QPen Pen(QRgb colour, double width, Qt::PenStyle style = Qt::SolidLine) {
  QPen pen{QColor::fromRgb(colour)};
  pen.setWidthF(width);
  pen.setStyle(style);
  return pen;
}

}  // namespace

PlanChart::PlanChart(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("planChart"));
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void PlanChart::SetPlan(PlanCurves curves, std::vector<SkedWindow> windows) {
  curves_ = std::move(curves);
  windows_ = std::move(windows);
  selected_ = -1;
  update();
}

void PlanChart::Clear() { SetPlan({}, {}); }

void PlanChart::SetSelected(int windowIndex) {
  selected_ = windowIndex;
  update();
}

QRect PlanChart::PlotRect() const {
  return QRect(kLeftMargin, kTopMargin, std::max(1, width() - kLeftMargin - kRightMargin),
               std::max(1, height() - kTopMargin - kBottomMargin));
}

double PlanChart::XForUtc(std::int64_t utc) const {
  const QRect plot = PlotRect();
  const double span =
      static_cast<double>(std::max<std::int64_t>(1, curves_.EndUtc() - curves_.beginUtc));
  return plot.left() + plot.width() * static_cast<double>(utc - curves_.beginUtc) / span;
}

double PlanChart::YForElevation(double degrees) const {
  const QRect plot = PlotRect();
  const double clamped = std::clamp(degrees, kLowestDeg, kHighestDeg);
  return plot.bottom() - plot.height() * (clamped - kLowestDeg) / (kHighestDeg - kLowestDeg);
}

void PlanChart::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), QColor::fromRgb(kBackground));
  const QRect plot = PlotRect();
  painter.setPen(Pen(0xff000000, 1));
  if (curves_.home.size() < 2) {
    painter.drawText(plot, Qt::AlignCenter, tr("No plan yet"));
    return;
  }

  // Windows first, full height, so that grid and curves lie over them.
  for (std::size_t i = 0; i < windows_.size(); ++i) {
    const double x0 = XForUtc(windows_[i].startUtc);
    const double x1 = std::max(x0 + 1.0, XForUtc(windows_[i].endUtc));
    const QRgb shade = static_cast<int>(i) == selected_ ? kSelectedShade : kWindowShade;
    painter.fillRect(QRectF(x0, plot.top(), x1 - x0, plot.height()), QColor::fromRgb(shade));
  }

  // Degree grid and labels.
  const QFontMetrics metrics = painter.fontMetrics();
  for (double deg = 0.0; deg <= kHighestDeg; deg += kGridStepDeg) {
    const double y = YForElevation(deg);
    painter.setPen(Pen(deg == 0.0 ? 0xff606060 : 0xffc8c8c8, 1));
    painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
    painter.setPen(Pen(0xff000000, 1));
    const QString label = QString::number(deg, 'f', 0) + QChar(0x00b0);
    painter.drawText(QRectF(0, y - metrics.height() / 2.0, kLeftMargin - 4, metrics.height()),
                     Qt::AlignRight | Qt::AlignVCenter, label);
  }

  // A line at each UTC midnight; dates as often as there is room.
  const std::int64_t span = curves_.EndUtc() - curves_.beginUtc;
  const std::int64_t days = std::max<std::int64_t>(1, span / kSecondsPerDay);
  const std::int64_t labelEvery = std::max<std::int64_t>(
      1, static_cast<std::int64_t>(std::ceil(kDateLabelWidth * days / plot.width())));
  std::int64_t midnight =
      (curves_.beginUtc / kSecondsPerDay + (curves_.beginUtc % kSecondsPerDay > 0 ? 1 : 0)) *
      kSecondsPerDay;
  for (std::int64_t n = 0; midnight <= curves_.EndUtc(); midnight += kSecondsPerDay, ++n) {
    const double x = XForUtc(midnight);
    painter.setPen(Pen(0xffdcdcdc, 1));
    painter.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
    const std::optional<CivilTime> day = BreakDownTime(midnight);
    // A label that would run past either end of the widget is left out.
    const bool fits = x - kDateLabelWidth / 2 >= 0 && x + kDateLabelWidth / 2 <= width();
    if (day && fits && n % labelEvery == 0) {
      painter.setPen(Pen(0xff000000, 1));
      painter.drawText(
          QRectF(x - kDateLabelWidth / 2, plot.bottom() + 2, kDateLabelWidth, kBottomMargin - 2),
          Qt::AlignHCenter | Qt::AlignTop,
          QStringLiteral("%1-%2")
              .arg(day->month, 2, 10, QChar('0'))
              .arg(day->day, 2, 10, QChar('0')));
    }
  }

  // Minimum elevations dashed, then the two curves.
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setPen(Pen(kHomeColour, 1, Qt::DashLine));
  painter.drawLine(QPointF(plot.left(), YForElevation(curves_.homeMinElevation)),
                   QPointF(plot.right(), YForElevation(curves_.homeMinElevation)));
  painter.setPen(Pen(kDxColour, 1, Qt::DashLine));
  painter.drawLine(QPointF(plot.left(), YForElevation(curves_.dxMinElevation)),
                   QPointF(plot.right(), YForElevation(curves_.dxMinElevation)));
  auto curve = [&](const std::vector<double>& values, QRgb colour) {
    QPainterPath path;
    for (std::size_t i = 0; i < values.size(); ++i) {
      const QPointF p(
          XForUtc(curves_.beginUtc + static_cast<std::int64_t>(i) * curves_.stepSeconds),
          YForElevation(std::isfinite(values[i]) ? values[i] : kLowestDeg));
      if (i == 0) {
        path.moveTo(p);
      } else {
        path.lineTo(p);
      }
    }
    painter.setPen(Pen(colour, 1.5));
    painter.drawPath(path);
  };
  painter.setClipRect(plot);
  curve(curves_.home, kHomeColour);
  curve(curves_.dx, kDxColour);
  painter.setClipping(false);
  painter.setRenderHint(QPainter::Antialiasing, false);

  painter.setPen(Pen(0xff808080, 1));
  painter.drawRect(plot);
  // Legend above the plot.
  int x = plot.left();
  for (const auto& [label, colour] :
       {std::pair{curves_.homeLabel, kHomeColour}, std::pair{curves_.dxLabel, kDxColour}}) {
    painter.fillRect(QRect(x, 7, 18, 3), QColor::fromRgb(colour));
    painter.setPen(Pen(0xff000000, 1));
    painter.drawText(QPoint(x + 22, 14), label);
    x += 30 + metrics.horizontalAdvance(label);
  }
  painter.fillRect(QRect(x, 3, 18, 12), QColor::fromRgb(kWindowShade));
  painter.drawText(QPoint(x + 22, 14), tr("both above their minimum"));
}

}  // namespace kelvora::gui
