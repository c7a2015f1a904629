#include "common/program_settings.h"

namespace kelvora::gui {

std::unique_ptr<QSettings> OpenProgramSettings(const QString& name) {
  return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                     QStringLiteral("Kelvora"), name);
}

}  // namespace kelvora::gui
