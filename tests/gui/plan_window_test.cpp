// The "Plan skeds" window: a plan runs off the window's thread, fills the
// table and the chart, can be cancelled, sorted and exported; bad input is
// said in the window; the inputs are remembered; "Who can I work" lists the
// directory's stations.
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
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QSettings>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QRegularExpression>
#include <cmath>
#include <filesystem>

#include "gui_test_support.h"
#include "plan/plan_chart.h"
#include "plan/plan_export.h"
#include "plan/plan_stations.h"
#include "plan/plan_table_model.h"
#include "plan/plan_texts.h"
#include "plan/work_list_model.h"

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
    window = MakeWindow();
    window->resize(980, 640);
    window->show();
    window->SetStartUtc(k20261208);
  }

  // A window over this test's own store of inputs.
  std::unique_ptr<PlanWindow> MakeWindow() {
    return std::make_unique<PlanWindow>(
        model, QStringLiteral(KELVORA_RESOURCE_DIR "/EME.DTA"), [] { return k20261208; },
        nullptr, std::make_unique<QSettings>(IniPath(), QSettings::IniFormat));
  }
  QString IniPath() const { return store.filePath(QStringLiteral("planner.ini")); }

  // Starts the plan and waits for it; false when it did not start or finish.
  bool RunPlan(PlanWindow* on = nullptr) {
    PlanWindow* w = on != nullptr ? on : window.get();
    QSignalSpy finished(w, &PlanWindow::PlanFinished);
    if (!w->StartPlan()) return false;
    return finished.wait(60000);
  }

  PlanRequest Request(double dxLatitude, double dxLongitude, int days) const {
    return {
        {29.42, 95.36, 10.0}, {dxLatitude, dxLongitude, 10.0}, k20261208, days * 86400LL, 144e6};
  }

  QTemporaryDir store;
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
              ShortTimeText(w.startUtc - 6 * 3600).substr(5));
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
  const int y = static_cast<int>(chart->YForElevation(*PlanMoonElevation({29.42, 95.36, 10}, t)));
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
    // "middle / largest Hz", sorted by the largest.
    const QStringList shown = table->index(row, PlanTableModel::kSpread)
                                  .data()
                                  .toString()
                                  .split(QStringLiteral(" / "));
    ASSERT_EQ(shown.size(), 2);
    const double middle = shown[0].toDouble();
    const double largest = table->index(row, PlanTableModel::kSpread).data(Qt::UserRole).toDouble();
    EXPECT_GT(middle, 0.0);
    EXPECT_GE(largest + 0.05, middle);
    EXPECT_EQ(shown[1], QString::number(largest, 'f', 1) + QStringLiteral(" Hz"));
    EXPECT_NEAR(table->index(row, PlanTableModel::kDelay).data(Qt::UserRole).toDouble(), 2.55, 0.2);
  }
  EXPECT_EQ(table->headerData(PlanTableModel::kSpread, Qt::Horizontal).toString(),
            QStringLiteral("Spread"));
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

