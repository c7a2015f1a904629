// The "Station control" window: a non-modal window beside the main one with
// one panel per station device (the rotator; more panels add themselves
// with AddPanel). Opened from the main window's Station menu.
#pragma once

#include <QStringList>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>

#include "control/station_service.h"
#include "state/records.h"

class QAction;
class QHBoxLayout;
class QMenu;
class QSettings;

namespace kelvora::gui {

class RotatorPanel;

// What every panel may use: the shared records (home station, second
// station, tracked source), the UTC now (live time: the antenna follows the
// real sky, not the stepped display), the settings store, the station
// service the panels show and command, and what was wrong with the stored
// settings.
struct StationContext {
  TrackerModel& model;
  std::function<std::int64_t()> utcNow;
  QSettings& settings;
  StationService& service;
  QStringList problems;
};

class StationControlWindow : public QWidget {
  Q_OBJECT
 public:
  // `settings` may be given by tests; the user's store otherwise.
  StationControlWindow(TrackerModel& model, std::function<std::int64_t()> utcNow,
                       QWidget* parent = nullptr, std::unique_ptr<QSettings> settings = {});
  ~StationControlWindow() override;

  // Puts a device's panel into the window, left to right.
  void AddPanel(QWidget* panel);

  RotatorPanel* Rotator() const { return rotator_; }
  StationContext& Context() { return context_; }
  StationService& Service() { return *service_; }

 protected:
  // F8 stops the rotator from every window of the program while this one
  // exists: the window watches the application's keys.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::unique_ptr<QSettings> settings_;
  QStringList problems_;
  std::unique_ptr<StationService> service_;
  StationContext context_;
  QHBoxLayout* panels_ = nullptr;
  RotatorPanel* rotator_ = nullptr;
};

// Adds "Station &Control..." to `menu`; choosing it opens the window (made on
// first use, a child of `owner`, so it closes with the program).
// clockValue gives the clock value; the window adds the home GMT offset.
QAction* AddStationControlItem(QMenu* menu, QWidget* owner, TrackerModel& model,
                               std::function<std::int64_t()> clockValue);

}  // namespace kelvora::gui
