#include "ui/about_dialog.h"

#include <QFont>
#include <QIcon>
#include <QLabel>

#include "app/version.h"
#include "ui/dialog_units.h"
#include "ui/program.h"
#include "ui/window_decorations.h"

namespace kelvora::gui {

namespace {

constexpr int kIconSize = 32;  // pixels, the program icon's own size

QLabel* AddLabel(QWidget* parent, const QString& text, const QRect& rect) {
  auto* label = new QLabel(text, parent);
  label->setGeometry(rect);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);  // static texts start at their top
  return label;
}

}  // namespace

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
  setWindowFlags(FixedDialogFlags(/*closeBox=*/true));
  setWindowTitle(QString::fromUtf8(kAboutTitle));
  // The template's face at 8 points (11 pixels at 96 dots per inch); where
  // it is missing, faces of the same widths keep the texts in their boxes.
  QFont font(QStringLiteral("MS Sans Serif"));
  font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Arial"),
                    QStringLiteral("Liberation Sans"), QStringLiteral("Nimbus Sans")});
  font.setPixelSize(11);
  font.setStyleHint(QFont::SansSerif);
  setFont(font);
  const QIcon icon(QString::fromLatin1(kIconPath));
  setWindowIcon(icon);
  setFixedSize(DialogRect(kSansSerifDialogScale, 0, 0, 153, 31).size());
  setToolTip(QString::fromUtf8(kLicence));

  auto* iconLabel = new QLabel(this);
  iconLabel->setObjectName(QStringLiteral("aboutIcon"));
  const QRect iconOrigin = DialogRect(kSansSerifDialogScale, 10, 5, 0, 0);
  iconLabel->setGeometry(iconOrigin.x(), iconOrigin.y(), kIconSize, kIconSize);
  iconLabel->setPixmap(icon.pixmap(kIconSize, kIconSize));

  AddLabel(this, QString::fromUtf8(kAboutAuthorText), DialogRect(kSansSerifDialogScale, 36, 1, 108, 8))
      ->setObjectName(QStringLiteral("aboutAuthor"));
  AddLabel(this, QString::fromUtf8(kAboutReleaseText) + QString::fromUtf8(kVersion),
           // As wide as the line above, so the version never runs off.
           DialogRect(kSansSerifDialogScale, 44, 13, 108, 16))
      ->setObjectName(QStringLiteral("aboutRelease"));
}

void AboutDialog::showEvent(QShowEvent* event) {
  ApplyFixedDialogDecorations(this, /*closeBox=*/true);
  QDialog::showEvent(event);
}

}  // namespace kelvora::gui
