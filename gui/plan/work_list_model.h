// "Who can I work" as a table: one row per directory station with its next
// mutual window, the raw figure under Qt::UserRole so that sorting goes by
// value, not by text.
#pragma once

#include <QAbstractTableModel>
#include <cstdint>
#include <vector>

#include "plan/plan_stations.h"

namespace kelvora::gui {

class WorkListModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  enum Column {
    kCall,
    kLocator,
    kStartUtc,
    kEndUtc,
    kDuration,
    kBestElevation,
    kDegradation,
    kScore,
    kColumnCount
  };

  explicit WorkListModel(QObject* parent = nullptr);

  void SetRows(std::vector<WorkableStation> rows);
  const std::vector<WorkableStation>& Rows() const { return rows_; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

 private:
  std::vector<WorkableStation> rows_;
};

}  // namespace kelvora::gui
