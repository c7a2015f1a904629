// The "Setup Data" dialog: fields acting on losing the focus, the unit
// buttons, the number exchange and "&Save and  Exit".

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

#include <array>
#include <cstring>
#include <fstream>

#include "dialog_test_support.h"
#include "ui/dialog_units.h"
#include "ui/dialogs/setup_dialog.h"

namespace kelvora::gui {
namespace {

using testing::Child;
using testing::MessageRecorder;
using testing::MoveFocusTo;
using testing::ShowActive;
using testing::TypeInto;

// The program's first-start home station: 29.42 N, 95.36 W, EL29HK.
TrackerModel FirstStartModel() {
  TrackerModel model;
  model.home.latitude = 29.42;
  model.home.longitude = 95.36;
  model.home.locator = "EL29HK";
  model.home.gmtOffsetHours = 0;
  model.home.distanceUnit = 1;
  model.settings = {29.42, 95.36, 0.0, 0.0};
  return model;
}

std::array<double, 4> ReadRecord(const QString& file) {
  std::array<double, 4> values{};
  std::ifstream in(QFile::encodeName(file).toStdString(), std::ios::binary);
  char bytes[32];
  in.read(bytes, sizeof bytes);
  EXPECT_EQ(in.gcount(), 32);
  std::memcpy(values.data(), bytes, sizeof bytes);  // little-endian host, as the file
  return values;
}

class SetupDialogTest : public ::testing::Test {
 protected:
  void Open() {
    dialog = std::make_unique<SetupDialog>(model, folder.path());
    dialog->SetMessageHook(recorder.Hook());
    ShowActive(*dialog);
  }
  QLineEdit* Edit(const char* name) { return Child<QLineEdit>(*dialog, name); }

