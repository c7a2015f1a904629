// The main window's controls at their places, their colours (red while the
// time is stepped), the data exchange and the title.
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QWindowStateChangeEvent>

#include <algorithm>
#include <optional>
#include <vector>

#include "gui_test_support.h"
#include "ui/control_colours.h"

namespace kelvora::gui::test {
namespace {

// Each text's box, as the layout table has it, at twice its dialog-unit
// rectangle (the "System" 8 font's 2 pixels a unit).
TEST_F(WindowTest, ValueBoxesFollowTheLayoutTable) {
  const auto edits = dialog->Panel()->findChildren<QLineEdit*>(Qt::FindDirectChildrenOnly);
  EXPECT_EQ(edits.size(), 20);  // the 21st text is the status line
  for (const ValueBoxLayout& layout : kValueBoxes) {
    const int id = ControlIdOf(layout.text);
    SCOPED_TRACE(id);
    QLineEdit* box = dialog->ValueBox(id);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->objectName(), QStringLiteral("edit%1").arg(id));
    EXPECT_EQ(box->parentWidget(), dialog->Panel());
    EXPECT_EQ(box->geometry(), QRect(2 * layout.rect.x, 2 * layout.rect.y, 2 * layout.rect.width,
                                     2 * layout.rect.height));
    EXPECT_EQ(box->property("multiLine").toBool(), layout.multiLine);
    EXPECT_EQ(box->hasFrame(), layout.border);
    EXPECT_EQ(box->alignment() & Qt::AlignHorizontal_Mask,
              layout.text == TextId::kHomeLocator ? Qt::AlignLeft : Qt::AlignHCenter);
    EXPECT_EQ(box->isReadOnly(), layout.text == TextId::kHomeLocator);
    EXPECT_TRUE(box->isEnabled());
  }
}

// No two value boxes overlap, every one lies in the window, none over the map.
TEST_F(WindowTest, ValueBoxesNeitherOverlapNorCoverTheMap) {
  const QRect client(0, 0, kClientWidth, kClientHeight);
  const QRect map(0, kMapTop, kMapShownWidth, kMapShownHeight);
  std::vector<QRect> seen;
  for (const ValueBoxLayout& layout : kValueBoxes) {
    const QRect box = dialog->ValueBox(ControlIdOf(layout.text))->geometry();
    SCOPED_TRACE(TextInfo(layout.text).label);
    EXPECT_TRUE(client.contains(box));
    EXPECT_FALSE(box.intersects(map));
    for (const QRect& other : seen) EXPECT_FALSE(box.intersects(other));
    seen.push_back(box);
  }
}

// A few boxes where the window has always had them.
TEST_F(WindowTest, ValueBoxSpotChecks) {
  EXPECT_EQ(dialog->ValueBox(1006)->geometry(), QRect(8, 30, 184, 24));    // clock
  EXPECT_EQ(dialog->ValueBox(1040)->geometry(), QRect(10, 6, 108, 24));    // home locator
  EXPECT_EQ(dialog->ValueBox(1099)->geometry(), QRect(260, 30, 248, 24));  // source line
  EXPECT_EQ(dialog->ValueBox(1093)->geometry(), QRect(434, 420, 74, 24));  // station-2 elevation
}

struct GroupRow {
  const char* caption;
  QRect pixels;
};

const GroupRow kGroups[] = {
    {"Moon Az.", QRect(2, 68, 98, 48)},      {"Moon El.", QRect(2, 116, 98, 50)},
    {"Declination", QRect(108, 68, 98, 48)}, {"Range", QRect(108, 116, 98, 50)},
    {"Perigee", QRect(214, 68, 102, 48)},    {"Apogee", QRect(214, 116, 102, 50)},
    {"Sun Az.", QRect(328, 68, 104, 48)},    {"Sun El.", QRect(328, 116, 104, 50)},
};

TEST_F(WindowTest, GroupBoxesAreDisabledCentredFrames) {
  const auto groups = dialog->Panel()->findChildren<QGroupBox*>();
  ASSERT_EQ(groups.size(), 8);
  for (const GroupRow& row : kGroups) {
    SCOPED_TRACE(row.caption);
    const auto found = std::find_if(groups.begin(), groups.end(), [&](QGroupBox* g) {
      return g->title() == QString::fromUtf8(row.caption);
    });
    ASSERT_NE(found, groups.end());
    EXPECT_EQ((*found)->geometry(), row.pixels);
    EXPECT_FALSE((*found)->isEnabled());
    EXPECT_EQ((*found)->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
  }
}

TEST_F(WindowTest, ClientAreaCheckBoxAndStatusLine) {
  dialog->show();
  EXPECT_EQ(dialog->Panel()->size(), QSize(510, 496));  // 255 x 248 units
  auto* menu = dialog->findChild<QMenuBar*>();
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(dialog->Panel()->y(), menu->geometry().bottom() + 1);  // below the menu bar
  EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Kelvora Win"));

  auto* box = dialog->findChild<QCheckBox*>(QStringLiteral("check1055"));
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->geometry(), QRect(434, 452, 16, 16));
  auto* text = dialog->findChild<QLabel*>(QStringLiteral("staticSkyView"));
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->text(), QStringLiteral("SkyView"));
  EXPECT_EQ(text->geometry(), QRect(450, 452, 56, 18));
  auto* status = dialog->findChild<QLabel*>(QStringLiteral("static1100"));
  ASSERT_NE(status, nullptr);
  EXPECT_EQ(status->geometry(), QRect(0, 474, 510, 20));
  EXPECT_EQ(status->frameShadow(), QFrame::Sunken);
}

