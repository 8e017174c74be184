#pragma once

#include <QStyledItemDelegate>

namespace brevanor {

// Draws one recording per row: the name over its summary, and at the right its
// shortcut badge, a lock when it holds sensitive input, and a play button.
// Asks for playback through playRequested; the button is enabled only while
// setPlayEnabled() says so.
class RecordingRowDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    explicit RecordingRowDelegate(QObject* parent = nullptr);

    void setPlayEnabled(bool enabled) { playEnabled_ = enabled; }
    bool playEnabled() const { return playEnabled_; }
    // Where the play button of the row drawn in `row` is.
    static QRect playButtonRect(const QRect& row);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

signals:
    void playRequested(const QModelIndex& index);

private:
    bool playEnabled_ = true;
};

}  // namespace brevanor