  QTemporaryDir folder;
  TrackerModel model = FirstStartModel();
  MessageRecorder recorder;
  std::unique_ptr<SetupDialog> dialog;
};

TEST_F(SetupDialogTest, TemplateTextsSizeAndTabOrder) {
  Open();
  EXPECT_EQ(dialog->windowTitle(), "Setup Data");
  // 107 x 111 units at 1.5 and 1.625 pixels per unit: 160 x 180 pixels.
  EXPECT_EQ(dialog->size(), QSize(160, 180));
  EXPECT_EQ(Child<QPushButton>(*dialog, "button1068")->text(), "&Save and  Exit");
  EXPECT_TRUE(Child<QPushButton>(*dialog, "button1068")->isDefault());
  EXPECT_EQ(Child<QRadioButton>(*dialog, "radio1112")->text(), "Show dist. in Miles");
  EXPECT_EQ(Child<QRadioButton>(*dialog, "radio1113")->text(), "Show dist. in Km.");
  QStringList labels;
  for (auto* label : dialog->findChildren<QLabel*>()) labels << label->text();
  EXPECT_THAT(labels, ::testing::UnorderedElementsAre("Latitude:", "Longitude:", "GMT Offset:",
                                                      "Grid:"));
  // The focus starts in Latitude and Tab follows the template's order.
  EXPECT_EQ(QApplication::focusWidget(), Edit("edit1000"));
  const std::array<const char*, 7> order = {"edit1000", "edit1001", "edit1008", "edit1040",
                                            "radio1112", "radio1113", "button1068"};
  QWidget* widget = Edit("edit1000");
  for (std::size_t i = 1; i < order.size(); ++i) {
    do {
      widget = widget->nextInFocusChain();
    } while ((widget->focusPolicy() & Qt::TabFocus) == 0);
    EXPECT_EQ(widget->objectName(), QString::fromLatin1(order[i])) << "after " << order[i - 1];
  }
}

TEST_F(SetupDialogTest, OpensWithTheHomeStation) {
  model.home.gmtOffsetHours = -5;
  Open();
  EXPECT_EQ(Edit("edit1000")->text(), "29.42");
  EXPECT_EQ(Edit("edit1001")->text(), "95.36");
  EXPECT_EQ(Edit("edit1008")->text(), "-5");
  EXPECT_EQ(Edit("edit1040")->text(), "EL29HK");
}

struct UnitCase {
  const char* name;
  int distanceUnit;
  bool miles;
  bool km;
};

class SetupUnitButtons : public SetupDialogTest,
                         public ::testing::WithParamInterface<UnitCase> {};

TEST_P(SetupUnitButtons, FollowTheDistanceUnit) {
  model.home.distanceUnit = GetParam().distanceUnit;
  Open();
  EXPECT_EQ(Child<QRadioButton>(*dialog, "radio1112")->isChecked(), GetParam().miles);
  EXPECT_EQ(Child<QRadioButton>(*dialog, "radio1113")->isChecked(), GetParam().km);
}

INSTANTIATE_TEST_SUITE_P(
    Units, SetupUnitButtons,
    ::testing::Values(UnitCase{"miles", 1, true, false}, UnitCase{"kilometres", 0, false, true},
                      UnitCase{"damaged_file_selects_neither", 7, false, false}),
    [](const auto& info) { return std::string(info.param.name); });

// Each row types into one field and moves the focus to "Show dist. in Miles".
// Expected figures: locators by the subsquare-centre rule, rounded to
// hundredths (FN55MM centre 45.520833, 68.958333; FN42MM 42.520833, 70.958333).
struct KillFocusCase {
  const char* name;
  double homeLatitude;
  double homeLongitude;
  const char* field;
  const char* typed;
  double latitude;
  double longitude;
  const char* locator;
  const char* latitudeText;
  const char* longitudeText;
};

class SetupKillFocus : public SetupDialogTest,
                       public ::testing::WithParamInterface<KillFocusCase> {};

TEST_P(SetupKillFocus, UpdatesHomeRecordAndFields) {
  const KillFocusCase& c = GetParam();
  model.home.latitude = c.homeLatitude;
  model.home.longitude = c.homeLongitude;
  model.settings.latitude = c.homeLatitude;
  model.settings.longitude = c.homeLongitude;
  Open();
  TypeInto(Edit(c.field), c.typed);
  MoveFocusTo(Child<QWidget>(*dialog, "radio1112"));
  EXPECT_TRUE(recorder.messages.empty());
  EXPECT_EQ(model.home.locator, c.locator);
  EXPECT_EQ(Edit("edit1040")->text(), c.locator);
  EXPECT_DOUBLE_EQ(model.home.latitude, c.latitude);
  EXPECT_DOUBLE_EQ(model.home.longitude, c.longitude);
  EXPECT_DOUBLE_EQ(model.settings.latitude, c.latitude);
  EXPECT_DOUBLE_EQ(model.settings.longitude, c.longitude);
  EXPECT_EQ(Edit("edit1000")->text(), c.latitudeText);
  EXPECT_EQ(Edit("edit1001")->text(), c.longitudeText);
  // The start-up copy the sun uses is never touched here.
  EXPECT_DOUBLE_EQ(model.home.sunLatitude, 0.0);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, SetupKillFocus,
    ::testing::Values(
        KillFocusCase{"latitude_32_9_with_longitude_96_8_shows_em12ov", 29.42, 96.8, "edit1000",
                      "32.9", 32.9, 96.8, "EM12OV", "32.9", "96.8"},
        KillFocusCase{"longitude_96_8_with_latitude_32_9_shows_em12ov", 32.9, 95.36, "edit1001",
                      "96.8", 32.9, 96.8, "EM12OV", "32.9", "96.8"},
        KillFocusCase{"grid_fn_completes_to_fn55mm", 29.42, 95.36, "edit1040", "FN", 45.52,
                      68.96, "FN55MM", "45.52", "68.96"},
        KillFocusCase{"grid_fn42_completes_to_fn42mm", 29.42, 95.36, "edit1040", "FN42", 42.52,
                      70.96, "FN42MM", "42.52", "70.96"},
        KillFocusCase{"lower_case_grid_is_upper_cased", 29.42, 95.36, "edit1040", "fn42", 42.52,
                      70.96, "FN42MM", "42.52", "70.96"},
        // A decimal comma is read as the point and shown back with a point.
        KillFocusCase{"latitude_with_decimal_comma", 29.42, 96.8, "edit1000", "32,9", 32.9,
                      96.8, "EM12OV", "32.9", "96.8"}),
    [](const auto& info) { return std::string(info.param.name); });

// Enter in a field runs that field's step, then does all that "&Save and
// Exit" does: the home (the sun's observer too) and the GMT offset taken
// over and the file written. A bad value or one past the limits the file is
// read with is refused and the dialog stays open, writing nothing.
struct EnterCase {
  const char* name;
  const char* field;
  const char* typed;
  bool closes;
  double latitude;
  int gmtOffset;
  const char* locator;
  const char* message;
};

class SetupEnter : public SetupDialogTest, public ::testing::WithParamInterface<EnterCase> {};

TEST_P(SetupEnter, DoesWhatSaveAndExitDoes) {
  const EnterCase& c = GetParam();
  Open();
  TypeInto(Edit(c.field), c.typed);
  QTest::keyClick(Edit(c.field), Qt::Key_Return);
  EXPECT_EQ(dialog->isVisible(), !c.closes);
  EXPECT_EQ(model.home.locator, c.locator);
  if (*c.message == '\0') {
    EXPECT_TRUE(recorder.messages.empty());
  } else {
    ASSERT_EQ(recorder.messages.size(), 1u);
    EXPECT_EQ(recorder.messages[0].text, c.message);
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == Edit(c.field); }));
  }
  EXPECT_EQ(QFile::exists(folder.filePath("Dorvakin.dat")), c.closes);
  if (!c.closes) return;
  EXPECT_DOUBLE_EQ(model.home.latitude, c.latitude);
  EXPECT_DOUBLE_EQ(model.home.sunLatitude, c.latitude);
  EXPECT_EQ(model.home.gmtOffsetHours, c.gmtOffset);
  const auto record = ReadRecord(folder.filePath("Dorvakin.dat"));
  EXPECT_DOUBLE_EQ(record[0], c.latitude);
  EXPECT_DOUBLE_EQ(record[2], c.gmtOffset);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, SetupEnter,
    ::testing::Values(
        EnterCase{"latitude_40_saved", "edit1000", "40", true, 40.0, 0, "EN20HA", ""},
        EnterCase{"grid_fn42_saved", "edit1040", "FN42", true, 42.52, 0, "FN42MM", ""},
        EnterCase{"gmt_offset_6_saved", "edit1008", "6", true, 29.42, 6, "EL29HK", ""},
        EnterCase{"gmt_offset_limit_saved", "edit1008", "-14", true, 29.42, -14, "EL29HK", ""},
        EnterCase{"bad_latitude_refused_and_stays", "edit1000", "north", false, 0, 0, "EL29HK",
                  "Please enter a number."},
        EnterCase{"latitude_95_refused", "edit1000", "95", false, 0, 0, "EL29HK",
                  "Please enter a number between -90 and 90."},
        EnterCase{"longitude_181_refused", "edit1001", "-181", false, 0, 0, "EL29HK",
                  "Please enter a number between -180 and 180."},
        EnterCase{"gmt_offset_20_refused", "edit1008", "20", false, 0, 0, "EL29HK",
                  "Please enter an integer between -14 and 14."}),
    [](const auto& info) { return std::string(info.param.name); });

