#pragma once

#include <QWidget>
#include <cstdint>

class QLabel;
class QVariantAnimation;

namespace brevanor {

class AppCoordinator;
class AppSettings;

// The status pill's content: a capsule of 500 × 48 with the state's symbol
// (the countdown's number, a pulsing red dot, a green play symbol, a spinner),
// a title with the elapsed time, a subtitle (orange when it warns, as when a
// recording's positions are relative), and how to
// stop on the right. Everything it shows comes from the coordinator's
// published fields and the settings' shortcuts.
class OverlayView : public QWidget {
    Q_OBJECT

public:
    static constexpr int pillWidth = 500;
    static constexpr int pillHeight = 48;
    // The recording dot fades between 0.35 and full opacity and back, easing, every 0.7 s.
    static constexpr int pulseMs = 700;
    // A recording without screen positions says so for its first seconds, once.
    static constexpr std::uint64_t relativeNoticeNanos = 3'000'000'000;

    OverlayView(AppCoordinator& coordinator, AppSettings& settings, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void showTexts();
    void animateSymbol();
    QRect symbolRect() const;

    AppCoordinator& coordinator_;
    AppSettings& settings_;
    QLabel* title_;
    QLabel* subtitle_;
    QLabel* stopHint_;
    // 0 → 1 → 2 over two pulses: the dot's opacity and the spinner's angle follow it.
    QVariantAnimation* animation_;
};

}  // namespace brevanor
