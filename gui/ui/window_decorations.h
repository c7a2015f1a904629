// The title-bar buttons of the fixed-size dialogs under X11.
//
// Qt tells an X11 window manager which buttons a window wants through the
// Motif hints, and when a window asks for none of minimise, maximise or
// close it sends "every function", so the manager adds all three buttons and
// squeezes the title ("Se... ata"). A dialog whose caption has no system menu
// must get a title bar with no buttons at all, and one with a close box only
// that box; these hints are written here instead.
#pragma once

#include <QMessageBox>
#include <Qt>

#include <cstdint>

class QFontMetrics;
class QString;
class QWidget;

namespace kelvora::gui {

// The five 32-bit words of the _MOTIF_WM_HINTS property.
struct MotifHints {
  std::uint32_t flags;
  std::uint32_t functions;
  std::uint32_t decorations;
  std::int32_t inputMode;
  std::uint32_t status;
  bool operator==(const MotifHints&) const = default;
};

// A fixed-size dialog: border and title, moved but never resized, minimised
// or maximised; closed from its title bar only when it has a close box.
MotifHints FixedDialogHints(bool closeBox);

// The window flags of every small dialog and message box: the dialog type
// (X11 names it _NET_WM_WINDOW_TYPE_DIALOG and makes the window a transient
// of its parent's), a title, and a close box only where `closeBox` asks for
// one; never a minimise or maximise button. The customise flag makes Qt
// write Motif hints with just these functions rather than all of them.
Qt::WindowFlags FixedDialogFlags(bool closeBox);

// Some window managers read no button bits from the Motif hints. Openbox
// (3.6) takes a button away only for the window's type: a dialog loses the
// maximise function, and a fixed size does the same, but every dialog keeps
// its minimise and close buttons, and the default title layout still draws
// the maximise button, inert, between them. Minimising a dialog there
// minimises the main window with it. A small dialog's title would then
// shrink to a few letters. The room a title bar takes besides the title:
// the window icon, up to three buttons and the margins.
inline constexpr int kTitleBarRoom = 140;

// The width a fixed dialog needs for `title` (in the title bar's face, as
// `titleFont` measures it) to show whole beside kTitleBarRoom; never less
// than its own `width`.
int TitleFitWidth(const QFontMetrics& titleFont, const QString& title, int width);

// Writes FixedDialogHints(closeBox) to the window of `dialog` when the
// program runs on X11; elsewhere the window flags already say it. There it
// also widens the dialog once to TitleFitWidth, the room added on the right
// of its template's controls. Call it once the native window exists and
// before it is mapped (a show event).
void ApplyFixedDialogDecorations(QWidget* dialog, bool closeBox);

// Shows `text` in a modal message box over `parent` with an OK button and
// returns once it is closed. The box is set up as the dialogs are:
// FixedDialogFlags(true), a transient of `parent`'s window (none when there
// is no window yet, as at start-up) and, on X11, FixedDialogHints(true). Its
// own layout sizes it, title included.
void ShowMessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                    const QString& text);

}  // namespace kelvora::gui
