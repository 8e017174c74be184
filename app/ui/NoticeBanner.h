#pragma once

#include <QFrame>
#include <string>

class QLabel;

namespace brevanor {

// A notice for the user at the top of a window, in the window's own place
// rather than in a box that takes the focus; a button puts it away. Hidden
// until it is given a text.
class NoticeBanner : public QFrame {
    Q_OBJECT

public:
    explicit NoticeBanner(QWidget* parent = nullptr);

    void show(const std::string& text);
    QString text() const;

private:
    QLabel* text_;
};

}  // namespace brevanor
