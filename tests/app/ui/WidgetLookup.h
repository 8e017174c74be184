#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <QStringList>
#include <QWidget>

namespace brevanor::testing {

// The child of `root` with the object name `name`.
template <typename T>
T& namedChild(const QObject& root, const char* name) {
    T* found = root.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return *found;
}

// The button that reads `text` (or names it for accessibility or in its tool
// tip), a shown one before hidden ones.
inline QAbstractButton* findButton(const QWidget& root, const QString& text) {
    QAbstractButton* hidden = nullptr;
    for (QAbstractButton* button : root.findChildren<QAbstractButton*>()) {
        if (button->text() != text && button->accessibleName() != text && button->toolTip() != text) continue;
        if (button->isVisibleTo(&root)) return button;
        if (!hidden) hidden = button;
    }
    EXPECT_NE(hidden, nullptr) << "no button " << text.toStdString();
    return hidden;
}

// Texts of the labels that would be on screen if `root` were shown.
inline QStringList visibleTexts(const QWidget& root) {
    QStringList texts;
    for (const QLabel* label : root.findChildren<QLabel*>()) {
        if (label->isVisibleTo(&root) && !label->text().isEmpty()) texts.push_back(label->text());
    }
    return texts;
}

}  // namespace brevanor::testing
