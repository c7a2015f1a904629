#include "help/help_dialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "common/screen_fit.h"

namespace kelvora::gui {

namespace {

// Room for the contents and about 70 characters of text at the usual 9-10
// point desktop fonts; the text scrolls, and the window may be resized.
constexpr QSize kHelpSize{780, 580};
constexpr int kContentsWidth = 190;

QString Heading(const HelpSection& section) {
  return QStringLiteral("<a name='%1'></a><h3>%2</h3>")
      .arg(QLatin1String(section.anchor), QString::fromUtf8(section.title));
}

}  // namespace

const std::vector<HelpSection>& HelpSections() {
  static const std::vector<HelpSection> kSections = {
      {"keys", "Keys in the main window"},
      {"stepping", "Time stepping"},
      {"mouse", "Mouse on the maps"},
      {"figures", "The figures and their units"},
      {"coordinates", "Coordinates"},
      {"station-control", "Station control window"},
      {"planner", "Sked planner"},
      {"wsjtx", "WSJT-X link"},
      {"files", "Where the files live"},
  };
  return kSections;
}

QString HelpText(const QString& folder) {
  const QString where = folder.toHtmlEscaped();
  const auto& s = HelpSections();
  QString text;
  text += Heading(s[0]) + QStringLiteral(
      "<table cellspacing='2'>"
      "<tr><td><b>M T H D W O Y</b></td><td>step the clock forward by 1 minute, 10 "
      "minutes, 1 hour, 1 day, 1 week, 31 days or 365 days; with <b>Shift</b> "
      "backward. A key held down steps at most every half second.</td></tr>"
      "<tr><td><b>Up arrow</b></td><td>jump to the next moonrise or moonset (sunrise or "
      "sunset in Sun View) at the second station, or at home when none is set; "
      "<b>Ctrl+Up</b> always at home.</td></tr>"
      "<tr><td><b>Esc</b></td><td>back to live time.</td></tr>"
      "<tr><td><b>Ctrl+S</b></td><td>earth map seen from the moon or from the sun.</td></tr>"
      "<tr><td><b>Ctrl+V</b></td><td>earth map or sky map (as the SkyView box).</td></tr>"
      "<tr><td><b>Ctrl+K</b></td><td>distances in miles or kilometres.</td></tr>"
      "<tr><td><b>Alt+X</b></td><td>end the program.</td></tr>"
      "</table>");
  text += Heading(s[1]) + QStringLiteral(
      "<p>While the clock shows a stepped moment, the clock and the source line are "
      "red and every figure belongs to that moment. The eight small buttons under the "
      "top row step it with the mouse: hover over one to see what it does, click it "
      "with the left button to go forward and with the right button to go back. The "
      "first button (Rise/Clear) jumps to the next moonrise or moonset at home with the "
      "left button and returns to live time with the right one.</p>");
  text += Heading(s[2]) + QStringLiteral(
      "<p>On the earth map the line along the bottom shows the locator, latitude and "
      "longitude under the pointer, the moon's elevation there and the bearing and "
      "distance from home. A left click places the second station there, a right click "
      "on the map removes it. Holding the right button anywhere shows the pointer's "
      "window position at the top right.</p>");
  text += Heading(s[3]) + QStringLiteral(
      "<p>Every figure belongs to the moment on the clock (UTC), for the home station "
      "unless it names the second station (Stn2).</p>"
      "<table width='100%' cellspacing='0' border='1' cellpadding='3'>"
      "<tr><th width='22%'>Figure</th><th width='16%'>Unit</th><th>Meaning</th></tr>"
      "<tr><td>Azimuth, Elevation</td><td>degrees</td><td>where the moon stands at home: "
      "azimuth from true north through east, elevation above the horizon (negative below "
      "it).</td></tr>"
      "<tr><td>Declination</td><td>degrees</td><td>the moon's declination, north "
      "positive.</td></tr>"
      "<tr><td>Distance</td><td>km</td><td>from the centre of the earth to the moon.</td></tr>"
      "<tr><td>Perigee, Apogee</td><td>days</td><td>whole days to the moon's next closest "
      "(perigee) and farthest (apogee) point, or since the last one (\"3 days ago\"). Near "
      "perigee the path loss is lowest.</td></tr>"
      "<tr><td>Sun Az, Sun El</td><td>degrees</td><td>where the sun stands at home. A sun "
      "close to the moon adds its noise to the echoes.</td></tr>"
      "<tr><td>Sky Temp</td><td>kelvin (K)</td><td>the noise temperature of the sky behind the "
      "moon, at 144 MHz; highest when the moon crosses the Milky Way.</td></tr>"
      "<tr><td>Path Loss</td><td>dB</td><td>the extra loss of the moon path against the moon "
      "at its nearest (356 140 km): 0 dB then, about 2.3 dB at its farthest. It grows with "
      "the fourth power of the distance.</td></tr>"
      "<tr><td>Degradation</td><td>dB</td><td>how much worse the path is than the best case: "
      "the path loss plus the extra sky noise (Sky Temp plus 80 K for the receiver, against "
      "245.64 K). Lower is better.</td></tr>"
      "<tr><td>My Doppler</td><td>Hz at 144 MHz</td><td>the frequency shift of your own echo "
      "at 144 MHz, from the earth's turning and the moon's motion; \"no moon\" while the moon "
      "is below the home horizon. At another band scale it by the frequency: about 3 times "
      "at 432 MHz, 9 times at 1296 MHz.</td></tr>"
      "<tr><td>Stn2 Doppler</td><td>Hz at 144 MHz</td><td>the shift of a signal from the second "
      "station via the moon to home, at 144 MHz; N/A without a second station or with the "
      "moon below either horizon.</td></tr>"
      "<tr><td>Stn2 Polarity</td><td>degrees, cw or ccw</td><td>the polarity offset: the angle "
      "between the two stations' linear polarisations as the moon sees them, up to 90&deg;, "
      "with its sense (clockwise or counter-clockwise). Near 90&deg; the signals may fade "
      "away unless a station turns its polarisation.</td></tr>"
      "<tr><td>Stn2 Az, Stn2 El</td><td>degrees</td><td>where the moon stands at the second "
      "station.</td></tr>"
      "<tr><td>Bearing, Distance (map line)</td><td>degrees, km or miles</td><td>the great "
      "circle from home to the point under the pointer (Ctrl+K switches the unit).</td></tr>"
      "</table>");
  text += Heading(s[4]) + QStringLiteral(
      "<p>Latitudes are north positive. Longitudes are <b>west positive</b> everywhere: "
      "95.36 is 95.36&deg; W, an east longitude is negative. For another star the right "
      "ascension is given in <b>hours</b> (0 to 24) and the declination in degrees. "
      "Numbers may be typed with a decimal point or a decimal comma. The GMT offset in Setup "
      "is the number of hours added to the computer's local standard time to give UTC.</p>");
  text += Heading(s[5]) + QStringLiteral(
      "<p>Station &gt; Station Control... opens a window beside the main one that drives "
      "the station through Hamlib's daemons. The <b>Rotator (rotctld)</b> panel points the "
      "antenna at the moon, the sun, the tracked source or a fixed azimuth and elevation, "
      "once a period when the error passes the threshold, within the rotator's azimuth and "
      "elevation ranges; Track, Stop (F8) and Park, and it shows the target, the commanded "
      "and the reported position and the pointing error. The <b>Radio (rigctld)</b> panel "
      "sets the radio's dial for the Doppler of the path at the chosen band (Track), or "
      "leaves it alone (Hold); it shows the wanted, sent and read-back frequencies. "
      "The daemons may run on this computer or on another one; the window never waits on "
      "them, and a lost link is shown in the panel.</p>");
  text += Heading(s[6]) + QStringLiteral(
      "<p>Station &gt; Plan Skeds... finds the windows in which home and a DX station both "
      "see the moon above their minimum elevations, over 1 to 31 days from the start "
      "(UTC, typed as yyyy-mm-dd hh:mm or yyyy-mm-dd hh:mm:ss). Choose the DX station by "
      "call (from EME.DTA), by locator, or take the second station. The chart shows the "
      "moon's elevation at both stations against UTC, the windows shaded; the table gives "
      "each window's start and end (UTC and home local time), its length (h:mm), the lower of "
      "the two peak elevations, the worst degradation (dB), the sun's distance from the moon "
      "(\"sun!\" when its noise is in the beam), the polarity offset, the two-station Doppler "
      "at the planned frequency and a score from 0 to 100; the best window is in bold. "
      "Export CSV or iCalendar, or copy the table for a spreadsheet.</p>"
      "<p>The <b>Who can I work</b> tab lists, for every station of EME.DTA, its next window "
      "within the coming hours; click a heading to sort, export it as CSV, and double-click "
      "a station to plan skeds with it. The window remembers its inputs.</p>");
  text += Heading(s[7]) + QStringLiteral(
      "<p>Kelvora Win can follow WSJT-X through the Status messages WSJT-X sends over UDP "
      "(WSJT-X: Settings &gt; Reporting &gt; UDP Server, on this computer). When WSJT-X's DX "
      "call and grid change, that station becomes the second station; while WSJT-X is "
      "transmitting the radio is treated as transmitting; and when its dial frequency moves "
      "by more than 10 kHz the radio's dial follows. The \"Send to WSJT-X\" buttons send the "
      "second station's call and grid the other way.</p>");
  text += Heading(s[8]) + QStringLiteral(
      "<p>The home station is kept in <b>Dorvakin.dat</b> (written by Setup's Save and "
      "Exit), File &gt; Save writes a copy to <b>MyData.dat</b>, and the EME directory "
      "<b>EME.DTA</b> is looked for beside them, all in this folder:<br>"
      "<code>%1</code></p>"
      "<p>Started from the desktop menu, Kelvora Win works in its own folder, "
      "<code>$XDG_DATA_HOME/kelvora</code> (<code>~/.local/share/kelvora</code> when "
      "XDG_DATA_HOME is not set), made on the first start with a copy of the sample "
      "EME.DTA. Started from a terminal it works in the current folder: to use another "
      "folder, open a terminal there and run <code>kelvora</code>.</p>"
      "<p>The settings of the newer windows are kept apart, as .ini files in "
      "<code>~/.config/Kelvora/</code> (<code>$XDG_CONFIG_HOME/Kelvora/</code> when "
      "XDG_CONFIG_HOME is set): <b>station-control.ini</b> for the Station control window "
      "and <b>planner.ini</b> for the sked planner's inputs.</p>")
      .arg(where);
  return text;
}

HelpDialog::HelpDialog(const QString& folder, QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("helpWindow"));
  setWindowTitle(QString::fromUtf8(kHelpTitle));
  // A window of its own that stays open while the main window is used.
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
  setModal(false);

