#include "station/rotator_settings.h"

namespace kelvora::gui {

StationConfig LoadStationConfig(QSettings& s, QStringList* problems) {
  SettingValues values;
  for (const QString& key : s.allKeys()) {
    values[key.toStdString()] = s.value(key).toString().trimmed().toStdString();
  }
  std::vector<std::string> found;
  StationConfig config = StationConfigFromValues(values, &found);
  if (problems) {
    for (const std::string& p : found) problems->append(QString::fromStdString(p));
  }
  return config;
}

void SaveStationConfig(QSettings& s, const StationConfig& config) {
  for (const auto& [key, value] : StationConfigValues(config)) {
    s.setValue(QString::fromStdString(key), QString::fromStdString(value));
  }
  s.sync();
}

}  // namespace kelvora::gui
