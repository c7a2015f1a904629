// The "Plan skeds" window: a plan runs off the window's thread, fills the
// table and the chart, can be cancelled, sorted and exported; bad input is
// said in the window.
#include "plan/plan_window.h"

#include <gtest/gtest.h>
#include <libical/ical.h>

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <cmath>

#include "gui_test_support.h"
#include "plan/plan_chart.h"
#include "plan/plan_export.h"
#include "plan/plan_table_model.h"

namespace kelvora::gui::test {
namespace {

constexpr std::int64_t k20261208 = 1796688000;  // 2026-12-08 00:00:00 UTC

QString ScreenshotDir() {
  const QByteArray fromEnvironment = qgetenv("KELVORA_SCREENSHOT_DIR");
  return fromEnvironment.isEmpty() ? QStringLiteral(KELVORA_SCREENSHOT_DIR)
                                   : QString::fromLocal8Bit(fromEnvironment);
}

class PlanWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    model.home.latitude = 29.42;
    model.home.longitude = 95.36;
    model.home.gmtOffsetHours = 6;
    window = std::make_unique<PlanWindow>(model, QStringLiteral(KELVORA_RESOURCE_DIR "/EME.DTA"),
                                          [] { return k20261208; });
    window->resize(980, 640);
    window->show();
    window->SetStartUtc(k20261208);
  }

  // Starts the plan and waits for it; false when it did not start or finish.
  bool RunPlan() {
    QSignalSpy finished(window.get(), &PlanWindow::PlanFinished);
    if (!window->StartPlan()) return false;
    return finished.wait(60000);
  }

  PlanRequest Request(double dxLatitude, double dxLongitude, int days) const {
    return {
        {29.42, 95.36, 10.0}, {dxLatitude, dxLongitude, 10.0}, k20261208, days * 86400LL, 144e6};
  }

  TrackerModel model;
  std::unique_ptr<PlanWindow> window;
};

TEST_F(PlanWindowTest, PlanFillsTheTableTheChartAndTheDetails) {
  window->SetDx(PlanWindow::kByCall, QStringLiteral("qa1ab"));
  ASSERT_TRUE(RunPlan());
  // QA1AB sits at FN42LI: 42.36 N, 71.04 W once placed by its locator.
  const SkedPlan expected = PlanSkeds(Request(42.35, 71.04, 7));
  ASSERT_GE(expected.windows.size(), 3u);
  QAbstractItemModel* table = window->Table()->model();
  ASSERT_EQ(table->rowCount(), static_cast<int>(expected.windows.size()));
  for (int row = 0; row < table->rowCount(); ++row) {
    const SkedWindow& w = expected.windows[static_cast<std::size_t>(row)];
    EXPECT_EQ(table->index(row, 0).data().toString().toStdString(), ShortTimeText(w.startUtc));
    EXPECT_EQ(table->index(row, 2).data().toString().toStdString(),
              ShortTimeText(w.startUtc - 6 * 3600));
  }
  EXPECT_TRUE(window->StatusText().startsWith(
      QStringLiteral("%1 windows with QA1AB").arg(expected.windows.size())))
      << window->StatusText().toStdString();
  // The best window is selected and described beside the table.
  const auto best = std::find_if(expected.windows.begin(), expected.windows.end(),
                                 [](const SkedWindow& w) { return w.best; });
  EXPECT_TRUE(window->DetailsText().contains(
      QString::fromStdString("Start: " + UtcIsoText(best->startUtc))))
      << window->DetailsText().toStdString();
  EXPECT_TRUE(window->DetailsText().contains(QStringLiteral("(best window)")));

  QApplication::processEvents();
  window->grab().save(QDir(ScreenshotDir()).filePath(QStringLiteral("plan_window.png")));
  PlanChart* chart = window->Chart();
  const QImage image = chart->grab().toImage();
  const int top = chart->PlotRect().top() + 2;
  auto middleX = [&](const SkedWindow& w) {
    return static_cast<int>(chart->XForUtc(w.startUtc + w.DurationSeconds() / 2));
  };
  for (const SkedWindow& w : expected.windows) {
    if (w.DurationSeconds() < 3 * 3600) continue;  // wide enough to probe
    SCOPED_TRACE(w.startUtc);
    EXPECT_EQ(image.pixel(middleX(w), top),
              w.best ? PlanChart::kSelectedShade : PlanChart::kWindowShade);
  }
  // Between two windows the background shows.
  const std::int64_t gap = (expected.windows[0].endUtc + expected.windows[1].startUtc) / 2;
  EXPECT_EQ(image.pixel(static_cast<int>(chart->XForUtc(gap)), top), PlanChart::kBackground);
  // The home curve passes where the home elevation says, give or take a pixel or two.
  const int x = middleX(expected.windows[0]);
  const std::int64_t t = expected.windows[0].startUtc + expected.windows[0].DurationSeconds() / 2;
  const int y = static_cast<int>(chart->YForElevation(PlanMoonElevation({29.42, 95.36, 10}, t)));
  int homePixels = 0;
  for (int dy = -3; dy <= 3; ++dy) {
    for (int dx = -1; dx <= 1; ++dx) {
      const QColor c = image.pixelColor(x + dx, y + dy);
      homePixels += c.blue() > 150 && c.red() < 120 ? 1 : 0;
    }
  }
  EXPECT_GT(homePixels, 0);
}

