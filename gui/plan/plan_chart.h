// The planner's chart: the moon's elevation at both stations over the span,
// the minimum elevations as dashed lines and the mutual windows shaded.
#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>
#include <cstdint>
#include <vector>

#include "astro/time_helpers.h"
#include "plan/sked_plan.h"

class QPainter;

namespace kelvora::gui {

struct PlanCurves {
  std::int64_t beginUtc = 0;
  std::int64_t stepSeconds = 600;
  std::vector<double> home;  // elevation in degrees at beginUtc + i * stepSeconds
  std::vector<double> dx;
  double homeMinElevation = kPlanDefaultMinElevation;
  double dxMinElevation = kPlanDefaultMinElevation;
  QString homeLabel;
  QString dxLabel;
  std::int64_t EndUtc() const {
    return beginUtc + stepSeconds * static_cast<std::int64_t>(home.empty() ? 0 : home.size() - 1);
  }
};

class PlanChart : public QWidget {
  Q_OBJECT
 public:
  // The chart's colours, for the painting and for tests that look at it.
  static constexpr QRgb kHomeColour = 0xff1f4fbf;
  static constexpr QRgb kDxColour = 0xffc0392b;
  static constexpr QRgb kWindowShade = 0xffd5efd5;
  static constexpr QRgb kSelectedShade = 0xffffd98c;
  static constexpr QRgb kBackground = 0xffffffff;
  // Degrees shown: a little below the horizon up to the zenith.
  static constexpr double kLowestDeg = -15.0;
  static constexpr double kHighestDeg = 90.0;

  explicit PlanChart(QWidget* parent = nullptr);

  void SetPlan(PlanCurves curves, std::vector<SkedWindow> windows);
  void Clear();
  void SetSelected(int windowIndex);  // -1: none

  // Where a moment and an elevation land in the widget (for tests too).
  QRect PlotRect() const;
  double XForUtc(std::int64_t utc) const;
  double YForElevation(double degrees) const;
  // Hours between the ticks under the time axis (0 with no plan).
  int HourTickStep() const;
  // Every text the last painting wrote: labels and axis titles.
  QStringList DrawnTexts() const { return texts_; }

  QSize sizeHint() const override { return {760, 240}; }
  QSize minimumSizeHint() const override { return {320, 160}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void TimeAxis(QPainter& painter, const QRect& plot);
  static QString DateText(const CivilTime& day);

  QStringList texts_;
  PlanCurves curves_;
  std::vector<SkedWindow> windows_;
  int selected_ = -1;
};

}  // namespace kelvora::gui
