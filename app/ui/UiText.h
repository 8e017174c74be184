#pragma once

#include <QString>
#include <string>
#include <string_view>

#include "base/text/Localized.h"

namespace brevanor {

// Texts for Qt widgets.
namespace UiText {

// A user-visible text, through the translation lookup.
inline QString tr(std::string_view english) { return QString::fromStdString(brevanor::tr(english)); }
// A text that is already the user's (a name, a message).
inline QString of(const std::string& text) { return QString::fromStdString(text); }

}  // namespace UiText

}  // namespace brevanor
