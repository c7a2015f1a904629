// Renders the whole main window, earth map and sky map, at live and at
// stepped time, into PNG files for a person to look at, and checks what can
// be checked by pixel: the size and the red clock while stepped.
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QMenuBar>
#include <QPixmap>

#include "gui_test_support.h"

namespace kelvora::gui::test {
namespace {

QString ScreenshotDir() {
  const QByteArray fromEnvironment = qgetenv("KELVORA_SCREENSHOT_DIR");
  return fromEnvironment.isEmpty() ? QStringLiteral(KELVORA_SCREENSHOT_DIR)
                                   : QString::fromLocal8Bit(fromEnvironment);
}

// Pixels of the stepped-time red, (255, 64, 64), give or take the blending
// of anti-aliased glyph edges with the grey box.
int CountRedPixels(const QImage& image, const QRect& area) {
  int count = 0;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) {
      const QColor c = image.pixelColor(x, y);
      if (c.red() > 200 && c.green() < 150 && c.blue() < 150) ++count;
    }
  }
  return count;
}

class WindowScreenshotTest : public WindowTest {
 protected:
  // The picture as the next tick leaves it: a step key also reaches the box
  // with the focus as a typed letter until the tick writes the box again.
  QImage Shoot(const QString& name) {
    dialog->HandleTimer(kTickTimerId);
    QApplication::processEvents();
    const QImage image = dialog->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_TRUE(QDir().mkpath(ScreenshotDir()));
    const QString file = QDir(ScreenshotDir()).filePath(name);
    EXPECT_TRUE(image.save(file)) << file.toStdString();
    return image;
  }

  QRect ClockBoxInWindow() const {
    QLineEdit* box = dialog->ValueBox(1006);
    return QRect(box->mapTo(dialog.get(), QPoint(0, 0)), box->size());
  }
};

TEST_F(WindowScreenshotTest, EarthAndSkyMapLiveAndStepped) {
  // A second station makes the station-2 boxes and markers show.
  model.station2.latitude = 52.52;
  model.station2.longitude = -13.40;
  model.station2.locator = "JO62QM";
  dialog->show();
  dialog->HandleTimer(kTickTimerId);
  dialog->HandleTimer(kTickTimerId);

  const int menuHeight = dialog->findChild<QMenuBar*>()->height();
  const QImage earthLive = Shoot(QStringLiteral("window_earth_live.png"));
  EXPECT_EQ(earthLive.size(), QSize(510, 496 + menuHeight));
  EXPECT_EQ(CountRedPixels(earthLive, ClockBoxInWindow()), 0);

  Click(Qt::Key_O);
  const QImage earthStepped = Shoot(QStringLiteral("window_earth_stepped.png"));
  EXPECT_GT(CountRedPixels(earthStepped, ClockBoxInWindow()), 0);

  Click(Qt::Key_Escape);
  Click(Qt::Key_V, Qt::ControlModifier);
  dialog->HandleTimer(kTickTimerId);
  const QImage skyLive = Shoot(QStringLiteral("window_sky_live.png"));
  EXPECT_EQ(CountRedPixels(skyLive, ClockBoxInWindow()), 0);
  EXPECT_NE(skyLive, earthLive);

  Click(Qt::Key_D);
  const QImage skyStepped = Shoot(QStringLiteral("window_sky_stepped.png"));
  EXPECT_GT(CountRedPixels(skyStepped, ClockBoxInWindow()), 0);
}

}  // namespace
}  // namespace kelvora::gui::test
