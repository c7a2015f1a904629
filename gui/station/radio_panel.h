// The Radio panel of the Station control window: the dial frequency, the way
// of working, the Doppler figures, the frequencies wanted, sent and read back,
// the connection, and Track / Hold. The radio is driven by the station
// service (core); this widget shows its record and report and sends it
// commands.
#pragma once

#include <QGroupBox>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "control/doppler_control.h"
#include "control/hamlib_client.h"
#include "control/radio_session.h"
#include "control/station_service.h"
#include "state/records.h"
#include "station/station_control_window.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSettings;
class QSpinBox;
class QTimer;

namespace kelvora::gui {

struct RadioPanelOptions {
  // UTC now, seconds since 1970: the clock value plus the home GMT offset
  // by default. The radio follows the live moon: the main window's time
  // steps do not move it.
  std::function<std::int64_t()> utcNow;
  // Runs the once-a-second period and the reply polling on timers. Tests
  // that drive them by hand turn this off.
  bool startTimers = true;
  HamlibClientTiming timing;
};

class RadioPanel : public QGroupBox {
  Q_OBJECT
 public:
  // Texts shown, in the order of their rows.
  enum Field {
    kEcho, kDx, kFigures, kSpread, kDelay, kWanted, kSent, kHeard, kTuned, kState, kLink,
    kFieldCount
  };

  // On its own: a station service of its own over `settings`, the
  // station-control store (its "radio" group), which it must not outlive.
  RadioPanel(TrackerModel& model, QSettings& settings, RadioPanelOptions options,
             QWidget* parent = nullptr);
  // In the Station control window: its records, UTC now and settings store.
  explicit RadioPanel(StationContext& context, QWidget* parent = nullptr);
  ~RadioPanel() override;

  // One period: the figures, and the next exchange with the rig when
  // tracking. The period timer calls it once a second.
  void RunPeriod();
  // Takes the rig's answers and refreshes the texts; the poll timer calls it.
  void PollSession();

  // Another program's view of the radio (WSJT-X): its transmit state
  // replaces the PTT query and its T/R period times the transmit correction
  // (empty: the rig's own query again); its new dial becomes the panel's.
  void FollowTransmit(std::optional<bool> transmitting, std::optional<int> periodSeconds);
  void FollowDial(double hz);

  bool Tracking() const { return service_->RadioTracking(); }
  const RadioSession* Session() const { return service_->Radio(); }
  RadioControlSettings ControlSettings() const { return service_->Config().radio.control; }

  QLabel* Text(Field field) const { return texts_[field]; }
  QLabel* Message() const { return message_; }
  QLineEdit* HostEdit() const { return host_; }
  QSpinBox* PortBox() const { return port_; }
  QComboBox* BandBox() const { return band_; }
  QLineEdit* DialEdit() const { return dial_; }
  QComboBox* MethodBox() const { return method_; }
  QComboBox* StepBox() const { return step_; }
  QLineEdit* OffsetEdit() const { return offset_; }
  QCheckBox* FixedDuringTxBox() const { return fixedDuringTx_; }
  QSpinBox* TransmissionBox() const { return transmission_; }
  QPushButton* TrackButton() const { return track_; }
  QPushButton* HoldButton() const { return hold_; }

 private:
  RadioPanel(TrackerModel& model, QSettings& settings, StationService* service,
             RadioPanelOptions options, QWidget* parent);
  void BuildWidgets();
  void SaveSettings();
  void EndpointEdited();
  // Applies a changed record to the service; false (with the message shown)
  // when it refuses it.
  bool ApplyConfig(const StationConfig& config);
  void ShowSettings();
  void StartTracking(bool on);
  void DialEdited();
  void OffsetEdited();
  void OtherSettingEdited();
  void ApplyToSession(const StationConfig& config);
  void Refresh();

  QSettings& store_;
  RadioPanelOptions options_;
  std::unique_ptr<StationService> ownService_;
  StationService* service_ = nullptr;
  double shownDialHz_ = 0.0;

  QLineEdit* host_ = nullptr;
  QSpinBox* port_ = nullptr;
  QComboBox* band_ = nullptr;
  QLineEdit* dial_ = nullptr;
  QComboBox* method_ = nullptr;
  QComboBox* step_ = nullptr;
  QLineEdit* offset_ = nullptr;
  QCheckBox* fixedDuringTx_ = nullptr;
  QSpinBox* transmission_ = nullptr;
  QPushButton* track_ = nullptr;
  QPushButton* hold_ = nullptr;
  std::array<QLabel*, kFieldCount> texts_{};
  QLabel* message_ = nullptr;
  QString ownMessage_;
  QTimer* periodTimer_ = nullptr;
  QTimer* pollTimer_ = nullptr;
};

}  // namespace kelvora::gui
