// Help > Help: a short manual in its own window, above all where the program
// keeps its files and how to make it use another folder.
#pragma once

#include <QDialog>
#include <QString>

class QTextBrowser;

namespace kelvora::gui {

class HelpWindow : public QDialog {
  Q_OBJECT
 public:
  // `folderInUse`: where the settings files and the directory are read now;
  // `userFolder`: the folder the desktop menu starts the program in (empty
  // when HOME and XDG_DATA_HOME give none).
  HelpWindow(const QString& folderInUse, const QString& userFolder, QWidget* parent = nullptr);

  QString Text() const;

 private:
  QTextBrowser* browser_;
};

// Shows the help window of `owner`, making it on first use and bringing it
// to the front afterwards. Returns it.
HelpWindow* ShowHelp(QWidget* owner, const QString& folderInUse);

}  // namespace kelvora::gui
