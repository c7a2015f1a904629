#include "ui/tracker_dialog.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QEvent>
#include <QGroupBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTimer>
#include <QTimerEvent>
#include <QVBoxLayout>

#include "app/clock.h"
#include "app/settings.h"
#include "astro/sources.h"
#include "help/help_dialog.h"
#include "station/station_control_window.h"
#include "plan/plan_window.h"
#include "ui/about_dialog.h"
#include "ui/control_colours.h"
#include "ui/dialog_units.h"
#include "ui/dialogs/dialogs.h"
#include "ui/program.h"
#include "ui/window_decorations.h"

namespace kelvora::gui {

namespace {

QRect Units(const TemplateRect& rect) {
  return DialogRect(kMainDialogScale, rect.x, rect.y, rect.width, rect.height);
}

bool IsMouseEvent(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
      return true;
    default:
      return false;
  }
}

}  // namespace

TrackerDialog::TrackerDialog(TrackerModel& model, TrackerDialogOptions options, QWidget* parent)
    : QDialog(parent), model_(model), options_(std::move(options)) {
  if (!options_.clock) options_.clock = [] { return ClockValue(); };
  if (options_.settingsFolder.isEmpty()) options_.settingsFolder = QDir::currentPath();
  if (!options_.showMessage) {
    options_.showMessage = [this](const QString& text) {
      ShowMessageBox(this, QMessageBox::NoIcon, QString::fromUtf8(kProgramName), text);
    };
  }

  // The window and its template: caption, system menu and minimise box,
  // fixed size, its own task-bar entry.
  setWindowTitle(QString::fromUtf8(kProgramName));
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  const QRect origin = Units(TemplateRect{kMainWindowX, kMainWindowY, 0, 0});
  move(origin.topLeft());
  BuildMenu();

  // Start-up, in order: icon, drawing resources, the controls that paint
  // with them, the two timers, the settings and the home locator. The
  // circle tables were built with the model.
  setWindowIcon(QIcon(QString::fromLatin1(kIconPath)));
  setPalette(ClassicFacePalette(QApplication::palette(this)));
  resources_ = CreateDrawingResources();
  BuildControls();
  station2Dialog_ =
      CreateStation2Dialog(model_, DirectoryFileIn(options_.settingsFolder), this);

  tickTimer_ = new QTimer(this);
  statusTimer_ = new QTimer(this);
  stepTimer_ = new QTimer(this);
  stepTimer_->setSingleShot(true);
  releaseTimer_ = new QTimer(this);
  releaseTimer_->setSingleShot(true);
  releaseTimer_->setInterval(kRepeatPairMs);
  connect(releaseTimer_, &QTimer::timeout, this, [this] { ApplyHeldRelease(); });
  connect(tickTimer_, &QTimer::timeout, this, [this] { HandleTimer(kTickTimerId); });
  connect(statusTimer_, &QTimer::timeout, this, [this] { HandleTimer(kStatusTimerId); });
  connect(stepTimer_, &QTimer::timeout, this, [this] { HandleTimer(kStepTimerId); });
  if (options_.startTimers) StartTimers();
  // The window's life ends with the modal run: stop the timers then, so
  // nothing ticks after the program has left its loop.
  connect(this, &QDialog::finished, this, [this] {
    tickTimer_->stop();
    statusTimer_->stop();
    stepTimer_->stop();
  });

  if (const Status loaded = StartUp(model_, LocalPath(options_.settingsFolder)); !loaded) {
    // Once, as soon as the window is up, so the message stands over it.
    QTimer::singleShot(0, this, [this, text = QString::fromStdString(loaded.reason())] {
      ShowMessage(text);
    });
  }

  qApp->installEventFilter(this);
}

TrackerDialog::~TrackerDialog() {
  qApp->removeEventFilter(this);
  releaseTimer_->stop();
  tickTimer_->stop();
  statusTimer_->stop();
  stepTimer_->stop();
}

