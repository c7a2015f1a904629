#include "station/status_label.h"

#include <QFontMetrics>
#include <QResizeEvent>

namespace kelvora::gui {
namespace {

// Room for a typical status line; longer ones are elided, never widened.
constexpr int kHintCharacters = 36;

}  // namespace

QString EscapedText(const std::string& text) {
  std::string clean;
  clean.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7f) {
      static constexpr char kHex[] = "0123456789abcdef";
      clean += "\\x";
      clean += kHex[byte >> 4];
      clean += kHex[byte & 0xf];
    } else {
      clean += c;
    }
  }
  return QString::fromUtf8(clean.data(), static_cast<qsizetype>(clean.size()));
}

StatusLabel::StatusLabel(QWidget* parent) : QLabel(parent) {
  setTextFormat(Qt::PlainText);
  setWordWrap(false);
  setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  setTextInteractionFlags(Qt::TextSelectableByMouse);
}

void StatusLabel::SetFullText(const QString& text) {
  if (text == full_) return;
  full_ = text;
  setToolTip(text.size() > 1 ? text : QString());
  Elide();
}

QSize StatusLabel::sizeHint() const {
  const QFontMetrics metrics(font());
  return {metrics.averageCharWidth() * kHintCharacters, metrics.height()};
}

QSize StatusLabel::minimumSizeHint() const {
  const QFontMetrics metrics(font());
  return {metrics.averageCharWidth() * 4, metrics.height()};
}

void StatusLabel::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  Elide();
}

void StatusLabel::Elide() {
  const QString shown = fontMetrics().elidedText(full_, Qt::ElideRight, std::max(0, width()));
  if (shown != text()) setText(shown);
}

}  // namespace kelvora::gui