TEST_F(PlanWindowTest, TypedStartIsTheWholeMomentWithItsSeconds) {
  // The field shows the seconds it keeps.
  window->SetStartUtc(k20261208 + 3 * 3600 + 4 * 60 + 5);
  EXPECT_EQ(window->StartField()->text(), QStringLiteral("2026-12-08 03:04:05"));

  struct Row {
    const char* name;
    const char* typed;
    const char* message;  // empty: the plan starts then
  };
  const Row rows[] = {
      {"minutes_only", "2027-03-01 10:00", ""},
      {"with_seconds", "2027-03-01 10:00:30", ""},
      {"no_such_day", "2027-02-30 10:00",
       "Start \"2027-02-30 10:00\" is not a UTC date and time (yyyy-mm-dd hh:mm or "
       "yyyy-mm-dd hh:mm:ss)."},
      {"words", "tomorrow", "Start \"tomorrow\" is not a UTC date and time (yyyy-mm-dd hh:mm or "
                            "yyyy-mm-dd hh:mm:ss)."},
      {"outside_years", "2150-01-01 00:00", "the plan must start at 1901"},
  };
  window->SetDx(PlanWindow::kByLocator, QStringLiteral("FN42"));
  window->SetDays(1);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    // Over the whole field, as an operator types: select all, then type.
    window->StartField()->setFocus();
    QTest::keyClick(window->StartField(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(window->StartField(), QString::fromUtf8(row.typed));
    if (*row.message != '\0') {
      EXPECT_FALSE(window->StartPlan());
      EXPECT_TRUE(window->StatusText().startsWith(QString::fromUtf8(row.message)))
          << window->StatusText().toStdString();
      continue;
    }
    ASSERT_TRUE(RunPlan());
    // 2027-03-01 10:00 UTC: 20878 days after 1970-01-01, plus ten hours.
    const std::int64_t begin = 20878LL * 86400 + 10 * 3600;
    QAbstractItemModel* table = window->Table()->model();
    ASSERT_GT(table->rowCount(), 0);
    for (int r = 0; r < table->rowCount(); ++r) {
      const qlonglong start =
          table->index(r, PlanTableModel::kStartUtc).data(Qt::UserRole).toLongLong();
      EXPECT_GE(start, begin);
      EXPECT_LE(start, begin + 86400);
    }
  }
}

TEST(PlanChartAxes, BothAxesTitledWithDatesAndHourTicksAtEverySpan) {
  struct Row {
    const char* name;
    std::int64_t begin;
    int days;
    int minHourLabels;  // hour labels ("10:00") at least
  };
  const Row rows[] = {
      {"one_day_from_ten", k20261208 + 10 * 3600, 1, 4},
      {"one_week", k20261208, 7, 0},
      {"longest_plan", k20261208, kPlanMaxDays, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    PlanCurves curves;
    curves.beginUtc = row.begin;
    curves.stepSeconds = 300;
    curves.home.assign(static_cast<std::size_t>(row.days) * 288 + 1, 20.0);
    curves.dx = curves.home;
    PlanChart chart;
    chart.resize(760, 240);
    chart.SetPlan(curves, {});
    const QImage image = chart.grab().toImage();
    const QStringList texts = chart.DrawnTexts();
    EXPECT_TRUE(texts.contains(QStringLiteral("Time (UTC)")));
    EXPECT_TRUE(texts.contains(QString::fromUtf8("Moon elevation (°)")));
    // The year is named at least once, at the start's date or a later one.
    EXPECT_FALSE(texts.filter(QRegularExpression(QStringLiteral("^2026-12-\\d\\d$"))).isEmpty())
        << texts.join(' ').toStdString();
    EXPECT_GE(texts.filter(QRegularExpression(QStringLiteral("^\\d\\d:00$"))).size(),
              row.minHourLabels);
    // A tick under the time axis at every 00 and 12 UTC in the span.
    const QRect plot = chart.PlotRect();
    int ticks = 0;
    for (std::int64_t t = (row.begin / 43200 + 1) * 43200; t <= curves.EndUtc(); t += 43200) {
      const int x = static_cast<int>(std::lround(chart.XForUtc(t)));
      bool dark = false;
      for (int dx = -1; dx <= 1; ++dx) dark |= qGray(image.pixel(x + dx, plot.bottom() + 3)) < 100;
      EXPECT_TRUE(dark) << "no tick at " << t;
      ++ticks;
    }
    EXPECT_GE(ticks, 2 * row.days - 1);
    image.save(QDir(ScreenshotDir()).filePath(QStringLiteral("plan_chart_%1.png").arg(row.name)));
  }
}

TEST(PlanTexts, CountsAgreeAndDurationsRound) {
  EXPECT_EQ(CountText(1, "window", "windows"), QStringLiteral("1 window"));
  EXPECT_EQ(CountText(0, "day", "days"), QStringLiteral("0 days"));
  EXPECT_EQ(CountText(7, "day", "days"), QStringLiteral("7 days"));
  const std::pair<std::int64_t, const char*> durations[] = {
      {29, "0:00"}, {30, "0:01"}, {3599, "1:00"}, {5430, "1:31"}, {5429, "1:30"}};
  for (const auto& [seconds, text] : durations) {
    EXPECT_EQ(DurationText(seconds), QString::fromUtf8(text)) << seconds;
  }
}

TEST_F(PlanWindowTest, DefaultSizeShowsEveryColumnAndTheBestRow) {
  // A window as the menu opens it: its own size, not the fixture's.
  auto fresh = MakeWindow();
  fresh->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(fresh.get()));
  fresh->SetDx(PlanWindow::kByLocator, QStringLiteral("JO62"));
  fresh->SetDays(14);
  // Sorted by score, low first, the best window is the last row.
  fresh->Table()->sortByColumn(PlanTableModel::kScore, Qt::AscendingOrder);
  ASSERT_TRUE(RunPlan(fresh.get()));
  QApplication::processEvents();
  QTableView* view = fresh->Table();
  ASSERT_GT(view->model()->rowCount(), view->viewport()->height() / view->rowHeight(0));
  for (int column = 0; column < view->model()->columnCount(); ++column) {
    EXPECT_LE(view->columnViewportPosition(column) + view->columnWidth(column),
              view->viewport()->width())
        << "column " << column;
  }
  const QModelIndexList selected = view->selectionModel()->selectedRows();
  ASSERT_EQ(selected.size(), 1);
  EXPECT_TRUE(view->model()
                  ->index(selected.front().row(), PlanTableModel::kScore)
                  .data()
                  .toString()
                  .endsWith("best"));
  EXPECT_TRUE(view->viewport()->rect().contains(view->visualRect(selected.front()).center()));
  fresh->grab().save(QDir(ScreenshotDir()).filePath(QStringLiteral("plan_window_default.png")));
}

TEST_F(PlanWindowTest, InputsAreRememberedAndBadOnesNamed) {
  window->SetDx(PlanWindow::kByLocator, QStringLiteral("JO62"));
  window->SetDays(3);
  window->SetMinElevations(5.0, 15.5);
  window->SetFrequencyMhz(432.1);
  window->SetWorkListHours(12);
  window->close();  // closing keeps the inputs
  window.reset();

  auto again = MakeWindow();
  EXPECT_EQ(again->findChild<QComboBox*>(QStringLiteral("planDxMode"))->currentIndex(),
            PlanWindow::kByLocator);
  EXPECT_EQ(again->findChild<QLineEdit*>(QStringLiteral("planDx"))->text(), QStringLiteral("JO62"));
  EXPECT_EQ(again->findChild<QSpinBox*>(QStringLiteral("planDays"))->value(), 3);
  EXPECT_EQ(again->findChild<QDoubleSpinBox*>(QStringLiteral("planHomeMin"))->value(), 5.0);
  EXPECT_EQ(again->findChild<QDoubleSpinBox*>(QStringLiteral("planDxMin"))->value(), 15.5);
  EXPECT_EQ(again->findChild<QDoubleSpinBox*>(QStringLiteral("planFrequency"))->value(), 432.1);
  EXPECT_EQ(again->findChild<QSpinBox*>(QStringLiteral("planHours"))->value(), 12);
  again.reset();

  {
    QSettings damaged(IniPath(), QSettings::IniFormat);
    damaged.setValue(QStringLiteral("days"), 99);
    damaged.setValue(QStringLiteral("frequencyMHz"), QStringLiteral("abc"));
  }
  auto third = MakeWindow();
  EXPECT_EQ(third->findChild<QSpinBox*>(QStringLiteral("planDays"))->value(), 7);
  EXPECT_EQ(third->findChild<QDoubleSpinBox*>(QStringLiteral("planFrequency"))->value(), 144.0);
  EXPECT_EQ(third->findChild<QSpinBox*>(QStringLiteral("planHours"))->value(), 12);
  EXPECT_TRUE(third->StatusText().endsWith(QStringLiteral("(out of range): days, frequencyMHz.")))
      << third->StatusText().toStdString();
}

TEST_F(PlanWindowTest, WhoCanIWorkListsSortsExportsAndPlansAStation) {
  window->SetWorkListHours(24);
  QSignalSpy finished(window.get(), &PlanWindow::PlanFinished);
  ASSERT_TRUE(window->StartWorkList());
  ASSERT_TRUE(finished.wait(60000));
  EXPECT_EQ(window->Tabs()->currentIndex(), PlanWindow::kWorkListTab);

  // The same list as the command line's, from the same core function.
  const auto directory =
      LoadStationDirectory(std::filesystem::path(KELVORA_RESOURCE_DIR "/EME.DTA"));
  ASSERT_TRUE(directory) << directory.reason();
  const WorkList expected = WhoCanIWork(
      WorkListRequest{{29.42, 95.36, 10.0}, 10.0, k20261208, 24, 144e6}, directory->stations);
  QTableView* view = window->WorkTable();
  QAbstractItemModel* table = view->model();
  ASSERT_EQ(table->rowCount(), static_cast<int>(expected.rows.size()));
  ASSERT_GE(table->rowCount(), 2);
  for (int row = 0; row < table->rowCount(); ++row) {
    EXPECT_EQ(table->index(row, WorkListModel::kCall).data().toString().toStdString(),
              expected.rows[static_cast<std::size_t>(row)].station.call);
  }
  view->sortByColumn(WorkListModel::kScore, Qt::DescendingOrder);
  for (int row = 1; row < table->rowCount(); ++row) {
    EXPECT_GE(table->index(row - 1, WorkListModel::kScore).data(Qt::UserRole).toDouble(),
              table->index(row, WorkListModel::kScore).data(Qt::UserRole).toDouble());
  }

  QTemporaryDir folder;
  const QString path = folder.filePath(QStringLiteral("stations.csv"));
  ASSERT_TRUE(window->ExportWorkListCsv(path));
  QFile csv(path);
  ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
  const QList<QByteArray> lines = csv.readAll().split('\n');
  EXPECT_EQ(lines.size(), table->rowCount() + 2);
  EXPECT_TRUE(lines[0].startsWith("call,locator,"));

  window->grab().save(QDir(ScreenshotDir()).filePath(QStringLiteral("plan_who_can_i_work.png")));
  // A double-click on the top row plans skeds with that station.
  const QString call = table->index(0, WorkListModel::kCall).data().toString();
  QSignalSpy planned(window.get(), &PlanWindow::PlanFinished);
  const QRect cell = view->visualRect(table->index(0, WorkListModel::kCall));
  QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
  QTest::mouseDClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
  ASSERT_TRUE(planned.wait(60000));
  EXPECT_EQ(window->Tabs()->currentIndex(), PlanWindow::kPlanTab);
  EXPECT_TRUE(window->StatusText().contains(QStringLiteral(" with ") + call))
      << window->StatusText().toStdString();
  EXPECT_GT(window->Table()->model()->rowCount(), 0);
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
