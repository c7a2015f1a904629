// Every text the panel and the Station2 data panel paint fits its place in
// the faces this system gives for Arial, at its longest value; and taking a
// text away erases everything it drew.
#include <QFontInfo>
#include <QFontMetrics>

#include "panel/map_readout.h"
#include "panel/panel_overlay.h"
#include "panel/panel_painter.h"
#include "panel/step_buttons.h"
#include "panel_test_support.h"
#include "screen_test_support.h"
#include "ui/dialogs/station2_dialog.h"

namespace kelvora::gui::test {
namespace {

TEST(PanelTextFit, EveryTextFitsItsPlaceAtItsLongest) {
  const DrawingResources resources = CreateDrawingResources();
  struct Row {
    const char* name;
    QFont font;
    std::vector<TextSlot> places;
  } rows[] = {
      {"step_captions", resources.fixedFont, CaptionSlots()},
      {"map_readout", resources.pointerFont, ReadoutSlots()},
      {"right_column_labels", resources.labelFont, LabelSlots()},
      {"phase_words", resources.smallBoldFont, PhaseWordSlots()},
      {"station2_data_panel", Station2PanelFont(), Station2PanelSlots()},
  };
  for (const Row& r : rows) {
    const QFontMetrics metrics(r.font);
    // Still a readable size, not shrunk to nothing.
    EXPECT_GE(r.font.pixelSize(), 8) << r.name;
    for (const TextSlot& place : r.places) {
      EXPECT_LE(metrics.horizontalAdvance(place.text), place.width)
          << r.name << ": '" << place.text.toStdString() << "' in "
          << QFontInfo(r.font).family().toStdString() << " " << r.font.pixelSize() << " px";
    }
  }
}

TEST(PanelTextFit, PlacesAreTheLayoutsOwn) {
  // The caption boxes, the read-out columns and the data panel's frame,
  // from the layout: "+/- 1 Month" has 52 pixels up to its box's outline,
  // the distance on the read-out 72 up to the window's edge.
  const std::vector<TextSlot> captions = CaptionSlots();
  EXPECT_EQ(captions[static_cast<std::size_t>(StepButton::kMonth)].width, 103 - 52);
  EXPECT_EQ(ReadoutSlots().back().width, 510 - 438);
  EXPECT_EQ(Station2PanelSlots()[3].width, 199 - 113);
  // The data panel asks for weight 550, which the original system draws as
  // the normal weight: never the bold face.
  EXPECT_FALSE(QFontInfo(Station2PanelFont()).bold());
}

// The caption, read-out and pointer areas, with a margin for what a wider
// face would have drawn beyond them.
const QRect kCaptionRow(0, 50, 300, 26);
const QRect kReadoutArea(0, 470, 510, 26);
const QRect kPointerArea(380, 0, 130, 30);

TEST_F(ScreenTest, CaptionsLeaveNothingBehind) {
  ShowAndSettle();
  PanelWidget& panel = *dialog->Panel();
  const DrawingResources resources = CreateDrawingResources();
  const QColor cream = resources.creamBrush.color();
  // Straight from button to button: only the caption of the button under
  // the pointer is on the screen.
  for (const StepButton button : {StepButton::kMonth, StepButton::kWeek, StepButton::kDay,
                                  StepButton::kYear}) {
    const QRect zone = DefOf(button).hoverZone;
    gui::testing::Move(panel, zone.center().x(), zone.center().y());
    const QImage screen = OnScreen();
    const QRect shown = CaptionArea(button, resources);
    int elsewhere = 0;
    int inside = 0;
    for (int y = kCaptionRow.top(); y <= kCaptionRow.bottom(); ++y) {
      for (int x = kCaptionRow.left(); x <= kCaptionRow.right(); ++x) {
        if (screen.pixelColor(x, y) != cream) continue;
        (shown.contains(x, y) ? inside : elsewhere) += 1;
      }
    }
    EXPECT_GT(inside, 0) << static_cast<int>(button);
    EXPECT_EQ(elsewhere, 0) << static_cast<int>(button);
  }
  // Away from them all: the row is as a fresh painting has it.
  gui::testing::Move(panel, 300, 120);
  EXPECT_EQ(StalePixels(OnScreen(), kCaptionRow), 0);
  EXPECT_FALSE(panel.OverlayState().stepCaptionShown);
}

TEST_F(ScreenTest, ReadoutAndPointerTextLeaveNothingBehind) {
  ShowAndSettle();
  model.home.distanceUnit = 0;  // kilometres: the longer figures
  PanelWidget& panel = *dialog->Panel();
  gui::testing::Move(panel, 420, 300);  // far from home, on the map
  gui::testing::Move(panel, 300, 120);  // off the map
  EXPECT_EQ(StalePixels(OnScreen(), kReadoutArea), 0);

  gui::testing::Press(panel, 200, 120, Qt::RightButton);
  gui::testing::Move(panel, 205, 125, Qt::RightButton);
  gui::testing::Release(panel, 205, 125, Qt::RightButton);
  EXPECT_EQ(StalePixels(OnScreen(), kPointerArea), 0);
}

}  // namespace
}  // namespace kelvora::gui::test
