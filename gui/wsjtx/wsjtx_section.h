// The WSJT-X section of the Station control window: where to listen, which
// behaviours follow WSJT-X, the link's state, the last Status and what was
// taken from it. The decisions are the core's (WsjtxFollower); this widget
// carries them out on the shared records and the radio.
#pragma once

#include <QGroupBox>
#include <QString>

#include <functional>
#include <optional>

#include "state/records.h"
#include "wsjtx/wsjtx_follower.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSettings;
class QSpinBox;

namespace kelvora::gui {

class WsjtxLink;

// What the section may do to the radio (the Radio panel's side).
struct WsjtxRadioHooks {
  std::function<double()> dialHz;       // the dial the radio works from now
  std::function<void(double)> setDial;  // a new band or sked frequency
  // WSJT-X's transmit state and T/R period; empty to give the rig back its
  // own PTT query.
  std::function<void(std::optional<bool>, std::optional<int>)> setTransmit;
};

class WsjtxSection : public QGroupBox {
  Q_OBJECT
 public:
  // `store` keeps the behaviour switches ("wsjtx" group); `directoryFile` is
  // the EME directory a call without a grid is looked up in.
  WsjtxSection(TrackerModel& model, QSettings& store, WsjtxLink* link, WsjtxRadioHooks radio,
               QString directoryFile, QWidget* parent = nullptr);

  // What one Status does; the link's signal calls it.
  void TakeStatus(const wsjtx::Status& status);

  QLabel* LinkLabel() const { return link_; }
  QLabel* StatusLabel() const { return status_; }
  QLabel* TakenLabel() const { return taken_; }
  QLabel* MessageLabel() const { return message_; }
  QSpinBox* PortBox() const { return port_; }
  QLineEdit* GroupEdit() const { return group_; }
  QCheckBox* OtherHostsBox() const { return otherHosts_; }
  QPushButton* ListenButton() const { return listen_; }
  QCheckBox* Station2Box() const { return followStation2_; }
  QCheckBox* TransmitBox() const { return followTransmit_; }
  QCheckBox* DialBox() const { return followDial_; }

 private:
  void ApplyListenFields();
  void SwitchesChanged();
  void ShowLink();
  void AddTaken(const std::vector<std::string>& lines);

  TrackerModel& model_;
  QSettings& store_;
  WsjtxLink* linkObject_;
  WsjtxRadioHooks radio_;
  QString directoryFile_;
  wsjtx::WsjtxFollower follower_;
  QStringList takenLines_;

  QSpinBox* port_ = nullptr;
  QLineEdit* group_ = nullptr;
  QCheckBox* otherHosts_ = nullptr;
  QPushButton* listen_ = nullptr;
  QCheckBox* followStation2_ = nullptr;
  QCheckBox* followTransmit_ = nullptr;
  QCheckBox* followDial_ = nullptr;
  QLabel* link_ = nullptr;
  QLabel* status_ = nullptr;
  QLabel* taken_ = nullptr;
  QLabel* message_ = nullptr;
};

}  // namespace kelvora::gui
