#include "ui/control_colours.h"

namespace kelvora::gui {

ControlColours ColoursForControl(int controlId, bool stepped) {
  switch (controlId) {
    case 1006:  // clock
      return {kEditBackColour, stepped ? kSteppedTextColour : kClockTextColour};
    case 1099:  // tracked source line
      return {kEditBackColour, stepped ? std::optional<QColor>(kSteppedTextColour) : std::nullopt};
    case 1004:
    case 1005:
    case 1021:
    case 1022:
    case 1074:
    case 1075:
    case 1076:
    case 1097:
      return {kEditBackColour, std::nullopt};
    case 1079:
    case 1092:
    case 1093:
    case 1077:
    case 1114:
      return {kEditBackColour, kStation2TextColour};
    default:
      return {};
  }
}

QPalette ClassicFacePalette(const QPalette& base) {
  QPalette palette = base;
  for (const QPalette::ColorGroup group :
       {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    palette.setColor(group, QPalette::Window, kFaceColour);
    palette.setColor(group, QPalette::Button, kFaceColour);
  }
  for (const QPalette::ColorRole role :
       {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
    palette.setColor(QPalette::Disabled, role, kDisabledTextColour);
  }
  return palette;
}

QPalette PaletteForControl(const QPalette& base, int controlId, bool stepped) {
  QPalette palette = base;
  const ControlColours colours = ColoursForControl(controlId, stepped);
  for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
    if (colours.background) palette.setColor(group, QPalette::Base, *colours.background);
    if (colours.text) palette.setColor(group, QPalette::Text, *colours.text);
  }
  return palette;
}

}  // namespace kelvora::gui
