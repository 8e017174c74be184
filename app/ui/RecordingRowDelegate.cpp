#include "app/ui/RecordingRowDelegate.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFontDatabase>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include "app/ui/RecordingListModel.h"
#include "app/ui/SymbolIconEngine.h"
#include "app/ui/UiText.h"

namespace brevanor {

namespace {

constexpr int kSidePadding = 10;
constexpr int kVerticalPadding = 7;  // 3 points of the row's own, 4 of the inset list around it
constexpr int kLineGap = 2;
constexpr int kSpacing = 8;
constexpr int kPlayButtonSide = 22;
constexpr int kLockSide = 14;

QFont nameFont(const QFont& base) {
    QFont font = base;
    font.setWeight(QFont::Medium);
    return font;
}

QFont captionFont(const QFont& base) {
    QFont font = base;
    font.setPointSizeF(base.pointSizeF() * 0.85);
    return font;
}

QFont badgeFont(const QFont& base) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(base.pointSizeF() * 0.85);
    return font;
}

QRect lockRect(const QRect& row) {
    const QRect play = RecordingRowDelegate::playButtonRect(row);
    return QRect(play.left() - kSpacing - kLockSide, row.center().y() - kLockSide / 2, kLockSide, kLockSide);
}

// The right end of the texts and the badge, with or without the lock.
int contentRight(const QRect& row, bool sensitive) {
    return (sensitive ? lockRect(row).left() : RecordingRowDelegate::playButtonRect(row).left()) - kSpacing;
}

QColor withAlpha(QColor color, int alpha) {
    color.setAlpha(alpha);
    return color;
}

}  // namespace

RecordingRowDelegate::RecordingRowDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

QRect RecordingRowDelegate::playButtonRect(const QRect& row) {
    return QRect(row.right() - kSidePadding - kPlayButtonSide + 1, row.center().y() - kPlayButtonSide / 2 + 1,
                 kPlayButtonSide, kPlayButtonSide);
}

void RecordingRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
    // The platform draws the row's background and selection.
    QStyleOptionViewItem background = option;
    initStyleOption(&background, index);
    background.text.clear();
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &background, painter, widget);

    const bool selected = option.state & QStyle::State_Selected;
    const QPalette::ColorGroup group = (option.state & QStyle::State_Active) ? QPalette::Active : QPalette::Inactive;
    const QColor text = option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text);
    const QColor secondary = withAlpha(text, 160);
    const QRect row = option.rect;
    const bool sensitive = index.data(RecordingListModel::SensitiveRole).toBool();

    painter->save();
    int right = contentRight(row, sensitive);

    const QString shortcut = index.data(RecordingListModel::ShortcutRole).toString();
    if (!shortcut.isEmpty()) {
        const QFont font = badgeFont(option.font);
        const QFontMetrics metrics(font);
        const QRect badge(right - metrics.horizontalAdvance(shortcut) - 10, row.center().y() - metrics.height() / 2 - 2,
                          metrics.horizontalAdvance(shortcut) + 10, metrics.height() + 4);
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(Qt::NoPen);
        painter->setBrush(withAlpha(text, 36));
        painter->drawRoundedRect(badge, 4, 4);
        painter->setFont(font);
        painter->setPen(text);
        painter->drawText(badge, Qt::AlignCenter, shortcut);
        right = badge.left() - kSpacing;
    }
    if (sensitive) {
        SymbolIconEngine::icon(SymbolIconEngine::Symbol::lock, secondary).paint(painter, lockRect(row));
    }
    SymbolIconEngine::icon(SymbolIconEngine::Symbol::play, text)
        .paint(painter, playButtonRect(row).adjusted(4, 4, -4, -4), Qt::AlignCenter,
               playEnabled_ ? QIcon::Normal : QIcon::Disabled);

    const int left = row.left() + kSidePadding;
    const int width = std::max(0, right - left);
    const QFont name = nameFont(option.font);
    const QFont caption = captionFont(option.font);
    const QFontMetrics nameMetrics(name);
    const QFontMetrics captionMetrics(caption);
    const int top = row.top() + (row.height() - nameMetrics.height() - kLineGap - captionMetrics.height()) / 2;
    painter->setFont(name);
    painter->setPen(text);
    painter->drawText(QRect(left, top, width, nameMetrics.height()), Qt::AlignLeft | Qt::AlignVCenter,
                      nameMetrics.elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideRight, width));
    painter->setFont(caption);
    painter->setPen(secondary);
    painter->drawText(
        QRect(left, top + nameMetrics.height() + kLineGap, width, captionMetrics.height()),
        Qt::AlignLeft | Qt::AlignVCenter,
        captionMetrics.elidedText(index.data(RecordingListModel::SummaryRole).toString(), Qt::ElideRight, width));
    painter->restore();
}

QSize RecordingRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    const int height = QFontMetrics(nameFont(option.font)).height() + kLineGap +
                       QFontMetrics(captionFont(option.font)).height() + 2 * kVerticalPadding;
    return QSize(std::max(option.rect.width(), 200), std::max(height, kPlayButtonSide + 2 * kVerticalPadding));
}

bool RecordingRowDelegate::editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                                       const QModelIndex& index) {
    if (event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && playButtonRect(option.rect).contains(mouse->position().toPoint())) {
            if (playEnabled_) emit playRequested(index);
            return true;
        }
    }
    return QStyledItemDelegate::editorEvent(event, model, option, index);
}

bool RecordingRowDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                                     const QModelIndex& index) {
    if (event->type() == QEvent::ToolTip) {
        QString tip;
        if (playButtonRect(option.rect).contains(event->pos())) {
            tip = UiText::tr("Play");
        } else if (index.data(RecordingListModel::SensitiveRole).toBool() &&
                   lockRect(option.rect).contains(event->pos())) {
            tip = UiText::tr("Contains sensitive input");
        }
        if (!tip.isEmpty()) {
            QToolTip::showText(event->globalPos(), tip, view);
            return true;
        }
        QToolTip::hideText();
        return true;
    }
    return QStyledItemDelegate::helpEvent(event, view, option, index);
}

}  // namespace brevanor