TEST_F(PlanWindowTest, HeaderClickSortsByValue) {
  window->SetDx(PlanWindow::kByLocator, QStringLiteral("FN42"));
  ASSERT_TRUE(RunPlan());
  QTableView* view = window->Table();
  QAbstractItemModel* table = view->model();
  ASSERT_GE(table->rowCount(), 3);
  view->horizontalHeader()->sectionClicked(PlanTableModel::kScore);
  view->sortByColumn(PlanTableModel::kScore, Qt::DescendingOrder);
  for (int row = 1; row < table->rowCount(); ++row) {
    EXPECT_GE(table->index(row - 1, PlanTableModel::kScore).data(Qt::UserRole).toDouble(),
              table->index(row, PlanTableModel::kScore).data(Qt::UserRole).toDouble());
  }
  EXPECT_TRUE(table->index(0, PlanTableModel::kScore).data().toString().endsWith("best"));
}

// The path's spread and delay columns show the window's own figures.
TEST_F(PlanWindowTest, SpreadAndDelayColumnsShowTheWindowFigures) {
  window->SetDx(PlanWindow::kByLocator, QStringLiteral("FN42"));
  ASSERT_TRUE(RunPlan());
  QAbstractItemModel* table = window->Table()->model();
  ASSERT_GE(table->rowCount(), 1);
  for (int row = 0; row < table->rowCount(); ++row) {
    const double middle =
        table->index(row, PlanTableModel::kSpreadMiddle).data(Qt::UserRole).toDouble();
    const double largest =
        table->index(row, PlanTableModel::kSpreadLargest).data(Qt::UserRole).toDouble();
    EXPECT_GT(middle, 0.0);
    EXPECT_GE(largest, middle);
    EXPECT_EQ(table->index(row, PlanTableModel::kSpreadLargest).data().toString(),
              QString::number(largest, 'f', 1) + QStringLiteral(" Hz"));
    EXPECT_NEAR(table->index(row, PlanTableModel::kDelay).data(Qt::UserRole).toDouble(), 2.55, 0.2);
  }
  EXPECT_EQ(table->headerData(PlanTableModel::kSpreadMiddle, Qt::Horizontal).toString(),
            QStringLiteral("Spread mid"));
}

