#pragma once

#include <QAbstractTableModel>
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "core/model/RecordingEvent.h"

namespace brevanor {

// The events of a recording as the rows of the event list: index, time, gap
// from the previous event, type and details (keys named on the user's layout).
// A run of mouse paths one after another shows as one "Path" row until it is
// expanded. Events that are usually unwanted (keys or buttons left pressed at
// the end, the stop shortcut's leftovers, and releases without a press) are
// flagged. The gap of a row and the position of a click can be edited in place;
// the model only asks for those edits (gapEdited, clickMoved), the editor makes
// them. Copies of a sensitive recording's rows hide its keys.
class EventTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { indexColumn, timeColumn, gapColumn, typeColumn, detailsColumn, columnTotal };
    using KeyName = std::function<std::string(std::uint16_t)>;

    // The events of one row: one event, or a collapsed run of paths.
    struct Row {
        std::size_t first = 0;
        std::size_t last = 0;
    };

    explicit EventTableModel(KeyName keyName, QObject* parent = nullptr);

    // Shows these events; runs stay expanded where they still begin at the same index.
    void setEvents(std::vector<RecordingEvent> events, bool sensitive);
    const std::vector<RecordingEvent>& events() const { return events_; }

    const Row& rowAt(int row) const { return rows_[static_cast<std::size_t>(row)]; }
    // The row that shows the event.
    int rowOf(std::size_t eventIndex) const;
    bool isCollapsedRun(int row) const { return rowAt(row).last > rowAt(row).first; }
    // Opens a collapsed run into one row per path, or closes the run a row belongs to.
    void toggleRun(int row);

    // The flagged events: presses left held at the end, releases without a press.
    const std::set<std::size_t>& flagged() const { return flagged_; }

    // The rows as tab-separated lines, as the table copies them: keys hidden for a sensitive recording.
    QString copyText(const std::vector<int>& rows) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

signals:
    void gapEdited(std::size_t eventIndex, std::uint64_t nanos);
    void clickMoved(std::size_t eventIndex, double x, double y);

private:
    void buildRows();
    QString text(int row, int column, bool masked) const;

    KeyName keyName_;
    std::vector<RecordingEvent> events_;
    bool sensitive_ = false;
    std::vector<Row> rows_;
    std::vector<int> rowOfEvent_;
    std::set<std::size_t> expandedRuns_;  // first event of each expanded run
    std::set<std::size_t> flagged_;
};

}  // namespace brevanor
