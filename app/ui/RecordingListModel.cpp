#include "app/ui/RecordingListModel.h"

#include <unordered_set>

#include "app/control/MessageText.h"
#include "app/ui/UiText.h"
#include "base/text/Localized.h"
#include "core/model/DurationText.h"

namespace brevanor {

RecordingListModel::RecordingListModel(std::function<std::string(const HotkeyChord&)> shortcutText, DateText dates,
                                       QObject* parent)
    : QAbstractListModel(parent), shortcutText_(std::move(shortcutText)), dates_(std::move(dates)) {}

void RecordingListModel::follow(const RecordingList& recordings) {
    if (rows_.empty() || recordings.empty()) {
        // Nothing to keep: one reset is cheaper than a row change per recording.
        beginResetModel();
        rows_.clear();
        for (const auto& recording : recordings) rows_.push_back(Row{recording, {}, {}});
        endResetModel();
        return;
    }
    removeRowsNotIn(recordings);
    for (std::size_t at = 0; at < recordings.size(); ++at) place(static_cast<int>(at), recordings[at]);
}

void RecordingListModel::removeRowsNotIn(const RecordingList& recordings) {
    std::unordered_set<Uuid> listed;
    for (const auto& recording : recordings) listed.insert(recording->id);
    // From the end, one run of neighbouring rows at a time.
    int end = static_cast<int>(rows_.size());
    while (end > 0) {
        if (listed.contains(rows_[end - 1].recording->id)) {
            --end;
            continue;
        }
        int first = end - 1;
        while (first > 0 && !listed.contains(rows_[first - 1].recording->id)) --first;
        beginRemoveRows(QModelIndex(), first, end - 1);
        rows_.erase(rows_.begin() + first, rows_.begin() + end);
        endRemoveRows();
        end = first;
    }
}

void RecordingListModel::place(int at, const std::shared_ptr<const Recording>& recording) {
    const auto size = static_cast<int>(rows_.size());
    int found = at;
    while (found < size && rows_[found].recording->id != recording->id) ++found;
    if (found == size) {
        beginInsertRows(QModelIndex(), at, at);
        rows_.insert(rows_.begin() + at, Row{recording, {}, {}});
        endInsertRows();
        return;
    }
    if (found != at) {
        beginMoveRows(QModelIndex(), found, found, QModelIndex(), at);
        Row moved = std::move(rows_[found]);
        rows_.erase(rows_.begin() + found);
        rows_.insert(rows_.begin() + at, std::move(moved));
        endMoveRows();
    }
    // The store hands out the same snapshot for an unchanged file.
    if (rows_[at].recording == recording) return;
    rows_[at] = Row{recording, {}, {}};
    const QModelIndex changed = index(at);
    emit dataChanged(changed, changed);
}

int RecordingListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

QVariant RecordingListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= static_cast<int>(rows_.size())) return {};
    Row& row = rows_[index.row()];
    switch (role) {
        case Qt::DisplayRole: return UiText::of(row.recording->name);
        case SummaryRole: return summary(row);
        case ShortcutRole: return shortcut(row);
        case SensitiveRole: return row.recording->settings.containsSensitiveInput;
        default: return {};
    }
}

std::shared_ptr<const Recording> RecordingListModel::recording(int row) const {
    if (row < 0 || row >= static_cast<int>(rows_.size())) return nullptr;
    return rows_[row].recording;
}

std::optional<int> RecordingListModel::row(const Uuid& id) const {
    for (std::size_t at = 0; at < rows_.size(); ++at) {
        if (rows_[at].recording->id == id) return static_cast<int>(at);
    }
    return std::nullopt;
}

const QString& RecordingListModel::summary(Row& row) const {
    if (!row.summary) {
        const Recording& recording = *row.recording;
        row.summary = UiText::of(fillIn(brevanor::tr("%1 • %2 events • %3"),
                                        {DurationText::duration(recording.trimmedDurationNanos()),
                                         std::to_string(recording.eventCount()), dates_.format(recording.createdAt)}));
    }
    return *row.summary;
}

const QString& RecordingListModel::shortcut(Row& row) const {
    if (!row.shortcut) {
        const auto& chord = row.recording->settings.playHotkey;
        row.shortcut = chord ? UiText::of(shortcutText_(*chord)) : QString();
    }
    return *row.shortcut;
}

}  // namespace brevanor
