// The main window's menu: its items, check marks, the view and map commands,
// the source marks, File > Save, About and the end of the window.
#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTimer>

#include <algorithm>
#include <cstring>

#include "gui_test_support.h"
#include "app/version.h"
#include "astro/sources.h"
#include "tick/commands.h"
#include "ui/about_dialog.h"

namespace kelvora::gui::test {
namespace {

struct MenuItemRow {
  int id;
  const char* text;
  bool checkedAtStart;
};

// Every command of the menu outside the source submenu, with its text; only
// the moon view and the earth map are checked before the first tick.
constexpr MenuItemRow kMenuItems[] = {
    {32771, "&Primary Stn Setup", false},
    {32772, "S&ave", false},
    {32776, "E&xit", false},
    {32778, "&EME Dir", false},
    {32779, "Station&2", false},
    {32793, "From &Moon", true},
    {32794, "From &Sun", false},
    {32795, "S&ky Map", false},
    {32797, "&Earth Map", true},
    {57670, "&Help", false},
    {32775, "&About", false},
};

TEST_F(WindowTest, MenuHoldsEveryCommandWithItsTextAndStartingMark) {
  const auto actions = dialog->findChildren<QAction*>();
  for (const MenuItemRow& row : kMenuItems) {
    SCOPED_TRACE(row.id);
    QAction* action = dialog->ActionFor(row.id);
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->data().toInt(), row.id);
    EXPECT_EQ(action->text(), QString::fromUtf8(row.text));
    EXPECT_EQ(action->isChecked(), row.checkedAtStart);
    EXPECT_FALSE(action->associatedObjects().isEmpty());  // it is in a menu
  }
  const QList<QMenu*> sources = dialog->findChild<QMenuBar*>()->findChildren<QMenu*>();
  const auto submenu = std::find_if(sources.begin(), sources.end(), [](QMenu* menu) {
    return menu->title() == QStringLiteral("&Track another star");
  });
  ASSERT_NE(submenu, sources.end());
  // The submenu is the source catalogue, in its order, with its texts.
  const QList<QAction*> items = (*submenu)->actions();
  ASSERT_EQ(items.size(), static_cast<qsizetype>(RadioSources().size()));
  for (std::size_t i = 0; i < RadioSources().size(); ++i) {
    const RadioSource& source = RadioSources()[i];
    QAction* item = items[static_cast<qsizetype>(i)];
    EXPECT_EQ(item, dialog->ActionFor(source.commandId));
    EXPECT_EQ(item->text(), QString::fromUtf8(source.menuText));
    EXPECT_TRUE(item->isCheckable());
    EXPECT_FALSE(item->isChecked());
  }
}

// Every source's command is an item of the menu, and choosing it puts the
// mark on it alone (the user star through its dialog).
TEST_F(WindowTest, ChoosingEachSourceChecksOnlyIt) {
  Settle();
  for (const RadioSource& chosen : RadioSources()) {
    SCOPED_TRACE(chosen.menuText);
    ASSERT_NE(dialog->ActionFor(chosen.commandId), nullptr);
    if (chosen.code == kSourceUserStar) {
      QTimer::singleShot(0, [] {
        if (QWidget* shown = QApplication::activeModalWidget()) shown->close();
      });
    }
    dialog->ActionFor(chosen.commandId)->trigger();
    for (const RadioSource& source : RadioSources()) {
      EXPECT_EQ(IsChecked(source.commandId), source.commandId == chosen.commandId)
          << source.menuText;
    }
  }
}

TEST_F(WindowTest, FirstTickChecksQuietSky) {
  dialog->HandleTimer(kTickTimerId);
  EXPECT_TRUE(IsChecked(kCmdQuietSky));
  for (const int other : {kCmdCassiopeiaA, kCmdCentaurusA, kCmdCygnusA, kCmdGalacticCentre,
                          kCmdTaurusA, kCmdOtherStar}) {
    EXPECT_FALSE(IsChecked(other)) << other;
  }
}

TEST_F(WindowTest, SourceCommandMovesTheMarkAndTheLine) {
  Settle();
  dialog->RunCommand(kCmdCygnusA);
  EXPECT_EQ(model.tracking.trackedSource, 4);
  EXPECT_TRUE(IsChecked(kCmdCygnusA));
  EXPECT_FALSE(IsChecked(kCmdQuietSky));
  dialog->HandleTimer(kTickTimerId);
  EXPECT_TRUE(BoxText(1099).startsWith(QStringLiteral("Cygnus A   Az: "))) << BoxText(1099).toStdString();
  dialog->RunCommand(kCmdTaurusA);
  dialog->HandleTimer(kTickTimerId);
  dialog->HandleTimer(kTickTimerId);
  EXPECT_EQ(BoxText(1099), QStringLiteral("Not Available"));
  EXPECT_TRUE(IsChecked(kCmdTaurusA));
  EXPECT_FALSE(IsChecked(kCmdCygnusA));
}

TEST_F(WindowTest, SkyMapTwiceRepaintsOnce) {
  Settle();
  auto* box = dialog->findChild<QCheckBox*>(QStringLiteral("check1055"));
  const PixelRect mapRect = kMapRepaintRect;
  dialog->ActionFor(kCmdSkyMap)->trigger();
  dialog->ActionFor(kCmdSkyMap)->trigger();
  EXPECT_EQ(CountInvalidations(mapRect), 1);
  EXPECT_EQ(model.view.mapBitmap, kSkyMapBitmap);
  EXPECT_TRUE(box->isChecked());
  // Choosing a checked item keeps it checked.
  EXPECT_TRUE(IsChecked(kCmdSkyMap));
  EXPECT_FALSE(IsChecked(kCmdEarthMap));

  dialog->ActionFor(kCmdEarthMap)->trigger();
  EXPECT_EQ(CountInvalidations(mapRect), 2);
  EXPECT_EQ(model.view.mapBitmap, kEarthMapBitmap);
  EXPECT_FALSE(model.view.skyMap);
  EXPECT_FALSE(box->isChecked());
  EXPECT_TRUE(IsChecked(kCmdEarthMap));
  EXPECT_FALSE(IsChecked(kCmdSkyMap));
}

TEST_F(WindowTest, EarthMapWhileShownChangesNothing) {
  Settle();
  dialog->ActionFor(kCmdEarthMap)->trigger();
  EXPECT_TRUE(dialog->Invalidations().empty());
  EXPECT_TRUE(IsChecked(kCmdEarthMap));
}

TEST_F(WindowTest, SunViewTwiceRecomputesOnce) {
  Settle();
  const PixelRect viewRect{1, 167, 430, 475};
  dialog->ActionFor(kCmdFromSun)->trigger();
  EXPECT_TRUE(model.view.sunView);
  EXPECT_TRUE(model.view.sunViewRefresh);
  dialog->HandleTimer(kTickTimerId);  // rebuilds the sun's outline once
  EXPECT_FALSE(model.view.sunViewRefresh);
  dialog->ActionFor(kCmdFromSun)->trigger();
  EXPECT_FALSE(model.view.sunViewRefresh);
  EXPECT_EQ(CountInvalidations(viewRect), 1);
  EXPECT_TRUE(IsChecked(kCmdFromSun));
  EXPECT_FALSE(IsChecked(kCmdFromMoon));

  dialog->ActionFor(kCmdFromMoon)->trigger();
  EXPECT_FALSE(model.view.sunView);
  EXPECT_TRUE(model.view.moonViewRefresh);
  EXPECT_EQ(CountInvalidations(viewRect), 2);
  EXPECT_TRUE(IsChecked(kCmdFromMoon));
  EXPECT_FALSE(IsChecked(kCmdFromSun));
}

TEST_F(WindowTest, SkyViewBoxTogglesTheMap) {
  Settle();
  dialog->show();
  auto* box = dialog->findChild<QCheckBox*>(QStringLiteral("check1055"));
  QTest::mouseClick(box, Qt::LeftButton);
  EXPECT_TRUE(model.view.skyMap);
  EXPECT_TRUE(box->isChecked());
  EXPECT_TRUE(IsChecked(kCmdSkyMap));
  EXPECT_FALSE(IsChecked(kCmdEarthMap));
  QTest::mouseClick(box, Qt::LeftButton);
  EXPECT_FALSE(model.view.skyMap);
  EXPECT_FALSE(box->isChecked());
  EXPECT_TRUE(IsChecked(kCmdEarthMap));
  EXPECT_EQ(CountInvalidations(PixelRect{0, 165, 431, 475}), 2);
}

TEST_F(WindowTest, SaveWritesTheRecordOfTheDefaults) {
  // First start with no settings file: 29.42 N, 95.36 W, GMT offset and
  // unit 0.0 in the record.
  dialog->RunCommand(kCmdSave);
  EXPECT_TRUE(messages.empty());
  QFile copy(folder.filePath(QStringLiteral("MyData.dat")));
  ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
  const QByteArray bytes = copy.readAll();
  ASSERT_EQ(bytes.size(), 32);
  double fields[4];
  std::memcpy(fields, bytes.constData(), sizeof fields);
  EXPECT_EQ(fields[0], 29.42);
  EXPECT_EQ(fields[1], 95.36);
  EXPECT_EQ(fields[2], 0.0);
  EXPECT_EQ(fields[3], 0.0);
}

TEST_F(WindowTest, FailedSaveShowsItsMessage) {
  // A settings "folder" below a plain file cannot hold the copy.
  QFile blocker(folder.filePath(QStringLiteral("plain")));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  TrackerDialogOptions options;
  options.clock = [this] { return clock; };
  options.settingsFolder = folder.filePath(QStringLiteral("plain/below"));
  options.startTimers = false;
  options.recordInvalidations = true;
  options.showMessage = [this](const QString& text) { messages.push_back(text); };
  TrackerDialog window(model, std::move(options));
  window.RunCommand(kCmdSave);
  ASSERT_EQ(messages.size(), 1U);
  EXPECT_FALSE(messages.front().isEmpty());
}

TEST_F(WindowTest, TimersRunAtTheirPeriodsAndStopWithTheWindow) {
  MakeWindow(true);
  EXPECT_TRUE(messages.empty());  // no "cannot install timer"
  ASSERT_TRUE(dialog->TickTimer()->isActive());
  EXPECT_EQ(dialog->TickTimer()->interval(), 1000);
  ASSERT_TRUE(dialog->StatusTimer()->isActive());
  EXPECT_EQ(dialog->StatusTimer()->interval(), 5000);
  EXPECT_FALSE(dialog->StepTimer()->isActive());
  dialog->show();
  dialog->close();  // the window's close button
  EXPECT_EQ(dialog->result(), QDialog::Rejected);
  EXPECT_FALSE(dialog->TickTimer()->isActive());
  EXPECT_FALSE(dialog->StatusTimer()->isActive());
}

TEST_F(WindowTest, ExitEndsAsOkAndSavesNothing) {
  MakeWindow(true);
  QSignalSpy finished(dialog.get(), &QDialog::finished);
  dialog->ActionFor(kCmdExit)->trigger();
  ASSERT_EQ(finished.count(), 1);
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
  EXPECT_FALSE(dialog->TickTimer()->isActive());
  dialog.reset();
  EXPECT_TRUE(QDir(folder.path()).entryList(QDir::Files).isEmpty());
}

TEST_F(WindowTest, TickTimerTicksTheWindow) {
  MakeWindow(true);
  QSignalSpy ticked(dialog->TickTimer(), &QTimer::timeout);
  ASSERT_TRUE(ticked.wait(3000));
  EXPECT_EQ(BoxText(1006), QStringLiteral("Mon Jan 15 12:00:00 2024"));
  EXPECT_EQ(BoxText(1040), QStringLiteral("Home: EL29HK"));
}

TEST_F(WindowTest, StatusTimerAlternatesTheStatusLine) {
  auto* status = dialog->findChild<QLabel*>(QStringLiteral("static1100"));
  ASSERT_NE(status, nullptr);
  dialog->HandleTimer(kStatusTimerId);
  EXPECT_EQ(status->text(), QStringLiteral("  "));
  dialog->HandleTimer(kStatusTimerId);
  EXPECT_EQ(status->text(), QStringLiteral(" "));
  EXPECT_TRUE(BoxText(1006).isEmpty());  // the status timer reads no clock
}

TEST_F(WindowTest, NoTickStartsInsideATick) {
  // Something that reacts to a box's new text by asking for a tick (as a
  // slot might) is turned away while the tick that wrote the text runs.
  QObject::connect(dialog->ValueBox(1006), &QLineEdit::textChanged, dialog.get(),
                   [this] { dialog->HandleTimer(kStatusTimerId); });
  dialog->HandleTimer(kTickTimerId);
  EXPECT_EQ(model.tracking.statusCounter, 0);
  dialog->ValueBox(1006)->setText(QStringLiteral("typed"));  // outside a tick: runs
  EXPECT_EQ(model.tracking.statusCounter, 1);
}

TEST_F(WindowTest, AboutBoxFromTheMenu) {
  QString title;
  QString author;
  QString release;
  bool releaseFits = false;
  QSize size;
  QTimer::singleShot(0, [&] {
    auto* about = qobject_cast<AboutDialog*>(QApplication::activeModalWidget());
    if (about == nullptr) return;
    title = about->windowTitle();
    author = about->findChild<QLabel*>(QStringLiteral("aboutAuthor"))->text();
    const QLabel* releaseLabel = about->findChild<QLabel*>(QStringLiteral("aboutRelease"));
    release = releaseLabel->text();
    releaseFits = releaseLabel->width() >= releaseLabel->fontMetrics().horizontalAdvance(release);
    size = about->size();
    about->reject();
  });
  dialog->ActionFor(kCmdAbout)->trigger();
  EXPECT_EQ(title, QStringLiteral("Kelvora Win Beta Ver 1.10"));
  EXPECT_FALSE(author.isEmpty());
  // The one package version, as --version prints it.
  EXPECT_EQ(release, QStringLiteral("   Release version ") + QString::fromUtf8(kVersion));
  EXPECT_TRUE(releaseFits);
  // 153 x 31 dialog units at 1.5 and 1.625 pixels a unit.
  EXPECT_EQ(size, QSize(229, 50));
}

// The commands that open a dialog of their own, with its title.
struct DialogCommandRow {
  const char* name;
  int command;
  const char* title;
};

class DialogCommandTest : public WindowTest, public ::testing::WithParamInterface<DialogCommandRow> {};

TEST_P(DialogCommandTest, OpensItsDialogModally) {
  const DialogCommandRow& row = GetParam();
  QString title;
  bool modal = false;
  QTimer::singleShot(0, [&] {
    QWidget* shown = QApplication::activeModalWidget();
    if (shown == nullptr || shown == dialog.get()) return;
    title = shown->windowTitle();
    modal = shown->isModal();
    shown->close();
  });
  dialog->RunCommand(row.command);
  EXPECT_EQ(title, QString::fromUtf8(row.title));
  EXPECT_TRUE(modal);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, DialogCommandTest,
    ::testing::Values(DialogCommandRow{"primary_setup", kCmdPrimarySetup, "Setup Data"},
                      DialogCommandRow{"eme_dir", kCmdEmeDir, "Search  EME Dir"},
                      DialogCommandRow{"other_star", kCmdOtherStar, "Enter Star Data"},
                      DialogCommandRow{"station2", kCmdStation2, "Station2 Location"},
                      DialogCommandRow{"about", kCmdAbout, "Kelvora Win Beta Ver 1.10"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WindowTest, OtherStarTakesTheMarkAfterItsDialog) {
  Settle();
  QTimer::singleShot(0, [] {
    if (QWidget* shown = QApplication::activeModalWidget()) shown->close();
  });
  dialog->RunCommand(kCmdOtherStar);
  EXPECT_TRUE(IsChecked(kCmdOtherStar));
  EXPECT_FALSE(IsChecked(kCmdQuietSky));
}

TEST_F(WindowTest, Station2CommandKeepsTheLocatorAside) {
  // Checked without running the dialog: the steps before it opens.
  model.station2.locator = "JO65HP";
  Settle();
  QTimer::singleShot(0, [] {
    if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
  });
  dialog->RunCommand(kCmdStation2);
  EXPECT_EQ(model.station2.savedLocator, "JO65HP");
  EXPECT_EQ(CountInvalidations(kStation2RepaintRect), 1);
}

}  // namespace
}  // namespace kelvora::gui::test
