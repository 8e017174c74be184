#include "app/ui/EventTableModel.h"

#include <QBrush>
#include <QColor>
#include <QStringList>

#include "app/ui/UiText.h"
#include "core/checks/EventDescription.h"
#include "core/model/EventEdits.h"
#include "core/model/EventPairing.h"

namespace brevanor {

namespace {

const QColor kFlagColor(213, 94, 0);

bool isPath(const RecordingEvent& event) { return event.kind() == RecordingEvent::Kind::mousePath; }

bool isButton(const RecordingEvent& event) {
    return event.kind() == RecordingEvent::Kind::mouseDown || event.kind() == RecordingEvent::Kind::mouseUp;
}

}  // namespace

EventTableModel::EventTableModel(KeyName keyName, QObject* parent)
    : QAbstractTableModel(parent), keyName_(std::move(keyName)) {}

void EventTableModel::setEvents(std::vector<RecordingEvent> events, bool sensitive) {
    beginResetModel();
    events_ = std::move(events);
    sensitive_ = sensitive;
    const EventPairing pairing(events_);
    flagged_.clear();
    flagged_.insert(pairing.releasesWithoutPress().begin(), pairing.releasesWithoutPress().end());
    for (const std::size_t press : pairing.heldAtEnd()) {
        for (const std::size_t member : pairing.group(press)) flagged_.insert(member);
    }
    buildRows();
    endResetModel();
}

void EventTableModel::buildRows() {
    rows_.clear();
    rowOfEvent_.assign(events_.size(), 0);
    for (std::size_t i = 0; i < events_.size();) {
        std::size_t end = i + 1;
        if (isPath(events_[i]) && !expandedRuns_.contains(i)) {
            while (end < events_.size() && isPath(events_[end])) ++end;
        }
        for (std::size_t e = i; e < end; ++e) rowOfEvent_[e] = static_cast<int>(rows_.size());
        rows_.push_back({i, end - 1});
        i = end;
    }
}

int EventTableModel::rowOf(std::size_t eventIndex) const {
    return eventIndex < rowOfEvent_.size() ? rowOfEvent_[eventIndex] : -1;
}

void EventTableModel::toggleRun(int row) {
    if (row < 0 || row >= static_cast<int>(rows_.size())) return;
    const Row shown = rowAt(row);
    if (!isPath(events_[shown.first])) return;
    beginResetModel();
    if (shown.last > shown.first) {
        expandedRuns_.insert(shown.first);
    } else {
        // The run this path belongs to closes again.
        std::size_t first = shown.first;
        while (first > 0 && isPath(events_[first - 1])) --first;
        expandedRuns_.erase(first);
        for (std::size_t e = first; e < events_.size() && isPath(events_[e]); ++e) expandedRuns_.erase(e);
    }
    buildRows();
    endResetModel();
}

int EventTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int EventTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(columnTotal); }

QString EventTableModel::text(int row, int column, bool masked) const {
    const Row& shown = rowAt(row);
    const RecordingEvent& event = events_[shown.first];
    const std::size_t count = shown.last - shown.first + 1;
    switch (column) {
        case indexColumn:
            return count > 1 ? QStringLiteral("%1–%2").arg(shown.first).arg(shown.last) : QString::number(shown.first);
        case timeColumn: return UiText::of(EventDescription::seconds(event.timestamp()));
        case gapColumn: return UiText::of("+" + EventDescription::seconds(EventEdits::gapBefore(events_, shown.first)));
        case typeColumn: return UiText::of(EventDescription::type(event));
        case detailsColumn: {
            if (count == 1) return UiText::of(EventDescription::details(event, keyName_, masked));
            std::size_t points = 0;
            for (std::size_t e = shown.first; e <= shown.last; ++e) points += events_[e].path().points.size();
            return UiText::tr("%1 paths, %2 points, until %3 ▸")
                .arg(count)
                .arg(points)
                .arg(UiText::of(EventDescription::seconds(events_[shown.last].endTimestamp())));
        }
        default: return {};
    }
}

QVariant EventTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= static_cast<int>(rows_.size())) return {};
    const Row& shown = rowAt(index.row());
    switch (role) {
        case Qt::DisplayRole: return text(index.row(), index.column(), false);
        case Qt::EditRole:
            if (index.column() == gapColumn) {
                return static_cast<double>(EventEdits::gapBefore(events_, shown.first)) / 1e6;
            }
            if (index.column() == detailsColumn && isButton(events_[shown.first])) {
                const MouseButtonEvent& button = events_[shown.first].mouseButton();
                return QStringLiteral("%1, %2").arg(button.x).arg(button.y);
            }
            return {};
        case Qt::TextAlignmentRole:
            return index.column() <= gapColumn ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
        case Qt::ForegroundRole: return flagged_.contains(shown.first) ? QVariant(QBrush(kFlagColor)) : QVariant();
        case Qt::ToolTipRole: {
            if (!flagged_.contains(shown.first)) return {};
            const RecordingEvent& event = events_[shown.first];
            const bool isRelease = event.kind() == RecordingEvent::Kind::keyUp ||
                                   event.kind() == RecordingEvent::Kind::mouseUp ||
                                   (event.kind() == RecordingEvent::Kind::flagsChanged && !event.flags().isDown);
            return isRelease ? UiText::tr("Released without a press: it was down when recording began.")
                             : UiText::tr("Never released: usually what is left of the stop shortcut.");
        }
        default: return {};
    }
}

QVariant EventTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    static const char* const kTitles[] = {"#", "Time", "Gap", "Type", "Details"};
    return section >= 0 && section < int(columnTotal) ? UiText::tr(kTitles[section]) : QVariant();
}

Qt::ItemFlags EventTableModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (!index.isValid()) return flags;
    const Row& shown = rowAt(index.row());
    const bool single = shown.first == shown.last;
    if (single &&
        (index.column() == gapColumn || (index.column() == detailsColumn && isButton(events_[shown.first])))) {
        flags |= Qt::ItemIsEditable;
    }
    return flags;
}

bool EventTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable)) return false;
    const std::size_t event = rowAt(index.row()).first;
    if (index.column() == gapColumn) {
        bool ok = false;
        const double ms = value.toString().trimmed().remove(QStringLiteral("ms")).trimmed().toDouble(&ok);
        if (!ok || ms < 0 || ms > 24.0 * 3600 * 1000) return false;
        emit gapEdited(event, static_cast<std::uint64_t>(ms * 1e6 + 0.5));
        return true;
    }
    const QStringList parts = value.toString().split(QLatin1Char(','));
    bool okX = false, okY = false;
    const double x = parts.value(0).trimmed().toDouble(&okX);
    const double y = parts.value(1).trimmed().toDouble(&okY);
    if (parts.size() != 2 || !okX || !okY) return false;
    emit clickMoved(event, x, y);
    return true;
}

QString EventTableModel::copyText(const std::vector<int>& rows) const {
    QStringList lines;
    for (const int row : rows) {
        QStringList cells;
        for (int column = 0; column < int(columnTotal); ++column) cells << text(row, column, sensitive_);
        lines << cells.join(QLatin1Char('\t'));
    }
    return lines.join(QLatin1Char('\n'));
}

}  // namespace brevanor
