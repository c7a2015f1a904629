// The number exchange the dialogs share, and the real message box path.

#include <QMessageBox>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>

#include <limits>

#include "dialog_test_support.h"
#include "ui/dialogs/dialog_form.h"
#include "ui/dialogs/setup_dialog.h"

namespace kelvora::gui {
namespace {

using testing::Child;
using testing::MoveFocusTo;
using testing::ShowActive;
using testing::TypeInto;

// A field is one decimal number with nothing but blanks around it (the
// reading printf's counterpart strtod gives, minus its tolerance of trailing
// text); the user's locale plays no part.
struct NumberCase {
  const char* name;
  const char* text;
  std::optional<double> value;
};

class FieldNumber : public ::testing::TestWithParam<NumberCase> {};

TEST_P(FieldNumber, Parses) {
  EXPECT_EQ(ParseFieldNumber(QString::fromLatin1(GetParam().text)), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, FieldNumber,
    ::testing::Values(NumberCase{"decimal", "45.52", 45.52},
                      NumberCase{"blanks_around", " \t-7.5  ", -7.5},
                      NumberCase{"plus_sign", "+3", 3.0},
                      NumberCase{"leading_point", ".5", 0.5},
                      NumberCase{"exponent", "1e2", 100.0},
                      NumberCase{"empty", "", std::nullopt},
                      NumberCase{"blanks_only", "   ", std::nullopt},
                      NumberCase{"letters", "abc", std::nullopt},
                      NumberCase{"trailing_letters", "12abc", std::nullopt},
                      NumberCase{"decimal_comma", "45,52", 45.52},
                      NumberCase{"decimal_comma_with_blanks_and_sign", " -7,5 ", -7.5},
                      NumberCase{"decimal_comma_exponent", "1,5e2", 150.0},
                      NumberCase{"two_commas", "1,000,5", std::nullopt},
                      NumberCase{"comma_beside_point", "1,000.5", std::nullopt},
                      NumberCase{"comma_alone", ",", std::nullopt},
                      NumberCase{"two_signs", "+-1", std::nullopt},
                      NumberCase{"infinity", "inf", std::nullopt},
                      NumberCase{"not_a_number", "nan", std::nullopt},
                      NumberCase{"overflow", "1e999", std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

struct IntegerCase {
  const char* name;
  const char* text;
  std::optional<int> value;
};

class FieldInteger : public ::testing::TestWithParam<IntegerCase> {};

TEST_P(FieldInteger, Parses) {
  EXPECT_EQ(ParseFieldInteger(QString::fromLatin1(GetParam().text)), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, FieldInteger,
    ::testing::Values(IntegerCase{"positive", "6", 6}, IntegerCase{"negative", "-5", -5},
                      IntegerCase{"blanks_and_plus", " +11 ", 11},
                      IntegerCase{"largest", "2147483647", std::numeric_limits<int>::max()},
                      IntegerCase{"fraction", "5.5", std::nullopt},
                      IntegerCase{"beyond_32_bits", "2147483648", std::nullopt},
                      IntegerCase{"empty", "", std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FieldNumberText, DecimalCommaBecomesAPoint) {
  EXPECT_EQ(NumberFieldText(QStringLiteral(" 5,58 ")), "5.58");
  EXPECT_EQ(NumberFieldText(QStringLiteral("-28.92")), "-28.92");
}

// Shown as printf's "%.15g" shows them.
TEST(FieldNumberText, GeneralFormatFifteenDigits) {
  EXPECT_EQ(FormatFieldNumber(45.52), "45.52");
  EXPECT_EQ(FormatFieldNumber(0.0), "0");
  EXPECT_EQ(FormatFieldNumber(-89.99), "-89.99");
  EXPECT_EQ(FormatFieldNumber(0.1 + 0.2), "0.3");  // 0.30000000000000004 to 15 digits
  EXPECT_EQ(FormatFieldNumber(1e20), "1e+20");
  EXPECT_EQ(RangeMessage(-179.99, 179.99), "Please enter a number between -179.99 and 179.99.");
}

// With the default message step a real modal box appears once; closing it
// hands the focus back to the refused field without a second round.
TEST(FormDialogMessageBox, RefusalShowsOneModalBox) {
  QTemporaryDir folder;
  TrackerModel model;
  model.home.latitude = 29.42;
  model.home.longitude = 95.36;
  SetupDialog dialog(model, folder.path());
  ShowActive(dialog);
  QStringList shown;
  QTimer closer;
  QObject::connect(&closer, &QTimer::timeout, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      shown << box->windowTitle() + "|" + box->text();
      // A dialog over its dialog, with a title and a close button only.
      EXPECT_EQ(box->parentWidget(), &dialog);
      EXPECT_EQ(box->windowType(), Qt::Dialog);
      EXPECT_FALSE(box->windowFlags() &
                   (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
      box->accept();
    }
  });
  closer.start(20);
  auto* latitude = Child<QLineEdit>(dialog, "edit1000");
  TypeInto(latitude, "north");
  MoveFocusTo(Child<QRadioButton>(dialog, "radio1112"));
  QTest::qWait(200);
  closer.stop();
  EXPECT_EQ(shown, QStringList{"Kelvora Win|Please enter a number."});
  EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == latitude; }));
  EXPECT_EQ(latitude->selectedText(), "29.42");
}

// Alt with a letter is a command, never typing: one that names nothing in
// the dialog leaves the field as it was; a button's mnemonic still presses
// the button; the letter alone, or with Shift, is typed.
TEST(FormDialogKeys, AltLetterTypesNothing) {
  struct Row {
    const char* name;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    const char* text;  // the grid field afterwards
    bool closes;
  } rows[] = {
      {"alt_x_names_nothing", Qt::Key_X, Qt::AltModifier, "EL29", false},
      {"alt_shift_q_names_nothing", Qt::Key_Q, Qt::AltModifier | Qt::ShiftModifier, "EL29", false},
      {"letter_alone_is_typed", Qt::Key_X, Qt::NoModifier, "EL29X", false},
      {"shifted_letter_is_typed", Qt::Key_Q, Qt::ShiftModifier, "EL29Q", false},
      // The field acts as the button takes the focus: EL29 becomes EL29MM.
      {"alt_s_presses_save_and_exit", Qt::Key_S, Qt::AltModifier, "EL29MM", true},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    QTemporaryDir folder;
    TrackerModel model;
    SetupDialog dialog(model, folder.path());
    ShowActive(dialog);
    auto* grid = Child<QLineEdit>(dialog, "edit1040");
    TypeInto(grid, "EL29");
    QTest::keyClick(grid, r.key, r.modifiers);
    // A mnemonic clicks its button a moment later, as a pressed button shows.
    EXPECT_EQ(QTest::qWaitFor([&] { return !dialog.isVisible(); }, r.closes ? 2000 : 200),
              r.closes);
    EXPECT_EQ(grid->text(), QString::fromLatin1(r.text));
  }
}

}  // namespace
}  // namespace kelvora::gui
