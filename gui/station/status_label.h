// A one-line label for what a daemon or a session says: the text is shown
// as plain text with control bytes escaped, elided to the label's width,
// with the whole text in its tooltip. Its width never follows the text, so
// nothing a daemon sends can change the window's size.
#pragma once

#include <QLabel>
#include <QString>

#include <string>

namespace kelvora::gui {

// Bytes below 0x20 and DEL become \xNN; invalid UTF-8 is replaced.
QString EscapedText(const std::string& text);

class StatusLabel : public QLabel {
  Q_OBJECT
 public:
  explicit StatusLabel(QWidget* parent = nullptr);
  void SetFullText(const QString& text);
  const QString& FullText() const { return full_; }
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Elide();
  QString full_;
};

}  // namespace kelvora::gui