void TrackerDialog::BuildMenu() {
  menuBar_ = new QMenuBar(this);
  auto add = [this](QMenu* menu, int id, const char* text, bool checkable) {
    QAction* action = menu->addAction(QString::fromUtf8(text));
    action->setData(id);
    action->setCheckable(checkable);
    connect(action, &QAction::triggered, this, [this, id] { RunCommand(id); });
    actions_[id] = action;
    return action;
  };

  QMenu* file = menuBar_->addMenu(QStringLiteral("&File"));
  add(file, kCmdPrimarySetup, "&Primary Stn Setup", false);
  QMenu* sources = file->addMenu(QStringLiteral("&Track another star"));
  for (const RadioSource& source : RadioSources()) {
    add(sources, source.commandId, source.menuText, true);
  }
  file->addSeparator();
  add(file, kCmdSave, "S&ave", false);
  add(file, kCmdExit, "E&xit", false);

  QMenu* station = menuBar_->addMenu(QStringLiteral("&Station"));
  add(station, kCmdEmeDir, "&EME Dir", false);
  add(station, kCmdStation2, "Station&2", false);
  station->addSeparator();
  AddStationControlItem(station, this, model_, [this] { return Clock(); });
  connect(station->addAction(QStringLiteral("Plan S&keds...")), &QAction::triggered, this, [this] {
    ShowPlanWindow(this, model_, DirectoryFileIn(options_.settingsFolder), [this] {
      return TimeBase{model_.home.gmtOffsetHours, model_.tracking.timeOffset}.Adjust(Clock());
    });
  });

  QMenu* view = menuBar_->addMenu(QStringLiteral("&View"));
  add(view, kCmdFromMoon, "From &Moon", true)->setChecked(true);
  add(view, kCmdFromSun, "From &Sun", true);
  view->addSeparator();
  add(view, kCmdSkyMap, "S&ky Map", true);
  add(view, kCmdEarthMap, "&Earth Map", true)->setChecked(true);

  QMenu* help = menuBar_->addMenu(QStringLiteral("&Help"));
  add(help, kCmdHelp, "&Help", false);
  add(help, kCmdAbout, "&About", false);
}

void TrackerDialog::BuildControls() {
  panel_ = new PanelWidget(model_, resources_, *this, this);
  panel_->setObjectName(QStringLiteral("panel"));
  panel_->setFixedSize(kClientWidth, kClientHeight);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->setMenuBar(menuBar_);
  layout->addWidget(panel_);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  // Group boxes first, so the value boxes inside them lie on top. They are
  // disabled frames only: the value boxes are their siblings, not children,
  // and stay enabled.
  int groupIndex = 0;
  for (const GroupBoxLayout& group : kGroupBoxes) {
    auto* box = new QGroupBox(QString::fromUtf8(TextInfo(group.text).label), panel_);
    box->setObjectName(QStringLiteral("group%1").arg(++groupIndex));
    box->setAlignment(Qt::AlignHCenter);
    box->setEnabled(false);
    box->setGeometry(Units(group.rect));
  }

  for (const ValueBoxLayout& layoutOf : kValueBoxes) {
    const int id = ControlIdOf(layoutOf.text);
    auto* edit = new QLineEdit(panel_);
    edit->setObjectName(QStringLiteral("edit%1").arg(id));
    edit->setGeometry(Units(layoutOf.rect));
    edit->setFrame(layoutOf.border);
    edit->setProperty("multiLine", layoutOf.multiLine);
    // Multi-line boxes keep their one line at the top, as such boxes do.
    const Qt::Alignment vertical = layoutOf.multiLine ? Qt::AlignTop : Qt::AlignVCenter;
    if (layoutOf.text == TextId::kHomeLocator) {
      edit->setAlignment(Qt::AlignLeft | vertical);
      edit->setReadOnly(true);
      // A read-only box shows the window's own background.
      QPalette palette = edit->palette();
      palette.setColor(QPalette::Base, palette.color(QPalette::Window));
      edit->setPalette(palette);
    } else {
      edit->setAlignment(Qt::AlignHCenter | vertical);
      edit->setPalette(PaletteForControl(QApplication::palette(edit), layoutOf.text, false));
    }
    valueBoxes_[id] = edit;
  }

  skyViewBox_ = new QCheckBox(panel_);
  skyViewBox_->setObjectName(QStringLiteral("check%1").arg(kSkyViewCheckBox));
  skyViewBox_->setGeometry(Units(kSkyViewCheckBoxRect));
  connect(skyViewBox_, &QCheckBox::clicked, this, [this] { ToggleSkyViewBox(); });
  auto* skyViewText = new QLabel(QStringLiteral("SkyView"), panel_);
  skyViewText->setObjectName(QStringLiteral("staticSkyView"));
  skyViewText->setGeometry(Units(kSkyViewTextRect));

  auto* status = new QLabel(panel_);
  status->setObjectName(QStringLiteral("static%1").arg(ControlIdOf(TextId::kStatusLine)));
  status->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  status->setGeometry(Units(kStatusLineRect));

  for (std::size_t i = 0; i < kDisplayTextTable.size(); ++i) {
    const DisplayTextInfo& info = kDisplayTextTable[i];
    textControls_[i] = info.id == TextId::kStatusLine ? static_cast<QWidget*>(status)
                                                       : valueBoxes_.at(info.controlId);
  }
}

