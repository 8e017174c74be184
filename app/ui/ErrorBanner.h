#pragma once

#include <QFrame>
#include <optional>
#include <string>

class QLabel;

namespace brevanor {

// The last error for the user, selectable for copying, with a button that
// dismisses it. Hidden while there is no message.
class ErrorBanner : public QFrame {
    Q_OBJECT

public:
    explicit ErrorBanner(QWidget* parent = nullptr);

    void setMessage(const std::optional<std::string>& message);

signals:
    void dismissed();

private:
    QLabel* message_;
};

}  // namespace brevanor
