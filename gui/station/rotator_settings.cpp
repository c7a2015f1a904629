#include "station/rotator_settings.h"

#include <cmath>

namespace kelvora::gui {
namespace {

// A stored number within [low, high], else the default (named in problems
// when something unusable was stored).
double Number(QSettings& s, const char* key, double fallback, double low, double high,
              QStringList* problems) {
  const QString name = QStringLiteral("rotator/") + QLatin1String(key);
  if (!s.contains(name)) return fallback;
  bool ok = false;
  const double value = s.value(name).toString().toDouble(&ok);
  if (ok && std::isfinite(value) && value >= low && value <= high) return value;
  if (problems) {
    problems->append(QStringLiteral("%1 \"%2\" unusable, using %3")
                         .arg(QLatin1String(key), s.value(name).toString())
                         .arg(fallback));
  }
  return fallback;
}

// A stored whole number 0..count-1 naming one of a list's entries.
int Choice(QSettings& s, const char* key, int fallback, int count, QStringList* problems) {
  const QString name = QStringLiteral("rotator/") + QLatin1String(key);
  if (!s.contains(name)) return fallback;
  bool ok = false;
  const int value = s.value(name).toString().toInt(&ok);
  if (ok && value >= 0 && value < count) return value;
  if (problems) {
    problems->append(QStringLiteral("%1 \"%2\" unusable, using %3")
                         .arg(QLatin1String(key), s.value(name).toString())
                         .arg(fallback));
  }
  return fallback;
}

}  // namespace

RotatorConfig LoadRotatorConfig(QSettings& s, QStringList* problems) {
  RotatorConfig c;
  const RotatorConfig d;
  const QString host = s.value(QStringLiteral("rotator/host"), d.host).toString().trimmed();
  if (host.isEmpty() || host.contains(QLatin1Char(' '))) {
    if (problems) problems->append(QStringLiteral("host \"%1\" unusable, using %2").arg(host, d.host));
  } else {
    c.host = host;
  }
  c.port = static_cast<int>(Number(s, "port", d.port, 1, 65535, problems));
  c.periodSeconds = Number(s, "period", d.periodSeconds, kShortestPeriodSeconds,
                           kLongestPeriodSeconds, problems);
  c.setup.thresholdDegrees = Number(s, "threshold", d.setup.thresholdDegrees,
                                    kMinThresholdDegrees, kMaxThresholdDegrees, problems);
  c.setup.azimuthRange = static_cast<AzimuthRange>(Choice(s, "azimuthRange", 0, 3, problems));
  c.setup.elevationRange = static_cast<ElevationRange>(Choice(s, "elevationRange", 0, 2, problems));
  c.setup.azimuthOffset =
      Number(s, "azimuthOffset", 0, -kLargestOffsetDegrees, kLargestOffsetDegrees, problems);
  c.setup.elevationOffset =
      Number(s, "elevationOffset", 0, -kLargestOffsetDegrees, kLargestOffsetDegrees, problems);
  c.setup.minimumElevation = Number(s, "minimumElevation", 0, kLowestMinimumElevation,
                                    kHighestMinimumElevation, problems);
  c.parkWithController = Choice(s, "parkWithController", 1, 2, problems) == 1;
  c.parkPosition = {Number(s, "parkAzimuth", 0, 0, 360, problems),
                    Number(s, "parkElevation", 0, 0, 90, problems)};
  c.stopOnExit = Choice(s, "stopOnExit", 1, 2, problems) == 1;
  c.target = static_cast<TargetChoice>(Choice(s, "target", 0, 4, problems));
  c.fixedTarget = {Number(s, "fixedAzimuth", d.fixedTarget.azimuth, 0, 360, problems),
                   Number(s, "fixedElevation", d.fixedTarget.elevation, 0, 180, problems)};
  return c;
}

void SaveRotatorConfig(QSettings& s, const RotatorConfig& c) {
  s.beginGroup(QStringLiteral("rotator"));
  s.setValue(QStringLiteral("host"), c.host);
  s.setValue(QStringLiteral("port"), c.port);
  s.setValue(QStringLiteral("period"), c.periodSeconds);
  s.setValue(QStringLiteral("threshold"), c.setup.thresholdDegrees);
  s.setValue(QStringLiteral("azimuthRange"), static_cast<int>(c.setup.azimuthRange));
  s.setValue(QStringLiteral("elevationRange"), static_cast<int>(c.setup.elevationRange));
  s.setValue(QStringLiteral("azimuthOffset"), c.setup.azimuthOffset);
  s.setValue(QStringLiteral("elevationOffset"), c.setup.elevationOffset);
  s.setValue(QStringLiteral("minimumElevation"), c.setup.minimumElevation);
  s.setValue(QStringLiteral("parkWithController"), c.parkWithController ? 1 : 0);
  s.setValue(QStringLiteral("parkAzimuth"), c.parkPosition.azimuth);
  s.setValue(QStringLiteral("parkElevation"), c.parkPosition.elevation);
  s.setValue(QStringLiteral("stopOnExit"), c.stopOnExit ? 1 : 0);
  s.setValue(QStringLiteral("target"), static_cast<int>(c.target));
  s.setValue(QStringLiteral("fixedAzimuth"), c.fixedTarget.azimuth);
  s.setValue(QStringLiteral("fixedElevation"), c.fixedTarget.elevation);
  s.endGroup();
  s.sync();
}

}  // namespace kelvora::gui
