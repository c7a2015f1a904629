#include "help/help_dialog.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "ui/window_decorations.h"

namespace kelvora::gui {

namespace {

// Room for the whole guide at the usual 9-10 point desktop fonts; the text
// scrolls where a larger font needs more.
constexpr int kHelpWidth = 560;
constexpr int kHelpHeight = 520;

}  // namespace

QString HelpText(const QString& folder) {
  const QString where = folder.toHtmlEscaped();
  return QStringLiteral(
             "<h3>Keys in the main window</h3>"
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
             "</table>"
             "<h3>Time stepping</h3>"
             "<p>While the clock shows a stepped moment, the clock and the source line are "
             "red and every figure belongs to that moment. The eight small buttons under the "
             "top row step it with the mouse: hover over one to see what it does, click it "
             "with the left button to go forward and with the right button to go back. The "
             "first button (Rise/Clear) jumps to the next moonrise or moonset at home with the "
             "left button and returns to live time with the right one.</p>"
             "<h3>Mouse on the maps</h3>"
             "<p>On the earth map the line along the bottom shows the locator, latitude and "
             "longitude under the pointer, the moon's elevation there and the bearing and "
             "distance from home. A left click places the second station there, a right click "
             "on the map removes it. Holding the right button anywhere shows the pointer's "
             "window position at the top right.</p>"
             "<h3>Coordinates</h3>"
             "<p>Latitudes are north positive. Longitudes are <b>west positive</b> everywhere: "
             "95.36 is 95.36&deg; W, an east longitude is negative. For another star the right "
             "ascension is given in <b>hours</b> (0 to 24) and the declination in degrees. "
             "Numbers may be typed with a decimal point or a decimal comma.</p>"
             "<h3>Files</h3>"
             "<p>The home station is kept in <b>Dorvakin.dat</b> (written by Setup's Save and "
             "Exit), File &gt; Save writes a copy to <b>MyData.dat</b>, and the EME directory "
             "<b>EME.DTA</b> is looked for beside them, all in this folder:<br>"
             "<code>%1</code></p>"
             "<p>Started from the desktop menu, Kelvora Win works in its own folder, "
             "<code>$XDG_DATA_HOME/kelvora</code> (<code>~/.local/share/kelvora</code> when "
             "XDG_DATA_HOME is not set), made on the first start with a copy of the sample "
             "EME.DTA. Started from a terminal it works in the current folder: to use another "
             "folder, open a terminal there and run <code>kelvora</code>.</p>")
      .arg(where);
}

HelpDialog::HelpDialog(const QString& folder, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QString::fromUtf8(kHelpTitle));
  // A fixed page with only a close box: it has nothing to minimise or
  // maximise.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setFixedSize(kHelpWidth, kHelpHeight);

  auto* layout = new QVBoxLayout(this);
  auto* text = new QTextBrowser(this);
  text->setObjectName(QStringLiteral("helpText"));
  text->setOpenLinks(false);
  text->setHtml(HelpText(folder));
  layout->addWidget(text);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
}

void HelpDialog::showEvent(QShowEvent* event) {
  ApplyFixedDialogDecorations(this, /*closeBox=*/true);
  QDialog::showEvent(event);
}

}  // namespace kelvora::gui
