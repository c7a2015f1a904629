// "Enter Star Data": the user star's right ascension (hours) and declination
// (degrees) as the operator types them.
#pragma once

#include <QString>

#include <string>

#include "state/records.h"
#include "ui/dialogs/dialog_form.h"

class QLineEdit;
class QPushButton;

namespace kelvora::gui {

class StarDataDialog : public FormDialog {
  Q_OBJECT

 public:
  static constexpr int kRaId = 1103;
  static constexpr int kDecId = 1105;
  static constexpr int kOkId = 1106;
  static constexpr int kCancelId = 1107;

  // Opens with the stored user-star texts.
  explicit StarDataDialog(TrackerModel& model, QWidget* parent = nullptr);

  // Enter and OK end here: the fields are taken over once both hold a
  // number in range, else the first bad one is refused and the dialog stays.
  void accept() override;

  // The texts the caller copies back, however the dialog ended.
  const QString& RaText() const { return ra_; }
  const QString& DecText() const { return dec_; }

 private:
  void OkClicked();
  void CancelClicked();
  bool PullTexts();

  TrackerModel& model_;
  QString ra_;
  QString dec_;
  QLineEdit* raEdit_;
  QLineEdit* decEdit_;
};

// A stored user-star text: at most kUserStarTextMaxLength bytes, longer
// entries cut, never in the middle of a character.
std::string StoredUserStarText(const QString& text);

}  // namespace kelvora::gui
