// The station-control record (rotator and radio) in the window's QSettings
// store: read into the core's value map and checked there, so the window
// and the command line share one set of limits.
#pragma once

#include <QSettings>
#include <QStringList>

#include "control/station_config.h"

namespace kelvora::gui {

// Reads what is stored; unusable values take their defaults and are named
// in *problems.
StationConfig LoadStationConfig(QSettings& settings, QStringList* problems);
void SaveStationConfig(QSettings& settings, const StationConfig& config);

}  // namespace kelvora::gui
