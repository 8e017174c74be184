#pragma once

#include <initializer_list>
#include <string_view>

class QFrame;
class QLabel;
class QVBoxLayout;
class QWidget;

namespace brevanor {

// The layout of a settings tab: framed sections of rows, one under another,
// separated by thin lines, each row a control with its notes under it. Notes
// under a check box start where its text starts.
class SettingsForm {
public:
    // Lays out `tab`.
    explicit SettingsForm(QWidget& tab);

    // Starts a new section; the first row starts one by itself.
    void beginSection();
    void addRow(QWidget* control, std::initializer_list<QWidget*> notes = {});
    // A line of text under the current section, outside its frame.
    void addFooter(QWidget* footer);
    // Keeps the sections at the top of the tab.
    void finish();

    // A note for a row: caption size, secondary colour, wrapped.
    static QLabel* caption(std::string_view english);

private:
    QVBoxLayout* layout_;
    QVBoxLayout* section_ = nullptr;
};

}  // namespace brevanor
