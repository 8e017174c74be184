#pragma once

#include <QWidget>
#include <string>
#include <vector>

class QVBoxLayout;

namespace brevanor {

class SignedLabel;

// The reasons a shortcut may not work as hoped, one line each under its field:
// a warning sign and the sentence, small and orange. Hidden when there are none.
class ConflictLines : public QWidget {
    Q_OBJECT

public:
    explicit ConflictLines(QWidget* parent = nullptr);

    void setSentences(const std::vector<std::string>& sentences);
    // The sentences shown, in order.
    std::vector<std::string> sentences() const;

private:
    QVBoxLayout* layout_;
    // Lines are kept once made and hidden while not needed.
    std::vector<SignedLabel*> lines_;
    std::size_t shown_ = 0;
};

}  // namespace brevanor