TEST_F(WindowTest, TickTextsReachTheirBoxes) {
  dialog->HandleTimer(kTickTimerId);
  for (std::size_t i = 0; i < kDisplayTextTable.size(); ++i) {
    const int id = kDisplayTextTable[i].controlId;
    if (id == 1100 || id == 1099) continue;  // status line; source line comes one exchange later
    SCOPED_TRACE(id);
    EXPECT_EQ(BoxText(id).toStdString(), model.texts.text[i]);
  }
  EXPECT_EQ(BoxText(1040), QStringLiteral("Home: EL29HK"));
  EXPECT_EQ(BoxText(1092), QStringLiteral("N/A"));  // no second station
  EXPECT_EQ(BoxText(1079), QStringLiteral("None"));
  dialog->HandleTimer(kTickTimerId);
  EXPECT_TRUE(BoxText(1099).startsWith(QStringLiteral("Quiet Sky   Az: ")));
}

TEST_F(WindowTest, UnchangedTextsLeaveTheirBoxAlone) {
  dialog->HandleTimer(kTickTimerId);
  QLineEdit* locator = dialog->ValueBox(1040);
  locator->setCursorPosition(2);
  QLineEdit* clockBox = dialog->ValueBox(1006);
  clockBox->setCursorPosition(0);
  clock += 1;
  dialog->HandleTimer(kTickTimerId);
  EXPECT_EQ(locator->cursorPosition(), 2);  // same text: not written
  EXPECT_EQ(clockBox->cursorPosition(), clockBox->text().size());  // rewritten
}

TEST_F(WindowTest, TypedTextGivesWayToTheNextTick) {
  // The boxes take typing, but what the tick shows wins at the next tick.
  dialog->HandleTimer(kTickTimerId);
  const QString range = BoxText(1005);
  QTest::keyClicks(dialog->ValueBox(1005), QStringLiteral("42"));
  ASSERT_NE(BoxText(1005), range);
  dialog->HandleTimer(kTickTimerId);
  EXPECT_EQ(BoxText(1005), range);
}

// The colour table of the value boxes: grey boxes, blue station-2 figures,
// navy clock, red clock and source line while stepped.
struct ColourRow {
  const char* name;
  TextId box;
  bool stepped;
  std::optional<QColor> background;
  std::optional<QColor> text;
};

const QColor kGrey(224, 224, 224);
const QColor kNavy(0, 0, 128);
const QColor kRed(255, 64, 64);
const QColor kPaleBlue(128, 128, 255);

