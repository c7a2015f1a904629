#include "ui/control_colours.h"

namespace kelvora::gui {

ControlColours ColoursForControl(TextId text, bool stepped) {
  switch (text) {
    case TextId::kClock:
      return {kEditBackColour, stepped ? kSteppedTextColour : kClockTextColour};
    case TextId::kSourceLine:
      return {kEditBackColour, stepped ? std::optional<QColor>(kSteppedTextColour) : std::nullopt};
    case TextId::kMoonDeclination:
    case TextId::kMoonRange:
    case TextId::kPerigee:
    case TextId::kApogee:
    case TextId::kSkyTemperature:
    case TextId::kPathLoss:
    case TextId::kDegradation:
    case TextId::kEchoDoppler:
      return {kEditBackColour, std::nullopt};
    case TextId::kStation2Locator:
    case TextId::kStation2Azimuth:
    case TextId::kStation2Elevation:
    case TextId::kPolarityOffset:
    case TextId::kStation2Doppler:
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

QPalette PaletteForControl(const QPalette& base, TextId text, bool stepped) {
  QPalette palette = base;
  const ControlColours colours = ColoursForControl(text, stepped);
  for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
    if (colours.background) palette.setColor(group, QPalette::Base, *colours.background);
    if (colours.text) palette.setColor(group, QPalette::Text, *colours.text);
  }
  return palette;
}

}  // namespace kelvora::gui
