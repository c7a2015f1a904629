// The rotator's panel of the Station control window: its settings, the
// state of the link and of the tracking (target, commanded, reported,
// pointing error, planned wrap), and Track / Stop / Park. It shows the
// station service's report and sends it commands; a timer starts the
// service's rotator period, another collects the replies. The network work
// happens on the clients' own threads, never in this one.
#pragma once

#include <QGroupBox>

#include <memory>

#include "control/station_service.h"

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
class StatusLabel;

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

  const RotatorConfig& Config() const;
  const RotatorReport& LastReport() const;
  QTimer* PeriodTimer() const { return timer_; }
  // Takes the replies that came in and shows the report (the poll timer).
  void PollService();

 private:
  void BuildFields();
  void ShowConfig();
  RotatorConfig ReadFields() const;
  void StartTimer();
  void ShowReport();
  void Note(const QString& text);

  StationContext& context_;
  QString note_;  // a problem of the settings, shown with the link's errors
  QTimer* timer_ = nullptr;
  QTimer* pollTimer_ = nullptr;

  QLineEdit* host_ = nullptr;
  QSpinBox* port_ = nullptr;
  QDoubleSpinBox* period_ = nullptr;
  QDoubleSpinBox* threshold_ = nullptr;
  QComboBox* azRange_ = nullptr;
  QComboBox* elRange_ = nullptr;
  QDoubleSpinBox* azOffset_ = nullptr;
  QDoubleSpinBox* elOffset_ = nullptr;
  QDoubleSpinBox* minElevation_ = nullptr;
  QDoubleSpinBox* stallSeconds_ = nullptr;
  QCheckBox* refraction_ = nullptr;
  QComboBox* target_ = nullptr;
  QDoubleSpinBox* fixedAz_ = nullptr;
  QDoubleSpinBox* fixedEl_ = nullptr;
  QComboBox* starEpoch_ = nullptr;
  QComboBox* park_ = nullptr;
  QDoubleSpinBox* parkAz_ = nullptr;
  QDoubleSpinBox* parkEl_ = nullptr;
  QCheckBox* stopOnExit_ = nullptr;

  StatusLabel* link_ = nullptr;
  StatusLabel* targetText_ = nullptr;
  StatusLabel* commanded_ = nullptr;
  StatusLabel* reported_ = nullptr;
  StatusLabel* error_ = nullptr;
  StatusLabel* plan_ = nullptr;
  StatusLabel* status_ = nullptr;
  StatusLabel* problem_ = nullptr;
};

}  // namespace kelvora::gui
