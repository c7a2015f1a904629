// "Search  EME Dir": looks a call up in the EME directory and shows its
// record; it stays open for the next search.
#pragma once

#include <QString>

#include "ui/dialogs/dialog_form.h"

class QLineEdit;
class QPushButton;

namespace kelvora::gui {

class DirectorySearchDialog : public FormDialog {
  Q_OBJECT

 public:
  DirectorySearchDialog(const QString& directoryFile, QWidget* parent = nullptr);

  // "&Search": the record's display text, or why there is none, in a message
  // box captioned with the program's name.
  void SearchClicked();

 private:
  QString directoryFile_;
  QString call_;
  QLineEdit* callEdit_;
  QPushButton* searchButton_;
};

}  // namespace kelvora::gui
