#include "app/ui/ActivityStrip.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
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
    return of(recording, slices, 0, recording.durationNanos());
}

ActivityStrip::Activity ActivityStrip::Activity::of(const Recording& recording, std::size_t slices,
                                                    std::uint64_t fromNanos, std::uint64_t toNanos) {
    Activity activity;
    for (auto& lane : activity.counts) lane.assign(slices, 0);
    const std::uint64_t duration = toNanos > fromNanos ? toNanos - fromNanos : 0;
    if (duration == 0 || slices == 0) return activity;

    const auto count = [&](Lane lane, std::uint64_t at) {
        if (at < fromNanos || at > toNanos) return;
        const auto slice = std::min<std::size_t>(
            slices - 1,
            static_cast<std::size_t>(static_cast<double>(at - fromNanos) / static_cast<double>(duration) * slices));
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
    // The trimmed stretches, as shares of the stretch shown.
    const auto shown = [&](std::uint64_t from, std::uint64_t to) {
        const std::uint64_t begin = std::max(from, fromNanos);
        const std::uint64_t end = std::min(to, toNanos);
        return end > begin ? static_cast<double>(end - begin) / static_cast<double>(duration) : 0.0;
    };
    const std::uint64_t whole = recording.durationNanos();
    const std::uint64_t lead = std::min(recording.trim.leadingNanos, whole);
    const std::uint64_t tail = std::min(recording.trim.trailingNanos, whole - lead);
    activity.trimmedLeadFraction = shown(0, lead);
    activity.trimmedTailFraction = std::min(1.0 - activity.trimmedLeadFraction, shown(whole - tail, whole));
    return activity;
}

ActivityStrip::ActivityStrip(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAccessibleName(UiText::tr("Activity over time"));
}

void ActivityStrip::setRecording(const Recording& recording) {
    const bool wholeShown = viewFrom_ == 0 && viewTo_ == recording_.durationNanos();
    // The events and the trim are all the strip shows: an edited recording's recorded copy stays out.
    recording_.events = recording.events;
    recording_.trim = recording.trim;
    const std::uint64_t duration = recording_.durationNanos();
    if (wholeShown || viewTo_ > duration || viewFrom_ >= viewTo_) {
        viewFrom_ = 0;
        viewTo_ = duration;
    }
    recount();
}

void ActivityStrip::recount() {
    activity_ = Activity::of(recording_, sliceCount, viewFrom_, viewTo_);
    update();
}

void ActivityStrip::setSelection(std::optional<std::pair<std::uint64_t, std::uint64_t>> nanos) {
    if (nanos == selection_) return;
    selection_ = nanos;
    update();
}

void ActivityStrip::setView(std::uint64_t fromNanos, std::uint64_t toNanos) {
    const std::uint64_t duration = recording_.durationNanos();
    toNanos = std::min(toNanos, duration);
    if (fromNanos >= toNanos) return;
    viewFrom_ = fromNanos;
    viewTo_ = toNanos;
    recount();
}

void ActivityStrip::zoom(double factor, double x) {
    const std::uint64_t duration = recording_.durationNanos();
    if (duration == 0 || factor <= 0) return;
    constexpr double kShortestNanos = 50'000'000;
    const double around = static_cast<double>(timeAt(x));
    const double span =
        std::clamp(static_cast<double>(viewTo_ - viewFrom_) / factor,
                   std::min(kShortestNanos, static_cast<double>(duration)), static_cast<double>(duration));
    const double share = (around - static_cast<double>(viewFrom_)) / static_cast<double>(viewTo_ - viewFrom_);
    const double from = std::clamp(around - share * span, 0.0, static_cast<double>(duration) - span);
    setView(static_cast<std::uint64_t>(from), static_cast<std::uint64_t>(from + span));
}

std::uint64_t ActivityStrip::timeAt(double x) const {
    const double chartWidth = std::max(1, width() - kLegendWidth);
    const double share = std::clamp((x - kLegendWidth) / chartWidth, 0.0, 1.0);
    return viewFrom_ + static_cast<std::uint64_t>(share * static_cast<double>(viewTo_ - viewFrom_));
}

double ActivityStrip::xOf(std::uint64_t nanos) const {
    const double chartWidth = std::max(1, width() - kLegendWidth);
    if (viewTo_ <= viewFrom_) return kLegendWidth;
    const double share =
        (static_cast<double>(nanos) - static_cast<double>(viewFrom_)) / static_cast<double>(viewTo_ - viewFrom_);
    return kLegendWidth + std::clamp(share, 0.0, 1.0) * chartWidth;
}

void ActivityStrip::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    dragAnchor_ = timeAt(event->position().x());
    setSelection(std::pair{*dragAnchor_, *dragAnchor_});
}

void ActivityStrip::mouseMoveEvent(QMouseEvent* event) {
    if (!dragAnchor_) return QWidget::mouseMoveEvent(event);
    const std::uint64_t at = timeAt(event->position().x());
    setSelection(std::pair{std::min(at, *dragAnchor_), std::max(at, *dragAnchor_)});
}

void ActivityStrip::mouseReleaseEvent(QMouseEvent* event) {
    if (!dragAnchor_ || event->button() != Qt::LeftButton) return QWidget::mouseReleaseEvent(event);
    mouseMoveEvent(event);
    dragAnchor_.reset();
    emit rangeSelected(selection_->first, selection_->second);
}

void ActivityStrip::wheelEvent(QWheelEvent* event) {
    const int steps = event->angleDelta().y();
    if (steps == 0) return QWidget::wheelEvent(event);
    zoom(steps > 0 ? 1.5 : 1 / 1.5, event->position().x());
    event->accept();
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

    if (selection_) {
        QColor highlight = palette().color(QPalette::Highlight);
        const double left = xOf(selection_->first);
        const double right = std::max(left + 2, xOf(selection_->second));
        painter.setPen(highlight);
        highlight.setAlpha(70);
        painter.setBrush(highlight);
        painter.drawRect(QRectF(left, 0, right - left, height() - 1));
    }
}

}  // namespace brevanor
