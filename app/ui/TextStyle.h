#pragma once

class QWidget;

namespace brevanor {

// The few text styles the windows use, derived from the platform's fonts and
// palette so they follow the desktop theme.
namespace TextStyle {

// Large and bold, for the title of a page.
void title(QWidget& widget);
// Between a title and the body text, bold: a name under an icon.
void title2(QWidget& widget);
// Bold, for titles of a section.
void headline(QWidget& widget);
// Slightly smaller than the body text.
void callout(QWidget& widget);
// The smallest readable size, for notes under a control.
void caption(QWidget& widget);
// Text that matters less: dimmed, as placeholders are.
void secondary(QWidget& widget);
// Text that matters even less than secondary text.
void tertiary(QWidget& widget);
// Digits of equal width, so a changing number does not move its neighbours.
void monospacedDigits(QWidget& widget);

}  // namespace TextStyle

}  // namespace brevanor
