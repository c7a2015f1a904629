#include "plan/plan_table_model.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QString>
#include <cmath>
#include <optional>
#include <string>

#include "plan/plan_export.h"
#include "plan/plan_texts.h"

namespace kelvora::gui {

namespace {

// The sun's noise is in the beam: the separation cell says so in red.
constexpr QRgb kSunWarning = 0xffc0392b;

QString Text(const std::string& text) { return QString::fromStdString(text); }

// A figure the accurate years may lack: a dash without it.
QString OptionalText(const std::optional<double>& value, int decimals, const QString& unit) {
  return value ? QString::number(*value, 'f', decimals) + unit : QStringLiteral("\u2013");
}

QVariant OptionalValue(const std::optional<double>& value) {
  return value ? QVariant(*value) : QVariant();
}

}  // namespace

PlanTableModel::PlanTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void PlanTableModel::SetWindows(std::vector<SkedWindow> windows, std::int32_t homeGmtOffsetHours) {
  beginResetModel();
  windows_ = std::move(windows);
  homeGmtOffsetHours_ = homeGmtOffsetHours;
  endResetModel();
}

int PlanTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(windows_.size());
}

int PlanTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumnCount;
}

QVariant PlanTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const SkedWindow& w = windows_[static_cast<std::size_t>(index.row())];
  const auto column = static_cast<Column>(index.column());
  if (role == Qt::UserRole) {
    switch (column) {
      case kStartUtc:
      case kStartLocal:
        return QVariant::fromValue<qlonglong>(w.startUtc);
      case kEndUtc:
        return QVariant::fromValue<qlonglong>(w.endUtc);
      case kDuration:
        return QVariant::fromValue<qlonglong>(w.DurationSeconds());
      case kBestElevation:
        return w.bestElevation;
      case kDegradation:
        return w.degradationWorst;
      case kSunSeparation:
        return w.sunSeparation;
      case kPolarity:
        return std::abs(w.middle.polarityOffset);
      case kDoppler:
        return w.dopplerStartHz;
      case kSpread:
        return OptionalValue(w.spreadLargestHz);
      case kDelay:
        return OptionalValue(w.pathDelayS);
      case kScore:
        return w.score;
      case kColumnCount:
        break;
    }
    return {};
  }
  if (role == Qt::DisplayRole) {
    switch (column) {
      case kStartUtc:
        return Text(ShortTimeText(w.startUtc));
      case kEndUtc: {
        // The start gives the year: the end shows only what differs from it,
        // the time alone on the same day, so that every column fits.
        const std::string start = ShortTimeText(w.startUtc);
        const std::string end = ShortTimeText(w.endUtc);
        const std::size_t from = start.substr(0, 10) == end.substr(0, 10) ? 11 : 5;
        return Text(end.size() > from ? end.substr(from) : end);
      }
      case kStartLocal: {
        const std::string local = ShortTimeText(HomeLocalSeconds(w.startUtc, homeGmtOffsetHours_));
        return Text(local.size() > 5 ? local.substr(5) : local);
      }
      case kDuration:
        return DurationText(w.DurationSeconds());
      case kBestElevation:
        return QString::number(w.bestElevation, 'f', 1) + QChar(0x00b0);
      case kDegradation:
        return QString::number(w.degradationWorst, 'f', 2) + QStringLiteral(" dB");
      case kSunSeparation:
        return QString::number(w.sunSeparation, 'f', 0) + QChar(0x00b0) +
               (w.sunNear ? QStringLiteral(" sun!") : QString());
      case kPolarity:
        return QString::number(w.middle.polarityOffset, 'f', 0) + QChar(0x00b0);
      case kDoppler:
        return QString::number(w.dopplerStartHz, 'f', 0) + QStringLiteral(" Hz");
      case kSpread:
        // Middle and largest in one column, so that every column fits.
        return OptionalText(w.spreadMiddleHz, 1, QString()) + QStringLiteral(" / ") +
               OptionalText(w.spreadLargestHz, 1, QStringLiteral(" Hz"));
      case kDelay:
        return OptionalText(w.pathDelayS, 3, QStringLiteral(" s"));
      case kScore:
        return QString::number(w.score, 'f', 1) + (w.best ? QStringLiteral(" best") : QString());
      case kColumnCount:
        break;
    }
    return {};
  }
  if (role == Qt::ForegroundRole && column == kSunSeparation && w.sunNear) {
    return QBrush(QColor::fromRgb(kSunWarning));
  }
  if (role == Qt::FontRole && w.best) {
    QFont font;
    font.setBold(true);
    return font;
  }
  if (role == Qt::TextAlignmentRole && column >= kDuration) {
    return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
  }
  return {};
}

QVariant PlanTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount) return {};
  // Short titles keep every column in view; the tip gives the whole meaning.
  struct Heading {
    const char* title;
    const char* tip;
  };
  static const Heading kHeadings[kColumnCount] = {
      {"Start UTC", "Start of the window, UTC"},
      {"End UTC", "End of the window, UTC"},
      {"Start home", "Start of the window, home local standard time"},
      {"Length", "Length of the window, hours:minutes"},
      {"Best el", "Highest of the lower of the two moon elevations, degrees"},
      {"Degr.", "Worst degradation in the window, dB"},
      {"Sun sep.", "Smallest distance between sun and moon, degrees (sun! when its noise is in "
                   "the beam)"},
      {"Polarity", "Polarity offset at the middle of the window, degrees"},
      {"Doppler", "Two-station Doppler at the start, Hz at the planned frequency"},
      {"Spread", "Libration spread of the path at the middle of the window / its largest in the "
                 "window, Hz at the planned frequency (sorted by the largest)"},
      {"Delay", "Path delay, home to moon to the second station, seconds"},
      {"Score", "Quality of the window, 0 to 100; the best is in bold"}};
  // Titles of two words take two lines, so that the columns stay as narrow
  // as their figures.
  if (role == Qt::DisplayRole) return tr(kHeadings[section].title).replace(QChar(' '), QChar('\n'));
  if (role == Qt::ToolTipRole) return tr(kHeadings[section].tip);
  return {};
}

}  // namespace kelvora::gui
