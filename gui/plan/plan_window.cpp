#include "plan/plan_window.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDateTime>
#include <QDateTimeEdit>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QSortFilterProxyModel>
#include <QSpinBox>
#include <QSplitter>
#include <QTableView>
#include <QThread>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>
#include <variant>

#include "astro/time_helpers.h"
#include "ical/ical_writer.h"
#include "plan/plan_chart.h"
#include "plan/plan_stations.h"
#include "plan/plan_table_model.h"
#include "stations/locator.h"
#include "ui/program.h"

namespace kelvora::gui {

namespace {

constexpr int kDefaultDays = 7;
// The chart samples each curve about this many times over the span, and
// never more often than every five minutes.
constexpr std::int64_t kChartSamples = 3000;
constexpr std::int64_t kChartMinStepSeconds = 300;
constexpr double kHzPerMhz = 1.0e6;

QString Message(const std::string& text) { return QString::fromStdString(text); }

// The station the DX fields describe, or the message to show.
std::variant<PlanStation, std::string> ChooseDx(int mode, const QString& text,
                                                const SecondStation& station2,
                                                const QString& directoryFile) {
  switch (mode) {
    case PlanWindow::kByCall: {
      auto directory = LoadStationDirectory(LocalPath(directoryFile));
      if (auto* message = std::get_if<std::string>(&directory)) return *message;
      return FindStationByCall(std::get<StationDirectory>(directory), text.toStdString());
    }
    case PlanWindow::kByLocator:
      return StationFromLocator(text.trimmed().toStdString());
    default: {
      if (!station2.IsSet()) {
        return std::string("no second station is set (Station > Station2)");
      }
      auto station = StationFromPosition(station2.latitude, station2.longitude);
      if (auto* found = std::get_if<PlanStation>(&station); found && station2.locator.size() == 6) {
        found->locator = station2.locator;
      }
      return station;
    }
  }
}

}  // namespace

// One plan on the worker thread: what it was asked and what it found.
struct PlanWindow::Job {
  PlanRequest request;
  PlanExportContext context;
  std::shared_ptr<std::atomic<bool>> cancel;
  SkedPlan plan;
  PlanCurves curves;
};

PlanWindow::PlanWindow(const TrackerModel& model, QString directoryFile,
                       std::function<std::int64_t()> utcNow, QWidget* parent)
    : QWidget(parent, Qt::Window),
      model_(model),
      directoryFile_(std::move(directoryFile)),
      utcNow_(std::move(utcNow)) {
  setObjectName(QStringLiteral("planWindow"));
  setWindowTitle(tr("Plan skeds"));

  dxMode_ = new QComboBox(this);
  dxMode_->addItems({tr("Call sign"), tr("Locator"), tr("Second station")});
  dxText_ = new QLineEdit(this);
  dxText_->setPlaceholderText(tr("call or locator"));
  start_ = new QDateTimeEdit(this);
  start_->setTimeSpec(Qt::UTC);
  start_->setDisplayFormat(QStringLiteral("yyyy-MM-dd HH:mm"));
  start_->setDateTimeRange(QDateTime(QDate(kFirstSupportedYear, 1, 2), QTime(0, 0), Qt::UTC),
                           QDateTime(QDate(kLastSupportedYear, 11, 30), QTime(0, 0), Qt::UTC));
  SetStartUtc(utcNow_());
  days_ = new QSpinBox(this);
  days_->setRange(kPlanMinDays, kPlanMaxDays);
  days_->setValue(kDefaultDays);
  auto elevationBox = [this] {
    auto* box = new QDoubleSpinBox(this);
    box->setRange(kPlanLowestMinElevation, kPlanHighestMinElevation);
    box->setDecimals(1);
    box->setSuffix(QStringLiteral("°"));
    box->setValue(kPlanDefaultMinElevation);
    return box;
  };
  homeMin_ = elevationBox();
  dxMin_ = elevationBox();
  frequency_ = new QDoubleSpinBox(this);
  frequency_->setRange(0.001, 300000.0);
  frequency_->setDecimals(3);
  frequency_->setSuffix(QStringLiteral(" MHz"));
  frequency_->setValue(kPlanDefaultFrequencyHz / kHzPerMhz);
  planButton_ = new QPushButton(tr("&Plan"), this);
  cancelButton_ = new QPushButton(tr("&Cancel"), this);
  csvButton_ = new QPushButton(tr("Export CS&V..."), this);
  icsButton_ = new QPushButton(tr("Export i&Calendar..."), this);
  copyButton_ = new QPushButton(tr("C&opy"), this);
  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("planStatus"));
  status_->setWordWrap(true);

