#include "ui/dialogs/directory_search_dialog.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>

#include <filesystem>

#include "stations/directory.h"

namespace kelvora::gui {

DirectorySearchDialog::DirectorySearchDialog(const QString& directoryFile, QWidget* parent)
    : FormDialog(parent, QStringLiteral("Search  EME Dir"), 81, 46, /*closeBox=*/true,
                 QStringLiteral("Arial")),
      directoryFile_(directoryFile) {
  AddLabel(QStringLiteral("Enter Stn Call"), 11, 2, 55, 8, Qt::AlignHCenter | Qt::AlignTop);
  callEdit_ = AddEdit(kCallId, 13, 13, 52, 14, true);
  searchButton_ = AddButton(kSearchId, QStringLiteral("&Search"), 12, 30, 53, 13);
  searchButton_->setDefault(true);
  setTabOrder(callEdit_, searchButton_);
  connect(searchButton_, &QPushButton::clicked, this, [this] { SearchClicked(); });
  callEdit_->setFocus();
}

void DirectorySearchDialog::SearchClicked() {
  call_ = callEdit_->text();
  const std::filesystem::path file(QFile::encodeName(directoryFile_).toStdString());
  const DirectoryResult result = ReadDirectory(file, call_.toStdString(), DirectoryMode::Display);
  ShowMessage(QMessageBox::NoIcon, QString::fromStdString(result.text));
  callEdit_->setText(call_);
}

}  // namespace kelvora::gui
