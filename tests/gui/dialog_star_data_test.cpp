// The "Enter Star Data" dialog, run through its menu entry point: the four
// ways of closing it and what the caller keeps afterwards.

#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <functional>

#include "astro/sources.h"
#include "dialog_test_support.h"
#include "ui/dialogs/dialogs.h"
#include "ui/dialogs/star_data_dialog.h"

namespace kelvora::gui {
namespace {

using testing::Child;

// Runs RunStarDataDialog and acts on the dialog once it is up.
void RunWith(TrackerModel& model, const std::function<void(StarDataDialog&)>& act) {
  bool acted = false;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<StarDataDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    acted = true;
    act(*dialog);
    // A step that failed to close it must not leave the test hanging.
    if (dialog->isVisible()) dialog->reject();
  });
  RunStarDataDialog(model, nullptr);
  EXPECT_TRUE(acted);
}

void Type(QLineEdit* edit, const QString& text) {
  ASSERT_NE(edit, nullptr);
  edit->clear();
  QTest::keyClicks(edit, text);
}

enum class Closing { OkButton, CancelButton, EnterKey, EscapeKey };

struct ClosingCase {
  const char* name;
  Closing closing;
  int source;
  const char* ra;
  const char* dec;
};

class StarDataClosing : public ::testing::TestWithParam<ClosingCase> {};

