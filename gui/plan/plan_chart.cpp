#include "plan/plan_chart.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "astro/time_helpers.h"

namespace kelvora::gui {

namespace {

// Room for the elevation axis's title and labels on the left; below the
// plot go the hour ticks, the hour labels, the dates and the time axis title.
constexpr int kLeftMargin = 58;
constexpr int kRightMargin = 14;
constexpr int kTopMargin = 22;
constexpr int kTickLength = 4;
constexpr double kGridStepDeg = 30.0;
constexpr std::int64_t kSecondsPerHour = 3600;
// Hour ticks are as close as this and no closer; labels keep this gap.
constexpr double kMinTickSpacing = 5.0;
constexpr double kLabelGap = 8.0;
// The hour steps ticks and labels may take; each divides a day.
constexpr int kHourSteps[] = {1, 2, 3, 6, 12, 24};

int LineHeight(const QWidget& widget) { return widget.fontMetrics().height(); }

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
  const int bottomMargin = kTickLength + 3 * LineHeight(*this) + 2;
  return QRect(kLeftMargin, kTopMargin, std::max(1, width() - kLeftMargin - kRightMargin),
               std::max(1, height() - kTopMargin - bottomMargin));
}

int PlanChart::HourTickStep() const {
  const std::int64_t span = curves_.EndUtc() - curves_.beginUtc;
  if (span <= 0) return 0;
  const double pixelsPerHour = PlotRect().width() * static_cast<double>(kSecondsPerHour) / span;
  for (const int step : kHourSteps) {
    if (step * pixelsPerHour >= kMinTickSpacing) return step;
  }
  return 0;
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
  texts_.clear();
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
    texts_ << label;
  }

  TimeAxis(painter, plot);

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

  // The elevation axis's title, turned to run up the left edge.
  const QString elevationTitle = tr("Moon elevation (%1)").arg(QChar(0x00b0));
  painter.save();
  painter.translate(2, plot.center().y());
  painter.rotate(-90);
  painter.drawText(QRectF(-plot.height() / 2.0, 0, plot.height(), metrics.height()),
                   Qt::AlignCenter, elevationTitle);
  painter.restore();
  texts_ << elevationTitle;
}

void PlanChart::TimeAxis(QPainter& painter, const QRect& plot) {
  const QFontMetrics metrics = painter.fontMetrics();
  const int line = metrics.height();
  const std::int64_t begin = curves_.beginUtc;
  const std::int64_t end = curves_.EndUtc();
  const double pixelsPerHour =
      plot.width() * static_cast<double>(kSecondsPerHour) / static_cast<double>(end - begin);
  const double hourLabelWidth = metrics.horizontalAdvance(QStringLiteral("00:00")) + kLabelGap;
  const double dateLabelWidth = metrics.horizontalAdvance(QStringLiteral("0000-00-00")) + kLabelGap;
  int labelStep = 0;  // hours between hour labels; 0: none fit
  for (const int step : kHourSteps) {
    if (step < 24 && step * pixelsPerHour >= hourLabelWidth) {
      labelStep = step;
      break;
    }
  }
  const std::int64_t dayEvery = std::max<std::int64_t>(
      1, static_cast<std::int64_t>(std::ceil(dateLabelWidth / (24.0 * pixelsPerHour))));
  // A label is kept inside the widget, shifted in from the edge if need be.
  auto label = [&](double x, double labelWidth, int row, const QString& text) {
    const double left = std::clamp(x - labelWidth / 2, 0.0, width() - labelWidth);
    painter.drawText(QRectF(left, plot.bottom() + kTickLength + 1 + row * line, labelWidth, line),
                     Qt::AlignCenter, text);
    texts_ << text;
    return left;
  };

  const int tickStep = HourTickStep();
  const std::int64_t stepSeconds = std::int64_t{std::max(1, tickStep)} * kSecondsPerHour;
  double firstDateLeft = -1.0;
  for (std::int64_t t = (begin + stepSeconds - 1) / stepSeconds * stepSeconds;
       tickStep > 0 && t <= end; t += stepSeconds) {
    const double x = XForUtc(t);
    const Result<CivilTime> civil = BreakDownTime(t);
    if (!civil) continue;
    const bool midnight = civil->hour == 0;
    if (midnight) {
      painter.setPen(Pen(0xffdcdcdc, 1));
      painter.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
    }
    painter.setPen(Pen(0xff000000, 1));
    painter.drawLine(QPointF(x, plot.bottom()),
                     QPointF(x, plot.bottom() + (midnight ? kTickLength + 2 : kTickLength)));
    if (labelStep > 0 && civil->hour % labelStep == 0) {
      label(x, hourLabelWidth, 0, QStringLiteral("%1:00").arg(civil->hour, 2, 10, QChar('0')));
    }
    if (midnight && (t / kSecondsPerDay) % dayEvery == 0) {
      const double left = label(x, dateLabelWidth, 1, DateText(*civil));
      if (firstDateLeft < 0) firstDateLeft = left;
    }
  }
  // The start's date when no midnight label is near the start, so that every
  // chart names its year.
  const Result<CivilTime> first = BreakDownTime(begin);
  if (first && (firstDateLeft < 0 || firstDateLeft >= plot.left() + dateLabelWidth)) {
    painter.drawText(QRectF(plot.left(), plot.bottom() + kTickLength + 1 + line, dateLabelWidth,
                            line),
                     Qt::AlignLeft | Qt::AlignVCenter, DateText(*first));
    texts_ << DateText(*first);
  }
  const QString timeTitle = tr("Time (UTC)");
  painter.drawText(QRectF(plot.left(), plot.bottom() + kTickLength + 1 + 2 * line, plot.width(),
                          line),
                   Qt::AlignCenter, timeTitle);
  texts_ << timeTitle;
}

QString PlanChart::DateText(const CivilTime& day) {
  return QStringLiteral("%1-%2-%3")
      .arg(day.year, 4, 10, QChar('0'))
      .arg(day.month, 2, 10, QChar('0'))
      .arg(day.day, 2, 10, QChar('0'));
}

}  // namespace kelvora::gui
