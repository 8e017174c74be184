#pragma once

class QWidget;

namespace brevanor {

// Showing the application's windows the same way everywhere.
namespace WindowPlacement {

// Brings the application forward and `window` to the front with the focus.
void showInFront(QWidget& window);
// Centers `window` on the screen it is on (the primary screen for a new window).
void center(QWidget& window);

}  // namespace WindowPlacement

}  // namespace brevanor
