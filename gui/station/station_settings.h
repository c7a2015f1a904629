// The station-control settings (rotator, radio): one QSettings store in the
// user's configuration folder, apart from the 32-byte settings file.
#pragma once

#include <QSettings>

#include <memory>

namespace kelvora::gui {

// <config folder>/Kelvora/station-control.ini; tests move the folder with
// QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, ...).
std::unique_ptr<QSettings> OpenStationSettings();

}  // namespace kelvora::gui