  chart_ = new PlanChart(this);
  tableModel_ = new PlanTableModel(this);
  proxy_ = new QSortFilterProxyModel(this);
  proxy_->setSourceModel(tableModel_);
  proxy_->setSortRole(Qt::UserRole);
  table_ = new QTableView(this);
  table_->setObjectName(QStringLiteral("planTable"));
  table_->setModel(proxy_);
  table_->setSortingEnabled(true);
  table_->sortByColumn(PlanTableModel::kStartUtc, Qt::AscendingOrder);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->verticalHeader()->setVisible(false);
  table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  details_ = new QPlainTextEdit(this);
  details_->setReadOnly(true);
  details_->setObjectName(QStringLiteral("planDetails"));

  auto* inputs = new QGridLayout;
  inputs->addWidget(new QLabel(tr("DX:"), this), 0, 0);
  inputs->addWidget(dxMode_, 0, 1);
  inputs->addWidget(dxText_, 0, 2);
  inputs->addWidget(new QLabel(tr("Start (UTC):"), this), 0, 3);
  inputs->addWidget(start_, 0, 4);
  inputs->addWidget(new QLabel(tr("Days:"), this), 0, 5);
  inputs->addWidget(days_, 0, 6);
  inputs->addWidget(new QLabel(tr("Min. elevation home:"), this), 1, 0);
  inputs->addWidget(homeMin_, 1, 1);
  inputs->addWidget(new QLabel(tr("DX:"), this), 1, 2, Qt::AlignRight);
  inputs->addWidget(dxMin_, 1, 3);
  inputs->addWidget(new QLabel(tr("Frequency:"), this), 1, 4, Qt::AlignRight);
  inputs->addWidget(frequency_, 1, 5);
  auto* runButtons = new QHBoxLayout;
  runButtons->addWidget(planButton_);
  runButtons->addWidget(cancelButton_);
  inputs->addLayout(runButtons, 1, 6);

  auto* lower = new QSplitter(Qt::Horizontal, this);
  lower->addWidget(table_);
  lower->addWidget(details_);
  lower->setStretchFactor(0, 3);
  lower->setStretchFactor(1, 2);
  auto* split = new QSplitter(Qt::Vertical, this);
  split->addWidget(chart_);
  split->addWidget(lower);
  split->setStretchFactor(0, 2);
  split->setStretchFactor(1, 3);

  auto* exports = new QHBoxLayout;
  exports->addWidget(csvButton_);
  exports->addWidget(icsButton_);
  exports->addWidget(copyButton_);
  exports->addStretch(1);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(inputs);
  layout->addWidget(status_);
  layout->addWidget(split, 1);
  layout->addLayout(exports);
  resize(980, 640);

  connect(dxMode_, &QComboBox::currentIndexChanged, this,
          [this](int mode) { dxText_->setEnabled(mode != kSecondStation); });
  connect(planButton_, &QPushButton::clicked, this, [this] { StartPlan(); });
  connect(dxText_, &QLineEdit::returnPressed, this, [this] { StartPlan(); });
  connect(cancelButton_, &QPushButton::clicked, this, [this] { CancelPlan(); });
  connect(csvButton_, &QPushButton::clicked, this, [this] {
    const QString path = QFileDialog::getSaveFileName(
        this, tr("Export CSV"), QStringLiteral("skeds.csv"), tr("CSV files (*.csv)"));
    if (!path.isEmpty()) ExportCsv(path);
  });
  connect(icsButton_, &QPushButton::clicked, this, [this] {
    const QString path = QFileDialog::getSaveFileName(
        this, tr("Export iCalendar"), QStringLiteral("skeds.ics"), tr("iCalendar files (*.ics)"));
    if (!path.isEmpty()) ExportICalendar(path);
  });
  connect(copyButton_, &QPushButton::clicked, this, [this] { CopyToClipboard(); });
  connect(table_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this] { ShowSelected(); });
  SetRunning(false);
  ShowStatus(tr("Choose the DX station and press Plan."), false);
}

