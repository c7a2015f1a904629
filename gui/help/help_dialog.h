// Help > Help: the built-in guide, in a window of its own that stays open
// beside the main window: the keys, the mouse, time stepping, what each
// figure means and its unit, the Station control and planner windows, the
// WSJT-X link, the coordinate conventions and where the files live, with a
// table of contents.
#pragma once

#include <QDialog>
#include <QString>
#include <vector>

class QListWidget;
class QTextBrowser;

namespace kelvora::gui {

inline constexpr const char* kHelpTitle = "Kelvora Win Help";

struct HelpSection {
  const char* anchor;  // the name of the section's anchor in the guide
  const char* title;   // its heading and its line in the contents
};

// The guide's sections, in order.
const std::vector<HelpSection>& HelpSections();

// The guide as rich text; `folder` is where the settings files are read and
// written and EME.DTA is looked for.
QString HelpText(const QString& folder);

class HelpDialog : public QDialog {
  Q_OBJECT
 public:
  HelpDialog(const QString& folder, QWidget* parent = nullptr);

  QListWidget* Contents() const { return contents_; }
  QTextBrowser* Text() const { return text_; }

 private:
  QListWidget* contents_ = nullptr;
  QTextBrowser* text_ = nullptr;
};

// Shows the owner's help window, making it on first use.
void ShowHelpWindow(QWidget* owner, const QString& folder);

}  // namespace kelvora::gui