void TrackerDialog::StartTimers() {
  tickTimer_->start(kTickTimerPeriodMs);
  if (!tickTimer_->isActive()) ShowMessage(QStringLiteral("cannot install timer"));
  statusTimer_->start(kStatusTimerPeriodMs);
  if (!statusTimer_->isActive()) ShowMessage(QStringLiteral("cannot install timer2"));
}

void TrackerDialog::ShowMessage(const QString& text) { options_.showMessage(text); }

std::int64_t TrackerDialog::Clock() const { return options_.clock(); }

void TrackerDialog::RunTickNow() { HandleTimer(kRefreshTimerId); }

void TrackerDialog::RestartStatusTimer() {
  if (options_.startTimers) statusTimer_->start(kStatusTimerPeriodMs);
}

void TrackerDialog::PushTexts() { PushTextSet(model_.texts); }

void TrackerDialog::HandleTimer(unsigned timerId) {
  // Pushing texts and repainting never come back here, but a tick must
  // never start inside another one whatever path the events take.
  if (inTick_) return;
  inTick_ = true;
  if (timerId == kStepTimerId) stepTimer_->stop();
  const TickOutcome outcome = RunTick(model_, timerId, Clock());
  if (outcome.invalidateAll) Invalidate(PixelRect{0, 0, kClientWidth, kClientHeight});
  if (outcome.exchanged) PushTextSet(*outcome.exchanged);
  for (const PixelRect& rect : outcome.invalidate) Invalidate(rect);
  if (outcome.checkedSourceCommand != 0) CheckSourceItem(outcome.checkedSourceCommand);
  UpdateSteppedColours();
  if (outcome.exchanged) UpdateTitle();
  inTick_ = false;
}

void TrackerDialog::Invalidate(const PixelRect& rect) {
  if (options_.recordInvalidations) invalidations_.push_back(rect);
  panel_->InvalidateRect(rect);
}

void TrackerDialog::PushTextSet(const DisplayTexts& texts) {
  for (std::size_t i = 0; i < textControls_.size(); ++i) {
    const QString text = QString::fromStdString(texts.text[i]);
    // A box is written only when its text differs, so a box whose value
    // has not changed keeps its cursor and selection.
    if (auto* edit = qobject_cast<QLineEdit*>(textControls_[i])) {
      if (edit->text() != text) edit->setText(text);
    } else if (auto* label = qobject_cast<QLabel*>(textControls_[i])) {
      if (label->text() != text) label->setText(text);
    }
  }
}

void TrackerDialog::SetMenuCheck(int commandId, bool checked) {
  if (QAction* action = ActionFor(commandId)) action->setChecked(checked);
}

void TrackerDialog::CheckSourceItem(int commandId) {
  for (const RadioSource& source : RadioSources()) {
    SetMenuCheck(source.commandId, source.commandId == commandId);
  }
}

void TrackerDialog::ApplyCommand(const CommandOutcome& outcome, bool setsSkyViewBox) {
  for (const auto& [id, checked] : outcome.menuChecks) SetMenuCheck(id, checked);
  if (setsSkyViewBox) skyViewBox_->setChecked(outcome.skyViewBox);
  if (outcome.pushTexts) PushTexts();
  for (const PixelRect& rect : outcome.invalidate) Invalidate(rect);
}

void TrackerDialog::UpdateSteppedColours() {
  const bool stepped = model_.tracking.timeOffset != 0;
  if (stepped == shownStepped_) return;
  shownStepped_ = stepped;
  for (const TextId text : {TextId::kClock, TextId::kSourceLine}) {
    QLineEdit* edit = valueBoxes_.at(ControlIdOf(text));
    // From the style's own palette, so "default" colours really come back.
    edit->setPalette(PaletteForControl(QApplication::palette(edit), text, stepped));
  }
}

void TrackerDialog::ToggleSkyViewBox() { ApplyCommand(ToggleMap(model_), true); }

QAction* TrackerDialog::ActionFor(int commandId) const {
  const auto found = actions_.find(commandId);
  return found == actions_.end() ? nullptr : found->second;
}

QLineEdit* TrackerDialog::ValueBox(int controlId) const {
  const auto found = valueBoxes_.find(controlId);
  return found == valueBoxes_.end() ? nullptr : found->second;
}

