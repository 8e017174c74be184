#pragma once

#include <QWidget>
#include <array>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "core/model/Recording.h"

namespace brevanor {

// A recording's timeline at a glance: one lane each for cursor movement,
// clicks, keys and scrolling, with a bar per slice of time as high as that
// slice's share of the lane's busiest slice. The idle time cut off by the trim
// is shaded, so the pauses and the work stand out. Dragging across it selects
// a stretch of time (rangeSelected), which it shows highlighted; the wheel
// zooms in and out around the pointer.
class ActivityStrip : public QWidget {
    Q_OBJECT

public:
    enum class Lane { moves, clicks, keys, scrolls };
    static constexpr std::size_t laneCount = 4;

    // How much of each lane's input falls into each of `slices` equal slices
    // of the recording's whole duration, and where the trim cuts.
    struct Activity {
        std::array<std::vector<std::int64_t>, laneCount> counts;  // per lane, per slice
        double trimmedLeadFraction = 0;                           // of the whole duration
        double trimmedTailFraction = 0;

        static Activity of(const Recording& recording, std::size_t slices);
        // The same for the stretch [fromNanos, toNanos) of the recording.
        static Activity of(const Recording& recording, std::size_t slices, std::uint64_t fromNanos,
                           std::uint64_t toNanos);
    };

    static constexpr std::size_t sliceCount = 120;

    explicit ActivityStrip(QWidget* parent = nullptr);

    void setRecording(const Recording& recording);
    const Activity& activity() const { return activity_; }

    // The stretch of time shown highlighted (none: nothing is).
    void setSelection(std::optional<std::pair<std::uint64_t, std::uint64_t>> nanos);
    const std::optional<std::pair<std::uint64_t, std::uint64_t>>& selection() const { return selection_; }
    // The stretch of time shown, the whole recording at first; zooming changes it.
    void setView(std::uint64_t fromNanos, std::uint64_t toNanos);
    std::pair<std::uint64_t, std::uint64_t> view() const { return {viewFrom_, viewTo_}; }
    // Zooms by `factor` (2: twice as close) around the time at `x`.
    void zoom(double factor, double x);
    // The time at a horizontal position and the other way round.
    std::uint64_t timeAt(double x) const;
    double xOf(std::uint64_t nanos) const;

    QSize sizeHint() const override;

signals:
    // The user dragged across [fromNanos, toNanos] (equal for a click).
    void rangeSelected(quint64 fromNanos, quint64 toNanos);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void recount();

    Recording recording_;
    Activity activity_;
    std::uint64_t viewFrom_ = 0;
    std::uint64_t viewTo_ = 0;
    std::optional<std::pair<std::uint64_t, std::uint64_t>> selection_;
    std::optional<std::uint64_t> dragAnchor_;
};

}  // namespace brevanor