  contents_ = new QListWidget(this);
  contents_->setObjectName(QStringLiteral("helpContents"));
  contents_->setFixedWidth(kContentsWidth);
  for (const HelpSection& section : HelpSections()) {
    auto* item = new QListWidgetItem(QString::fromUtf8(section.title), contents_);
    item->setData(Qt::UserRole, QString::fromLatin1(section.anchor));
  }
  text_ = new QTextBrowser(this);
  text_->setObjectName(QStringLiteral("helpText"));
  text_->setOpenLinks(false);
  text_->setHtml(HelpText(folder));
  connect(contents_, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
    if (item != nullptr) text_->scrollToAnchor(item->data(Qt::UserRole).toString());
  });

  auto* pages = new QHBoxLayout;
  pages->addWidget(contents_);
  pages->addWidget(text_, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(pages, 1);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
  layout->addWidget(buttons);
  resize(kHelpSize);
}

void ShowHelpWindow(QWidget* owner, const QString& folder) {
  auto* help = owner->findChild<HelpDialog*>(QStringLiteral("helpWindow"));
  if (help == nullptr) {
    help = new HelpDialog(folder, owner);
    FitOnScreen(help, kHelpSize);
  }
  help->show();
  help->raise();
  help->activateWindow();
}

}  // namespace kelvora::gui