PlanWindow::~PlanWindow() {
  // The worker must not outlive the window it reports to.
  // Its finished signal will find no receiver, so the thread object goes here.
  if (worker_ != nullptr) {
    cancel_->store(true);
    worker_->wait();
    delete worker_;
  }
}

void PlanWindow::SetDx(DxMode mode, const QString& text) {
  dxMode_->setCurrentIndex(mode);
  dxText_->setText(text);
}

void PlanWindow::SetStartUtc(std::int64_t utc) {
  start_->setDateTime(QDateTime::fromSecsSinceEpoch(utc, Qt::UTC));
}

void PlanWindow::SetDays(int days) { days_->setValue(days); }

void PlanWindow::SetMinElevations(double home, double dx) {
  homeMin_->setValue(home);
  dxMin_->setValue(dx);
}

void PlanWindow::SetFrequencyMhz(double mhz) { frequency_->setValue(mhz); }

QString PlanWindow::StatusText() const { return status_->text(); }

QString PlanWindow::DetailsText() const { return details_->toPlainText(); }

void PlanWindow::ShowStatus(const QString& text, bool problem) {
  status_->setText(text);
  status_->setStyleSheet(problem ? QStringLiteral("color: #c0392b;") : QString());
}

void PlanWindow::SetRunning(bool running) {
  planButton_->setEnabled(!running);
  cancelButton_->setEnabled(running);
  const bool haveWindows = !running && !plan_.windows.empty();
  csvButton_->setEnabled(haveWindows);
  icsButton_->setEnabled(haveWindows);
  copyButton_->setEnabled(haveWindows);
}

bool PlanWindow::StartPlan() {
  if (worker_ != nullptr) return false;
  const auto dx =
      ChooseDx(dxMode_->currentIndex(), dxText_->text(), model_.station2, directoryFile_);
  if (const auto* message = std::get_if<std::string>(&dx)) {
    ShowStatus(Message(*message), true);
    return false;
  }
  const PlanStation& station = std::get<PlanStation>(dx);
  auto job = std::make_shared<Job>();
  job->request = PlanRequest{{model_.home.latitude, model_.home.longitude, homeMin_->value()},
                             {station.latitude, station.longitude, dxMin_->value()},
                             start_->dateTime().toSecsSinceEpoch(),
                             std::int64_t{days_->value()} * 86400,
                             frequency_->value() * kHzPerMhz};
  if (const auto message = CheckPlanRequest(job->request)) {
    ShowStatus(Message(*message), true);
    return false;
  }
  job->context = PlanExportContext{PositionToLocator(model_.home.latitude, model_.home.longitude),
                                   station.call.empty() ? station.locator : station.call,
                                   model_.home.gmtOffsetHours, job->request.frequencyHz};
  job->cancel = std::make_shared<std::atomic<bool>>(false);
  cancel_ = job->cancel;

  // The worker touches nothing but the job.
  worker_ = QThread::create([job] {
    const PlanRequest& r = job->request;
    PlanCurves& curves = job->curves;
    curves.beginUtc = r.startUtc;
    curves.stepSeconds = std::max(kChartMinStepSeconds, r.spanSeconds / kChartSamples);
    curves.homeMinElevation = r.home.minElevation;
    curves.dxMinElevation = r.dx.minElevation;
    curves.homeLabel = QStringLiteral("Home ") + QString::fromStdString(job->context.homeLabel);
    curves.dxLabel = QString::fromStdString(job->context.dxLabel);
    for (std::int64_t t = r.startUtc; t <= r.startUtc + r.spanSeconds; t += curves.stepSeconds) {
      if (job->cancel->load(std::memory_order_relaxed)) return;
      curves.home.push_back(PlanMoonElevation(r.home, t));
      curves.dx.push_back(PlanMoonElevation(r.dx, t));
    }
    job->plan = PlanSkeds(r, job->cancel.get());
  });
  connect(worker_, &QThread::finished, this, [this, job] { Finish(job); });
  SetRunning(true);
  ShowStatus(tr("Planning %1 days with %2...")
                 .arg(days_->value())
                 .arg(QString::fromStdString(job->context.dxLabel)),
             false);
  worker_->start();
  return true;
}

