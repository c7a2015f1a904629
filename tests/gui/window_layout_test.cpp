// The main window's controls at their places, their colours (red while the
// time is stepped), the data exchange and the title.
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QWindowStateChangeEvent>

#include <optional>

#include <algorithm>

#include "gui_test_support.h"
#include "ui/control_colours.h"

namespace kelvora::gui::test {
namespace {

// Each value box at twice its dialog-unit rectangle (the "System" 8 font's
// 2 pixels a unit), with its border and alignment.
struct BoxRow {
  int id;
  QRect pixels;
  bool multiLine;
  bool border;
  Qt::Alignment horizontal;
};

const BoxRow kBoxes[] = {
    {1006, QRect(8, 30, 184, 24), true, true, Qt::AlignHCenter},
    {1007, QRect(8, 88, 88, 24), true, true, Qt::AlignHCenter},
    {1002, QRect(10, 136, 86, 24), true, true, Qt::AlignHCenter},
    {1004, QRect(112, 88, 90, 24), true, true, Qt::AlignHCenter},
    {1005, QRect(112, 136, 90, 24), true, true, Qt::AlignHCenter},
    {1021, QRect(220, 88, 94, 24), true, true, Qt::AlignHCenter},
    {1022, QRect(220, 136, 92, 24), true, true, Qt::AlignHCenter},
    {1028, QRect(334, 88, 90, 24), true, false, Qt::AlignHCenter},
    {1029, QRect(332, 136, 94, 24), true, true, Qt::AlignHCenter},
    {1040, QRect(10, 6, 108, 24), false, false, Qt::AlignLeft},
    {1099, QRect(260, 30, 248, 24), false, true, Qt::AlignHCenter},
    {1074, QRect(434, 88, 74, 24), true, true, Qt::AlignHCenter},
    {1075, QRect(436, 130, 74, 24), true, true, Qt::AlignHCenter},
    {1076, QRect(436, 172, 74, 24), true, true, Qt::AlignHCenter},
    {1097, QRect(434, 212, 74, 24), false, true, Qt::AlignHCenter},
    {1114, QRect(434, 252, 74, 24), false, true, Qt::AlignHCenter},
    {1079, QRect(434, 292, 74, 24), true, false, Qt::AlignHCenter},
    {1077, QRect(434, 332, 74, 24), true, true, Qt::AlignHCenter},
    {1092, QRect(434, 376, 74, 24), false, true, Qt::AlignHCenter},
    {1093, QRect(434, 420, 74, 24), false, true, Qt::AlignHCenter},
};

TEST_F(WindowTest, ValueBoxesSitAtTheirTemplateRectangles) {
  const auto edits = dialog->Panel()->findChildren<QLineEdit*>(Qt::FindDirectChildrenOnly);
  EXPECT_EQ(edits.size(), 20);  // the 21st text is the status line
  for (const BoxRow& row : kBoxes) {
    SCOPED_TRACE(row.id);
    QLineEdit* box = dialog->ValueBox(row.id);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->objectName(), QStringLiteral("edit%1").arg(row.id));
    EXPECT_EQ(box->parentWidget(), dialog->Panel());
    EXPECT_EQ(box->geometry(), row.pixels);
    EXPECT_EQ(box->property("multiLine").toBool(), row.multiLine);
    EXPECT_EQ(box->hasFrame(), row.border);
    EXPECT_EQ(box->alignment() & Qt::AlignHorizontal_Mask, row.horizontal);
    EXPECT_EQ(box->isReadOnly(), row.id == 1040);
    EXPECT_TRUE(box->isEnabled());
  }
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
  for (std::size_t i = 0; i < kDisplayControlIds.size(); ++i) {
    const int id = kDisplayControlIds[i];
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
  int id;
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
  const ControlColours colours = ColoursForControl(row.id, row.stepped);
  EXPECT_EQ(colours.background, row.background);
  EXPECT_EQ(colours.text, row.text);
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, ColourTableTest,
    ::testing::Values(ColourRow{"clock_live", 1006, false, kGrey, kNavy},
                      ColourRow{"clock_stepped", 1006, true, kGrey, kRed},
                      ColourRow{"source_live", 1099, false, kGrey, std::nullopt},
                      ColourRow{"source_stepped", 1099, true, kGrey, kRed},
                      ColourRow{"range_stepped_stays", 1005, true, kGrey, std::nullopt},
                      ColourRow{"stn2_grid_blue", 1079, false, kGrey, kPaleBlue},
                      ColourRow{"polarity_on_brush", 1077, false, kGrey, kPaleBlue},
                      ColourRow{"stn2_doppler_on_brush", 1114, true, kGrey, kPaleBlue},
                      ColourRow{"moon_az_default", 1007, true, std::nullopt, std::nullopt}),
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
        .arg(QString::fromStdString(model.texts[1]), QString::fromStdString(model.texts[5]));
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
