#include "ui/dialogs/dialog_form.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QValidator>

#include <charconv>
#include <cmath>
#include <string>

#include "ui/dialog_units.h"
#include "ui/program.h"
#include "ui/window_decorations.h"

namespace kelvora::gui {

namespace {

// Upper-cases the text as it is typed or pasted; the cursor stays put because
// the length does not change for the characters a locator or call uses.
class UpperCaseValidator : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int& /*position*/) const override {
    input = input.toUpper();
    return Acceptable;
  }
};

// Blanks and tabs around a field's text are not part of the number.
std::string TrimmedFieldText(const QString& text) {
  std::string s = text.toStdString();
  const auto first = s.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  const auto last = s.find_last_not_of(" \t");
  s = s.substr(first, last - first + 1);
  // from_chars takes no explicit plus sign; "+-1" must still be refused.
  if (s.size() > 1 && s[0] == '+' && s[1] != '-' && s[1] != '+') s.erase(0, 1);
  return s;
}

// A decimal comma becomes the point; a text with more than one comma, or a
// comma beside a point, is left for the parser to refuse.
std::string WithDecimalPoint(std::string s) {
  const auto comma = s.find(',');
  if (comma != std::string::npos && s.find(',', comma + 1) == std::string::npos &&
      s.find('.') == std::string::npos) {
    s[comma] = '.';
  }
  return s;
}

}  // namespace

QString RangeMessage(double minimum, double maximum) {
  return QStringLiteral("Please enter a number between %1 and %2.")
      .arg(FormatFieldNumber(minimum), FormatFieldNumber(maximum));
}

QString IntegerRangeMessage(int minimum, int maximum) {
  return QStringLiteral("Please enter an integer between %1 and %2.").arg(minimum).arg(maximum);
}

std::optional<double> ParseFieldNumber(const QString& text) {
  const std::string s = WithDecimalPoint(TrimmedFieldText(text));
  if (s.empty()) return std::nullopt;
  double value = 0.0;
  const char* end = s.data() + s.size();
  const auto [ptr, ec] = std::from_chars(s.data(), end, value, std::chars_format::general);
  if (ec != std::errc() || ptr != end || !std::isfinite(value)) return std::nullopt;
  return value;
}

QString NumberFieldText(const QString& text) {
  return QString::fromStdString(WithDecimalPoint(text.trimmed().toStdString()));
}

std::optional<int> ParseFieldInteger(const QString& text) {
  const std::string s = TrimmedFieldText(text);
  if (s.empty()) return std::nullopt;
  int value = 0;
  const char* end = s.data() + s.size();
  const auto [ptr, ec] = std::from_chars(s.data(), end, value, 10);
  if (ec != std::errc() || ptr != end) return std::nullopt;
  return value;
}

QString FormatFieldNumber(double value) {
  char buffer[64];
  const auto [ptr, ec] =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
  if (ec != std::errc()) return QString();
  return QString::fromLatin1(buffer, static_cast<int>(ptr - buffer));
}

FormDialog::FormDialog(QWidget* parent, const QString& title, int widthUnits, int heightUnits,
                       bool closeBox, const QString& fontFamily)
    : QDialog(parent), closeBox_(closeBox) {
  setWindowFlags(FixedDialogFlags(closeBox));
  setWindowTitle(title);
  // 8 points at 96 dots per inch is 11 pixels. Where the template's face is
  // missing, its metric twins keep the texts inside their rectangles.
  QFont font(fontFamily);
  font.setFamilies({fontFamily, QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                    QStringLiteral("Nimbus Sans")});
  font.setPixelSize(11);
  font.setStyleHint(QFont::SansSerif);
  setFont(font);
  setFixedSize(DialogRect(kSansSerifDialogScale, 0, 0, widthUnits, heightUnits).size());
  messageHook_ = [this](QMessageBox::Icon icon, const QString& caption, const QString& text) {
    ShowMessageBox(this, icon, caption, text);
  };
}

void FormDialog::SetMessageHook(MessageHook hook) { messageHook_ = std::move(hook); }

QLabel* FormDialog::AddLabel(const QString& text, int x, int y, int width, int height,
                             Qt::Alignment alignment) {
  auto* label = new QLabel(text, this);
  label->setAlignment(alignment);
  label->setGeometry(DialogRect(kSansSerifDialogScale, x, y, width, height));
  return label;
}

QLineEdit* FormDialog::AddEdit(int id, int x, int y, int width, int height, bool upperCase) {
  auto* edit = new QLineEdit(this);
  edit->setObjectName(QStringLiteral("edit%1").arg(id));
  edit->setGeometry(DialogRect(kSansSerifDialogScale, x, y, width, height));
  if (upperCase) edit->setValidator(new UpperCaseValidator(edit));
  edit->installEventFilter(this);  // Alt+letter is no typing (eventFilter)
  return edit;
}

QPushButton* FormDialog::AddButton(int id, const QString& text, int x, int y, int width,
                                   int height) {
  auto* button = new QPushButton(text, this);
  button->setObjectName(QStringLiteral("button%1").arg(id));
  button->setGeometry(DialogRect(kSansSerifDialogScale, x, y, width, height));
  // Only a button the template names as the default one takes Enter; Qt
  // would otherwise promote the first button.
  button->setAutoDefault(false);
  return button;
}

