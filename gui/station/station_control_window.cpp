#include "station/station_control_window.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QHBoxLayout>
#include <QMenu>
#include <QSettings>
#include <QVBoxLayout>

#include <utility>

#include "common/screen_fit.h"
#include "station/radio_panel.h"
#include "station/rotator_panel.h"
#include "station/rotator_settings.h"
#include "station/station_settings.h"
#include "ui/program.h"
#include "wsjtx/wsjtx_link.h"
#include "wsjtx/wsjtx_section.h"

namespace kelvora::gui {

StationControlWindow::StationControlWindow(TrackerModel& model,
                                           std::function<std::int64_t()> utcNow, QWidget* parent,
                                           std::unique_ptr<QSettings> settings)
    : QWidget(parent, Qt::Window),
      settings_(settings ? std::move(settings) : OpenStationSettings()),
      service_(std::make_unique<StationService>(model, LoadStationConfig(*settings_, &problems_))),
      context_{model, std::move(utcNow), *settings_, *service_, problems_} {
  setObjectName(QStringLiteral("stationControl"));
  setWindowTitle(QStringLiteral("Station control"));
  panels_ = new QHBoxLayout(this);
  rotator_ = new RotatorPanel(context_, this);
  AddPanel(rotator_);
  // The radio and the WSJT-X link share the second column, so that the
  // window fits a 1024-pixel screen.
  auto* radio = new RadioPanel(context_, this);
  auto* column = new QVBoxLayout;
  column->addWidget(radio);
  panels_->addLayout(column);
  column->addWidget(new WsjtxSection(
      context_.model, context_.settings, WsjtxLink::Of(this),
      {[radio] { return radio->ControlSettings().dialHz; },
       [radio](double hz) { radio->FollowDial(hz); },
       [radio](std::optional<bool> tx, std::optional<int> period) {
         radio->FollowTransmit(tx, period);
       }},
      DirectoryFileIn(QDir::currentPath()), this));
  column->addStretch(1);
  qApp->installEventFilter(this);
}

bool StationControlWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_F8 && key->modifiers() == Qt::NoModifier) {
      if (!key->isAutoRepeat()) rotator_->Stop();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

StationControlWindow::~StationControlWindow() {
  qApp->removeEventFilter(this);
  // The panels go first: they may still talk to their devices (a rotator is
  // stopped on exit) while the context and the settings they use exist.
  qDeleteAll(findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
}

void StationControlWindow::AddPanel(QWidget* panel) { panels_->addWidget(panel, 0, Qt::AlignTop); }

QAction* AddStationControlItem(QMenu* menu, QWidget* owner, TrackerModel& model,
                               std::function<std::int64_t()> clockValue) {
  QAction* action = menu->addAction(QStringLiteral("Station &Control..."));
  action->setObjectName(QStringLiteral("stationControlAction"));
  QObject::connect(action, &QAction::triggered, owner, [owner, &model, clockValue] {
    auto* window = owner->findChild<StationControlWindow*>();
    if (window == nullptr) {
      const auto utcNow = [&model, clockValue] {
        return TimeBase{model.home.gmtOffsetHours, 0}.Adjust(clockValue());
      };
      window = new StationControlWindow(model, utcNow, owner);
      FitOnScreen(window);
    }
    window->show();
    window->raise();
    window->activateWindow();
  });
  return action;
}

}  // namespace kelvora::gui