// Leaving without saving, by Escape or by the close box, changes nothing:
// not the position the fields moved, nor the unit, nor the record.
class SetupLeave : public SetupDialogTest, public ::testing::WithParamInterface<bool> {};

TEST_P(SetupLeave, PutsEverythingBack) {
  const HomeStation home = model.home;
  const StationSettings settings = model.settings;
  Open();
  TypeInto(Edit("edit1000"), "52.5");
  TypeInto(Edit("edit1001"), "-13.4");
  TypeInto(Edit("edit1008"), "-1");
  QTest::mouseClick(Child<QRadioButton>(*dialog, "radio1113"), Qt::LeftButton);
  ASSERT_DOUBLE_EQ(model.home.latitude, 52.5);  // the window follows the fields meanwhile
  if (GetParam()) {
    QTest::keyClick(Child<QRadioButton>(*dialog, "radio1113"), Qt::Key_Escape);
  } else {
    dialog->close();
  }
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(model.home.latitude, home.latitude);
  EXPECT_EQ(model.home.longitude, home.longitude);
  EXPECT_EQ(model.home.locator, home.locator);
  EXPECT_EQ(model.home.gmtOffsetHours, home.gmtOffsetHours);
  EXPECT_EQ(model.home.distanceUnit, home.distanceUnit);
  EXPECT_EQ(model.settings.latitude, settings.latitude);
  EXPECT_EQ(model.settings.longitude, settings.longitude);
  EXPECT_FALSE(QFile::exists(folder.filePath("Dorvakin.dat")));
}

