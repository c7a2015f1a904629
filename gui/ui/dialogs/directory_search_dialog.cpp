#include "ui/dialogs/directory_search_dialog.h"

#include <QLineEdit>
#include <QPushButton>

#include "state/window_layout.h"
#include "stations/directory.h"
#include "ui/program.h"

namespace kelvora::gui {

DirectorySearchDialog::DirectorySearchDialog(const QString& directoryFile, QWidget* parent)
    : FormDialog(parent, QStringLiteral("Search  EME Dir"), 81, 46, /*closeBox=*/true,
                 QStringLiteral("Arial")),
      directoryFile_(directoryFile) {
  AddLabel(QStringLiteral("Enter Stn Call"), 11, 2, 55, 8, Qt::AlignHCenter | Qt::AlignTop);
  callEdit_ = AddEdit(kDirectoryCallId, 13, 13, 52, 14, true);
  searchButton_ = AddButton(kDirectorySearchId, QStringLiteral("&Search"), 12, 30, 53, 13);
  searchButton_->setDefault(true);
  setTabOrder(callEdit_, searchButton_);
  connect(searchButton_, &QPushButton::clicked, this, [this] { SearchClicked(); });
  callEdit_->setFocus();
}

void DirectorySearchDialog::SearchClicked() {
  call_ = callEdit_->text();
  const DirectoryResult result =
      ReadDirectory(LocalPath(directoryFile_), call_.toStdString(), DirectoryMode::Display);
  ShowMessage(QMessageBox::NoIcon, QString::fromStdString(result.text));
  callEdit_->setText(call_);
}

}  // namespace kelvora::gui
