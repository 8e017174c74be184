#pragma once

#include <QWidget>
#include <array>
#include <cstdint>
#include <vector>

#include "core/model/Recording.h"

namespace brevanor {

// A recording's timeline at a glance: one lane each for cursor movement,
// clicks, keys and scrolling, with a bar per slice of time as high as that
// slice's share of the lane's busiest slice. The idle time cut off by the trim
// is shaded, so the pauses and the work stand out.
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
    };

    static constexpr std::size_t sliceCount = 120;

    explicit ActivityStrip(QWidget* parent = nullptr);

    void setRecording(const Recording& recording);
    const Activity& activity() const { return activity_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Activity activity_;
};

}  // namespace brevanor