INSTANTIATE_TEST_SUITE_P(Ways, SetupLeave, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "escape" : "close_box"; });

TEST_F(SetupDialogTest, FieldsUpperCaseAsTyped) {
  Open();
  TypeInto(Edit("edit1040"), "em12ov");
  EXPECT_EQ(Edit("edit1040")->text(), "EM12OV");
  EXPECT_EQ(Edit("edit1040")->cursorPosition(), 6);
  TypeInto(Edit("edit1040"), "abcdefgh");  // the grid holds six characters
  EXPECT_EQ(Edit("edit1040")->text(), "ABCDEF");
}

TEST_F(SetupDialogTest, EmptyGridChangesNothing) {
  Open();
  TypeInto(Edit("edit1040"), "");
  MoveFocusTo(Child<QWidget>(*dialog, "radio1112"));
  EXPECT_EQ(model.home.locator, "EL29HK");
  EXPECT_DOUBLE_EQ(model.home.latitude, 29.42);
  EXPECT_DOUBLE_EQ(model.home.longitude, 95.36);
}

TEST_F(SetupDialogTest, UnitButtonKeepsATypedGmtOffset) {
  Open();
  TypeInto(Edit("edit1008"), "6");
  QTest::mouseClick(Child<QRadioButton>(*dialog, "radio1113"), Qt::LeftButton);
  EXPECT_EQ(Edit("edit1008")->text(), "6");
}

TEST_F(SetupDialogTest, MilesButtonClickedTwiceStaysSelected) {
  model.home.distanceUnit = 0;
  Open();
  auto* miles = Child<QRadioButton>(*dialog, "radio1112");
  QTest::mouseClick(miles, Qt::LeftButton);
  QTest::mouseClick(miles, Qt::LeftButton);
  EXPECT_TRUE(miles->isChecked());
  EXPECT_FALSE(Child<QRadioButton>(*dialog, "radio1113")->isChecked());
  EXPECT_EQ(model.home.distanceUnit, 1);
}

TEST_F(SetupDialogTest, GmtChangeThenEscapeKeepsTheOldOffset) {
  model.home.gmtOffsetHours = 6;
  model.settings.gmtOffset = 6.0;
  Open();
  TypeInto(Edit("edit1008"), "-3");
  MoveFocusTo(Edit("edit1040"));
  QTest::keyClick(Edit("edit1040"), Qt::Key_Escape);
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(model.home.gmtOffsetHours, 6);
  EXPECT_DOUBLE_EQ(model.settings.gmtOffset, 6.0);
}

TEST_F(SetupDialogTest, SaveAndExitWritesTheRecord) {
  Open();
  TypeInto(Edit("edit1000"), "32.9");
  TypeInto(Edit("edit1001"), "96.8");
  TypeInto(Edit("edit1008"), "6");
  QTest::mouseClick(Child<QRadioButton>(*dialog, "radio1113"), Qt::LeftButton);
  QTest::mouseClick(Child<QPushButton>(*dialog, "button1068"), Qt::LeftButton);
  EXPECT_TRUE(recorder.messages.empty());
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(model.home.gmtOffsetHours, 6);
  EXPECT_EQ(model.home.locator, "EM12OV");
  const auto record = ReadRecord(folder.filePath("Dorvakin.dat"));
  EXPECT_DOUBLE_EQ(record[0], 32.9);
  EXPECT_DOUBLE_EQ(record[1], 96.8);
  EXPECT_DOUBLE_EQ(record[2], 6.0);
  EXPECT_DOUBLE_EQ(record[3], 0.0);
  // The sun's figures now belong to the saved home as well.
  EXPECT_DOUBLE_EQ(model.home.sunLatitude, 32.9);
  EXPECT_DOUBLE_EQ(model.home.sunLongitude, 96.8);
}

