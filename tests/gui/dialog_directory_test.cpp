// The "Search  EME Dir" dialog against the sample directory: each outcome of
// a search in a message box captioned with the program's name.

#include <QDir>
#include <QLabel>
#include <QPushButton>

#include "dialog_test_support.h"
#include "ui/dialogs/directory_search_dialog.h"

namespace kelvora::gui {
namespace {

using testing::Child;
using testing::MessageRecorder;
using testing::ShowActive;
using testing::TypeInto;

QString SampleDirectory() {
  return QDir(QStringLiteral(KELVORA_RESOURCE_DIR)).filePath(QStringLiteral("EME.DTA"));
}

// The first sample record, QA1AA, cut by the directory's column table by hand:
// name at 11, phone at 31, two address lines at 45 and 70, the town at 95
// ("NORTHVALE" then blanks, so the comma goes where the blanks start), state
// at 120, post code at 122, country at 132, latitude and longitude at 166 and
// 173 (their leading blanks kept), locator at 181, antenna at 197 and the
// remark at 209.
constexpr const char* kQa1aaText =
    "QA1AA, ARLO PENDRICK\n"
    "36 SAMPLE ROAD\n"
    "PO BOX 791\n"
    "NORTHVALE,\n"
    "NV\n"
    "10001\n"
    "ARVENIA\n"
    "Antenna: 4X12 YAGI\n"
    "500 W 2M EME\n"
    "Phone: 555-0125\n"
    "Lat:  45.50N\n"
    "Lon:   73.57W\n"
    "Grid: FN35FM\n";

struct SearchCase {
  const char* name;
  bool directoryPresent;
  const char* typed;
  const char* shown;
};

class DirectorySearch : public ::testing::TestWithParam<SearchCase> {};

TEST_P(DirectorySearch, ShowsTheOutcomeAndStaysOpen) {
  const SearchCase& c = GetParam();
  const QString file = c.directoryPresent
                           ? SampleDirectory()
                           : QDir::temp().filePath(QStringLiteral("no-such-folder/EME.DTA"));
  DirectorySearchDialog dialog(file);
  MessageRecorder recorder;
  dialog.SetMessageHook(recorder.Hook());
  ShowActive(dialog);
  auto* call = Child<QLineEdit>(dialog, "edit1081");
  TypeInto(call, c.typed);
  // Enter presses the default button, "&Search".
  QTest::keyClick(call, Qt::Key_Return);
  ASSERT_EQ(recorder.messages.size(), 1u);
  EXPECT_EQ(recorder.messages[0].caption, "Kelvora Win");
  EXPECT_EQ(recorder.messages[0].icon, QMessageBox::NoIcon);
  EXPECT_EQ(recorder.messages[0].text, QString::fromUtf8(c.shown));
  // Ready for the next search, with the call still in the field.
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(call->text(), QString::fromLatin1(c.typed).toUpper());
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, DirectorySearch,
    ::testing::Values(SearchCase{"found_lower_case_typed", true, "qa1aa", kQa1aaText},
                      SearchCase{"no_call_entered", true, "", "No Call Entered"},
                      SearchCase{"not_found", true, "ZZ9ZZ", "Not Found"},
                      SearchCase{"after_the_backslash_line_not_found", true, "QZ9LATE",
                                 "Not Found"},
                      SearchCase{"directory_missing", false, "QA1AA", "EME.DTA File Not Found"},
                      SearchCase{"missing_file_reported_before_empty_call", false, "",
                                 "EME.DTA File Not Found"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DirectorySearchDialog, TemplateAndRepeatedSearches) {
  DirectorySearchDialog dialog(SampleDirectory());
  MessageRecorder recorder;
  dialog.SetMessageHook(recorder.Hook());
  ShowActive(dialog);
  EXPECT_EQ(dialog.windowTitle(), "Search  EME Dir");
  // 81 x 46 units at 1.5 and 1.625 pixels per unit: 121 x 74 pixels.
  EXPECT_EQ(dialog.size(), QSize(121, 74));
  EXPECT_EQ(Child<QPushButton>(dialog, "button1067")->text(), "&Search");
  EXPECT_TRUE(Child<QPushButton>(dialog, "button1067")->isDefault());
  ASSERT_EQ(dialog.findChildren<QLabel*>().size(), 1);
  EXPECT_EQ(dialog.findChildren<QLabel*>()[0]->text(), "Enter Stn Call");

  auto* call = Child<QLineEdit>(dialog, "edit1081");
  TypeInto(call, "QA1AA");
  QTest::mouseClick(Child<QPushButton>(dialog, "button1067"), Qt::LeftButton);
  TypeInto(call, "NOPE");
  QTest::keyClick(call, Qt::Key_Return);
  ASSERT_EQ(recorder.messages.size(), 2u);
  EXPECT_EQ(recorder.messages[0].text, kQa1aaText);
  EXPECT_EQ(recorder.messages[1].text, "Not Found");
  QTest::keyClick(call, Qt::Key_Escape);
  EXPECT_FALSE(dialog.isVisible());
}

}  // namespace
}  // namespace kelvora::gui