class ColourTableTest : public ::testing::TestWithParam<ColourRow> {};

TEST_P(ColourTableTest, MatchesTheTable) {
  const ColourRow& row = GetParam();
  const ControlColours colours = ColoursForControl(row.box, row.stepped);
  EXPECT_EQ(colours.background, row.background);
  EXPECT_EQ(colours.text, row.text);
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, ColourTableTest,
    ::testing::Values(
        ColourRow{"clock_live", TextId::kClock, false, kGrey, kNavy},
        ColourRow{"clock_stepped", TextId::kClock, true, kGrey, kRed},
        ColourRow{"source_live", TextId::kSourceLine, false, kGrey, std::nullopt},
        ColourRow{"source_stepped", TextId::kSourceLine, true, kGrey, kRed},
        ColourRow{"range_stepped_stays", TextId::kMoonRange, true, kGrey, std::nullopt},
        ColourRow{"stn2_grid_blue", TextId::kStation2Locator, false, kGrey, kPaleBlue},
        ColourRow{"polarity_on_brush", TextId::kPolarityOffset, false, kGrey, kPaleBlue},
        ColourRow{"stn2_doppler_on_brush", TextId::kStation2Doppler, true, kGrey, kPaleBlue},
        ColourRow{"moon_az_default", TextId::kMoonAzimuth, true, std::nullopt, std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WindowTest, ClockAndSourceTurnRedWhileStepped) {
  Settle();
  QLineEdit* clockBox = dialog->ValueBox(1006);
  QLineEdit* source = dialog->ValueBox(1099);
  const QColor defaultText = dialog->ValueBox(1007)->palette().color(QPalette::Text);
  EXPECT_EQ(clockBox->palette().color(QPalette::Text), kNavy);
  EXPECT_EQ(clockBox->palette().color(QPalette::Base), kGrey);
  EXPECT_EQ(source->palette().color(QPalette::Text), defaultText);

  Click(Qt::Key_D);
  EXPECT_EQ(clockBox->palette().color(QPalette::Text), kRed);
  EXPECT_EQ(source->palette().color(QPalette::Text), kRed);
  EXPECT_EQ(clockBox->palette().color(QPalette::Inactive, QPalette::Text), kRed);
  EXPECT_EQ(dialog->ValueBox(1005)->palette().color(QPalette::Text), defaultText);

  Click(Qt::Key_Escape);
  EXPECT_EQ(clockBox->palette().color(QPalette::Text), kNavy);
  EXPECT_EQ(source->palette().color(QPalette::Text), defaultText);
}

TEST_F(WindowTest, OffsetSetElsewhereTurnsRedWithTheNextTick) {
  Settle();
  model.tracking.timeOffset = -3600;  // as the panel's step buttons do
  dialog->HandleTimer(kTickTimerId);
  EXPECT_EQ(dialog->ValueBox(1006)->palette().color(QPalette::Text), kRed);
}

// The program's name while the window is shown; while it is minimised the
// moon's position, kept live by every tick.
TEST_F(WindowTest, TitleShowsTheLiveMoonWhileMinimised) {
  dialog->show();
  EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Kelvora Win"));
  const auto moonTitle = [this] {
    return QStringLiteral("Az: %1, El: %2")
        .arg(QString::fromStdString(model.texts[TextId::kMoonAzimuth]), QString::fromStdString(model.texts[TextId::kMoonElevation]));
  };
  dialog->showMinimized();
  EXPECT_EQ(dialog->windowTitle(), moonTitle());
  EXPECT_TRUE(dialog->windowTitle().contains(QStringLiteral(" deg., El: ")));
  // An hour later the title has followed the moon.
  const QString first = dialog->windowTitle();
  clock += 3600;
  dialog->HandleTimer(kTickTimerId);
  EXPECT_EQ(dialog->windowTitle(), moonTitle());
  EXPECT_NE(dialog->windowTitle(), first);
  dialog->showNormal();
  EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Kelvora Win"));
  clock += 600;
  dialog->HandleTimer(kTickTimerId);
  EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Kelvora Win"));
}

}  // namespace
}  // namespace kelvora::gui::test
