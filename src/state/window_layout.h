// Every window rectangle, control id, menu id, bitmap id and timer id of the
// program, named after what it covers. The core hands out repaint rectangles
// and menu marks, the window lays its controls out from here, and the tests
// check against the same names.
//
// Pixel rectangles are client pixels of the main window, corners as given
// (right and bottom exclusive). Templates are in dialog units (see
// gui/ui/dialog_units.h for the pixels of a unit).
#pragma once

#include <array>

#include "state/display_texts.h"

namespace kelvora {

// ---- Timers ----

inline constexpr unsigned kRefreshTimerId = 0;  // direct calls from keys and mouse
inline constexpr unsigned kTickTimerId = 1;     // the tracking tick
inline constexpr unsigned kStatusTimerId = 2;   // the status line
inline constexpr unsigned kStepTimerId = 3;     // ends a keyboard step, single shot

inline constexpr int kTickTimerPeriodMs = 1000;
inline constexpr int kStatusTimerPeriodMs = 5000;
inline constexpr int kStepTimerPeriodMs = 500;

// ---- Bitmaps ----

inline constexpr int kEarthMapBitmap = 141;
inline constexpr int kSkyMapBitmap = 142;

// ---- Menu commands ----

inline constexpr int kCmdPrimarySetup = 32771;
inline constexpr int kCmdSave = 32772;
inline constexpr int kCmdAbout = 32775;
inline constexpr int kCmdExit = 32776;
inline constexpr int kCmdEmeDir = 32778;
inline constexpr int kCmdStation2 = 32779;
// The items of "&Track another star", as the source catalogue
// (astro/sources.h, RadioSources) carries them with their menu texts; the
// menu is built from the catalogue.
inline constexpr int kCmdQuietSky = 32782;
inline constexpr int kCmdCassiopeiaA = 32783;
inline constexpr int kCmdCentaurusA = 32784;
inline constexpr int kCmdCygnusA = 32785;
inline constexpr int kCmdGalacticCentre = 32786;
inline constexpr int kCmdTaurusA = 32787;
inline constexpr int kCmdOtherStar = 32788;
inline constexpr int kCmdFromMoon = 32793;
inline constexpr int kCmdFromSun = 32794;
inline constexpr int kCmdSkyMap = 32795;
inline constexpr int kCmdEarthMap = 32797;
inline constexpr int kCmdHelp = 57670;

// ---- The main window ----

inline constexpr int kClientWidth = 510;
inline constexpr int kClientHeight = 496;
// Where the window opens, dialog units from the screen's corner.
inline constexpr int kMainWindowX = 125;
inline constexpr int kMainWindowY = 10;

// A window rectangle, corners as given (right and bottom exclusive).
struct PixelRect {
  int left;
  int top;
  int right;
  int bottom;
  bool operator==(const PixelRect&) const = default;
};

// The map pictures (earth and sky) are shown from this row down, this much
// of them: columns 0-430, rows 170-474.
inline constexpr int kMapTop = 170;
inline constexpr int kMapShownWidth = 431;
inline constexpr int kMapShownHeight = 305;

// What each command repaints. They all cover the map; each keeps the extent
// it has always had.
// The map with the five rows above it (the view caption's row): the Sky Map
// and Earth Map commands, and a second station placed by a click.
inline constexpr PixelRect kMapRepaintRect{0, 165, 431, 475};
// The same and one row more: a new outline of the region that sees the body.
inline constexpr PixelRect kOutlineRepaintRect{0, 165, 431, 476};
// The same without the outermost columns: the return to live time, the 1 Min.
// button and a second station removed on the map.
inline constexpr PixelRect kMapInsideRepaintRect{1, 165, 430, 475};
// The map from row 167: the From Sun and From Moon commands.
inline constexpr PixelRect kViewRepaintRect{1, 167, 430, 475};
// The map from row 171: the Station2 command before its dialog opens.
inline constexpr PixelRect kStation2RepaintRect{1, 171, 430, 475};
// From the row under the top value boxes down to the map's bottom: Ctrl+S.
inline constexpr PixelRect kSunViewKeyRepaintRect{1, 67, 430, 475};
// The phase picture (224, 30)-(256, 56) with its word below it from (217, 56),
// whose widest form fits in 80 pixels of the small bold face: a new picture.
inline constexpr PixelRect kPhaseRepaintRect{217, 30, 297, 72};
// The pointer's coordinates at the top right, while the right button is held.
inline constexpr int kPointerTextX = 410;
inline constexpr int kPointerTextY = 5;
inline constexpr PixelRect kPointerTextRepaintRect{410, 6, 506, 23};
// The read-out line under the earth map, and what takes it away.
inline constexpr int kReadoutRow = 477;
inline constexpr int kReadoutRight = kClientWidth;  // the line ends at the window's edge
inline constexpr PixelRect kReadoutRepaintRect{4, kReadoutRow, 508, 490};

// Where the earth map answers the pointer: the read-out (exclusive limits)
// and a right press that removes the second station (inclusive limits).
constexpr bool OnEarthMapForReadout(int x, int y) {
  return x > 0 && x < 428 && y > kMapTop - 1 && y < 476;
}
constexpr bool OnEarthMapForRemoval(int x, int y) {
  return x >= 1 && x <= 430 && y >= 171 && y <= 473;
}

// A control of a template, in dialog units.
struct TemplateRect {
  int x;
  int y;
  int width;
  int height;
};

// The value boxes of the 21 display texts (all but the status line), with
// their template rectangles; multiLine boxes keep their line at the top.
struct ValueBoxLayout {
  TextId text;
  TemplateRect rect;
  bool multiLine;
  bool border;
};

inline constexpr std::array<ValueBoxLayout, 20> kValueBoxes = {{
    {TextId::kClock, {4, 15, 92, 12}, true, true},
    {TextId::kMoonAzimuth, {4, 44, 44, 12}, true, true},
    {TextId::kMoonElevation, {5, 68, 43, 12}, true, true},
    {TextId::kMoonDeclination, {56, 44, 45, 12}, true, true},
    {TextId::kMoonRange, {56, 68, 45, 12}, true, true},
    {TextId::kPerigee, {110, 44, 47, 12}, true, true},
    {TextId::kApogee, {110, 68, 46, 12}, true, true},
    {TextId::kSunAzimuth, {167, 44, 45, 12}, true, false},
    {TextId::kSunElevation, {166, 68, 47, 12}, true, true},
    {TextId::kHomeLocator, {5, 3, 54, 12}, false, false},
    {TextId::kSourceLine, {130, 15, 124, 12}, false, true},
    {TextId::kSkyTemperature, {217, 44, 37, 12}, true, true},
    {TextId::kPathLoss, {218, 65, 37, 12}, true, true},
    {TextId::kDegradation, {218, 86, 37, 12}, true, true},
    {TextId::kEchoDoppler, {217, 106, 37, 12}, false, true},
    {TextId::kStation2Doppler, {217, 126, 37, 12}, false, true},
    {TextId::kStation2Locator, {217, 146, 37, 12}, true, false},
    {TextId::kPolarityOffset, {217, 166, 37, 12}, true, true},
    {TextId::kStation2Azimuth, {217, 188, 37, 12}, false, true},
    {TextId::kStation2Elevation, {217, 210, 37, 12}, false, true},
}};

// The captioned frames around the eight boxes of the top rows; the caption
// is the text's label.
struct GroupBoxLayout {
  TextId text;
  TemplateRect rect;
};

inline constexpr std::array<GroupBoxLayout, 8> kGroupBoxes = {{
    {TextId::kMoonAzimuth, {1, 34, 49, 24}},
    {TextId::kMoonElevation, {1, 58, 49, 25}},
    {TextId::kMoonDeclination, {54, 34, 49, 24}},
    {TextId::kMoonRange, {54, 58, 49, 25}},
    {TextId::kPerigee, {107, 34, 51, 24}},
    {TextId::kApogee, {107, 58, 51, 25}},
    {TextId::kSunAzimuth, {164, 34, 52, 24}},
    {TextId::kSunElevation, {164, 58, 52, 25}},
}};

// The painted captions of the right-hand boxes (the label of each text, in
// client pixels, top-left corner of the text cell), in painting order.
struct PaintedLabel {
  TextId text;
  int x;
  int y;
};

inline constexpr std::array<PaintedLabel, 9> kPaintedLabels = {{
    {TextId::kStation2Locator, 445, 278},
    {TextId::kPolarityOffset, 435, 319},
    {TextId::kStation2Azimuth, 445, 363},
    {TextId::kStation2Elevation, 445, 405},
    {TextId::kSkyTemperature, 445, 71},
    {TextId::kPathLoss, 445, 116},
    {TextId::kDegradation, 435, 158},
    {TextId::kEchoDoppler, 440, 198},
    {TextId::kStation2Doppler, 435, 237},
}};

// The "SkyView" check box and its text, and the status line.
inline constexpr int kSkyViewCheckBox = 1055;
inline constexpr TemplateRect kSkyViewCheckBoxRect{217, 226, 8, 8};
inline constexpr TemplateRect kSkyViewTextRect{225, 226, 28, 9};
inline constexpr TemplateRect kStatusLineRect{0, 237, 255, 10};

// ---- The dialogs' controls ----

// "Setup Data".
inline constexpr int kSetupLatitudeId = 1000;
inline constexpr int kSetupLongitudeId = 1001;
inline constexpr int kSetupGmtOffsetId = 1008;
inline constexpr int kSetupGridId = 1040;
inline constexpr int kSetupMilesId = 1112;
inline constexpr int kSetupKmId = 1113;
inline constexpr int kSetupSaveId = 1068;

// "Station2 Location".
inline constexpr int kStation2CallId = 1094;
inline constexpr int kStation2GridId = 1060;
inline constexpr int kStation2LatitudeId = 1069;
inline constexpr int kStation2LongitudeId = 1070;
inline constexpr int kStation2DeleteId = 1080;
inline constexpr int kStation2CloseId = 1096;
// Its painted data panel: the frame covers (110, 50) up to but not including
// (200, 125), dialog pixels.
inline constexpr PixelRect kStation2DataPanel{110, 50, 200, 125};

// "Enter Star Data".
inline constexpr int kStarRaId = 1103;
inline constexpr int kStarDecId = 1105;
inline constexpr int kStarOkId = 1106;
inline constexpr int kStarCancelId = 1107;

// "Search  EME Dir".
inline constexpr int kDirectoryCallId = 1081;
inline constexpr int kDirectorySearchId = 1067;

}  // namespace kelvora
