#include "ui/window_decorations.h"

#include <QEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QString>
#include <QVariant>
#include <QWidget>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace kelvora::gui {

namespace {

// Motif window-manager hint bits, as every X11 window manager reads them.
constexpr std::uint32_t kHintsFunctions = 1u << 0;
constexpr std::uint32_t kHintsDecorations = 1u << 1;
constexpr std::uint32_t kFunctionMove = 1u << 2;
constexpr std::uint32_t kFunctionClose = 1u << 5;
constexpr std::uint32_t kDecorBorder = 1u << 1;
constexpr std::uint32_t kDecorTitle = 1u << 3;
constexpr std::uint32_t kDecorMenu = 1u << 4;

constexpr const char* kMotifHintsAtom = "_MOTIF_WM_HINTS";
constexpr const char* kTitleFittedProperty = "kelvoraTitleFitted";

// Writes FixedDialogHints(closeBox) to the window of `dialog` on X11.
void WriteMotifHints(QWidget* dialog, bool closeBox) {
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  if (x11 == nullptr || x11->connection() == nullptr) return;
  xcb_connection_t* connection = x11->connection();
  const xcb_intern_atom_cookie_t cookie = xcb_intern_atom(
      connection, 0, static_cast<std::uint16_t>(std::strlen(kMotifHintsAtom)), kMotifHintsAtom);
  xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
  if (reply == nullptr) return;
  const xcb_atom_t atom = reply->atom;
  std::free(reply);

  const MotifHints hints = FixedDialogHints(closeBox);
  const std::uint32_t words[5] = {hints.flags, hints.functions, hints.decorations,
                                  static_cast<std::uint32_t>(hints.inputMode), hints.status};
  xcb_change_property(connection, XCB_PROP_MODE_REPLACE,
                      static_cast<xcb_window_t>(dialog->winId()), atom, atom, 32, 5, words);
  xcb_flush(connection);
}

// Qt writes the Motif hints of a message box while it can still be resized
// (its layout fixes the size only when it is shown), so they would offer a
// resize; they are written again as the box is shown, before it is mapped.
class MessageBoxHints : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show && watched->isWidgetType()) {
      WriteMotifHints(static_cast<QWidget*>(watched), /*closeBox=*/true);
    }
    return QObject::eventFilter(watched, event);
  }
};

// Widens `dialog` once so its title shows whole. The content stays where its
// template puts it (some dialogs paint beside their controls at fixed
// places); the room comes on the right.
void FitTitle(QWidget* dialog) {
  if (dialog->property(kTitleFittedProperty).toBool()) return;
  dialog->setProperty(kTitleFittedProperty, true);
  // The window manager sets the title in its own face, mostly the desktop's
  // bold one, which is larger than the dialogs' template face.
  QFont titleFont = QGuiApplication::font();
  titleFont.setBold(true);
  const int width = dialog->width();
  const int wanted = TitleFitWidth(QFontMetrics(titleFont), dialog->windowTitle(), width);
  if (wanted != width) dialog->setFixedSize(wanted, dialog->height());
}

}  // namespace

int TitleFitWidth(const QFontMetrics& titleFont, const QString& title, int width) {
  return std::max(width, titleFont.horizontalAdvance(title) + kTitleBarRoom);
}

MotifHints FixedDialogHints(bool closeBox) {
  MotifHints hints{};
  hints.flags = kHintsFunctions | kHintsDecorations;
  hints.functions = kFunctionMove | (closeBox ? kFunctionClose : 0u);
  hints.decorations = kDecorBorder | kDecorTitle | (closeBox ? kDecorMenu : 0u);
  return hints;
}

Qt::WindowFlags FixedDialogFlags(bool closeBox) {
  Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
  if (closeBox) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  return flags;
}

void ApplyFixedDialogDecorations(QWidget* dialog, bool closeBox) {
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  if (x11 == nullptr || x11->connection() == nullptr) return;
  FitTitle(dialog);
  WriteMotifHints(dialog, closeBox);
}

void ShowMessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                    const QString& text) {
  QMessageBox box(icon, caption, text, QMessageBox::Ok, parent);
  box.setWindowFlags(FixedDialogFlags(/*closeBox=*/true));
  MessageBoxHints hints;
  box.installEventFilter(&hints);
  box.exec();
}

}  // namespace kelvora::gui
