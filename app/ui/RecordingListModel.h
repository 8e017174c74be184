#pragma once

#include <QAbstractListModel>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/control/AppCoordinator.h"
#include "core/model/DateText.h"

namespace brevanor {

// The library as rows for a list view, newest first. follow() brings it in
// line with a new listing with the fewest row changes: rows of unchanged
// recordings stay as they are, a saved recording's row is updated in place, a
// new one is inserted, a deleted one removed. So views keep their scroll
// position and selection across saves, duplicates and imports.
class RecordingListModel : public QAbstractListModel {
    Q_OBJECT

public:
    enum Role {
        // The recording's name is Qt::DisplayRole.
        SummaryRole = Qt::UserRole + 1,  // "1 min 15 s • 312 events • <date>"
        ShortcutRole,                    // the play shortcut as text, empty without one
        SensitiveRole,                   // bool: marked as holding sensitive input
    };

    // `shortcutText` words a shortcut for the user; `dates` formats creation dates.
    RecordingListModel(std::function<std::string(const HotkeyChord&)> shortcutText, DateText dates,
                       QObject* parent = nullptr);

    // Takes over `recordings` (the store's order).
    void follow(const RecordingList& recordings);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    // The recording shown in `row`; null outside the rows.
    std::shared_ptr<const Recording> recording(int row) const;
    // The row of the recording with `id`.
    std::optional<int> row(const Uuid& id) const;

private:
    // A recording with its texts, made when first asked for.
    struct Row {
        std::shared_ptr<const Recording> recording;
        std::optional<QString> summary;
        std::optional<QString> shortcut;
    };

    void removeRowsNotIn(const RecordingList& recordings);
    void place(int at, const std::shared_ptr<const Recording>& recording);
    const QString& summary(Row& row) const;
    const QString& shortcut(Row& row) const;

    std::function<std::string(const HotkeyChord&)> shortcutText_;
    DateText dates_;
    // Texts are cached on first use, from const data().
    mutable std::vector<Row> rows_;
};

}  // namespace brevanor