TEST_F(SetupDialogTest, FailedWriteIsShownAndTheDialogStaysOpen) {
  // A plain file where the folder should be: nothing can be created in it.
  const QString notAFolder = folder.filePath("plain-file");
  {
    QFile file(notAFolder);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  }
  dialog = std::make_unique<SetupDialog>(model, notAFolder);
  dialog->SetMessageHook(recorder.Hook());
  ShowActive(*dialog);
  TypeInto(Edit("edit1008"), "4");
  QTest::mouseClick(Child<QPushButton>(*dialog, "button1068"), Qt::LeftButton);
  ASSERT_EQ(recorder.messages.size(), 1u);
  EXPECT_EQ(recorder.messages[0].caption, "Kelvora Win");
  EXPECT_FALSE(recorder.messages[0].text.isEmpty());
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(Edit("edit1008")->text(), "4");
  // The values are kept in memory for this run.
  EXPECT_EQ(model.home.gmtOffsetHours, 4);
}

// A field that does not hold a number is refused when its handler pulls the
// fields; the handler then goes on with the value it had, which the field
// shows again, selected, with the focus back in it.
struct RefusalCase {
  const char* name;
  const char* field;
  const char* typed;
  const char* message;
  const char* shownAfter;
};

class SetupRefusal : public SetupDialogTest,
                     public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(SetupRefusal, RefusedFieldGetsTheFocusBackSelected) {
  const RefusalCase& c = GetParam();
  Open();
  TypeInto(Edit(c.field), c.typed);
  MoveFocusTo(Child<QWidget>(*dialog, "radio1113"));
  ASSERT_EQ(recorder.messages.size(), 1u);
  EXPECT_EQ(recorder.messages[0].text, c.message);
  EXPECT_EQ(recorder.messages[0].caption, "Kelvora Win");
  EXPECT_EQ(QApplication::focusWidget(), Edit(c.field));
  EXPECT_EQ(Edit(c.field)->selectedText(), c.shownAfter);
  EXPECT_DOUBLE_EQ(model.home.latitude, 29.42);
  EXPECT_DOUBLE_EQ(model.home.longitude, 95.36);
  EXPECT_EQ(model.home.locator, "EL29HK");
}

INSTANTIATE_TEST_SUITE_P(
    Fields, SetupRefusal,
    ::testing::Values(
        RefusalCase{"latitude_text", "edit1000", "abc", "Please enter a number.", "29.42"},
        RefusalCase{"latitude_empty", "edit1000", "", "Please enter a number.", "29.42"},
        RefusalCase{"longitude_trailing_text", "edit1001", "95.3x", "Please enter a number.",
                    "95.36"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SetupDialogTest, SaveWithAFractionalGmtOffsetWritesNothing) {
  Open();
  TypeInto(Edit("edit1008"), "5.5");
  QTest::mouseClick(Child<QPushButton>(*dialog, "button1068"), Qt::LeftButton);
  QApplication::processEvents();
  ASSERT_EQ(recorder.messages.size(), 1u);
  EXPECT_EQ(recorder.messages[0].text, "Please enter an integer.");
  EXPECT_EQ(QApplication::focusWidget(), Edit("edit1008"));
  EXPECT_EQ(Edit("edit1008")->selectedText(), "5.5");
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_FALSE(QFile::exists(folder.filePath("Dorvakin.dat")));
  EXPECT_EQ(model.home.gmtOffsetHours, 0);
}

}  // namespace
}  // namespace kelvora::gui
