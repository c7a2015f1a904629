// The "Station2 Location" dialog: the second station by call, locator or
// position, its saved-locator handling and its painted data panel.

#include <QFile>
#include <QImage>
#include <QPushButton>
#include <QTemporaryDir>

#include <fstream>

#include "dialog_test_support.h"
#include "ui/dialogs/dialogs.h"
#include "ui/dialogs/station2_dialog.h"

namespace kelvora::gui {
namespace {

using testing::Child;
using testing::MessageRecorder;
using testing::MoveFocusTo;
using testing::ShowActive;
using testing::TypeInto;

// A directory record: the call from column 0, the locator at columns 181-186.
std::string Record(const std::string& call, const std::string& locator, std::size_t length = 249) {
  std::string line(length, ' ');
  line.replace(0, call.size(), call);
  if (length >= 187) line.replace(181, locator.size(), locator);
  return line + "\n";
}

// 2024-01-03 (a Wednesday) 12:00 as a clock value: 19725 days after
// 1970-01-01 times 86400, plus 12 hours.
constexpr std::int64_t kWednesdayNoon = 19725LL * 86400 + 12 * 3600;

class Station2DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    directoryFile = folder.filePath("EME.DTA");
    std::ofstream out(QFile::encodeName(directoryFile).toStdString());
    out << Record("W5ABC", "em12ov") << Record("W5BAD", "XX99ZZ") << Record("W5SHORT", "", 120)
        << "\\ end of directory\n" << Record("W5LATE", "FN42MM");
    model.home.latitude = 29.42;
    model.home.longitude = 95.36;
    model.home.distanceUnit = 1;
  }

  void Create() {
    dialog.reset(CreateStation2Dialog(model, directoryFile, nullptr));
    dialog->SetMessageHook(recorder.Hook());
    dialog->SetClock([] { return kWednesdayNoon; });
  }

  // What the main window's "Station&2" command does before running the dialog.
  void Open() {
    if (!dialog) Create();
    model.station2.savedLocator = model.station2.locator;
    model.station2.locator.clear();
    ShowActive(*dialog);
  }

  void SetStation(double latitude, double longitude, const char* locator) {
    model.station2.latitude = latitude;
    model.station2.longitude = longitude;
    model.station2.locator = locator;
  }

  QLineEdit* Edit(const char* name) { return Child<QLineEdit>(*dialog, name); }
  QPushButton* Button(const char* name) { return Child<QPushButton>(*dialog, name); }

  QTemporaryDir folder;
  QString directoryFile;
  TrackerModel model;
  MessageRecorder recorder;
  std::unique_ptr<Station2Dialog> dialog;
};

TEST_F(Station2DialogTest, OpeningRestoresTheParkedLocatorAndRounds) {
  SetStation(42.520833, 70.958333, "FN42MM");
  Open();
  EXPECT_EQ(dialog->windowTitle(), "Station2 Location");
  // 135 x 96 units at 1.5 and 1.625 pixels per unit: 202 x 156 pixels.
  EXPECT_EQ(dialog->size(), QSize(202, 156));
  EXPECT_FALSE(dialog->windowFlags() & Qt::WindowCloseButtonHint);
  EXPECT_EQ(QApplication::focusWidget(), Edit("edit1094"));
  EXPECT_EQ(model.station2.locator, "FN42MM");
  EXPECT_DOUBLE_EQ(model.station2.latitude, 42.52);
  EXPECT_DOUBLE_EQ(model.station2.longitude, 70.96);
  EXPECT_EQ(Edit("edit1060")->text(), "FN42MM");
  EXPECT_EQ(Edit("edit1069")->text(), "42.52");
  EXPECT_EQ(Edit("edit1070")->text(), "70.96");
  EXPECT_EQ(Edit("edit1094")->text(), "");
  EXPECT_EQ(Button("button1080")->text(), "&Delete Stn2");
  EXPECT_EQ(Button("button1096")->text(), "&Close");
}

// The local time of the station at the tracked moment, from the clock at
// Wednesday 12:00 with the home GMT offset 6: UTC 18:00.
struct LocalTimeCase {
  const char* name;
  double longitude;
  const char* text;
};

class Station2LocalTime : public Station2DialogTest,
                          public ::testing::WithParamInterface<LocalTimeCase> {};