TEST_P(StarDataClosing, LeavesTextsAndSource) {
  const ClosingCase& c = GetParam();
  TrackerModel model;
  model.tracking.userStarRa = "1.5";
  model.tracking.userStarDec = "-2";
  model.tracking.trackedSource = kSourceCygnusA;
  RunWith(model, [&](StarDataDialog& dialog) {
    auto* ra = Child<QLineEdit>(dialog, "edit1103");
    auto* dec = Child<QLineEdit>(dialog, "edit1105");
    // It opens with the stored texts.
    EXPECT_EQ(ra->text(), "1.5");
    EXPECT_EQ(dec->text(), "-2");
    Type(ra, "5.58");
    Type(dec, "22.0");
    switch (c.closing) {
      case Closing::OkButton:
        QTest::mouseClick(Child<QPushButton>(dialog, "button1106"), Qt::LeftButton);
        break;
      case Closing::CancelButton:
        QTest::mouseClick(Child<QPushButton>(dialog, "button1107"), Qt::LeftButton);
        break;
      case Closing::EnterKey:
        QTest::keyClick(dec, Qt::Key_Return);
        break;
      case Closing::EscapeKey:
        QTest::keyClick(dec, Qt::Key_Escape);
        break;
    }
    EXPECT_FALSE(dialog.isVisible());
  });
  EXPECT_EQ(model.tracking.trackedSource, c.source);
  EXPECT_EQ(model.tracking.userStarRa, c.ra);
  EXPECT_EQ(model.tracking.userStarDec, c.dec);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, StarDataClosing,
    ::testing::Values(
        ClosingCase{"ok_tracks_the_user_star", Closing::OkButton, kSourceUserStar, "5.58", "22.0"},
        ClosingCase{"cancel_empties_and_goes_back_to_quiet_sky", Closing::CancelButton,
                    kSourceQuietSky, "", ""},
        ClosingCase{"enter_takes_the_texts_only", Closing::EnterKey, kSourceCygnusA, "5.58",
                    "22.0"},
        ClosingCase{"escape_keeps_the_old_texts", Closing::EscapeKey, kSourceCygnusA, "1.5",
                    "-2"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(StarDataDialog, TemplateAndNoCloseBox) {
  TrackerModel model;
  StarDataDialog dialog(model);
  EXPECT_EQ(dialog.windowTitle(), "Enter Star Data");
  // 89 x 55 units at 1.5 and 1.625 pixels per unit: 133 x 89 pixels.
  EXPECT_EQ(dialog.size(), QSize(133, 89));
  EXPECT_FALSE(dialog.windowFlags() & Qt::WindowCloseButtonHint);
  EXPECT_EQ(Child<QPushButton>(dialog, "button1106")->text(), "&OK");
  EXPECT_EQ(Child<QPushButton>(dialog, "button1107")->text(), "&Cancel");
  EXPECT_FALSE(Child<QPushButton>(dialog, "button1106")->isDefault());
  // These fields keep the case the user types.
  QTest::keyClicks(Child<QLineEdit>(dialog, "edit1103"), "5h35m");
  EXPECT_EQ(Child<QLineEdit>(dialog, "edit1103")->text(), "5h35m");
}

// OK and Enter take a decimal comma as the point, and refuse a text that is
// not one number in range with a message instead of reading its start.
struct StarEntryCase {
  const char* name;
  const char* ra;
  const char* dec;
  bool enter;
  const char* message;  // empty: accepted
  const char* storedRa;
  const char* storedDec;
};

class StarDataEntry : public ::testing::TestWithParam<StarEntryCase> {};

TEST_P(StarDataEntry, TakesWholeNumbersOnly) {
  const StarEntryCase& c = GetParam();
  TrackerModel model;
  model.tracking.userStarRa = "1.5";
  model.tracking.userStarDec = "-2";
  testing::MessageRecorder recorder;
  bool stayedOpen = false;
  RunWith(model, [&](StarDataDialog& dialog) {
    dialog.SetMessageHook(recorder.Hook());
    Type(Child<QLineEdit>(dialog, "edit1103"), QString::fromUtf8(c.ra));
    Type(Child<QLineEdit>(dialog, "edit1105"), QString::fromUtf8(c.dec));
    if (c.enter) {
      QTest::keyClick(Child<QLineEdit>(dialog, "edit1105"), Qt::Key_Return);
    } else {
      QTest::mouseClick(Child<QPushButton>(dialog, "button1106"), Qt::LeftButton);
    }
    stayedOpen = dialog.isVisible();
  });
  if (*c.message == '\0') {
    EXPECT_TRUE(recorder.messages.empty());
    EXPECT_FALSE(stayedOpen);
  } else {
    ASSERT_EQ(recorder.messages.size(), 1u);
    EXPECT_EQ(recorder.messages[0].text, QString::fromUtf8(c.message));
    EXPECT_TRUE(stayedOpen);
  }
  EXPECT_EQ(model.tracking.userStarRa, c.storedRa);
  EXPECT_EQ(model.tracking.userStarDec, c.storedDec);
}

INSTANTIATE_TEST_SUITE_P(
    Entries, StarDataEntry,
    ::testing::Values(
        StarEntryCase{"decimal_commas_read_as_points", "5,58", "22,5", false, "", "5.58", "22.5"},
        StarEntryCase{"enter_with_decimal_comma", "5,58", "-7,25", true, "", "5.58", "-7.25"},
        // Refused: the dialog stays, Escape then keeps the old texts.
        StarEntryCase{"hours_and_minutes_refused", "5h35m", "22", false,
                      "Please enter a number.", "1.5", "-2"},
        StarEntryCase{"empty_declination_refused", "5.58", "", true, "Please enter a number.",
                      "1.5", "-2"},
        StarEntryCase{"right_ascension_past_24_hours", "25", "22", false,
                      "Please enter a number between 0 and 24.", "1.5", "-2"},
        StarEntryCase{"declination_past_the_pole", "5", "-91", false,
                      "Please enter a number between -90 and 90.", "1.5", "-2"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(StarDataDialog, CancelThenReopenShowsEmptyFields) {
  TrackerModel model;
  model.tracking.userStarRa = "5.58";
  model.tracking.userStarDec = "22.0";
  RunWith(model, [](StarDataDialog& dialog) {
    QTest::mouseClick(Child<QPushButton>(dialog, "button1107"), Qt::LeftButton);
  });
  RunWith(model, [](StarDataDialog& dialog) {
    EXPECT_EQ(Child<QLineEdit>(dialog, "edit1103")->text(), "");
    EXPECT_EQ(Child<QLineEdit>(dialog, "edit1105")->text(), "");
    dialog.reject();
  });
}

TEST(StarDataDialog, LongEntriesAreCutToElevenCharacters) {
  TrackerModel model;
  RunWith(model, [](StarDataDialog& dialog) {
    Type(Child<QLineEdit>(dialog, "edit1103"), "12.3456789012345");
    Type(Child<QLineEdit>(dialog, "edit1105"), "-28.92");
    QTest::mouseClick(Child<QPushButton>(dialog, "button1106"), Qt::LeftButton);
  });
  EXPECT_EQ(model.tracking.userStarRa, "12.34567890");
  EXPECT_EQ(model.tracking.userStarDec, "-28.92");
}

struct CutCase {
  const char* name;
  QString typed;
  std::string stored;
};

class StoredUserStarTextCut : public ::testing::TestWithParam<CutCase> {};

TEST_P(StoredUserStarTextCut, KeepsWholeCharacters) {
  EXPECT_EQ(StoredUserStarText(GetParam().typed), GetParam().stored);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, StoredUserStarTextCut,
    ::testing::Values(
        CutCase{"short_kept", QStringLiteral("5.58"), "5.58"},
        CutCase{"eleven_kept", QStringLiteral("12345678901"), "12345678901"},
        CutCase{"twelve_cut", QStringLiteral("123456789012"), "12345678901"},
        // "°" is two bytes in UTF-8: bytes 11 and 12, so the cut drops it.
        CutCase{"degree_sign_not_split", QStringLiteral("1234567890°"), "1234567890"},
        CutCase{"degree_sign_fits", QStringLiteral("123456789°"), "123456789\xC2\xB0"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kelvora::gui
