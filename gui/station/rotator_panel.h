// The rotator's panel of the Station control window: its settings, the
// state of the link and of the tracking (target, commanded, reported,
// pointing error, planned wrap), and Track / Stop / Park. A timer advances
// the rotator session once a period; the network work happens on the
// client's own thread, never in this one.
#pragma once

#include <QGroupBox>

#include <memory>

#include "control/rotator_session.h"
#include "station/rotator_settings.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTimer;

namespace kelvora::gui {

struct StationContext;

class RotatorPanel : public QGroupBox {
  Q_OBJECT
 public:
  RotatorPanel(StationContext& context, QWidget* parent = nullptr);
  ~RotatorPanel() override;

  void Track();
  void Stop();
  void Park();
  // Takes the settings from the fields, stores them and applies them.
  void Apply();
  // One period now (the timer calls it too).
  void RunPeriod();

  const RotatorConfig& Config() const { return config_; }
  const RotatorReport& LastReport() const { return report_; }
  QTimer* PeriodTimer() const { return timer_; }

 private:
  void BuildFields();
  void ShowConfig();
  RotatorConfig ReadFields() const;
  std::optional<RotatorTarget> BuildTarget(QString* why) const;
  ControlSite Site() const;
  void StartSession();
  void ShowReport();
  void Note(const QString& text);

  StationContext& context_;
  RotatorConfig config_;
  std::unique_ptr<RotatorSession> session_;
  RotatorReport report_;
  QString note_;  // a problem of our own (settings, target), shown with the link's errors
  QTimer* timer_ = nullptr;

  QLineEdit* host_ = nullptr;
  QSpinBox* port_ = nullptr;
  QDoubleSpinBox* period_ = nullptr;
  QDoubleSpinBox* threshold_ = nullptr;
  QComboBox* azRange_ = nullptr;
  QComboBox* elRange_ = nullptr;
  QDoubleSpinBox* azOffset_ = nullptr;
  QDoubleSpinBox* elOffset_ = nullptr;
  QDoubleSpinBox* minElevation_ = nullptr;
  QComboBox* target_ = nullptr;
  QDoubleSpinBox* fixedAz_ = nullptr;
  QDoubleSpinBox* fixedEl_ = nullptr;
  QComboBox* park_ = nullptr;
  QDoubleSpinBox* parkAz_ = nullptr;
  QDoubleSpinBox* parkEl_ = nullptr;
  QCheckBox* stopOnExit_ = nullptr;

  QLabel* link_ = nullptr;
  QLabel* targetText_ = nullptr;
  QLabel* commanded_ = nullptr;
  QLabel* reported_ = nullptr;
  QLabel* error_ = nullptr;
  QLabel* plan_ = nullptr;
  QLabel* status_ = nullptr;
  QLabel* problem_ = nullptr;
};

}  // namespace kelvora::gui
