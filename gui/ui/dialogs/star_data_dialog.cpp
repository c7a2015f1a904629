#include "ui/dialogs/star_data_dialog.h"

#include <QLineEdit>
#include <QPushButton>

#include "astro/sources.h"

namespace kelvora::gui {

namespace {

constexpr double kHoursPerDay = 24.0;      // right ascension, hours
constexpr double kMaxDeclination = 90.0;  // degrees either side of the equator

}  // namespace

StarDataDialog::StarDataDialog(TrackerModel& model, QWidget* parent)
    : FormDialog(parent, QStringLiteral("Enter Star Data"), 89, 55, /*closeBox=*/false),
      model_(model),
      ra_(QString::fromStdString(model.tracking.userStarRa)),
      dec_(QString::fromStdString(model.tracking.userStarDec)) {
  AddLabel(QStringLiteral("RA:"), 6, 5, 17, 11, Qt::AlignRight | Qt::AlignTop);
  raEdit_ = AddEdit(kRaId, 27, 3, 46, 14, false);
  AddLabel(QStringLiteral("DEC:"), 6, 22, 18, 13, Qt::AlignRight | Qt::AlignTop);
  decEdit_ = AddEdit(kDecId, 26, 22, 46, 13, false);
  auto* ok = AddButton(kOkId, QStringLiteral("&OK"), 6, 40, 33, 12);
  auto* cancel = AddButton(kCancelId, QStringLiteral("&Cancel"), 48, 40, 34, 12);
  setTabOrder(raEdit_, decEdit_);
  setTabOrder(decEdit_, ok);
  setTabOrder(ok, cancel);
  connect(ok, &QPushButton::clicked, this, [this] { OkClicked(); });
  connect(cancel, &QPushButton::clicked, this, [this] { CancelClicked(); });
  raEdit_->setText(ra_);
  decEdit_->setText(dec_);
  raEdit_->setFocus();
}

void StarDataDialog::accept() {
  if (!PullTexts()) return;
  FormDialog::accept();
}

bool StarDataDialog::PullTexts() {
  // Each text must be one number: the tick would otherwise read only its
  // leading part ("5h35m" as 5 hours) without a word.
  double ra = 0.0;
  double dec = 0.0;
  if (!PullNumber(raEdit_, ra, 0.0, kHoursPerDay)) return false;
  if (!PullNumber(decEdit_, dec, -kMaxDeclination, kMaxDeclination)) return false;
  ra_ = NumberFieldText(raEdit_->text());
  dec_ = NumberFieldText(decEdit_->text());
  return true;
}

void StarDataDialog::OkClicked() {
  if (!PullTexts()) return;
  model_.tracking.trackedSource = kSourceUserStar;
  FormDialog::accept();
}

void StarDataDialog::CancelClicked() {
  // Cancel forgets the star and goes back to Quiet Sky, but ends like OK so
  // that the caller takes over the two empty texts.
  ra_.clear();
  dec_.clear();
  raEdit_->setText(ra_);
  decEdit_->setText(dec_);
  model_.tracking.trackedSource = kSourceQuietSky;
  FormDialog::accept();
}

std::string StoredUserStarText(const QString& text) {
  std::string stored = text.toStdString();
  if (stored.size() <= kUserStarTextMaxLength) return stored;
  stored.resize(kUserStarTextMaxLength);
  // Drop a UTF-8 sequence that the cut left incomplete.
  std::size_t end = stored.size();
  std::size_t start = end;
  while (start > 0 && (static_cast<unsigned char>(stored[start - 1]) & 0xC0) == 0x80) --start;
  if (start > 0) {
    const auto lead = static_cast<unsigned char>(stored[start - 1]);
    if (lead >= 0xC0) {
      const std::size_t need = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
      if (end - (start - 1) < need) stored.resize(start - 1);
    }
  }
  return stored;
}

}  // namespace kelvora::gui
