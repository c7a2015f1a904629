#include "plan/plan_window.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QCloseEvent>
#include <QDateTime>
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
#include <QTabWidget>
#include <QTableView>
#include <QThread>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>
#include <limits>

#include "astro/time_helpers.h"
#include "ical/ical_writer.h"
#include "plan/plan_chart.h"
#include "plan/plan_stations.h"
#include "plan/plan_table_model.h"
#include "plan/plan_texts.h"
#include "plan/work_list_model.h"
#include "stations/locator.h"
#include "common/file_names.h"
#include "common/program_settings.h"
#include "common/screen_fit.h"
#include "wsjtx/wsjtx_link.h"

namespace kelvora::gui {

namespace {

constexpr int kDefaultDays = 7;
// The chart samples each curve about this many times over the span, and
// never more often than every five minutes.
constexpr std::int64_t kChartSamples = 3000;
constexpr std::int64_t kChartMinStepSeconds = 300;
constexpr double kHzPerMhz = 1.0e6;
constexpr double kLowestMhz = 0.001;
constexpr double kHighestMhz = 300000.0;
// Room for the chart, every column of the table and the details at once; a
// smaller screen gets a smaller window (see FitOnScreen).
constexpr QSize kPreferredSize{1000, 700};

// The names of the remembered inputs.
constexpr const char* kDxModeKey = "dxMode";
constexpr const char* kDxTextKey = "dx";
constexpr const char* kDaysKey = "days";
constexpr const char* kHomeMinKey = "homeMinElevation";
constexpr const char* kDxMinKey = "dxMinElevation";
constexpr const char* kFrequencyKey = "frequencyMHz";
constexpr const char* kHoursKey = "workListHours";

QString Message(const std::string& text) { return QString::fromStdString(text); }

// The station the DX fields describe, or the message to show.
Result<PlanStation> ChooseDx(int mode, const QString& text,
                                                const SecondStation& station2,
                                                const QString& directoryFile) {
  switch (mode) {
    case PlanWindow::kByCall: {
      const Result<StationDirectory> directory = LoadStationDirectory(LocalPath(directoryFile));
      if (!directory) return directory.failure();
      return FindStationByCall(*directory, text.toStdString());
    }
    case PlanWindow::kByLocator:
      return StationFromLocator(text.trimmed().toStdString());
    default: {
      if (!station2.IsSet()) {
        return Fail("no second station is set (Station > Station2)");
      }
      auto station = StationFromPosition(station2.latitude, station2.longitude);
      if (station && station2.locator.size() == 6) station->locator = station2.locator;
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
  // A "who can I work" job instead of a plan of one pair.
  std::optional<WorkListRequest> workRequest;
  std::vector<PlanStation> stations;
  WorkList list;
};

PlanWindow::PlanWindow(const TrackerModel& model, QString directoryFile,
                       std::function<std::int64_t()> utcNow, QWidget* parent,
                       std::unique_ptr<QSettings> settings)
    : QWidget(parent, Qt::Window),
      settings_(settings ? std::move(settings) : OpenProgramSettings(QStringLiteral("planner"))),
      model_(model),
      directoryFile_(std::move(directoryFile)),
      utcNow_(std::move(utcNow)) {
  setObjectName(QStringLiteral("planWindow"));
  setWindowTitle(tr("Plan skeds"));

  dxMode_ = new QComboBox(this);
  dxMode_->addItems({tr("Call sign"), tr("Locator"), tr("Second station")});
  dxText_ = new QLineEdit(this);
  dxText_->setPlaceholderText(tr("call or locator"));
  // A plain text field: what is typed is what is planned, seconds included.
  start_ = new QLineEdit(this);
  start_->setObjectName(QStringLiteral("planStart"));
  start_->setPlaceholderText(tr("yyyy-mm-dd hh:mm:ss"));
  start_->setToolTip(tr("UTC; the seconds may be left out"));
  start_->setMinimumWidth(
      start_->fontMetrics().horizontalAdvance(QStringLiteral("0000-00-00 00:00:00")) + 16);
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
  // The fields by name, for tests that read them back.
  dxMode_->setObjectName(QStringLiteral("planDxMode"));
  dxText_->setObjectName(QStringLiteral("planDx"));
  days_->setObjectName(QStringLiteral("planDays"));
  homeMin_->setObjectName(QStringLiteral("planHomeMin"));
  dxMin_->setObjectName(QStringLiteral("planDxMin"));
  frequency_ = new QDoubleSpinBox(this);
  frequency_->setRange(kLowestMhz, kHighestMhz);
  frequency_->setDecimals(3);
  frequency_->setSuffix(QStringLiteral(" MHz"));
  frequency_->setValue(kPlanDefaultFrequencyHz / kHzPerMhz);
  frequency_->setObjectName(QStringLiteral("planFrequency"));
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

  hours_ = new QSpinBox(this);
  hours_->setRange(1, kWorkListMaxHours);
  hours_->setValue(kWorkListDefaultHours);
  hours_->setSuffix(tr(" h"));
  hours_->setObjectName(QStringLiteral("planHours"));
  findButton_ = new QPushButton(tr("&Find stations"), this);
  workCsvButton_ = new QPushButton(tr("&Export CSV..."), this);
  workModel_ = new WorkListModel(this);
  workProxy_ = new QSortFilterProxyModel(this);
  workProxy_->setSourceModel(workModel_);
  workProxy_->setSortRole(Qt::UserRole);
  workTable_ = new QTableView(this);
  workTable_->setObjectName(QStringLiteral("workListTable"));
  workTable_->setModel(workProxy_);
  workTable_->setSortingEnabled(true);
  workTable_->sortByColumn(WorkListModel::kStartUtc, Qt::AscendingOrder);
  workTable_->setSelectionBehavior(QAbstractItemView::SelectRows);
  workTable_->setSelectionMode(QAbstractItemView::SingleSelection);
  workTable_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  workTable_->verticalHeader()->setVisible(false);
  workTable_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  workTable_->setToolTip(tr("Double-click a station to plan skeds with it"));

  auto* inputs = new QGridLayout;
  inputs->addWidget(new QLabel(tr("DX:"), this), 0, 0);
  inputs->addWidget(dxMode_, 0, 1);
  inputs->addWidget(dxText_, 0, 2);
  inputs->addWidget(new QLabel(tr("Start (UTC):"), this), 0, 3, Qt::AlignRight);
  inputs->addWidget(start_, 0, 4);
  inputs->addWidget(new QLabel(tr("Days:"), this), 0, 5, Qt::AlignRight);
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

  // The plan of one pair: chart over the whole width, then the table with
  // every column, then the chosen window's figures.
  auto* split = new QSplitter(Qt::Vertical, this);
  split->addWidget(chart_);
  split->addWidget(table_);
  split->addWidget(details_);
  split->setStretchFactor(0, 4);
  split->setStretchFactor(1, 4);
  split->setStretchFactor(2, 2);
  auto* exports = new QHBoxLayout;
  exports->addWidget(csvButton_);
  exports->addWidget(icsButton_);
  exports->addWidget(copyButton_);
  auto* sendButton = new QPushButton(tr("Send to &WSJT-X"), this);
  sendButton->setObjectName(QStringLiteral("sendToWsjtx"));
  exports->addWidget(sendButton);
  connect(sendButton, &QPushButton::clicked, this, [this] { SendDxToWsjtx(); });
  exports->addStretch(1);
  auto* planPage = new QWidget(this);
  auto* planLayout = new QVBoxLayout(planPage);
  planLayout->setContentsMargins(0, 0, 0, 0);
  planLayout->addWidget(split, 1);
  planLayout->addLayout(exports);

  // Who can I work: the next window of every directory station.
  auto* workControls = new QHBoxLayout;
  workControls->addWidget(new QLabel(tr("Within the next"), this));
  workControls->addWidget(hours_);
  workControls->addWidget(findButton_);
  workControls->addStretch(1);
  workControls->addWidget(workCsvButton_);
  auto* workPage = new QWidget(this);
  auto* workLayout = new QVBoxLayout(workPage);
  workLayout->setContentsMargins(0, 0, 0, 0);
  workLayout->addLayout(workControls);
  workLayout->addWidget(workTable_, 1);

  tabs_ = new QTabWidget(this);
  tabs_->insertTab(kPlanTab, planPage, tr("Sked plan"));
  tabs_->insertTab(kWorkListTab, workPage, tr("Who can I work"));

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(inputs);
  layout->addWidget(status_);
  layout->addWidget(tabs_, 1);
  resize(kPreferredSize);

  connect(dxMode_, &QComboBox::currentIndexChanged, this,
          [this](int mode) { dxText_->setEnabled(mode != kSecondStation); });
  connect(planButton_, &QPushButton::clicked, this, [this] {
    if (tabs_->currentIndex() == kWorkListTab) {
      StartWorkList();
    } else {
      StartPlan();
    }
  });
  connect(findButton_, &QPushButton::clicked, this, [this] { StartWorkList(); });
  connect(dxText_, &QLineEdit::returnPressed, this, [this] { StartPlan(); });
  connect(start_, &QLineEdit::returnPressed, this, [this] { planButton_->click(); });
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
  connect(workCsvButton_, &QPushButton::clicked, this, [this] {
    const QString path = QFileDialog::getSaveFileName(
        this, tr("Export CSV"), QStringLiteral("stations.csv"), tr("CSV files (*.csv)"));
    if (!path.isEmpty()) ExportWorkListCsv(path);
  });
  connect(copyButton_, &QPushButton::clicked, this, [this] { CopyToClipboard(); });
  connect(table_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this] { ShowSelected(); });
  connect(workTable_, &QTableView::doubleClicked, this,
          [this](const QModelIndex& index) { PlanWorkListRow(index.row()); });
  SetRunning(false);
  ShowStatus(tr("Choose the DX station and press Plan."), false);
  LoadInputs();
}

void PlanWindow::LoadInputs() {
  // A remembered value the fields cannot hold is named, not quietly replaced.
  QStringList refused;
  auto number = [&](const char* key, double low, double high, auto apply) {
    if (!settings_->contains(QLatin1String(key))) return;
    bool ok = false;
    const double value = settings_->value(QLatin1String(key)).toDouble(&ok);
    if (!ok || !std::isfinite(value) || value < low || value > high) {
      refused << QLatin1String(key);
      return;
    }
    apply(value);
  };
  number(kDxModeKey, kByCall, kSecondStation, [this](double v) {
    dxMode_->setCurrentIndex(static_cast<int>(v));
  });
  if (settings_->contains(QLatin1String(kDxTextKey))) {
    dxText_->setText(settings_->value(QLatin1String(kDxTextKey)).toString());
  }
  number(kDaysKey, kPlanMinDays, kPlanMaxDays,
         [this](double v) { days_->setValue(static_cast<int>(v)); });
  number(kHomeMinKey, kPlanLowestMinElevation, kPlanHighestMinElevation,
         [this](double v) { homeMin_->setValue(v); });
  number(kDxMinKey, kPlanLowestMinElevation, kPlanHighestMinElevation,
         [this](double v) { dxMin_->setValue(v); });
  number(kFrequencyKey, kLowestMhz, kHighestMhz, [this](double v) { frequency_->setValue(v); });
  number(kHoursKey, 1, kWorkListMaxHours,
         [this](double v) { hours_->setValue(static_cast<int>(v)); });
  if (!refused.isEmpty()) {
    ShowStatus(tr("Not used from %1 (out of range): %2.")
                   .arg(QDir::toNativeSeparators(settings_->fileName()), refused.join(", ")),
               true);
  }
}

void PlanWindow::SaveInputs() {
  settings_->setValue(QLatin1String(kDxModeKey), dxMode_->currentIndex());
  settings_->setValue(QLatin1String(kDxTextKey), dxText_->text());
  settings_->setValue(QLatin1String(kDaysKey), days_->value());
  settings_->setValue(QLatin1String(kHomeMinKey), homeMin_->value());
  settings_->setValue(QLatin1String(kDxMinKey), dxMin_->value());
  settings_->setValue(QLatin1String(kFrequencyKey), frequency_->value());
  settings_->setValue(QLatin1String(kHoursKey), hours_->value());
  settings_->sync();
}

void PlanWindow::closeEvent(QCloseEvent* event) {
  SaveInputs();
  QWidget::closeEvent(event);
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
  start_->setText(
      QDateTime::fromSecsSinceEpoch(utc, Qt::UTC).toString(QLatin1String(kStartFormat)));
}

std::variant<std::int64_t, QString> PlanWindow::StartUtc() const {
  // Date and time are read apart and put together in UTC, so that no local
  // clock change can refuse or shift a moment.
  const QString text = start_->text().simplified();
  const QStringList parts = text.split(QLatin1Char(' '));
  const QDate date = QDate::fromString(parts.value(0), QStringLiteral("yyyy-MM-dd"));
  QTime time;
  if (parts.size() == 2) {
    time = QTime::fromString(parts[1], QStringLiteral("HH:mm:ss"));
    if (!time.isValid()) time = QTime::fromString(parts[1], QStringLiteral("HH:mm"));
  }
  if (!date.isValid() || !time.isValid()) {
    return tr("Start \"%1\" is not a UTC date and time (yyyy-mm-dd hh:mm or yyyy-mm-dd hh:mm:ss).")
        .arg(start_->text());
  }
  return QDateTime(date, time, Qt::UTC).toSecsSinceEpoch();
}

void PlanWindow::SetWorkListHours(int hours) { hours_->setValue(hours); }

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
  findButton_->setEnabled(!running);
  const bool haveWindows = !running && !plan_.windows.empty();
  csvButton_->setEnabled(haveWindows);
  icsButton_->setEnabled(haveWindows);
  copyButton_->setEnabled(haveWindows);
  workCsvButton_->setEnabled(!running && !workList_.rows.empty());
}

bool PlanWindow::StartPlan() {
  if (worker_ != nullptr) return false;
  const auto dx =
      ChooseDx(dxMode_->currentIndex(), dxText_->text(), model_.station2, directoryFile_);
  if (!dx) {
    ShowStatus(Message(dx.reason()), true);
    return false;
  }
  const auto start = StartUtc();
  if (const auto* message = std::get_if<QString>(&start)) {
    ShowStatus(*message, true);
    return false;
  }
  const PlanStation& station = *dx;
  auto job = std::make_shared<Job>();
  job->request = PlanRequest{{model_.home.latitude, model_.home.longitude, homeMin_->value()},
                             {station.latitude, station.longitude, dxMin_->value()},
                             std::get<std::int64_t>(start),
                             std::int64_t{days_->value()} * kSecondsPerDay,
                             frequency_->value() * kHzPerMhz};
  if (const Status checked = CheckPlanRequest(job->request); !checked) {
    ShowStatus(Message(checked.reason()), true);
    return false;
  }
  job->context = PlanExportContext{PositionToLocator(model_.home.latitude, model_.home.longitude),
                                   station.call.empty() ? station.locator : station.call,
                                   model_.home.gmtOffsetHours, job->request.frequencyHz};
  SaveInputs();
  ShowStatus(tr("Planning %1 from %2 UTC with %3...")
                 .arg(CountText(days_->value(), "day", "days"),
                      QString::fromStdString(ShortTimeText(job->request.startUtc)),
                      QString::fromStdString(job->context.dxLabel)),
             false);
  RunJob(job);
  return true;
}

void PlanWindow::RunJob(const std::shared_ptr<Job>& job) {
  job->cancel = std::make_shared<std::atomic<bool>>(false);
  cancel_ = job->cancel;

  // The worker touches nothing but the job.
  worker_ = QThread::create([job] {
    if (job->workRequest) {
      job->list = WhoCanIWork(*job->workRequest, job->stations, job->cancel.get());
      return;
    }
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
      // A moment without a figure is a gap in the curve.
      const Result<double> home = PlanMoonElevation(r.home, t);
      const Result<double> dx = PlanMoonElevation(r.dx, t);
      curves.home.push_back(home ? *home : std::numeric_limits<double>::quiet_NaN());
      curves.dx.push_back(dx ? *dx : std::numeric_limits<double>::quiet_NaN());
    }
    job->plan = PlanSkeds(r, job->cancel.get());
  });
  connect(worker_, &QThread::finished, this, [this, job] {
    if (job->workRequest) {
      FinishWorkList(job);
    } else {
      Finish(job);
    }
  });
  SetRunning(true);
  worker_->start();
}

bool PlanWindow::StartWorkList() {
  if (worker_ != nullptr) return false;
  auto directory = LoadStationDirectory(LocalPath(directoryFile_));
  if (!directory) {
    ShowStatus(Message(directory.reason()), true);
    return false;
  }
  const auto start = StartUtc();
  if (const auto* message = std::get_if<QString>(&start)) {
    ShowStatus(*message, true);
    return false;
  }
  auto job = std::make_shared<Job>();
  job->workRequest =
      WorkListRequest{{model_.home.latitude, model_.home.longitude, homeMin_->value()},
                      dxMin_->value(),
                      std::get<std::int64_t>(start),
                      hours_->value(),
                      frequency_->value() * kHzPerMhz};
  if (const Status checked = CheckWorkListRequest(*job->workRequest); !checked) {
    ShowStatus(Message(checked.reason()), true);
    return false;
  }
  job->stations = std::move(directory->stations);
  job->context = PlanExportContext{PositionToLocator(model_.home.latitude, model_.home.longitude),
                                   "", model_.home.gmtOffsetHours, job->workRequest->frequencyHz};
  SaveInputs();
  tabs_->setCurrentIndex(kWorkListTab);
  ShowStatus(tr("Looking for the next window of %1 within %2 from %3 UTC...")
                 .arg(CountText(static_cast<long long>(job->stations.size()), "station",
                                "stations"),
                      CountText(hours_->value(), "hour", "hours"),
                      QString::fromStdString(ShortTimeText(job->workRequest->startUtc))),
             false);
  RunJob(job);
  return true;
}

void PlanWindow::SendDxToWsjtx() {
  auto dx = ChooseDx(dxMode_->currentIndex(), dxText_->text(), model_.station2, directoryFile_);
  if (!dx) {
    ShowStatus(Message(dx.reason()), true);
    return;
  }
  const PlanStation& station = *dx;
  ShowStatus(SendDxRequest(this, Message(station.call), Message(station.locator)), false);
}

void PlanWindow::FinishWorkList(const std::shared_ptr<Job>& job) {
  worker_->deleteLater();
  worker_ = nullptr;
  if (job->cancel->load() || job->list.cancelled) {
    SetRunning(false);
    ShowStatus(tr("Cancelled; the list shows the last finished search."), false);
    emit PlanFinished();
    return;
  }
  workList_ = std::move(job->list);
  workContext_ = job->context;
  workModel_->SetRows(workList_.rows);
  SetRunning(false);
  const QString hours = CountText(job->workRequest->hours, "hour", "hours");
  if (workList_.rows.empty()) {
    ShowStatus(tr("No station shares the moon with home within %1.").arg(hours), true);
  } else {
    ShowStatus(tr("%1 with a window within %2, %3 without; double-click one to plan skeds.")
                   .arg(CountText(static_cast<long long>(workList_.rows.size()), "station",
                                  "stations"),
                        hours, QString::number(workList_.without.size())),
               false);
  }
  emit PlanFinished();
}

void PlanWindow::PlanWorkListRow(int row) {
  // One job at a time: a double-click during a run changes nothing.
  if (worker_ != nullptr || row < 0 || row >= workProxy_->rowCount()) return;
  const int source = workProxy_->mapToSource(workProxy_->index(row, 0)).row();
  const WorkableStation& station = workModel_->Rows()[static_cast<std::size_t>(source)];
  // A station of the directory is planned by its call; one without a call
  // (which the directory does not give) by its locator.
  if (station.station.call.empty()) {
    SetDx(kByLocator, QString::fromStdString(station.station.locator));
  } else {
    SetDx(kByCall, QString::fromStdString(station.station.call));
  }
  tabs_->setCurrentIndex(kPlanTab);
  StartPlan();
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
    ShowStatus(tr("%1 with %2; the best starts %3 UTC (score %4).")
                   .arg(CountText(static_cast<long long>(plan_.windows.size()), "window",
                                  "windows"))
                   .arg(QString::fromStdString(job->context.dxLabel))
                   .arg(QString::fromStdString(ShortTimeText(best->startUtc)))
                   .arg(best->score, 0, 'f', 1),
               false);
    // Select the best window so that its details show at once.
    const int row = static_cast<int>(best - plan_.windows.begin());
    const QModelIndex shown = proxy_->mapFromSource(tableModel_->index(row, 0));
    table_->selectRow(shown.row());
    table_->scrollTo(shown, QAbstractItemView::PositionAtCenter);
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
  const Result<std::string> ics = ToICalendar(plan_, *context_, utcNow_());
  QString problem = tr("the calendar could not be built");
  if (!ics || !WriteFile(path, *ics, problem)) {
    ShowStatus(tr("Could not write %1: %2").arg(path, problem), true);
    return false;
  }
  ShowStatus(tr("Wrote %1.").arg(path), false);
  return true;
}

bool PlanWindow::ExportWorkListCsv(const QString& path) {
  if (!workContext_ || workList_.rows.empty()) {
    ShowStatus(tr("There is no station list to export."), true);
    return false;
  }
  QString problem;
  if (!WriteFile(path, ToCsv(WorkListTable(workList_, *workContext_)), problem)) {
    ShowStatus(tr("Could not write %1: %2").arg(path, problem), true);
    return false;
  }
  ShowStatus(tr("Wrote %1.").arg(path), false);
  return true;
}

void PlanWindow::CopyToClipboard() {
  if (!context_) return;
  QApplication::clipboard()->setText(Message(ToTabSeparated(PlanTable(plan_, *context_))));
  ShowStatus(tr("Copied %1.").arg(CountText(static_cast<long long>(plan_.windows.size()),
                                             "window", "windows")),
             false);
}

void ShowPlanWindow(QWidget* owner, const TrackerModel& model, const QString& directoryFile,
                    std::function<std::int64_t()> utcNow) {
  auto* window = owner->findChild<PlanWindow*>(QStringLiteral("planWindow"));
  if (window == nullptr) {
    window = new PlanWindow(model, directoryFile, std::move(utcNow), owner);
    FitOnScreen(window, kPreferredSize);
  }
  window->show();
  window->raise();
  window->activateWindow();
}

}  // namespace kelvora::gui
