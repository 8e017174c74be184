#include "app/ui/ActivityStrip.h"

#include <QPainter>
#include <algorithm>

#include "app/ui/UiText.h"

namespace brevanor {

namespace {

constexpr int kLaneHeight = 12;
constexpr int kLaneGap = 3;
constexpr int kLegendWidth = 56;

struct LaneLook {
    const char* title;
    QColor color;
};

// Colours that stay apart for the common kinds of colour blindness.
const std::array<LaneLook, ActivityStrip::laneCount> kLanes{{
    {"Moves", QColor(0, 114, 178)},
    {"Clicks", QColor(213, 94, 0)},
    {"Keys", QColor(0, 158, 115)},
    {"Scrolls", QColor(204, 121, 167)},
}};

}  // namespace

ActivityStrip::Activity ActivityStrip::Activity::of(const Recording& recording, std::size_t slices) {
    Activity activity;
    for (auto& lane : activity.counts) lane.assign(slices, 0);
    const std::uint64_t duration = recording.durationNanos();
    if (duration == 0 || slices == 0) return activity;

    const auto count = [&](Lane lane, std::uint64_t at) {
        const auto slice = std::min<std::size_t>(
            slices - 1, static_cast<std::size_t>(static_cast<double>(at) / static_cast<double>(duration) * slices));
        ++activity.counts[static_cast<std::size_t>(lane)][slice];
    };
    for (const RecordingEvent& event : recording.events) {
        switch (event.kind()) {
            case RecordingEvent::Kind::mousePath:
                for (const PathPoint& point : event.path().points) count(Lane::moves, event.timestamp() + point.dt);
                break;
            case RecordingEvent::Kind::mouseDown: count(Lane::clicks, event.timestamp()); break;
            case RecordingEvent::Kind::keyDown:
            case RecordingEvent::Kind::flagsChanged: count(Lane::keys, event.timestamp()); break;
            case RecordingEvent::Kind::scroll: count(Lane::scrolls, event.timestamp()); break;
            case RecordingEvent::Kind::mouseUp:
            case RecordingEvent::Kind::keyUp:
            case RecordingEvent::Kind::idleGap: break;
        }
    }
    const auto fraction = [duration](std::uint64_t nanos) {
        return std::min(1.0, static_cast<double>(nanos) / static_cast<double>(duration));
    };
    activity.trimmedLeadFraction = fraction(recording.trim.leadingNanos);
    activity.trimmedTailFraction = std::min(1.0 - activity.trimmedLeadFraction, fraction(recording.trim.trailingNanos));
    return activity;
}

ActivityStrip::ActivityStrip(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAccessibleName(UiText::tr("Activity over time"));
}

void ActivityStrip::setRecording(const Recording& recording) {
    activity_ = Activity::of(recording, sliceCount);
    update();
}

QSize ActivityStrip::sizeHint() const {
    return QSize(320, static_cast<int>(laneCount) * (kLaneHeight + kLaneGap) - kLaneGap);
}

void ActivityStrip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QColor text = palette().color(QPalette::WindowText);
    QFont legend = font();
    legend.setPointSizeF(legend.pointSizeF() * 0.8);
    painter.setFont(legend);

    const QRectF chart(kLegendWidth, 0, std::max(0, width() - kLegendWidth), height());
    for (std::size_t lane = 0; lane < laneCount; ++lane) {
        const QRectF row(chart.left(), static_cast<double>(lane) * (kLaneHeight + kLaneGap), chart.width(),
                         kLaneHeight);
        painter.setPen(text);
        painter.drawText(QRectF(0, row.top(), kLegendWidth - 6, kLaneHeight), Qt::AlignRight | Qt::AlignVCenter,
                         UiText::tr(kLanes[lane].title));
        QColor track = text;
        track.setAlpha(18);
        painter.fillRect(row, track);

        const std::vector<std::int64_t>& counts = activity_.counts[lane];
        const std::int64_t busiest = counts.empty() ? 0 : *std::max_element(counts.begin(), counts.end());
        if (busiest == 0) continue;
        const double sliceWidth = row.width() / static_cast<double>(counts.size());
        for (std::size_t slice = 0; slice < counts.size(); ++slice) {
            if (counts[slice] == 0) continue;
            // At least a sliver, so a lone click still shows.
            const double share = std::max(0.15, static_cast<double>(counts[slice]) / static_cast<double>(busiest));
            const double barHeight = share * kLaneHeight;
            painter.fillRect(
                QRectF(row.left() + slice * sliceWidth, row.bottom() - barHeight, std::max(1.0, sliceWidth), barHeight),
                kLanes[lane].color);
        }
    }

    QColor shade = text;
    shade.setAlpha(70);
    const double lead = activity_.trimmedLeadFraction * chart.width();
    const double tail = activity_.trimmedTailFraction * chart.width();
    if (lead > 0) painter.fillRect(QRectF(chart.left(), 0, lead, height()), QBrush(shade, Qt::BDiagPattern));
    if (tail > 0) painter.fillRect(QRectF(chart.right() - tail, 0, tail, height()), QBrush(shade, Qt::BDiagPattern));
}

}  // namespace brevanor