void TrackerDialog::RunCommand(int commandId) {
  // The view and map marks follow the command chosen, whether or not the
  // view then changes.
  switch (commandId) {
    case kCmdFromSun:
      SetMenuCheck(kCmdFromSun, true);
      SetMenuCheck(kCmdFromMoon, false);
      break;
    case kCmdFromMoon:
      SetMenuCheck(kCmdFromMoon, true);
      SetMenuCheck(kCmdFromSun, false);
      break;
    case kCmdEarthMap:
      SetMenuCheck(kCmdEarthMap, true);
      SetMenuCheck(kCmdSkyMap, false);
      break;
    case kCmdSkyMap:
      SetMenuCheck(kCmdSkyMap, true);
      SetMenuCheck(kCmdEarthMap, false);
      break;
    default:
      break;
  }
  // A command reaches the window through its message queue like any other
  // message, so the window is brought up to date before it runs.
  HandleTimer(kRefreshTimerId);

  // The catalogue's sources; the user star comes through its dialog below.
  if (const RadioSource* source = FindSourceByCommand(commandId);
      source != nullptr && source->code != kSourceUserStar) {
    ApplyCommand(SelectSource(model_, source->code, Clock()), false);
    return;
  }
  switch (commandId) {
    case kCmdPrimarySetup:
      RunSetupDialog(model_, options_.settingsFolder, this);
      break;
    case kCmdOtherStar:
      RunStarDataDialog(model_, this);
      ApplyCommand(CheckUserStarItem(), false);
      break;
    case kCmdSave:
      SaveCopy();
      break;
    case kCmdExit:
      accept();
      break;
    case kCmdEmeDir:
      RunDirectorySearchDialog(DirectoryFileIn(options_.settingsFolder), this);
      break;
    case kCmdStation2:
      OpenStation2();
      break;
    case kCmdFromSun:
      ApplyCommand(SelectSunView(model_), false);
      break;
    case kCmdFromMoon:
      ApplyCommand(SelectMoonView(model_), false);
      break;
    case kCmdSkyMap:
      ApplyCommand(SelectSkyMap(model_), true);
      break;
    case kCmdEarthMap:
      ApplyCommand(SelectEarthMap(model_), true);
      break;
    case kCmdAbout:
      ShowAbout();
      break;
    case kCmdHelp:
      ShowHelp();
      break;
    default:
      break;
  }
}

void TrackerDialog::SaveCopy() {
  const WriteResult result = SaveSettingsCopy(LocalPath(options_.settingsFolder), model_.settings);
  if (!result) ShowMessage(QString::fromStdString(result.reason()));
}

void TrackerDialog::ShowHelp() { ShowHelpWindow(this, options_.settingsFolder); }

void TrackerDialog::ShowAbout() {
  AboutDialog about(this);
  about.exec();
}

void TrackerDialog::OpenStation2() {
  ParkStation2Locator(model_);
  Invalidate(kStation2RepaintRect);
  RunStation2Dialog(station2Dialog_);
}

bool TrackerDialog::IsFirstKeyReceiver(QObject* watched) const {
  auto* widget = qobject_cast<QWidget*>(watched);
  if (widget == nullptr || widget->window() != this) return false;
  // Keys that walk the menu bar belong to the menu, as while a menu is open.
  if (qobject_cast<QMenuBar*>(widget) != nullptr) return false;
  // A key the focus widget left alone travels up to its parents; it is the
  // same keystroke and must be handled once.
  const QWidget* focus = QApplication::focusWidget();
  return !(focus != nullptr && focus != widget && widget->isAncestorOf(focus));
}

bool TrackerDialog::IsOwnTimerEvent(QObject* watched, QEvent* event) const {
  if (watched != tickTimer_ && watched != statusTimer_ && watched != stepTimer_) return false;
  auto* timer = static_cast<QTimer*>(watched);
  return static_cast<QTimerEvent*>(event)->timerId() == timer->timerId();
}

bool TrackerDialog::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type == QEvent::KeyPress && watched == menuBar_ && LeaveIdleMenuBar(event)) {
    return HandleKey(static_cast<QKeyEvent*>(event));
  }
  if (type == QEvent::KeyPress || type == QEvent::KeyRelease) {
    if (!IsFirstKeyReceiver(watched)) return false;
    return HandleKey(static_cast<QKeyEvent*>(event));
  }
  if (IsMouseEvent(type)) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget != nullptr && widget->window() == this) HandleTimer(kRefreshTimerId);
    return false;
  }
  if (type == QEvent::Timer && IsOwnTimerEvent(watched, event)) {
    HandleTimer(kRefreshTimerId);
    return false;
  }
  // A paint comes through the same refresh as every other message, so it
  // never shows figures older than the state: a map just switched gets its
  // moon track, a time step its phase picture.
  if (type == QEvent::Paint && watched == panel_) {
    HandleTimer(kRefreshTimerId);
    return false;
  }
  return QDialog::eventFilter(watched, event);
}

