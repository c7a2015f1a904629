// "Plan skeds": the windows in which the home station and a DX station both
// see the moon, in a sortable table and a chart, with CSV and iCalendar
// export. Non-modal; the plan is worked out on a worker thread and can be
// cancelled.
#pragma once

#include <QString>
#include <QWidget>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "plan/plan_export.h"
#include "plan/sked_plan.h"
#include "state/records.h"

class QComboBox;
class QDateTimeEdit;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSortFilterProxyModel;
class QSpinBox;
class QTableView;
class QThread;

namespace kelvora::gui {

class PlanChart;
class PlanTableModel;

class PlanWindow : public QWidget {
  Q_OBJECT
 public:
  enum DxMode { kByCall, kByLocator, kSecondStation };

  // model gives the home station and the second station when the plan
  // starts; utcNow the default start (the moment the main window shows).
  PlanWindow(const TrackerModel& model, QString directoryFile, std::function<std::int64_t()> utcNow,
             QWidget* parent = nullptr);
  ~PlanWindow() override;

  // Reads the fields and starts the plan; false (with the reason shown)
  // when the input is refused.
  bool StartPlan();
  void CancelPlan();
  bool IsRunning() const { return worker_ != nullptr; }

  // Exports of the last plan; false with the reason shown on failure.
  bool ExportCsv(const QString& path);
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

  QString StatusText() const;
  QTableView* Table() const { return table_; }
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

  const TrackerModel& model_;
  QString directoryFile_;
  std::function<std::int64_t()> utcNow_;

  QComboBox* dxMode_ = nullptr;
  QLineEdit* dxText_ = nullptr;
  QDateTimeEdit* start_ = nullptr;
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

  QThread* worker_ = nullptr;
  std::shared_ptr<std::atomic<bool>> cancel_;
  SkedPlan plan_;  // the last finished plan
  std::optional<PlanExportContext> context_;
};

// Shows the owner's planner window, making it on first use.
void ShowPlanWindow(QWidget* owner, const TrackerModel& model, const QString& directoryFile,
                    std::function<std::int64_t()> utcNow);

}  // namespace kelvora::gui
