// The main window's face: the classic grey its layout was drawn on, and
// group-box captions that can be read.
#include <QGroupBox>
#include <QImage>

#include <cmath>

#include "gui_test_support.h"
#include "ui/control_colours.h"

namespace kelvora::gui::test {
namespace {

// Relative luminance and contrast ratio as the web's accessibility
// guidelines define them (sRGB channels linearised, 0.05 flare).
double Luminance(const QColor& c) {
  const auto linear = [](int channel) {
    const double v = channel / 255.0;
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * linear(c.red()) + 0.7152 * linear(c.green()) + 0.0722 * linear(c.blue());
}

double Contrast(const QColor& a, const QColor& b) {
  const double la = Luminance(a);
  const double lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

TEST_F(WindowTest, FaceIsClassicGreyAndCaptionsRead) {
  dialog->show();
  Settle();
  QApplication::processEvents();
  const QImage shot = dialog->Panel()->grab().toImage().convertToFormat(QImage::Format_RGB32);

  // A bare spot of the face, left of the source line, and the phase word's
  // own background (195, 195, 195) within three steps of it.
  const QColor face = shot.pixelColor(110, 8);
  EXPECT_EQ(face, QColor(192, 192, 192));
  EXPECT_LE(195 - face.red(), 3);

  // Every group-box caption: its darkest pixel against the face.
  const QList<QGroupBox*> groups = dialog->Panel()->findChildren<QGroupBox*>();
  ASSERT_EQ(groups.size(), 8);
  for (QGroupBox* group : groups) {
    EXPECT_FALSE(group->isEnabled());
    const QRect caption(group->x(), group->y(), group->width(),
                        group->fontMetrics().height());
    double darkest = 1.0;
    QColor ink;
    for (int y = caption.top(); y <= caption.bottom(); ++y) {
      for (int x = caption.left(); x <= caption.right(); ++x) {
        const QColor c = shot.pixelColor(x, y);
        if (Luminance(c) < darkest) {
          darkest = Luminance(c);
          ink = c;
        }
      }
    }
    EXPECT_GE(Contrast(ink, face), 3.0) << group->title().toStdString() << " ink "
                                        << ink.name().toStdString();
  }
}

TEST(ClassicFace, DisabledTextMeetsThreeToOne) {
  const QPalette palette = ClassicFacePalette(QPalette(QColor(239, 239, 239)));
  for (const QPalette::ColorRole role :
       {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
    EXPECT_GE(Contrast(palette.color(QPalette::Disabled, role),
                       palette.color(QPalette::Disabled, QPalette::Window)),
              3.0)
        << role;
  }
  // The panel's grey text backgrounds against the face: no visible bar.
  EXPECT_LT(Contrast(QColor(195, 195, 195), palette.color(QPalette::Active, QPalette::Window)),
            1.05);
}

}  // namespace
}  // namespace kelvora::gui::test
