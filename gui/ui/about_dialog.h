// The About box: program name, version and authorship.
#pragma once

#include <QDialog>

namespace kelvora::gui {

inline constexpr const char* kAboutTitle = "Kelvora Win Beta Ver 1.10";
// Followed by the package version, the one `kelvora --version` prints.
inline constexpr const char* kAboutReleaseText = "   Release version ";
inline constexpr const char* kAboutAuthorText = "Kelvora Win, by its developers";

// No buttons of its own: Esc or the window's close button end it.
class AboutDialog : public QDialog {
  Q_OBJECT
 public:
  explicit AboutDialog(QWidget* parent = nullptr);

 protected:
  void showEvent(QShowEvent* event) override;
};

}  // namespace kelvora::gui