TEST_F(PlanWindowTest, BadInputIsSaidInTheWindow) {
  struct Row {
    const char* name;
    PlanWindow::DxMode mode;
    const char* text;
    const char* message;
  };
  const Row rows[] = {
      {"unknown_call", PlanWindow::kByCall, "QX9ZZ", "call QX9ZZ is not in the EME directory"},
      {"bad_locator", PlanWindow::kByLocator, "FN42LY",
       "'FN42LY' is not a locator (2, 4 or 6 characters: A-R A-R 0-9 0-9 A-X A-X)"},
      {"no_second_station", PlanWindow::kSecondStation, "",
       "no second station is set (Station > Station2)"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    window->SetDx(row.mode, QString::fromUtf8(row.text));
    EXPECT_FALSE(window->StartPlan());
    EXPECT_EQ(window->StatusText().toStdString(), row.message);
    EXPECT_FALSE(window->IsRunning());
  }
  PlanWindow missing(model, QStringLiteral("/nonexistent/EME.DTA"), [] { return k20261208; });
  missing.SetDx(PlanWindow::kByCall, QStringLiteral("QA1AB"));
  EXPECT_FALSE(missing.StartPlan());
  EXPECT_EQ(missing.StatusText(),
            QStringLiteral("cannot read the EME directory /nonexistent/EME.DTA"));
}

TEST_F(PlanWindowTest, NeverSharedMoonGivesTheReason) {
  model.station2.latitude = -29.42;
  model.station2.longitude = -84.64;
  window->SetDx(PlanWindow::kSecondStation, QString());
  ASSERT_TRUE(RunPlan());
  EXPECT_EQ(window->Table()->model()->rowCount(), 0);
  EXPECT_EQ(window->StatusText(),
            QString::fromUtf8(
                "No window: the moon never rises above 10° at both stations in these 7 days."));
}

TEST_F(PlanWindowTest, CancelStopsALongPlan) {
  window->SetDx(PlanWindow::kByLocator, QStringLiteral("JO62"));
  window->SetDays(31);
  QSignalSpy finished(window.get(), &PlanWindow::PlanFinished);
  ASSERT_TRUE(window->StartPlan());
  EXPECT_TRUE(window->IsRunning());
  EXPECT_FALSE(window->StartPlan());  // one plan at a time
  window->CancelPlan();
  ASSERT_TRUE(finished.wait(60000));
  EXPECT_FALSE(window->IsRunning());
  EXPECT_EQ(window->StatusText(),
            QStringLiteral("Cancelled; the table shows the last finished plan."));
  EXPECT_EQ(window->Table()->model()->rowCount(), 0);
}

TEST_F(PlanWindowTest, ExportsAndCopyCarryTheWindows) {
  window->SetDx(PlanWindow::kByLocator, QStringLiteral("FN42LI"));
  window->SetDays(3);
  ASSERT_TRUE(RunPlan());
  const int rows = window->Table()->model()->rowCount();
  ASSERT_GT(rows, 0);
  QTemporaryDir folder;
  const QString csvPath = folder.filePath(QStringLiteral("skeds.csv"));
  ASSERT_TRUE(window->ExportCsv(csvPath));
  QFile csv(csvPath);
  ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
  const QList<QByteArray> lines = csv.readAll().split('\n');
  EXPECT_EQ(lines.size(), rows + 2);  // header, rows, and the empty rest after the last CRLF
  EXPECT_TRUE(lines[0].startsWith("start_utc,end_utc,"));

  const QString icsPath = folder.filePath(QStringLiteral("skeds.ics"));
  ASSERT_TRUE(window->ExportICalendar(icsPath));
  QFile icsFile(icsPath);
  ASSERT_TRUE(icsFile.open(QIODevice::ReadOnly));
  icalcomponent* calendar = icalparser_parse_string(icsFile.readAll().constData());
  ASSERT_NE(calendar, nullptr);
  EXPECT_EQ(icalcomponent_count_components(calendar, ICAL_VEVENT_COMPONENT), rows);
  icalcomponent_free(calendar);

  EXPECT_FALSE(window->ExportCsv(folder.filePath(QStringLiteral("no/such/folder/x.csv"))));
  EXPECT_TRUE(window->StatusText().startsWith(QStringLiteral("Could not write")));

  window->CopyToClipboard();
  const QString copied = QApplication::clipboard()->text();
  EXPECT_TRUE(copied.startsWith(QStringLiteral("start_utc\tend_utc\t")));
  EXPECT_EQ(copied.count(QLatin1Char('\n')), rows + 1);
}

TEST_F(WindowTest, StationMenuOpensThePlanner) {
  QAction* item = nullptr;
  for (QAction* action : dialog->findChildren<QAction*>()) {
    if (action->text() == QStringLiteral("Plan S&keds...")) item = action;
  }
  ASSERT_NE(item, nullptr);
  item->trigger();
  auto* planner = dialog->findChild<PlanWindow*>(QStringLiteral("planWindow"));
  ASSERT_NE(planner, nullptr);
  EXPECT_TRUE(planner->isVisible());
  EXPECT_TRUE(planner->isWindow());
  item->trigger();  // a second time shows the same window
  EXPECT_EQ(dialog->findChildren<PlanWindow*>().size(), 1);
}

}  // namespace
}  // namespace kelvora::gui::test
