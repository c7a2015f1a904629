// The planner's windows as a table: one row per window, the raw figure under
// Qt::UserRole so that sorting goes by value, not by text.
#pragma once

#include <QAbstractTableModel>
#include <cstdint>
#include <vector>

#include "plan/sked_plan.h"

namespace kelvora::gui {

class PlanTableModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  enum Column {
    kStartUtc,
    kEndUtc,
    kStartLocal,
    kDuration,
    kBestElevation,
    kDegradation,
    kSunSeparation,
    kPolarity,
    kDoppler,
    kSpread,         // the path's libration spread at the window's middle and its largest
    kDelay,          // the path's delay at the middle
    kScore,
    kColumnCount
  };

  explicit PlanTableModel(QObject* parent = nullptr);

  void SetWindows(std::vector<SkedWindow> windows, std::int32_t homeGmtOffsetHours);
  const std::vector<SkedWindow>& Windows() const { return windows_; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

 private:
  std::vector<SkedWindow> windows_;
  std::int32_t homeGmtOffsetHours_ = 0;
};

}  // namespace kelvora::gui
