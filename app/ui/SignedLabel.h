#pragma once

#include <QWidget>
#include <initializer_list>

#include "app/ui/AppIcon.h"

class QLabel;

namespace brevanor {

// A small sign before a wrapped text, as tall as a line of the text and level
// with its first line: a shortcut's row, a warning, a title with its symbol.
class SignedLabel : public QWidget {
    Q_OBJECT

public:
    using Style = void (*)(QWidget&);

    // `styles` (TextStyle's) apply to the text; the sign takes its size from them.
    SignedLabel(AppIcon sign, const QString& text, std::initializer_list<Style> styles = {}, QWidget* parent = nullptr);

    QString text() const;
    void setText(const QString& text);
    void setTextColor(const QColor& color);
    // The sign's column, so that the texts of several rows line up.
    void setSignColumnWidth(int width);

private:
    QLabel* sign_;
    QLabel* text_;
};

}  // namespace brevanor