void PlanWindow::CancelPlan() {
  if (cancel_) cancel_->store(true);
}

void PlanWindow::Finish(const std::shared_ptr<Job>& job) {
  worker_->deleteLater();
  worker_ = nullptr;
  if (job->cancel->load()) {
    SetRunning(false);
    ShowStatus(tr("Cancelled; the table shows the last finished plan."), false);
    emit PlanFinished();
    return;
  }
  plan_ = job->plan;
  context_ = job->context;
  tableModel_->SetWindows(plan_.windows, job->context.homeGmtOffsetHours);
  chart_->SetPlan(job->curves, plan_.windows);
  details_->clear();
  SetRunning(false);
  if (plan_.windows.empty()) {
    ShowStatus(QString::fromUtf8("No window: ") + Message(plan_.emptyReason) + ".", true);
  } else {
    const auto best = std::find_if(plan_.windows.begin(), plan_.windows.end(),
                                   [](const SkedWindow& w) { return w.best; });
    ShowStatus(tr("%1 windows with %2; the best starts %3 UTC (score %4).")
                   .arg(plan_.windows.size())
                   .arg(QString::fromStdString(job->context.dxLabel))
                   .arg(QString::fromStdString(ShortTimeText(best->startUtc)))
                   .arg(best->score, 0, 'f', 1),
               false);
    // Select the best window so that its details show at once.
    const int row = static_cast<int>(best - plan_.windows.begin());
    table_->selectRow(proxy_->mapFromSource(tableModel_->index(row, 0)).row());
  }
  emit PlanFinished();
}

void PlanWindow::ShowSelected() {
  const QModelIndexList rows = table_->selectionModel()->selectedRows();
  if (rows.isEmpty() || !context_) {
    chart_->SetSelected(-1);
    details_->clear();
    return;
  }
  const int row = proxy_->mapToSource(rows.front()).row();
  chart_->SetSelected(row);
  details_->setPlainText(
      Message(WindowDescription(tableModel_->Windows()[static_cast<std::size_t>(row)], *context_)));
}

namespace {

bool WriteFile(const QString& path, const std::string& text, QString& problem) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly) ||
      file.write(text.data(), static_cast<qint64>(text.size())) !=
          static_cast<qint64>(text.size()) ||
      !file.commit()) {
    problem = file.errorString();
    return false;
  }
  return true;
}

}  // namespace

bool PlanWindow::ExportCsv(const QString& path) {
  if (!context_ || plan_.windows.empty()) {
    ShowStatus(tr("There is no plan to export."), true);
    return false;
  }
  QString problem;
  if (!WriteFile(path, ToCsv(PlanTable(plan_, *context_)), problem)) {
    ShowStatus(tr("Could not write %1: %2").arg(path, problem), true);
    return false;
  }
  ShowStatus(tr("Wrote %1.").arg(path), false);
  return true;
}

bool PlanWindow::ExportICalendar(const QString& path) {
  if (!context_ || plan_.windows.empty()) {
    ShowStatus(tr("There is no plan to export."), true);
    return false;
  }
  const std::optional<std::string> ics = ToICalendar(plan_, *context_, utcNow_());
  QString problem = tr("the calendar could not be built");
  if (!ics || !WriteFile(path, *ics, problem)) {
    ShowStatus(tr("Could not write %1: %2").arg(path, problem), true);
    return false;
  }
  ShowStatus(tr("Wrote %1.").arg(path), false);
  return true;
}

void PlanWindow::CopyToClipboard() {
  if (!context_) return;
  QApplication::clipboard()->setText(Message(ToTabSeparated(PlanTable(plan_, *context_))));
  ShowStatus(tr("Copied %1 windows.").arg(plan_.windows.size()), false);
}

void ShowPlanWindow(QWidget* owner, const TrackerModel& model, const QString& directoryFile,
                    std::function<std::int64_t()> utcNow) {
  auto* window = owner->findChild<PlanWindow*>(QStringLiteral("planWindow"));
  if (window == nullptr) window = new PlanWindow(model, directoryFile, std::move(utcNow), owner);
  window->show();
  window->raise();
  window->activateWindow();
}

}  // namespace kelvora::gui
