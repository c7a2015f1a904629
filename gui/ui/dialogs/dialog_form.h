// What the four secondary dialogs share: controls placed from their templates
// in dialog units, fields that act when they lose the focus, the number
// exchange with its refusal messages, and the program's Enter/Escape rules.
#pragma once

#include <QDialog>
#include <QMessageBox>
#include <QString>

#include <functional>
#include <map>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace kelvora::gui {

// The refusal messages of the number exchange.
inline constexpr const char* kEnterNumberMessage = "Please enter a number.";
inline constexpr const char* kEnterIntegerMessage = "Please enter an integer.";
QString RangeMessage(double minimum, double maximum);
QString IntegerRangeMessage(int minimum, int maximum);

// A field read back as one decimal number with nothing but blanks around it;
// nothing when it holds anything else (an empty text, "12abc", "inf"). A
// single comma may stand for the decimal point ("32,9" is 32.9), as many
// keyboards type it; the number is always shown with a point.
std::optional<double> ParseFieldNumber(const QString& text);
// The text of such a field as a number with a point: trimmed, its decimal
// comma replaced ("  5,58" gives "5.58").
QString NumberFieldText(const QString& text);
// The same for a whole number in the 32-bit range.
std::optional<int> ParseFieldInteger(const QString& text);
// How a double is shown in a field: general format, up to 15 significant
// digits, independent of the user's locale.
QString FormatFieldNumber(double value);

// Shows one message. The default opens a modal QMessageBox with an OK button;
// tests put a recorder in its place.
using MessageHook =
    std::function<void(QMessageBox::Icon icon, const QString& caption, const QString& text)>;

class FormDialog : public QDialog {
  Q_OBJECT

 public:
  void SetMessageHook(MessageHook hook);

 protected:
  // widthUnits × heightUnits is the client area of the template;
  // closeBox false leaves the caption without a system menu.
  FormDialog(QWidget* parent, const QString& title, int widthUnits, int heightUnits,
             bool closeBox, const QString& fontFamily = QStringLiteral("MS Sans Serif"));

  QLabel* AddLabel(const QString& text, int x, int y, int width, int height,
                   Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop);
  // An edit control; upperCase makes it upper-case what is typed, keeping
  // the cursor where it was. Alt with a letter types nothing into it.
  QLineEdit* AddEdit(int id, int x, int y, int width, int height, bool upperCase);
  QPushButton* AddButton(int id, const QString& text, int x, int y, int width, int height);
  QRadioButton* AddRadio(int id, const QString& text, int x, int y, int width, int height);

  // Runs handler whenever edit loses the focus to another control or window
  // while the dialog is open (not while it closes, and not while a refused
  // value is being handed back to its field).
  void OnKillFocus(QLineEdit* edit, std::function<void()> handler);

  // The number exchange: on a refused text, the message is shown, the focus
  // goes back to the field with its text selected, and false is returned;
  // value is then left as it was.
  bool PullNumber(QLineEdit* edit, double& value);
  bool PullNumber(QLineEdit* edit, double& value, double minimum, double maximum);
  bool PullInteger(QLineEdit* edit, int& value);
  bool PullInteger(QLineEdit* edit, int& value, int minimum, int maximum);

  void ShowMessage(QMessageBox::Icon icon, const QString& text);

  // Runs the kill-focus step of the field that has the focus, as its losing
  // the focus would; false when that step refused the field's value.
  bool RunFocusedFieldStep();

  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void done(int result) override;

 private:
  void Refuse(QLineEdit* edit, const QString& message);

  std::map<QObject*, std::function<void()>> killFocusHandlers_;
  MessageHook messageHook_;
  bool closeBox_ = false;
  bool refusing_ = false;  // a refused field is getting the focus back
  bool closing_ = false;
};

}  // namespace kelvora::gui
