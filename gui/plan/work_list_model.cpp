#include "plan/work_list_model.h"

#include <QString>

#include "plan/plan_export.h"
#include "plan/plan_texts.h"

namespace kelvora::gui {

WorkListModel::WorkListModel(QObject* parent) : QAbstractTableModel(parent) {}

void WorkListModel::SetRows(std::vector<WorkableStation> rows) {
  beginResetModel();
  rows_ = std::move(rows);
  endResetModel();
}

int WorkListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int WorkListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumnCount;
}

QVariant WorkListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const WorkableStation& row = rows_[static_cast<std::size_t>(index.row())];
  const SkedWindow& w = row.window;
  const auto column = static_cast<Column>(index.column());
  if (role == Qt::UserRole) {
    switch (column) {
      case kCall:
        return QString::fromStdString(row.station.call);
      case kLocator:
        return QString::fromStdString(row.station.locator);
      case kStartUtc:
        return QVariant::fromValue<qlonglong>(w.startUtc);
      case kEndUtc:
        return QVariant::fromValue<qlonglong>(w.endUtc);
      case kDuration:
        return QVariant::fromValue<qlonglong>(w.DurationSeconds());
      case kBestElevation:
        return w.bestElevation;
      case kDegradation:
        return w.degradationWorst;
      case kScore:
        return w.score;
      case kColumnCount:
        break;
    }
    return {};
  }
  if (role == Qt::DisplayRole) {
    switch (column) {
      case kCall:
        return QString::fromStdString(row.station.call);
      case kLocator:
        return QString::fromStdString(row.station.locator);
      case kStartUtc:
        return QString::fromStdString(ShortTimeText(w.startUtc)) +
               (row.inProgress ? QStringLiteral(" (open now)") : QString());
      case kEndUtc:
        return QString::fromStdString(ShortTimeText(w.endUtc));
      case kDuration:
        return DurationText(w.DurationSeconds());
      case kBestElevation:
        return QString::number(w.bestElevation, 'f', 1) + QChar(0x00b0);
      case kDegradation:
        return QString::number(w.degradationWorst, 'f', 2) + QStringLiteral(" dB");
      case kScore:
        return QString::number(w.score, 'f', 1);
      case kColumnCount:
        break;
    }
    return {};
  }
  if (role == Qt::TextAlignmentRole && column >= kDuration) {
    return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
  }
  return {};
}

QVariant WorkListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  static const char* const kHeaders[kColumnCount] = {
      "Call", "Locator", "Start UTC", "End UTC", "Length", "Best el", "Degr.", "Score"};
  if (section < 0 || section >= kColumnCount) return {};
  return tr(kHeaders[section]);
}

}  // namespace kelvora::gui
