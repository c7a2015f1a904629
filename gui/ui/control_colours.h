// Colours of the main window's value boxes. The boxes listed here are filled
// with the light grey of editBackBrush; the clock and the tracked-source line
// turn red while the window shows a stepped (not live) time.
#pragma once

#include <QColor>
#include <QPalette>

#include <optional>

namespace kelvora::gui {

inline const QColor kEditBackColour(224, 224, 224);
inline const QColor kClockTextColour(0, 0, 128);
inline const QColor kSteppedTextColour(255, 64, 64);
inline const QColor kStation2TextColour(128, 128, 255);

// The classic button face the window's layout was drawn on: the panel's grey
// text backgrounds, (195, 195, 195), blend into it. Disabled text (the
// captions of the group boxes, the only labels of eight value boxes) is the
// panel's label grey, 3.3:1 against the face, where the usual embossed grey
// would read at about 2:1.
inline const QColor kFaceColour(192, 192, 192);
inline const QColor kDisabledTextColour(100, 100, 100);

// `base` with the face colour for the window and its buttons and readable
// disabled text, in every colour group.
QPalette ClassicFacePalette(const QPalette& base);

// Colours for one control; an empty field keeps the style's own colour.
struct ControlColours {
  std::optional<QColor> background;  // the whole box, behind and around the text
  std::optional<QColor> text;
};

// The colours of edit control `controlId`; `stepped` is true while the time
// offset is not 0. Boxes whose text is drawn transparently over the grey
// brush show that brush all over, so they count as grey too.
ControlColours ColoursForControl(int controlId, bool stepped);

// `base` with the colours of `controlId` applied to the Base and Text roles of
// the active and inactive groups (the boxes look the same whether or not the
// window has the focus).
QPalette PaletteForControl(const QPalette& base, int controlId, bool stepped);

}  // namespace kelvora::gui
