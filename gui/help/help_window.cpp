#include "help/help_window.h"

#include <QTextBrowser>
#include <QVBoxLayout>

#include <cstdlib>

#include "app/user_folder.h"
#include "app/version.h"

namespace kelvora::gui {

namespace {

constexpr int kWidth = 560;   // pixels; room for about 80 characters a line
constexpr int kHeight = 520;

QString HelpHtml(const QString& folderInUse, const QString& userFolder) {
  const QString perUser =
      userFolder.isEmpty()
          ? QStringLiteral("the folder <code>kelvora</code> under your XDG data folder "
                           "(neither XDG_DATA_HOME nor HOME is set now)")
          : QStringLiteral("<b>%1</b>").arg(userFolder.toHtmlEscaped());
  return QStringLiteral(
             "<h2>Kelvora Win %1</h2>"
             "<p>Once a second Kelvora Win shows where the moon and the sun are for your home "
             "station, the path figures and the echo Doppler, and the same for a second "
             "station. Longitudes are <b>west positive</b> everywhere: 95.36 is 95.36&deg; W, "
             "and east longitudes are negative.</p>"
             "<h3>Where your files are</h3>"
             "<p>This window works in <b>%2</b>:</p>"
             "<ul>"
             "<li><code>Dorvakin.dat</code>: your home station, written by Station &gt; "
             "Primary Stn Setup;</li>"
             "<li><code>MyData.dat</code>: a copy written by File &gt; Save;</li>"
             "<li><code>EME.DTA</code>: the EME directory searched by Station &gt; EME Dir "
             "and the second-station dialog (never written).</li>"
             "</ul>"
             "<p>Started from the desktop menu, Kelvora Win works in %3, made on first start "
             "with a copy of the sample directory. Started from a terminal it works in the "
             "current folder, so to use another folder (one that holds your own "
             "<code>EME.DTA</code>, say), open a terminal there and run <code>kelvora</code>. "
             "<code>kelvora --user-folder</code> uses the menu's folder from a terminal.</p>"
             "<h3>Keys</h3>"
             "<ul>"
             "<li><b>M T H D W O Y</b>: the clock forward a minute, ten minutes, an hour, a "
             "day, a week, 31 days, 365 days; with Shift, backward.</li>"
             "<li><b>Up arrow</b>: to the next moonrise or moonset (with Ctrl at the home "
             "station); <b>Esc</b>: back to live time.</li>"
             "<li><b>Ctrl+S</b> moon or sun view, <b>Ctrl+V</b> earth or sky map, "
             "<b>Ctrl+K</b> miles or kilometres, <b>Alt+X</b> end.</li>"
             "</ul>"
             "<h3>In a terminal</h3>"
             "<p><code>kelvora-cli</code> gives the same figures as text or JSON. "
             "<code>man kelvora</code> and <code>man kelvora-cli</code> tell more.</p>")
      .arg(QString::fromUtf8(kVersion), folderInUse.toHtmlEscaped(), perUser);
}

}  // namespace

HelpWindow::HelpWindow(const QString& folderInUse, const QString& userFolder, QWidget* parent)
    : QDialog(parent), browser_(new QTextBrowser(this)) {
  setWindowTitle(QStringLiteral("Kelvora Win Help"));
  browser_->setOpenLinks(false);
  browser_->setHtml(HelpHtml(folderInUse, userFolder));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(browser_);
  resize(kWidth, kHeight);
}

QString HelpWindow::Text() const { return browser_->toPlainText(); }

HelpWindow* ShowHelp(QWidget* owner, const QString& folderInUse) {
  auto* window = owner->findChild<HelpWindow*>(QString(), Qt::FindDirectChildrenOnly);
  if (window == nullptr) {
    const auto userFolder = UserDataFolder(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
    window = new HelpWindow(folderInUse,
                            userFolder ? QString::fromStdString(userFolder->string()) : QString(),
                            owner);
  }
  window->show();
  window->raise();
  window->activateWindow();
  return window;
}

}  // namespace kelvora::gui
