// Help > Help: a short built-in guide to the keys, the mouse, time stepping,
// the coordinate conventions and where the program's files live.
#pragma once

#include <QDialog>
#include <QString>

namespace kelvora::gui {

inline constexpr const char* kHelpTitle = "Kelvora Win Help";

// The guide as rich text; `folder` is where the settings files are read and
// written and EME.DTA is looked for.
QString HelpText(const QString& folder);

class HelpDialog : public QDialog {
  Q_OBJECT
 public:
  HelpDialog(const QString& folder, QWidget* parent = nullptr);

 protected:
  void showEvent(QShowEvent* event) override;
};

}  // namespace kelvora::gui
