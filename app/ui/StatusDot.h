#pragma once

#include <QColor>
#include <QWidget>

namespace brevanor {

// A filled circle of a fixed diameter: a permission's light (green or red) or
// one of the onboarding's step dots. Its accessible name says what it shows,
// for screen readers, since the colour alone says nothing to them.
class StatusDot : public QWidget {
    Q_OBJECT

public:
    StatusDot(int diameter, QWidget* parent = nullptr);

    const QColor& color() const { return color_; }
    void setColor(const QColor& color);

    // The lights of a permission: green when granted, red when not.
    void showGranted(bool granted);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor color_;
};

}  // namespace brevanor
