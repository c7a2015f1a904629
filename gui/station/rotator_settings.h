// The rotator's settings as the window keeps them, read from and written to
// the station-control store under "rotator/".
#pragma once

#include <QSettings>
#include <QString>
#include <QStringList>

#include <optional>

#include "control/rotator_client.h"
#include "control/rotator_rules.h"

namespace kelvora::gui {

enum class TargetChoice { Moon, Sun, Source, Fixed };

struct RotatorConfig {
  QString host = QStringLiteral("127.0.0.1");
  int port = kDefaultRotctldPort;
  double periodSeconds = 1.0;
  RotatorSetup setup;
  bool parkWithController = true;  // K; else a move to parkPosition
  AzEl parkPosition{0, 0};         // true direction, degrees
  bool stopOnExit = true;
  TargetChoice target = TargetChoice::Moon;
  AzEl fixedTarget{180, 30};       // true direction, degrees
};

inline constexpr double kShortestPeriodSeconds = 0.2;
inline constexpr double kLongestPeriodSeconds = 60.0;

// Reads what is stored; a value that is missing takes its default, a value
// that is stored but unusable takes its default and is named in *problems.
RotatorConfig LoadRotatorConfig(QSettings& settings, QStringList* problems);
void SaveRotatorConfig(QSettings& settings, const RotatorConfig& config);

}  // namespace kelvora::gui