bool TrackerDialog::LeaveIdleMenuBar(QEvent* event) {
  // After a menu was closed with Esc, or Alt was tapped alone, the menu bar
  // keeps the keyboard with no menu open and little to show for it; a plain
  // letter there would open a menu by its mnemonic (H for Help) where the
  // user meant a time step. Such a letter makes the bar let go of the
  // keyboard and is the window's again. Arrows, Enter and Esc still walk
  // the bar, and Alt+letter still opens a menu.
  if (QApplication::activePopupWidget() != nullptr) return false;
  const auto* key = static_cast<QKeyEvent*>(event);
  if ((key->modifiers() & (Qt::AltModifier | Qt::ControlModifier | Qt::MetaModifier)) != 0) {
    return false;
  }
  if (key->key() < Qt::Key_A || key->key() > Qt::Key_Z) return false;
  // The bar leaves its keyboard mode as it loses the focus; the window
  // itself takes it, as a window with no control focused has it.
  setFocus(Qt::OtherFocusReason);
  return true;
}

bool TrackerDialog::HandleKey(QKeyEvent* event) {
  const bool release = event->type() == QEvent::KeyRelease;
  // Some window systems send a release before every auto-repeated press of
  // a key that is held down; the key is still down, so that is no release.
  if (release && event->isAutoRepeat()) return false;
  const Qt::KeyboardModifiers now = QGuiApplication::queryKeyboardModifiers();
  KeyMessage message;
  message.key = event->key();
  message.release = release;
  message.altDown = event->modifiers().testFlag(Qt::AltModifier);
  message.shiftDown = now.testFlag(Qt::ShiftModifier);
  message.ctrlDown = now.testFlag(Qt::ControlModifier);

  if (release) {
    // Wait and see: a press of the same key at once makes it a repeat.
    if (releaseTimer_->isActive()) ApplyHeldRelease();
    heldRelease_ = message;
    heldReleaseTimestamp_ = event->timestamp();
    releaseTimer_->start();
    return false;
  }
  if (releaseTimer_->isActive()) {
    // X11 gives both halves of a repeat the same timestamp; a press of the
    // same key with another one is the key pressed anew.
    const bool sameMoment = event->timestamp() == heldReleaseTimestamp_ ||
                            event->timestamp() == 0 || heldReleaseTimestamp_ == 0;
    if (message.key == heldRelease_.key && sameMoment) {
      releaseTimer_->stop();
    } else {
      ApplyHeldRelease();
    }
  }
  return ApplyKey(message);
}

void TrackerDialog::ApplyHeldRelease() {
  releaseTimer_->stop();
  ApplyKey(heldRelease_);
}

bool TrackerDialog::ApplyKey(const KeyMessage& message) {
  const KeyAction action = gui::PreTranslateKey(model_, message, Clock());
  if (action.endDialog) accept();
  if (action.command) ApplyCommand(*action.command, message.key == Qt::Key_V);
  for (const PixelRect& rect : action.invalidate) Invalidate(rect);
  if (action.startStepTimer) stepTimer_->start(kStepTimerPeriodMs);
  if (action.refresh) HandleTimer(kRefreshTimerId);
  UpdateSteppedColours();
  return action.consumed;
}

void TrackerDialog::keyPressEvent(QKeyEvent* event) {
  // Keys are handled before dispatch; what reaches the window itself gets
  // no dialog handling (Esc must not close it, Enter presses no button).
  QWidget::keyPressEvent(event);
}

void TrackerDialog::showEvent(QShowEvent* event) {
  // The boxes and the panel are filled before anything is painted.
  HandleTimer(kRefreshTimerId);
  QDialog::showEvent(event);
}

void TrackerDialog::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  if (event->type() == QEvent::WindowStateChange) UpdateTitle();
}

void TrackerDialog::UpdateTitle() {
  // The program's name while the window is shown; while it is minimised the
  // task bar shows where the moon is, tick by tick.
  const QString title =
      isMinimized() ? QStringLiteral("Az: %1, El: %2")
                          .arg(QString::fromStdString(model_.texts[TextId::kMoonAzimuth]),
                               QString::fromStdString(model_.texts[TextId::kMoonElevation]))
                    : QString::fromUtf8(kProgramName);
  if (windowTitle() != title) setWindowTitle(title);
}

}  // namespace kelvora::gui