TEST_P(Station2LocalTime, IsFormedWhenTheDialogOpens) {
  model.home.gmtOffsetHours = 6;
  SetStation(40.0, GetParam().longitude, "XX00XX");
  Open();
  EXPECT_EQ(model.station2.localTimeText, GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Zones, Station2LocalTime,
    ::testing::Values(LocalTimeCase{"zone_0_at_0_12_west", 0.12, "Wed, 06:00pm"},
                      LocalTimeCase{"zone_6_at_96_79_west", 96.79, "Wed, 12:00pm"}),
    [](const auto& info) { return std::string(info.param.name); });

// GRID entries, left by moving the focus to LAT. Centres by the subsquare
// rule, rounded to hundredths: FN42MM 42.520833, 70.958333; EL29HK 29.4375,
// 95.375; EM12OV 32.895833, 96.791667; FN42XX 42.979167, 70.041667.
struct GridCase {
  const char* name;
  const char* typed;
  const char* locator;
  double latitude;
  double longitude;
};

class Station2Grid : public Station2DialogTest, public ::testing::WithParamInterface<GridCase> {};

TEST_P(Station2Grid, SetsTheWholeStation) {
  const GridCase& c = GetParam();
  Open();
  TypeInto(Edit("edit1060"), c.typed);
  MoveFocusTo(Edit("edit1069"));
  EXPECT_TRUE(recorder.messages.empty());
  EXPECT_EQ(model.station2.locator, c.locator);
  EXPECT_EQ(Edit("edit1060")->text(), c.locator);
  EXPECT_DOUBLE_EQ(model.station2.latitude, c.latitude);
  EXPECT_DOUBLE_EQ(model.station2.longitude, c.longitude);
  EXPECT_DOUBLE_EQ(Edit("edit1069")->text().toDouble(), c.latitude);
  EXPECT_DOUBLE_EQ(Edit("edit1070")->text().toDouble(), c.longitude);
}

INSTANTIATE_TEST_SUITE_P(
    Entries, Station2Grid,
    ::testing::Values(GridCase{"fn42_gets_mm", "FN42", "FN42MM", 42.52, 70.96},
                      GridCase{"lower_case_em12ov", "em12ov", "EM12OV", 32.9, 96.79},
                      GridCase{"subsquare_zz_clamps_to_xx", "FN42ZZ", "FN42XX", 42.98, 70.04},
                      GridCase{"two_characters_become_el29hk", "FN", "EL29HK", 29.44, 95.38},
                      GridCase{"field_beyond_r_becomes_el29hk", "ZZ12AB", "EL29HK", 29.44,
                               95.38},
                      GridCase{"five_characters_become_el29hk", "FN42A", "EL29HK", 29.44,
                               95.38}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Station2DialogTest, LatitudeMovesTheStationAndItsLocator) {
  SetStation(42.52, 70.96, "FN42MM");
  Open();
  TypeInto(Edit("edit1069"), "40");
  MoveFocusTo(Edit("edit1070"));
  // a = 9 - 70.96 * 0.05 = 5.452: F, 4, M (0.52 * 24 = 12.48); b = 13.0: N, 0, A.
  EXPECT_EQ(model.station2.locator, "FN40MA");
  EXPECT_DOUBLE_EQ(model.station2.latitude, 40.0);
  EXPECT_DOUBLE_EQ(model.station2.longitude, 70.96);
  EXPECT_EQ(Edit("edit1060")->text(), "FN40MA");
}

struct RangeCase {
  const char* name;
  const char* field;
  const char* typed;
  const char* message;
};

class Station2Range : public Station2DialogTest, public ::testing::WithParamInterface<RangeCase> {};

TEST_P(Station2Range, RefusedValueLeavesTheStation) {
  const RangeCase& c = GetParam();
  SetStation(42.52, 70.96, "FN42MM");
  Open();
  TypeInto(Edit(c.field), c.typed);
  MoveFocusTo(Button("button1080"));
  ASSERT_EQ(recorder.messages.size(), 1u);
  EXPECT_EQ(recorder.messages[0].text, c.message);
  EXPECT_EQ(recorder.messages[0].caption, "Kelvora Win");
  EXPECT_EQ(QApplication::focusWidget(), Edit(c.field));
  EXPECT_EQ(Edit(c.field)->selectedText(), QString::fromLatin1(c.typed).toUpper());
  EXPECT_EQ(model.station2.locator, "FN42MM");
  EXPECT_DOUBLE_EQ(model.station2.latitude, 42.52);
  EXPECT_DOUBLE_EQ(model.station2.longitude, 70.96);
  // "&Close" pulls again and keeps the dialog open.
  QTest::mouseClick(Button("button1096"), Qt::LeftButton);
  QApplication::processEvents();
  EXPECT_TRUE(dialog->isVisible());
}

INSTANTIATE_TEST_SUITE_P(
    Fields, Station2Range,
    ::testing::Values(
        RangeCase{"latitude_95", "edit1069", "95",
                  "Please enter a number between -89.99 and 89.99."},
        RangeCase{"latitude_minus_90", "edit1069", "-90",
                  "Please enter a number between -89.99 and 89.99."},
        RangeCase{"longitude_180", "edit1070", "180",
                  "Please enter a number between -179.99 and 179.99."},
        RangeCase{"longitude_text", "edit1070", "west", "Please enter a number."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Station2DialogTest, TabbingThroughAnEmptyDialogPlacesNoStation) {
  Open();
  MoveFocusTo(Edit("edit1060"));
  MoveFocusTo(Edit("edit1069"));
  MoveFocusTo(Edit("edit1070"));
  MoveFocusTo(Button("button1080"));
  EXPECT_EQ(model.station2.locator, "");
  EXPECT_FALSE(model.station2.IsSet());
  EXPECT_EQ(Edit("edit1094")->text(), "");
}

// CALL entries against the test directory, left by moving the focus to GRID.
struct CallCase {
  const char* name;
  bool stationSet;  // FN42MM at 42.52, 70.96 beforehand
  bool directoryPresent;
  const char* typed;
  const char* callAfter;
  const char* locator;
};

class Station2Call : public Station2DialogTest, public ::testing::WithParamInterface<CallCase> {};

TEST_P(Station2Call, LooksTheLocatorUp) {
  const CallCase& c = GetParam();
  if (c.stationSet) SetStation(42.52, 70.96, "FN42MM");
  if (!c.directoryPresent) directoryFile = folder.filePath("missing/EME.DTA");
  Open();
  TypeInto(Edit("edit1094"), c.typed);
  MoveFocusTo(Edit("edit1060"));
  EXPECT_TRUE(recorder.messages.empty());
  EXPECT_EQ(Edit("edit1094")->text(), c.callAfter);
  EXPECT_EQ(model.station2.locator, c.locator);
  EXPECT_EQ(Edit("edit1060")->text(), c.locator);
}

INSTANTIATE_TEST_SUITE_P(
    Calls, Station2Call,
    ::testing::Values(
        // EM12OV's centre 32.895833, 96.791667 rounds to 32.90, 96.79.
        CallCase{"found_takes_the_record_grid", false, true, "w5abc", "W5ABC", "EM12OV"},
        CallCase{"prefix_finds_the_first_record", true, true, "W5", "W5", "EM12OV"},
        CallCase{"grid_outside_a_to_r_not_accepted", true, true, "W5BAD", "N/A", "FN42MM"},
        CallCase{"short_record_not_accepted", true, true, "W5SHORT", "N/A", "FN42MM"},
        CallCase{"after_the_backslash_line_not_found", true, true, "W5LATE", "N/A", "FN42MM"},
        CallCase{"not_found_without_a_station_clears_the_call", false, true, "K1XYZ", "", ""},
        CallCase{"missing_directory_with_a_station", true, false, "W5ABC", "N/A", "FN42MM"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Station2DialogTest, FoundCallSetsThePosition) {
  Open();
  TypeInto(Edit("edit1094"), "W5ABC");
  MoveFocusTo(Edit("edit1060"));
  EXPECT_DOUBLE_EQ(model.station2.latitude, 32.9);
  EXPECT_DOUBLE_EQ(model.station2.longitude, 96.79);
}

TEST_F(Station2DialogTest, FieldsKeepTheirTextsBetweenOpenings) {
  Open();
  TypeInto(Edit("edit1094"), "W5ABC");
  MoveFocusTo(Edit("edit1060"));
  QTest::mouseClick(Button("button1096"), Qt::LeftButton);
  ASSERT_FALSE(dialog->isVisible());
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
  EXPECT_EQ(model.station2.savedLocator, "EM12OV");

  Open();
  EXPECT_EQ(Edit("edit1094")->text(), "W5ABC");
  EXPECT_EQ(Edit("edit1060")->text(), "EM12OV");
  EXPECT_EQ(model.station2.locator, "EM12OV");

  // A click on the earth map in between makes the call stale.
  QTest::keyClick(dialog.get(), Qt::Key_Escape);
  model.station2.callReset = true;
  Open();
  EXPECT_EQ(Edit("edit1094")->text(), "");
  EXPECT_FALSE(model.station2.callReset);
}

TEST_F(Station2DialogTest, DeleteThenCloseLeavesBothLocatorsEmpty) {
  SetStation(42.52, 70.96, "FN42MM");
  Open();
  model.tracking.fullRepaintRequest = false;
  QTest::mouseClick(Button("button1080"), Qt::LeftButton);
  EXPECT_EQ(Edit("edit1060")->text(), "");
  EXPECT_EQ(Edit("edit1069")->text(), "0");
  EXPECT_EQ(Edit("edit1070")->text(), "0");
  QTest::mouseClick(Button("button1096"), Qt::LeftButton);
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(model.station2.locator, "");
  EXPECT_EQ(model.station2.savedLocator, "");
  EXPECT_FALSE(model.station2.IsSet());
  EXPECT_TRUE(model.tracking.fullRepaintRequest);
}

TEST_F(Station2DialogTest, EnterInAFieldClosesWithoutDeleting) {
  SetStation(42.52, 70.96, "FN42MM");
  Open();
  EXPECT_FALSE(Button("button1080")->isDefault());
  QTest::keyClick(Edit("edit1060"), Qt::Key_Return);
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
  EXPECT_EQ(model.station2.locator, "FN42MM");
  EXPECT_TRUE(model.station2.IsSet());
}

TEST_F(Station2DialogTest, EnterAfterTypingAGridSetsTheStation) {
  Open();
  TypeInto(Edit("edit1060"), "FN42");
  QTest::keyClick(Edit("edit1060"), Qt::Key_Return);
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(model.station2.locator, "FN42MM");
  EXPECT_DOUBLE_EQ(model.station2.latitude, 42.52);
  EXPECT_DOUBLE_EQ(model.station2.longitude, 70.96);
}

TEST_F(Station2DialogTest, EnterAfterABadLatitudeRefusesAndStays) {
  SetStation(42.52, 70.96, "FN42MM");
  Open();
  TypeInto(Edit("edit1069"), "95");
  QTest::keyClick(Edit("edit1069"), Qt::Key_Return);
  EXPECT_TRUE(dialog->isVisible());
  ASSERT_EQ(recorder.messages.size(), 1u);
  EXPECT_TRUE(recorder.messages[0].text.startsWith("Please enter a number between"));
  EXPECT_DOUBLE_EQ(model.station2.latitude, 42.52);
}

TEST_F(Station2DialogTest, EscapeParksTheLocatorAndAsksForARepaint) {
  SetStation(42.52, 70.96, "FN42MM");
  Open();
  TypeInto(Edit("edit1060"), "EM12OV");
  MoveFocusTo(Edit("edit1069"));
  model.tracking.fullRepaintRequest = false;
  QTest::keyClick(Edit("edit1069"), Qt::Key_Escape);
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(dialog->result(), QDialog::Rejected);
  EXPECT_EQ(model.station2.locator, "EM12OV");
  EXPECT_EQ(model.station2.savedLocator, "EM12OV");
  EXPECT_TRUE(model.tracking.fullRepaintRequest);
}

// Pixels of the painted panel: its frame (110, 50)-(199, 124) in black on a
// white fill, and blue values only while a locator is set.
int BluePixelsInPanel(const QImage& image) {
  int count = 0;
  for (int y = 50; y < 125; ++y) {
    for (int x = 110; x < 200; ++x) {
      const QColor c = image.pixelColor(x, y);
      if (c.blue() > 180 && c.red() < 100 && c.green() < 100) ++count;
    }
  }
  return count;
}

TEST_F(Station2DialogTest, PanelShowsValuesOnlyWithALocator) {
  SetStation(32.9, 96.79, "EM12OV");
  Open();
  QImage image = dialog->grab().toImage();
  EXPECT_EQ(image.pixelColor(110, 60), QColor(Qt::black));
  EXPECT_EQ(image.pixelColor(199, 60), QColor(Qt::black));
  EXPECT_EQ(image.pixelColor(150, 124), QColor(Qt::black));
  EXPECT_NE(image.pixelColor(200, 60), QColor(Qt::black));
  EXPECT_EQ(image.pixelColor(111, 122), QColor(Qt::white));
  EXPECT_GT(BluePixelsInPanel(image), 20);
  EXPECT_FALSE(dialog->PanelFigures().kmText.empty());

  QTest::mouseClick(Button("button1080"), Qt::LeftButton);
  image = dialog->grab().toImage();
  EXPECT_EQ(BluePixelsInPanel(image), 0);
  EXPECT_EQ(image.pixelColor(110, 60), QColor(Qt::black));
}

}  // namespace
}  // namespace kelvora::gui