QRadioButton* FormDialog::AddRadio(int id, const QString& text, int x, int y, int width,
                                   int height) {
  auto* radio = new QRadioButton(text, this);
  radio->setObjectName(QStringLiteral("radio%1").arg(id));
  radio->setGeometry(DialogRect(kSansSerifDialogScale, x, y, width, height));
  // Each button is a group of its own: the dialog sets both states itself.
  radio->setAutoExclusive(false);
  return radio;
}

void FormDialog::OnKillFocus(QLineEdit* edit, std::function<void()> handler) {
  killFocusHandlers_[edit] = std::move(handler);
  edit->installEventFilter(this);
}

bool FormDialog::PullNumber(QLineEdit* edit, double& value) {
  const auto number = ParseFieldNumber(edit->text());
  if (!number) {
    Refuse(edit, QString::fromLatin1(kEnterNumberMessage));
    return false;
  }
  value = *number;
  return true;
}

bool FormDialog::PullNumber(QLineEdit* edit, double& value, double minimum, double maximum) {
  const auto number = ParseFieldNumber(edit->text());
  if (!number) {
    Refuse(edit, QString::fromLatin1(kEnterNumberMessage));
    return false;
  }
  if (*number < minimum || *number > maximum) {
    Refuse(edit, RangeMessage(minimum, maximum));
    return false;
  }
  value = *number;
  return true;
}

bool FormDialog::PullInteger(QLineEdit* edit, int& value) {
  const auto number = ParseFieldInteger(edit->text());
  if (!number) {
    Refuse(edit, QString::fromLatin1(kEnterIntegerMessage));
    return false;
  }
  value = *number;
  return true;
}

bool FormDialog::PullInteger(QLineEdit* edit, int& value, int minimum, int maximum) {
  const auto number = ParseFieldInteger(edit->text());
  if (!number) {
    Refuse(edit, QString::fromLatin1(kEnterIntegerMessage));
    return false;
  }
  if (*number < minimum || *number > maximum) {
    Refuse(edit, IntegerRangeMessage(minimum, maximum));
    return false;
  }
  value = *number;
  return true;
}

void FormDialog::ShowMessage(QMessageBox::Icon icon, const QString& text) {
  if (messageHook_) messageHook_(icon, QString::fromLatin1(kProgramName), text);
}

void FormDialog::Refuse(QLineEdit* edit, const QString& message) {
  // Set before the message box takes the focus, so that neither the box nor
  // the focus coming back starts another kill-focus round.
  refusing_ = true;
  ShowMessage(QMessageBox::Warning, message);
  // The focus is handed back once the current focus change has finished.
  QTimer::singleShot(0, this, [this, field = QPointer<QLineEdit>(edit)] {
    if (field && isVisible()) {
      activateWindow();
      field->setFocus(Qt::OtherFocusReason);
      field->selectAll();
    }
    refusing_ = false;
  });
}

bool FormDialog::eventFilter(QObject* watched, QEvent* event) {
  // Alt+letter is a command (a button's mnemonic, the menu's keys); one that
  // names nothing here must not type its letter into the field. AltGr comes
  // without the Alt modifier and still types.
  if (event->type() == QEvent::KeyPress && qobject_cast<QLineEdit*>(watched) != nullptr) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->modifiers().testFlag(Qt::AltModifier) && !key->text().isEmpty()) return true;
  }
  if (event->type() == QEvent::FocusOut) {
    const auto reason = static_cast<QFocusEvent*>(event)->reason();
    // A context menu over the field does not take the field's focus away.
    if (reason != Qt::PopupFocusReason && !closing_ && !refusing_ && isVisible()) {
      const auto found = killFocusHandlers_.find(watched);
      if (found != killFocusHandlers_.end()) {
        const auto handler = found->second;
        handler();
      }
    }
  }
  return QDialog::eventFilter(watched, event);
}

void FormDialog::keyPressEvent(QKeyEvent* event) {
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
    // The field being typed in would act on losing the focus as the dialog
    // closes; it acts first, and a refused value keeps the dialog open.
    if (!RunFocusedFieldStep()) return;
    // Enter presses the button that has the focus, else the default button;
    // a dialog without one ends through its OK path.
    if (auto* focused = qobject_cast<QPushButton*>(focusWidget())) {
      focused->click();
      return;
    }
    for (auto* button : findChildren<QPushButton*>()) {
      if (button->isDefault() && button->isVisible()) {
        button->click();
        return;
      }
    }
    accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

bool FormDialog::RunFocusedFieldStep() {
  const auto found = killFocusHandlers_.find(focusWidget());
  if (found == killFocusHandlers_.end() || refusing_) return !refusing_;
  const auto handler = found->second;
  handler();
  return !refusing_;
}

void FormDialog::showEvent(QShowEvent* event) {
  closing_ = false;
  refusing_ = false;
  ApplyFixedDialogDecorations(this, closeBox_);
  QDialog::showEvent(event);
}

void FormDialog::done(int result) {
  closing_ = true;
  QDialog::done(result);
}

}  // namespace kelvora::gui
