#include "station/station_settings.h"

namespace kelvora::gui {

std::unique_ptr<QSettings> OpenStationSettings() {
  return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                     QStringLiteral("Kelvora"), QStringLiteral("station-control"));
}

}  // namespace kelvora::gui
