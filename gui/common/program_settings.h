// The program's own QSettings stores: one .ini file per window in the user's
// configuration folder (~/.config/Kelvora/ on Linux), apart from the 32-byte
// settings file.
#pragma once

#include <QSettings>
#include <QString>

#include <memory>

namespace kelvora::gui {

// <config folder>/Kelvora/<name>.ini; tests move the folder with
// QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, ...).
std::unique_ptr<QSettings> OpenProgramSettings(const QString& name);

}  // namespace kelvora::gui
