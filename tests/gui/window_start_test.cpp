// The window at start: what it shows before the first timer event and what
// it says about a damaged settings file.
#include <QCoreApplication>
#include <QFile>

#include <cmath>
#include <limits>

#include "gui_test_support.h"

namespace kelvora::gui::test {
namespace {

void WriteRecord(const QString& path, std::initializer_list<double> values) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  for (const double value : values) {
    file.write(reinterpret_cast<const char*>(&value), sizeof value);
  }
}

TEST_F(WindowTest, DamagedSettingsFileIsNamedOnceAtStart) {
  const QString path = folder.filePath(QStringLiteral("Dorvakin.dat"));
  WriteRecord(path, {52.5, -13.4, std::numeric_limits<double>::quiet_NaN(), 0.0});
  QFile original(path);
  ASSERT_TRUE(original.open(QIODevice::ReadOnly));
  const QByteArray bytes = original.readAll();
  original.close();

  messages.clear();
  model = TrackerModel{};
  MakeWindow(false);
  QCoreApplication::processEvents();
  dialog->HandleTimer(kTickTimerId);
  dialog->HandleTimer(kTickTimerId);
  QCoreApplication::processEvents();

  ASSERT_EQ(messages.size(), 1u);
  EXPECT_TRUE(messages[0].contains(QStringLiteral("Dorvakin.dat")));
  EXPECT_TRUE(messages[0].contains(QStringLiteral("GMT offset")));
  // The usable fields are kept, the clock is not shifted by a wild offset.
  EXPECT_EQ(model.home.latitude, 52.5);
  EXPECT_EQ(model.home.longitude, -13.4);
  EXPECT_EQ(model.home.gmtOffsetHours, 0);
  EXPECT_EQ(model.home.distanceUnit, 0);
  EXPECT_EQ(BoxText(1006), QStringLiteral("Mon Jan 15 12:00:00 2024"));
  // Nothing is written back until the user saves.
  ASSERT_TRUE(original.open(QIODevice::ReadOnly));
  EXPECT_EQ(original.readAll(), bytes);
}

TEST_F(WindowTest, GoodSettingsFileGivesNoNotice) {
  WriteRecord(folder.filePath(QStringLiteral("Dorvakin.dat")), {52.5, -13.4, -1.0, 0.0});
  messages.clear();
  model = TrackerModel{};
  MakeWindow(false);
  QCoreApplication::processEvents();
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(model.home.gmtOffsetHours, -1);
}

}  // namespace
}  // namespace kelvora::gui::test
