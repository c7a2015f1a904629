// "Plan skeds": the windows in which the home station and a DX station both
// see the moon, in a sortable table and a chart, with CSV and iCalendar
// export, and the next window of every directory station ("Who can I work").
// Non-modal; the work is done on a worker thread and can be cancelled. The
// inputs are remembered between runs of the program.
#pragma once

#include <QSettings>
#include <QString>
#include <QWidget>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <variant>

#include "plan/plan_export.h"
#include "plan/plan_stations.h"
#include "plan/sked_plan.h"
#include "state/records.h"

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSortFilterProxyModel;
class QSpinBox;
class QTabWidget;
class QTableView;
class QThread;

namespace kelvora::gui {

class PlanChart;
class PlanTableModel;
class WorkListModel;

class PlanWindow : public QWidget {
  Q_OBJECT
 public:
  enum DxMode { kByCall, kByLocator, kSecondStation };

  enum Tab { kPlanTab, kWorkListTab };
  // The start field's text form; a typed start may leave out the seconds.
  static constexpr const char* kStartFormat = "yyyy-MM-dd HH:mm:ss";

  // model gives the home station and the second station when the plan
  // starts; utcNow the default start (the moment the main window shows).
  // The inputs are read from and kept in `settings` (the planner's own
  // store in the user's configuration folder when none is given).
  PlanWindow(const TrackerModel& model, QString directoryFile, std::function<std::int64_t()> utcNow,
             QWidget* parent = nullptr, std::unique_ptr<QSettings> settings = nullptr);
  ~PlanWindow() override;

  // Reads the fields and starts the plan; false (with the reason shown)
  // when the input is refused.
  bool StartPlan();
  void CancelPlan();
  bool IsRunning() const { return worker_ != nullptr; }

  // The next window of every station of the EME directory, in its own tab;
  // false (with the reason shown) when the input is refused.
  bool StartWorkList();
  // Plans the pair with the station of that row of the (sorted) list.
  void PlanWorkListRow(int row);

  // Exports of the last plan; false with the reason shown on failure.
  bool ExportCsv(const QString& path);
  bool ExportWorkListCsv(const QString& path);
  bool ExportICalendar(const QString& path);
  void CopyToClipboard();
  // "Send to WSJT-X": the DX station of the fields as WSJT-X's DX call and grid.
  void SendDxToWsjtx();

  // The fields, for the window's users and its tests.
  void SetDx(DxMode mode, const QString& text);
  void SetStartUtc(std::int64_t utc);
  void SetDays(int days);
  void SetMinElevations(double home, double dx);
  void SetFrequencyMhz(double mhz);
  void SetWorkListHours(int hours);
  // Typed input of the start field, as the operator leaves it.
  QLineEdit* StartField() const { return start_; }
  // The inputs as they are kept for the next run.
  void SaveInputs();

  QString StatusText() const;
  QTableView* Table() const { return table_; }
  QTableView* WorkTable() const { return workTable_; }
  QTabWidget* Tabs() const { return tabs_; }
  PlanChart* Chart() const { return chart_; }
  QString DetailsText() const;

 signals:
  void PlanFinished();

 private:
  struct Job;
  void Finish(const std::shared_ptr<Job>& job);
  void ShowStatus(const QString& text, bool problem);
  void ShowSelected();
  void SetRunning(bool running);
  void LoadInputs();
  void RunJob(const std::shared_ptr<Job>& job);
  void FinishWorkList(const std::shared_ptr<Job>& job);
  // The start field as seconds, or the message to show.
  std::variant<std::int64_t, QString> StartUtc() const;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  std::unique_ptr<QSettings> settings_;

  const TrackerModel& model_;
  QString directoryFile_;
  std::function<std::int64_t()> utcNow_;

  QComboBox* dxMode_ = nullptr;
  QLineEdit* dxText_ = nullptr;
  QLineEdit* start_ = nullptr;
  QSpinBox* days_ = nullptr;
  QDoubleSpinBox* homeMin_ = nullptr;
  QDoubleSpinBox* dxMin_ = nullptr;
  QDoubleSpinBox* frequency_ = nullptr;
  QPushButton* planButton_ = nullptr;
  QPushButton* cancelButton_ = nullptr;
  QPushButton* csvButton_ = nullptr;
  QPushButton* icsButton_ = nullptr;
  QPushButton* copyButton_ = nullptr;
  QLabel* status_ = nullptr;
  PlanChart* chart_ = nullptr;
  PlanTableModel* tableModel_ = nullptr;
  QSortFilterProxyModel* proxy_ = nullptr;
  QTableView* table_ = nullptr;
  QPlainTextEdit* details_ = nullptr;
  QTabWidget* tabs_ = nullptr;
  QSpinBox* hours_ = nullptr;
  QPushButton* findButton_ = nullptr;
  QPushButton* workCsvButton_ = nullptr;
  WorkListModel* workModel_ = nullptr;
  QSortFilterProxyModel* workProxy_ = nullptr;
  QTableView* workTable_ = nullptr;

  QThread* worker_ = nullptr;
  std::shared_ptr<std::atomic<bool>> cancel_;
  SkedPlan plan_;  // the last finished plan
  std::optional<PlanExportContext> context_;
  WorkList workList_;  // the last finished list
  std::optional<PlanExportContext> workContext_;
};

// Shows the owner's planner window, making it on first use.
void ShowPlanWindow(QWidget* owner, const TrackerModel& model, const QString& directoryFile,
                    std::function<std::int64_t()> utcNow);

}  // namespace kelvora::gui
